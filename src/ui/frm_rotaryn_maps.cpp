#include "ui/frm_rotaryn_maps.h"

#include "catalogue/stock_catalogue.h"
#include "errors/error_report.h"
#include "memory/server_fields.h"
#include "plugin/module.h"

namespace rotaryn {
namespace {

struct ButtonLayout {
  Button frmRotarynMaps::*button;
  const char* caption;
  TwipsRect place;
  bool enabled;
};

// The fourteen push buttons in the order they are built.
constexpr ButtonLayout kButtons[] = {
    {&frmRotarynMaps::cmdSkip, "Skip Map", {360, 320, 1335, 495}, true},
    {&frmRotarynMaps::cmdScore, "Score Map", {2030, 320, 1335, 495}, true},
    {&frmRotarynMaps::cmdPlay, "Play Next", {3690, 320, 1335, 495}, true},
    {&frmRotarynMaps::cmdUpdate, "Update Maps", {5470, 320, 1335, 495}, true},
    {&frmRotarynMaps::cmdSave, "Save Maps", {7140, 320, 1335, 495}, true},
    {&frmRotarynMaps::cmdLoad, "Load Maps", {8810, 320, 1335, 495}, true},
    {&frmRotarynMaps::cmdAdd, ">>", {120, 420, 495, 375}, true},
    {&frmRotarynMaps::cmdRemove, "<<", {120, 1060, 495, 375}, true},
    {&frmRotarynMaps::cmdUp, "+", {120, 420, 495, 375}, true},
    {&frmRotarynMaps::cmdDown, "-", {120, 1060, 495, 375}, true},
    {&frmRotarynMaps::cmdGtLeft, "<", {1180, 280, 255, 320}, true},
    {&frmRotarynMaps::cmdGtRight, ">", {3350, 280, 255, 320}, true},
    {&frmRotarynMaps::cmdEditTask, "Edit Task", {3090, 800, 1215, 495}, false},
    {&frmRotarynMaps::cmdAddTask, "Add Task", {3090, 800, 1215, 495}, true},
};

}  // namespace

frmRotarynMaps::frmRotarynMaps(Module& module) : module_(module) {
  setDesignTimeTexts();
  bindActions();
  Form_Load();
}

frmRotarynMaps::~frmRotarynMaps() = default;

void frmRotarynMaps::move(int leftPx, int topPx, int widthPx, int heightPx) {
  placementPx_ = {leftPx, topPx, widthPx, heightPx};
  notifier_.notify("frmRotarynMaps", Change::Placement);
}

void frmRotarynMaps::setParentWindow(int64_t hostWindowId) {
  parentWindow_ = hostWindowId;
}

void frmRotarynMaps::show() {
  visible_ = true;
  notifier_.notify("frmRotarynMaps", Change::Visible);
}

void frmRotarynMaps::hide() {
  visible_ = false;
  notifier_.notify("frmRotarynMaps", Change::Visible);
}

void frmRotarynMaps::trapped(const char* procedure, const std::function<void(ErrorTrap&)>& body) {
  ErrorTrap trap = module_.trap(procedure, module_.CurrentProfile);
  trap.run([&] { body(trap); });
}

void frmRotarynMaps::setDesignTimeTexts() {
  Frame1.caption = "Map List";
  txtGametype.text = "Deathmatch";
  chkAutoLoad.caption = "Autoload last known map list on start up.";
  Frame10.caption = "End of Map Display Time";
  Frame8.caption = "Add New Task";
  Label14.caption = "Start Date:";
  Label13.caption = "Start Time:";
  Label12.caption = "Frequency:";
  Label11.caption = "File:";
  Frame9.caption = "Edit Task";
  Label7.caption = "Start Date:";
  Label8.caption = "Start Time:";
  Label9.caption = "Frequency:";
  Label10.caption = "File:";
  Frame7.caption = "Scheduled Tasks";
  Frame2.caption = "Current Maps";
  lblSelected.caption = "Selected Maps:";
  lblTotal.caption = "Total Maps:";
  lblCurMap.caption = "Map playing:";
  Label1.caption = "Scores:";
  Label2.caption = "TKOTH + KOTH:";
  txtTkoth.text = "10";
  Label3.caption = "DM + TDM:";
  txtTdm.text = "500";
  Label4.caption = "FB:";
  txtFb.text = "20";
  cmdRandomize.toolTipText = "Randomize Current Maps List";
  frmOptions.caption = "Options";
  for (ComboBox* box : {&cboAddFrequency, &cboEditFrequency}) {
    for (const char* item : {"Once", "Every Day", "Every Week", "Every Month"}) box->addItem(item);
  }
  for (ComboBox* box : {&cboAddFile, &cboEditFile}) box->addItem("Random");
}

void frmRotarynMaps::Form_Load() {
  setUpGrids();
  // The background painting of the tab control is installed here once it exists.
  buildButtons();

  DateTime now = module_.ports.clock.now();
  dtAddDate.value = DateTime{now.year, now.month, now.day, 0, 0, 0};
  dtAddTime.value = DateTime{now.year, now.month, now.day, now.hour, 0, 0};

  cboEditFrequency.text = "Once";
  cboAddFrequency.text = "Once";
  cboEditFile.text = "Random";
  cboAddFile.text = "Random";

  for (int type = 0; type < kGameTypeCount; ++type) {
    GameTypeNames[static_cast<size_t>(type)] = std::string(rotaryn::GameTypeNames[type]);
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

void frmRotarynMaps::buildButtons() {
  for (const ButtonLayout& layout : kButtons) {
    Button& button = this->*layout.button;
    button.place = layout.place;
    button.enabled = layout.enabled;
    button.visible = true;
    button.caption = layout.caption;
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
  // The game commands, the writing of the rotation, map-list files, tasks and the map-file
  // menu are not built yet: their controls say so instead of silently doing nothing.
  for (Button* button :
       {&cmdSkip, &cmdScore, &cmdPlay, &cmdUpdate, &cmdSave, &cmdLoad, &cmdAddTask, &cmdEditTask}) {
    button->action = [this, button] { notBuiltYet(button->caption); };
  }
  for (MenuItem* item : {&mnuAdd, &mnuDelete}) {
    item->action = [this, item] { notBuiltYet(item->caption); };
  }
}

void frmRotarynMaps::notBuiltYet(const std::string& what) {
  ErrorReport(module_, kReportError,
              "\"" + what + "\" is not available in this version of Rotaryn.", nullptr, 0, 0);
}

void frmRotarynMaps::Form_Unload() {
  // The background painting hook is removed here once it exists.
  module_.ports.timers.destroyAll();
}

void frmRotarynMaps::BuildTasks(int32_t) {
  // The task list comes with the task scheduler; until then the grid keeps its header only.
}

void frmRotarynMaps::buttonMouseDown(Button&, MouseButton, int) {
  // Pressed faces come with the image buttons.
}

void frmRotarynMaps::buttonMouseUp(Button& button, MouseButton, int) {
  if (!button.enabled) return;
  if (button.action) button.action();
}

void frmRotarynMaps::refreshMapCapacity(int32_t index) {
  writeLong(module_, index, "MaxMaps", 255);
  MaxMapsLimit = readLong(module_, index, "MaxMaps");
}

}  // namespace rotaryn
