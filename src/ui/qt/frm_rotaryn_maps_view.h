#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include <QWidget>

#include "ui/controls.h"

namespace rotaryn {

class frmRotarynMaps;
class ControlBinding;
class GridBinding;
class PopupMenuBinding;
class TabBinding;

// The Qt window of frmRotarynMaps. It builds one widget per control of the model, shows what
// the model holds and every change it announces, and hands the user's input to the model's
// handlers. It has no behaviour of its own.
//
// The window follows the model's placement: it moves into the host's container named by the
// model's parent window id, takes the model's pixel rectangle there, and shows or hides with
// it. The view must be destroyed before the model it shows.
class FrmRotarynMapsView final : public QWidget, private ControlObserver {
 public:
  explicit FrmRotarynMapsView(frmRotarynMaps& model, QWidget* parent = nullptr);
  ~FrmRotarynMapsView() override;
  FrmRotarynMapsView(const FrmRotarynMapsView&) = delete;
  FrmRotarynMapsView& operator=(const FrmRotarynMapsView&) = delete;

  frmRotarynMaps& model() const { return model_; }
  // The widget that shows a control, by the control's name; null for an unknown name.
  QWidget* widgetOf(const std::string& control) const;
  GridBinding* gridOf(const std::string& control) const;
  PopupMenuBinding* popupMenu() const { return popupMenu_; }

 private:
  void controlChanged(const std::string& control, Change what) override;
  void build();
  template <class Binding, class Control>
  Binding& add(Control& control);
  template <class Binding, class Control>
  Binding& addWithWindow(Control& control);
  QWidget* containerOf(const Widget& control) const;
  void connectGridInput();
  void renderWindow();

  frmRotarynMaps& model_;
  std::map<std::string, std::unique_ptr<ControlBinding>, std::less<>> bindings_;
  std::map<std::string, QWidget*, std::less<>> containers_;
  TabBinding* tabs_ = nullptr;
  PopupMenuBinding* popupMenu_ = nullptr;
  int64_t hostWindow_ = 0;
};

}  // namespace rotaryn
