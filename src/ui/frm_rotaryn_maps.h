#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "memory/score_limits.h"
#include "platform/error_trap.h"
#include "ui/controls.h"
#include "ui/flex_grid.h"

namespace rotaryn {

struct Module;

inline constexpr int32_t kStockBackColor = 0xD0D0D0;
inline constexpr int kGameTypeCount = 9;

// The plug-in's one window, shared by all profiles and always showing CurrentProfile. A plain
// model: controls hold what a view shows, handlers hold all behaviour, a view (src/ui/qt/)
// renders it and forwards input. Profile timers live in the Timers port, not here.
class frmRotarynMaps {
 public:
  // Creating the window runs Form_Load.
  explicit frmRotarynMaps(Module& module);
  ~frmRotarynMaps();
  frmRotarynMaps(const frmRotarynMaps&) = delete;
  frmRotarynMaps& operator=(const frmRotarynMaps&) = delete;

  void subscribe(ControlObserver& observer) { notifier_.subscribe(observer); }
  void unsubscribe(ControlObserver& observer) { notifier_.unsubscribe(observer); }

  // Placement inside the host, as the host asks for it.
  void move(int leftPx, int topPx, int widthPx, int heightPx);
  void setParentWindow(int64_t hostWindowId);
  void show();
  void hide();
  bool isVisible() const { return visible_; }
  int64_t parentWindow() const { return parentWindow_; }
  std::array<int, 4> placementPx() const { return placementPx_; }

  // Life cycle.
  void Form_Load();
  void Form_Reload();
  // Destroys every profile's timers with the window.
  void Form_Unload();
  void BuildTasks(int32_t index);

  // Filling the grids.
  void SetMaps(int gameType);
  void FillCurrentGrid();

  // Input from the view.
  void buttonMouseDown(Button& button, MouseButton mouse, int shift);
  // Runs the button's action whichever mouse button was released; a disabled button does nothing.
  void buttonMouseUp(Button& button, MouseButton mouse, int shift);

  // The rotation editing buttons' actions, each trapped under the button's name.
  void cmdAdd_Click();
  void cmdRemove_Click();
  void cmdUp_Click();
  void cmdDown_Click();
  void cmdGtLeft_Click();
  void cmdGtRight_Click();
  // The picture button acts on a click; nothing while it is disabled.
  void cmdRandomize_Click();

  // Grid input: a double click on mfgList adds, on mfgCurrent removes; "+", "=" and "-" in
  // mfgCurrent move the selected map.
  void mfgList_DblClick();
  void mfgList_MouseDown(MouseButton mouse, int shift, int row);
  void mfgCurrent_DblClick();
  void mfgCurrent_KeyPress(int keyAscii);
  void mfgCurrent_MouseMove(int row);
  void mfgCurrent_DragOver(int row);
  void mfgCurrent_DragDrop(int row);
  // True from a shift-press on mfgList until the drop.
  bool dragging() const { return dragging_; }

  // The server's map capacity as read back after writing 255 to "MaxMaps".
  int32_t MaxMapsLimit = 0;
  std::array<std::string, kGameTypeCount> GameTypeNames{};

 private:
  ChangeNotifier notifier_;

 public:
  TabControl ssmTab{notifier_, "ssmTab", {"Available Maps", "Settings", "Task Scheduler"}};

  Frame Frame1{notifier_, "Frame1", "ssmTab"};
  Button cmdGtLeft{notifier_, "cmdGtLeft", "Frame1"};
  TextBox txtGametype{notifier_, "txtGametype", "Frame1"};
  Button cmdGtRight{notifier_, "cmdGtRight", "Frame1"};
  FlexGrid mfgList{notifier_, "mfgList", "Frame1", 1, 0};

  Frame Frame3{notifier_, "Frame3", "ssmTab"};
  CheckBox chkAutoLoad{notifier_, "chkAutoLoad", "Frame3"};
  Frame Frame10{notifier_, "Frame10", "ssmTab"};
  Slider sldTimer{notifier_, "sldTimer", "Frame10"};
  Label Label15{notifier_, "Label15", "Frame10"};

  Frame Frame8{notifier_, "Frame8", "ssmTab"};
  Label Label14{notifier_, "Label14", "Frame8"};
  DatePicker dtAddDate{notifier_, "dtAddDate", "Frame8", "dd/MM/yyyy"};
  Label Label13{notifier_, "Label13", "Frame8"};
  DatePicker dtAddTime{notifier_, "dtAddTime", "Frame8", "HH:mm:ss"};
  Label Label12{notifier_, "Label12", "Frame8"};
  ComboBox cboAddFrequency{notifier_, "cboAddFrequency", "Frame8"};
  Label Label11{notifier_, "Label11", "Frame8"};
  ComboBox cboAddFile{notifier_, "cboAddFile", "Frame8"};
  Button cmdAddTask{notifier_, "cmdAddTask", "Frame8"};

  Frame Frame9{notifier_, "Frame9", "ssmTab"};
  Label Label7{notifier_, "Label7", "Frame9"};
  DatePicker dtEditDate{notifier_, "dtEditDate", "Frame9", "dd/MM/yyyy"};
  Label Label8{notifier_, "Label8", "Frame9"};
  DatePicker dtEditTime{notifier_, "dtEditTime", "Frame9", "HH:mm:ss"};
  Label Label9{notifier_, "Label9", "Frame9"};
  ComboBox cboEditFrequency{notifier_, "cboEditFrequency", "Frame9"};
  Label Label10{notifier_, "Label10", "Frame9"};
  ComboBox cboEditFile{notifier_, "cboEditFile", "Frame9"};
  Button cmdEditTask{notifier_, "cmdEditTask", "Frame9"};

  Frame Frame7{notifier_, "Frame7", "ssmTab"};
  FlexGrid mfgTask{notifier_, "mfgTask", "Frame7", 3, 1};

  Frame Frame2{notifier_, "Frame2"};
  FlexGrid mfgCurrent{notifier_, "mfgCurrent", "Frame2", 1, 0};
  Label lblSelected{notifier_, "lblSelected", "Frame2"};
  Label lblSnum{notifier_, "lblSnum", "Frame2"};
  Label lblTotal{notifier_, "lblTotal", "Frame2"};
  Label lblTnum{notifier_, "lblTnum", "Frame2"};
  Label lblCurMap{notifier_, "lblCurMap", "Frame2"};
  Label Label1{notifier_, "Label1", "Frame2"};
  Label Label2{notifier_, "Label2", "Frame2"};
  TextBox txtTkoth{notifier_, "txtTkoth", "Frame2"};
  Label Label3{notifier_, "Label3", "Frame2"};
  TextBox txtTdm{notifier_, "txtTdm", "Frame2"};
  Label Label4{notifier_, "Label4", "Frame2"};
  TextBox txtFb{notifier_, "txtFb", "Frame2"};

  Frame Frame5{notifier_, "Frame5"};
  Button cmdAdd{notifier_, "cmdAdd", "Frame5"};
  Button cmdRemove{notifier_, "cmdRemove", "Frame5"};
  Frame Frame4{notifier_, "Frame4"};
  Button cmdUp{notifier_, "cmdUp", "Frame4"};
  Button cmdDown{notifier_, "cmdDown", "Frame4"};
  // A picture button: no caption, acts on click.
  Button cmdRandomize{notifier_, "cmdRandomize"};

  Frame frmOptions{notifier_, "frmOptions"};
  Button cmdSkip{notifier_, "cmdSkip", "frmOptions"};
  Button cmdScore{notifier_, "cmdScore", "frmOptions"};
  Button cmdPlay{notifier_, "cmdPlay", "frmOptions"};
  Button cmdUpdate{notifier_, "cmdUpdate", "frmOptions"};
  Button cmdSave{notifier_, "cmdSave", "frmOptions"};
  Button cmdLoad{notifier_, "cmdLoad", "frmOptions"};

  MenuItem mnuAdd{notifier_, "mnuAdd", "Add New Map to Game Folder"};
  MenuItem mnuDelete{notifier_, "mnuDelete", "Delete Map from Game Folder"};
  Menu mnuMain{notifier_, "mnuMain", "Main", {&mnuAdd, &mnuDelete}};

 private:
  void notBuiltYet(const std::string& what);
  // Runs a window operation under its error trap, for CurrentProfile.
  void trapped(const char* procedure, const std::function<void(ErrorTrap&)>& body);
  void setDesignTimeTexts();
  void setUpGrids();
  void buildButtons();
  void bindActions();
  // Reads (and completes) the profile's Maps.ini entries; returns the "Autoload" value used.
  std::string readDisplaySettings(const std::string& profileFolder);
  // The limits in the three limit boxes; none (a build without limit fields) disables them.
  void showScoreLimits(const std::optional<ScoreLimits>& limits);
  // Raises the profile's server map limit to 255 and keeps what the server accepted.
  void refreshMapCapacity(int32_t index);
  // cmdAdd's steps, shared with the drop on mfgCurrent; the text of the last map added, if any.
  std::optional<std::string> cmdAddSteps(ErrorTrap& trap);
  // cmdUp (-1) and its mirror cmdDown (+1).
  void cmdUpDownSteps(ErrorTrap& trap, int direction);
  // cmdGtLeft (-1) and its mirror cmdGtRight (+1).
  void cmdGtLeftRightSteps(ErrorTrap& trap, int direction);

  Module& module_;
  bool visible_ = false;
  int64_t parentWindow_ = 0;
  std::array<int, 4> placementPx_{};
  bool dragging_ = false;
};

}  // namespace rotaryn
