#include "ui/qt/popup_menu_binding.h"

#include <QCursor>

#include "ui/qt/text_codec.h"
#include "ui/window_input.h"

namespace rotaryn {

PopupMenuBinding::PopupMenuBinding(frmRotarynMaps& window, Menu& menu, QWidget* parent)
    : menu_(menu), widget_(new QMenu(parent)) {
  widget_->setObjectName(QString::fromStdString(menu.name()));
  for (MenuItem* item : menu.items) {
    QAction* action = widget_->addAction(QString());
    action->setObjectName(QString::fromStdString(item->name()));
    connect(action, &QAction::triggered, this, [&window, item] {
      forwardInput([&] { deliverInput(window, *item, {.event = InputEvent::Click}); });
    });
    actions_.push_back(action);
  }
}

void PopupMenuBinding::render(Change what) {
  // Not modal: the window's handler has nothing to do after the menu closes.
  if (what == Change::Popup) widget_->popup(QCursor::pos());
}

void PopupMenuBinding::renderAll() {
  widget_->setTitle(literalCaption(menu_.caption));
  for (size_t entry = 0; entry < actions_.size(); ++entry) renderEntry(entry);
}

bool PopupMenuBinding::renderItem(const std::string& control, Change) {
  for (size_t entry = 0; entry < menu_.items.size(); ++entry) {
    if (menu_.items[entry]->name() == control) {
      renderEntry(entry);
      return true;
    }
  }
  return false;
}

void PopupMenuBinding::renderEntry(size_t entry) {
  const MenuItem& item = *menu_.items[entry];
  actions_[entry]->setText(literalCaption(item.caption));
  actions_[entry]->setEnabled(item.enabled);
}

}  // namespace rotaryn
