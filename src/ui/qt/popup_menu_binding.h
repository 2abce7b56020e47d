#pragma once

#include <vector>

#include <QMenu>

#include "ui/qt/control_binding.h"

namespace rotaryn {

class frmRotarynMaps;

// A pop-up menu of the window, shown at the pointer when the model asks for it; choosing an
// entry runs that entry's handler.
class PopupMenuBinding final : public ControlBinding {
 public:
  PopupMenuBinding(frmRotarynMaps& window, Menu& menu, QWidget* parent);

  void render(Change what) override;
  void renderAll() override;
  QMenu* menu() const { return widget_; }
  // Renders the entry named control; false when it is none of this menu's entries.
  bool renderItem(const std::string& control, Change what);

 private:
  void renderEntry(size_t entry);

  Menu& menu_;
  QMenu* widget_;
  std::vector<QAction*> actions_;
};

}  // namespace rotaryn
