#include "ui/qt/qt_window_views.h"

#include <QApplication>

#include "ui/qt/frm_rotaryn_maps_view.h"

namespace rotaryn {
namespace {

class QtWindowView final : public WindowView {
 public:
  // Named as the window is named, so a host or a test can find it in its container.
  explicit QtWindowView(frmRotarynMaps& window) : view_(window) {
    view_.setObjectName(QStringLiteral("frmRotarynMaps"));
  }

 private:
  FrmRotarynMapsView view_;
};

}  // namespace

std::unique_ptr<WindowView> QtWindowViews::create(frmRotarynMaps& window) {
  // A host on a console event loop (headless, scripts) shows no window.
  if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) return nullptr;
  return std::make_unique<QtWindowView>(window);
}

}  // namespace rotaryn
