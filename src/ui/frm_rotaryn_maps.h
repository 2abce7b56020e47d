#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "memory/score_limits.h"
#include "platform/error_trap.h"
#include "ui/controls.h"
#include "ui/flex_grid.h"
#include "ui/image_buttons.h"
#include "ui/window_controls_table.h"

namespace rotaryn {

struct Module;

inline constexpr int32_t kStockBackColor = 0xD0D0D0;
inline constexpr int kGameTypeCount = 9;

// The plug-in's one window, shared by all profiles and always showing CurrentProfile. A plain
// model: controls hold what a view shows, handlers hold all behaviour, a view (src/ui/qt/)
// renders it and forwards input. Profile timers live in the Timers port, not here.
class frmRotarynMaps final : public ButtonLabelEvents {
 public:
  // Creating the window runs Form_Load.
  explicit frmRotarynMaps(Module& module);
  ~frmRotarynMaps() override;
  frmRotarynMaps(const frmRotarynMaps&) = delete;
  frmRotarynMaps& operator=(const frmRotarynMaps&) = delete;

  void subscribe(ControlObserver& observer) { controls_.notifier().subscribe(observer); }
  void unsubscribe(ControlObserver& observer) { controls_.notifier().unsubscribe(observer); }

  // Placement inside the host, as the host asks for it.
  void move(int leftPx, int topPx, int widthPx, int heightPx);
  void setParentWindow(int64_t hostWindowId);
  void show();
  void hide();
  bool isVisible() const { return visible_; }
  // A disabled window takes no input (its Enabled property).
  void setEnabled(bool enabled);
  bool isEnabled() const { return enabled_; }
  int64_t parentWindow() const { return parentWindow_; }
  std::array<int, 4> placementPx() const { return placementPx_; }

  // Life cycle.
  void Form_Load();
  void Form_Reload();
  // Destroys every profile's timers with the window.
  void Form_Unload();
  // Lists the profile's tasks in mfgTask and its map-list files in the two file boxes.
  void BuildTasks(int32_t index);
  // Reads a map-list file into the current list and the grid, telling of what it could not use.
  void LoadFile(const std::string& path);

  // Filling the grids.
  void SetMaps(int gameType);
  void FillCurrentGrid();

  // Input from the view. A button's label: the left button shows the pressed face while held;
  // a release restores it (left button) and runs the action, whichever button was released. A
  // disabled button does nothing. A button's image hands its events to its label.
  void buttonMouseDown(Button& button, MouseButton mouse, int shift, float x = 0,
                       float y = 0) override;
  void buttonMouseUp(Button& button, MouseButton mouse, int shift, float x = 0,
                     float y = 0) override;
  void imageMouseDown(Image& image, MouseButton mouse, int shift, float x = 0, float y = 0);
  void imageMouseUp(Image& image, MouseButton mouse, int shift, float x = 0, float y = 0);
  ImageButtons& imageButtons() { return *imageButtons_; }

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
  // The Task Scheduler tab: the two buttons, Backspace on the task grid (delete after a
  // confirmation), a click on a task row (into the editor) and a release over the header row
  // (sort). Rows are the grid's rows under the mouse.
  void cmdAddTask_Click();
  void cmdEditTask_Click();
  void mfgTask_KeyPress(int keyAscii);
  void mfgTask_Click(int mouseRow);
  void mfgTask_MouseUp(MouseButton mouse, int shift, int mouseRow);
  // True from a shift-press on mfgList until the drop.
  bool dragging() const { return dragging_; }

  // The server's map capacity as read back after writing 255 to "MaxMaps".
  int32_t MaxMapsLimit = 0;
  std::array<std::string, kGameTypeCount> GameTypeNames{};

 private:
  ControlSet controls_;

 public:
  // Every control below, declared in the order of the window's design (kWindowControls), which
  // gives each its name, container, place and caption.
  const std::vector<Control*>& controls() const { return controls_.roster(); }

  Frame frmOptions{controls_, windowControlDesign<Frame>("frmOptions")};
  Button cmdSkip{controls_, windowControlDesign<Button>("cmdSkip")};
  Button cmdScore{controls_, windowControlDesign<Button>("cmdScore")};
  Button cmdPlay{controls_, windowControlDesign<Button>("cmdPlay")};
  Button cmdUpdate{controls_, windowControlDesign<Button>("cmdUpdate")};
  Button cmdSave{controls_, windowControlDesign<Button>("cmdSave")};
  Button cmdLoad{controls_, windowControlDesign<Button>("cmdLoad")};

  Frame Frame5{controls_, windowControlDesign<Frame>("Frame5")};
  Button cmdAdd{controls_, windowControlDesign<Button>("cmdAdd")};
  Button cmdRemove{controls_, windowControlDesign<Button>("cmdRemove")};

  Frame Frame4{controls_, windowControlDesign<Frame>("Frame4")};
  Button cmdUp{controls_, windowControlDesign<Button>("cmdUp")};
  Button cmdDown{controls_, windowControlDesign<Button>("cmdDown")};

  // A picture button: no caption, acts on click.
  Button cmdRandomize{controls_, windowControlDesign<Button>("cmdRandomize")};

  TabControl ssmTab{controls_, windowControlDesign<TabControl>("ssmTab")};

  Frame Frame1{controls_, windowControlDesign<Frame>("Frame1")};
  Button cmdGtLeft{controls_, windowControlDesign<Button>("cmdGtLeft")};
  TextBox txtGametype{controls_, windowControlDesign<TextBox>("txtGametype")};
  Button cmdGtRight{controls_, windowControlDesign<Button>("cmdGtRight")};
  FlexGrid mfgList{controls_, windowControlDesign<FlexGrid>("mfgList"), 1, 0};

  Frame Frame3{controls_, windowControlDesign<Frame>("Frame3")};
  CheckBox chkAutoLoad{controls_, windowControlDesign<CheckBox>("chkAutoLoad")};

  Frame Frame10{controls_, windowControlDesign<Frame>("Frame10")};
  Slider sldTimer{controls_, windowControlDesign<Slider>("sldTimer")};
  Label Label15{controls_, windowControlDesign<Label>("Label15")};

  Frame Frame9{controls_, windowControlDesign<Frame>("Frame9")};
  Label Label7{controls_, windowControlDesign<Label>("Label7")};
  DatePicker dtEditDate{controls_, windowControlDesign<DatePicker>("dtEditDate")};
  Label Label8{controls_, windowControlDesign<Label>("Label8")};
  DatePicker dtEditTime{controls_, windowControlDesign<DatePicker>("dtEditTime")};
  Label Label9{controls_, windowControlDesign<Label>("Label9")};
  ComboBox cboEditFrequency{controls_, windowControlDesign<ComboBox>("cboEditFrequency")};
  Label Label10{controls_, windowControlDesign<Label>("Label10")};
  ComboBox cboEditFile{controls_, windowControlDesign<ComboBox>("cboEditFile")};
  Button cmdEditTask{controls_, windowControlDesign<Button>("cmdEditTask")};

  Frame Frame8{controls_, windowControlDesign<Frame>("Frame8")};
  Label Label14{controls_, windowControlDesign<Label>("Label14")};
  DatePicker dtAddDate{controls_, windowControlDesign<DatePicker>("dtAddDate")};
  Label Label13{controls_, windowControlDesign<Label>("Label13")};
  DatePicker dtAddTime{controls_, windowControlDesign<DatePicker>("dtAddTime")};
  Label Label12{controls_, windowControlDesign<Label>("Label12")};
  ComboBox cboAddFrequency{controls_, windowControlDesign<ComboBox>("cboAddFrequency")};
  Label Label11{controls_, windowControlDesign<Label>("Label11")};
  ComboBox cboAddFile{controls_, windowControlDesign<ComboBox>("cboAddFile")};
  Button cmdAddTask{controls_, windowControlDesign<Button>("cmdAddTask")};

  Frame Frame7{controls_, windowControlDesign<Frame>("Frame7")};
  FlexGrid mfgTask{controls_, windowControlDesign<FlexGrid>("mfgTask"), 3, 1};

  Frame Frame2{controls_, windowControlDesign<Frame>("Frame2")};
  FlexGrid mfgCurrent{controls_, windowControlDesign<FlexGrid>("mfgCurrent"), 1, 0};
  Label lblSelected{controls_, windowControlDesign<Label>("lblSelected")};
  Label lblSnum{controls_, windowControlDesign<Label>("lblSnum")};
  Label lblTotal{controls_, windowControlDesign<Label>("lblTotal")};
  Label lblTnum{controls_, windowControlDesign<Label>("lblTnum")};
  Label lblCurMap{controls_, windowControlDesign<Label>("lblCurMap")};
  Label Label1{controls_, windowControlDesign<Label>("Label1")};
  Label Label2{controls_, windowControlDesign<Label>("Label2")};
  TextBox txtTkoth{controls_, windowControlDesign<TextBox>("txtTkoth")};
  Label Label3{controls_, windowControlDesign<Label>("Label3")};
  TextBox txtTdm{controls_, windowControlDesign<TextBox>("txtTdm")};
  Label Label4{controls_, windowControlDesign<Label>("Label4")};
  TextBox txtFb{controls_, windowControlDesign<TextBox>("txtFb")};

  PictureBox Picture1{controls_, windowControlDesign<PictureBox>("Picture1")};

  Menu mnuMain{controls_, windowControlDesign<Menu>("mnuMain")};
  MenuItem mnuAdd{controls_, windowControlDesign<MenuItem>("mnuAdd")};
  MenuItem mnuDelete{controls_, windowControlDesign<MenuItem>("mnuDelete")};

 private:
  // Shows or hides the task editor (Frame9, its labels, pickers, boxes and Edit Task).
  void showTaskEditor(bool shown);
  // Runs a window operation under its error trap, for CurrentProfile.
  void trapped(const char* procedure, const std::function<void(ErrorTrap&)>& body);
  void fillMenusAndLists();
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
  // Made before Form_Load; the images it makes are controls of the window from then on.
  std::unique_ptr<ImageButtons> imageButtons_;
  bool visible_ = false;
  bool enabled_ = true;
  int64_t parentWindow_ = 0;
  std::array<int, 4> placementPx_{};
  bool dragging_ = false;
  // Set while a reload shows the stored settings: showing them is not the operator's change.
  bool showingSettings_ = false;
};

}  // namespace rotaryn
