#include "ui/frm_rotaryn_maps.h"

#include "plugin/module.h"

namespace rotaryn {

frmRotarynMaps::frmRotarynMaps(Module& module) : module_(module) {
  Form_Load();
}

frmRotarynMaps::~frmRotarynMaps() = default;

void frmRotarynMaps::move(int leftPx, int topPx, int widthPx, int heightPx) {
  placementPx_ = {leftPx, topPx, widthPx, heightPx};
}

void frmRotarynMaps::setParentWindow(int64_t hostWindowId) {
  parentWindow_ = hostWindowId;
}

void frmRotarynMaps::show() {
  visible_ = true;
}

void frmRotarynMaps::hide() {
  visible_ = false;
}

void frmRotarynMaps::Form_Load() {}

void frmRotarynMaps::Form_Reload() {}

void frmRotarynMaps::Form_Unload() {
  module_.ports.timers.destroyAll();
}

void frmRotarynMaps::BuildTasks(int32_t) {
  // The task list comes with the task scheduler; until then the grid keeps its header only.
}

}  // namespace rotaryn
