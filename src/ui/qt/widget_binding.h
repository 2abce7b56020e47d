#pragma once

#include <QWidget>

#include "ui/controls.h"
#include "ui/qt/control_binding.h"

namespace rotaryn {

// The part every placed control shares: place, visibility, enabled state and tool-tip. A
// control the model has not placed keeps the place given by the window's design.
class WidgetBinding : public ControlBinding {
 public:
  WidgetBinding(const Widget& control, QWidget* widget, TwipsRect designPlace);

  void render(Change what) override;
  void renderAll() override;
  QWidget* widget() const { return widget_; }

 protected:
  // Shows the control's own properties (caption, text, value, ...).
  virtual void renderContent(Change what) = 0;
  virtual void renderAllContent() = 0;
  virtual void renderToolTip(const QString& text);

 private:
  void renderPlacement();

  const Widget& control_;
  QWidget* widget_;
  TwipsRect designPlace_;
};

}  // namespace rotaryn
