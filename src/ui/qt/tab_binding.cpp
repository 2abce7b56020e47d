#include "ui/qt/tab_binding.h"

#include "ui/qt/text_codec.h"

namespace rotaryn {

TabBinding::TabBinding(TabControl& tabs, QWidget* parent, TwipsRect designPlace)
    : WidgetBinding(tabs, new QTabWidget(parent), designPlace),
      tabs_(tabs),
      widget_(static_cast<QTabWidget*>(widget())) {
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

QWidget* TabBinding::page(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= pages_.size()) return nullptr;
  return pages_[static_cast<size_t>(index)];
}

void TabBinding::renderContent(Change what) {
  if (what == Change::Tab) renderAllContent();
}

void TabBinding::renderAllContent() {
  rendering_ = true;
  widget_->setCurrentIndex(tabs_.tab);
  rendering_ = false;
}

}  // namespace rotaryn
