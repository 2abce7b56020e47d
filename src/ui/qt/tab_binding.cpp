#include "ui/qt/tab_binding.h"

#include "ui/qt/text_codec.h"

namespace rotaryn {

TabBinding::TabBinding(TabControl& tabs, QWidget* parent, TwipsRect designPlace)
    : WidgetBinding(tabs, new PaintedTabWidget(parent), designPlace),
      tabs_(tabs),
      widget_(static_cast<PaintedTabWidget*>(widget())) {
  for (const std::string& caption : tabs.captions) {
    auto* page = new QWidget(widget_);
    pages_.push_back(page);
    widget_->addTab(page, literalCaption(caption));
  }
  connect(widget_, &QTabWidget::currentChanged, this, [this](int index) {
    if (rendering_ || index < 0) return;
    forwardInput([&] { tabs_.tab = index; });
  });
}

TabBinding::~TabBinding() {
  unhook();
}

QWidget* TabBinding::page(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= pages_.size()) return nullptr;
  return pages_[static_cast<size_t>(index)];
}

void TabBinding::unhook() {
  paint::remove(*widget_);
}

void TabBinding::renderContent(Change what) {
  if (what == Change::Tab) {
    rendering_ = true;
    widget_->setCurrentIndex(tabs_.tab);
    rendering_ = false;
  } else if (what == Change::Background) {
    renderPainting();
  }
}

void TabBinding::renderAllContent() {
  renderContent(Change::Tab);
  renderPainting();
}

void TabBinding::renderPainting() {
  paint::PaintSource* source =
      tabs_.paintedWith.get().empty() || !sources_ ? nullptr : sources_(tabs_.paintedWith);
  if (source == nullptr) {
    paint::remove(*widget_);
  } else if (!paint::installed(*widget_)) {
    paint::install(*widget_, *source);
  }
}

}  // namespace rotaryn
