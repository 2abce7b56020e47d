#include "ui/qt/widget_binding.h"

#include "ui/qt/text_codec.h"
#include "ui/qt/twips.h"

namespace rotaryn {

WidgetBinding::WidgetBinding(const Widget& control, QWidget* widget, TwipsRect designPlace)
    : control_(control), widget_(widget), designPlace_(designPlace) {
  widget_->setObjectName(QString::fromStdString(control.name()));
}

void WidgetBinding::render(Change what) {
  switch (what) {
    case Change::Placement:
      renderPlacement();
      break;
    case Change::Visible:
      widget_->setVisible(control_.visible);
      break;
    case Change::Enabled:
      widget_->setEnabled(control_.enabled);
      break;
    case Change::ToolTip:
      renderToolTip(fromWindows1252(control_.toolTipText));
      break;
    default:
      renderContent(what);
  }
}

void WidgetBinding::renderAll() {
  renderPlacement();
  widget_->setEnabled(control_.enabled);
  renderToolTip(fromWindows1252(control_.toolTipText));
  renderAllContent();
  widget_->setVisible(control_.visible);
}

void WidgetBinding::renderToolTip(const QString& text) {
  widget_->setToolTip(text);
}

void WidgetBinding::renderPlacement() {
  const TwipsRect& place = control_.place.get();
  widget_->setGeometry(pixelRect(place.width > 0 ? place : designPlace_));
}

}  // namespace rotaryn
