#pragma once

#include <any>

#include <QTabWidget>

#include "ui/background_paint.h"

namespace rotaryn {

// The tab control's widget, with an event procedure that can be replaced as a window procedure
// can: every event goes through `procedure`, painting as WM_PAINT (wParam 0, lParam the paint
// event) and any other event as kQtEventMessage + its type (wParam the event). Its own
// procedure paints into the Bitmap a WM_PAINT's wParam points to, when it is not 0. Named
// properties are the widget's dynamic properties.
class PaintedTabWidget final : public QTabWidget, public paint::HookedWindow {
 public:
  static constexpr uint32_t kQtEventMessage = 0x8000;

  explicit PaintedTabWidget(QWidget* parent);

  // The widget's own procedure, as it was before any hook.
  paint::Procedure ownProcedure();

  paint::Procedure setProcedure(paint::Procedure procedure) override;
  void setProperty(const std::string& name, std::any value) override;
  std::any property(const std::string& name) const override;
  void removeProperty(const std::string& name) override;
  int clientWidth() const override { return width(); }
  int clientHeight() const override { return height(); }
  void present(const paint::Bitmap& image) override;

 protected:
  bool event(QEvent* event) override;

 private:
  void paintInto(paint::Bitmap& image);

  paint::Procedure procedure_;
  // Set while a paint event is being handled, when the widget may be painted on.
  QPaintEvent* painting_ = nullptr;
};

// The 0xAARRGGBB pixels of a Bitmap seen as a Qt image, without a copy.
QImage imageOf(const paint::Bitmap& bitmap);

}  // namespace rotaryn
