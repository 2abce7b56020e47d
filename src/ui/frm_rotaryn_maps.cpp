#include "ui/frm_rotaryn_maps.h"

#include "catalogue/custom_map_menu.h"
#include "catalogue/stock_catalogue.h"
#include "control/game_commands.h"
#include "control/score_limits.h"
#include "errors/error_report.h"
#include "formats/task_dates.h"
#include "memory/server_fields.h"
#include "memory/update_maps.h"
#include "plugin/module.h"
#include "store/map_list.h"
#include "store/map_settings.h"
#include "ui/background_paint.h"

namespace rotaryn {

frmRotarynMaps::frmRotarynMaps(Module& module)
    : module_(module),
      imageButtons_(std::make_unique<ImageButtons>(controls_, module.ports.files, module.RootFolder,
                                                   module.ports.screen)) {
  fillMenusAndLists();
  bindActions();
  Form_Load();
}

frmRotarynMaps::~frmRotarynMaps() = default;

void frmRotarynMaps::move(int leftPx, int topPx, int widthPx, int heightPx) {
  placementPx_ = {leftPx, topPx, widthPx, heightPx};
  controls_.notifier().notify("frmRotarynMaps", Change::Placement);
}

void frmRotarynMaps::setParentWindow(int64_t hostWindowId) {
  parentWindow_ = hostWindowId;
}

void frmRotarynMaps::show() {
  visible_ = true;
  controls_.notifier().notify("frmRotarynMaps", Change::Visible);
}

void frmRotarynMaps::setEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  controls_.notifier().notify("frmRotarynMaps", Change::Enabled);
}

void frmRotarynMaps::hide() {
  visible_ = false;
  controls_.notifier().notify("frmRotarynMaps", Change::Visible);
}

void frmRotarynMaps::trapped(const char* procedure, const std::function<void(ErrorTrap&)>& body) {
  ErrorTrap trap = module_.trap(procedure, module_.CurrentProfile);
  trap.run([&] { body(trap); });
}

void frmRotarynMaps::fillMenusAndLists() {
  // A menu's items are the controls designed inside it.
  for (Control* control : controls()) {
    if (control->design()->kind != ControlKind::MenuItem) continue;
    for (Control* menu : controls()) {
      if (menu->name() == control->design()->container) {
        static_cast<Menu*>(menu)->items.push_back(static_cast<MenuItem*>(control));
      }
    }
  }
  for (ComboBox* box : {&cboAddFrequency, &cboEditFrequency}) {
    for (std::string_view item : formats::kTaskFrequencies) box->addItem(std::string(item));
  }
  for (ComboBox* box : {&cboAddFile, &cboEditFile}) box->addItem("Random");
}

void frmRotarynMaps::Form_Load() {
  setUpGrids();
  InstallBackgroundPainting(ssmTab, Picture1);
  buildButtons();

  DateTime now = module_.ports.clock.now();
  dtAddDate.value = DateTime{now.year, now.month, now.day, 0, 0, 0};
  dtAddTime.value = DateTime{now.year, now.month, now.day, now.hour, 0, 0};

  cboEditFrequency.text = std::string(formats::kOnce);
  cboAddFrequency.text = std::string(formats::kOnce);
  cboEditFile.text = "Random";
  cboAddFile.text = "Random";

  for (int type = 0; type < kGameTypeCount; ++type) {
    GameTypeNames[static_cast<size_t>(type)] = std::string(formats::kGameTypeNames[type]);
  }
}

void frmRotarynMaps::setUpGrids() {
  mfgList.setColWidth(0, 3700);
  mfgList.setColAlignment(0, kAlignLeftCenter);
  mfgCurrent.setColWidth(0, 3250);
  mfgCurrent.setColAlignment(0, kAlignLeftCenter);

  constexpr const char* kTaskTitles[] = {"Date & Time", "Frequency", "File"};
  constexpr int kTaskWidths[] = {1700, 900, 1250};
  for (int col = 0; col < 3; ++col) {
    mfgTask.setTextMatrix(0, col, kTaskTitles[col]);
    mfgTask.setColWidth(col, kTaskWidths[col]);
    mfgTask.setColAlignment(col, kAlignLeftCenter);
  }
}

// The fourteen push buttons, in the design's order, each its image first and its label second;
// their captions and places are designed.
void frmRotarynMaps::buildButtons() {
  std::vector<Button*> buttons;
  for (Control* control : controls()) {
    if (control->design()->kind == ControlKind::Button)
      buttons.push_back(static_cast<Button*>(control));
  }
  for (Button* button : buttons) {
    const ControlDesign& design = *button->design();
    const TwipsRect& p = design.place;
    const std::string container(design.container);
    imageButtons_->CreateImage(p.width, p.height, p.left, p.top, design.enabledAtLoad, true,
                               button->name() + "Img", container);
    imageButtons_->CreateLabel(p.width, p.height, p.left, p.top, design.enabledAtLoad, true,
                               std::string(design.caption), button->name(), container, 0);
  }
}

void frmRotarynMaps::bindActions() {
  cmdAdd.action = [this] { cmdAdd_Click(); };
  cmdRemove.action = [this] { cmdRemove_Click(); };
  cmdUp.action = [this] { cmdUp_Click(); };
  cmdDown.action = [this] { cmdDown_Click(); };
  cmdGtLeft.action = [this] { cmdGtLeft_Click(); };
  cmdGtRight.action = [this] { cmdGtRight_Click(); };
  cmdRandomize.action = [this] { cmdRandomize_Click(); };
  cmdSkip.action = [this] { cmdSkip_Click(module_); };
  cmdScore.action = [this] { cmdScore_Click(module_); };
  cmdPlay.action = [this] { cmdPlay_Click(module_); };
  cmdSave.action = [this] { cmdSave_Click(module_); };
  cmdLoad.action = [this] { cmdLoad_Click(module_); };
  cmdAddTask.action = [this] { cmdAddTask_Click(); };
  cmdEditTask.action = [this] { cmdEditTask_Click(); };
  mnuAdd.action = [this] { mnuAdd_Click(module_); };
  mnuDelete.action = [this] { mnuDelete_Click(module_); };
  cmdUpdate.action = [this] { cmdUpdateProc_Click(module_, false); };
  chkAutoLoad.value.onChange([this] {
    if (!showingSettings_) chkAutoLoad_Click(module_);
  });
  sldTimer.value.onChange([this] {
    if (!showingSettings_) sldTimer_Change(module_);
  });
  txtTkoth.text.onChange(LimitBoxChange(module_, txtTkoth, kKothLimitBox));
  txtTdm.text.onChange(LimitBoxChange(module_, txtTdm, kKillLimitBox));
  txtFb.text.onChange(LimitBoxChange(module_, txtFb, kFlagballLimitBox));
}

void frmRotarynMaps::Form_Unload() {
  RemoveBackgroundPainting(ssmTab);
  module_.ports.timers.destroyAll();
}

void frmRotarynMaps::buttonMouseDown(Button& button, MouseButton mouse, int, float, float) {
  if (!button.enabled || mouse != MouseButton::Left) return;
  if (imageButtons_->imageOf(button) != nullptr) {
    imageButtons_->SetState("Down", button.name() + "Img");
  }
}

void frmRotarynMaps::buttonMouseUp(Button& button, MouseButton mouse, int, float, float) {
  if (!button.enabled) return;
  if (mouse == MouseButton::Left && imageButtons_->imageOf(button) != nullptr) {
    imageButtons_->SetState("Up", button.name() + "Img");
  }
  if (button.action) button.action();
}

void frmRotarynMaps::imageMouseDown(Image& image, MouseButton mouse, int shift, float x, float y) {
  imageButtons_->imageMouseDown(*this, image, mouse, shift, x, y);
}

void frmRotarynMaps::imageMouseUp(Image& image, MouseButton mouse, int shift, float x, float y) {
  imageButtons_->imageMouseUp(*this, image, mouse, shift, x, y);
}

void frmRotarynMaps::refreshMapCapacity(int32_t index) {
  writeLong(module_, index, "MaxMaps", 255);
  MaxMapsLimit = readLong(module_, index, "MaxMaps");
}

}  // namespace rotaryn
