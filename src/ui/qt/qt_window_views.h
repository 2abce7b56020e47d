#pragma once

#include "plugin/module.h"

namespace rotaryn {

// Views of the window in Qt widgets, made only inside a Qt application with widgets: the view
// places itself into the host's container window named by its native id.
class QtWindowViews final : public WindowViews {
 public:
  std::unique_ptr<WindowView> create(frmRotarynMaps& window) override;
};

}  // namespace rotaryn
