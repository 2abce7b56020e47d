#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "ui/flex_grid.h"
#include "ui/window_part.h"

namespace rotaryn {

// The rotation editor: the map list of a game type (the "Available Maps" tab and its pop-up
// menu), the current rotation beside it, and the buttons between and beside them.
class RotationEditor : protected virtual WindowPart {
 public:
  // The editing buttons' actions, each trapped under the button's name.
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

  // Filling the grids: the maps of a game type from the catalogue, the rotation from the
  // module's current list.
  void SetMaps(int gameType);
  void FillCurrentGrid();
  // Reads a map-list file into the current list and the grid, telling of what it could not use.
  void LoadFile(const std::string& path);

  // What code outside the window reads and shows, as values.
  std::vector<RotationRow> currentRows() const;
  int currentRowCount() const { return mfgCurrent.Rows(); }
  // The rows as Save Maps walks them: each selected in turn, so the last stays selected.
  std::vector<RotationRow> selectEachCurrentRow();
  // The rotation position before the selected row (the last for the first), where Play Next
  // sets the server so that the selected map comes next.
  int32_t positionBeforeSelected() const;
  // The map list's selected row as shown; empty when none.
  std::string selectedListEntry() const;
  // "loaded / capacity" under the current maps.
  void showLoadedCount(long loaded);

  // The server's map capacity as read back after writing 255 to "MaxMaps".
  int32_t MaxMapsLimit = 0;
  std::array<std::string, kGameTypeCount> GameTypeNames{};

  Frame Frame5{controls_, windowControlDesign<Frame>("Frame5")};
  Button cmdAdd{controls_, windowControlDesign<Button>("cmdAdd")};
  Button cmdRemove{controls_, windowControlDesign<Button>("cmdRemove")};
  Frame Frame4{controls_, windowControlDesign<Frame>("Frame4")};
  Button cmdUp{controls_, windowControlDesign<Button>("cmdUp")};
  Button cmdDown{controls_, windowControlDesign<Button>("cmdDown")};
  // A picture button: no caption, acts on click.
  Button cmdRandomize{controls_, windowControlDesign<Button>("cmdRandomize")};

  Frame Frame1{controls_, windowControlDesign<Frame>("Frame1")};
  Button cmdGtLeft{controls_, windowControlDesign<Button>("cmdGtLeft")};
  TextBox txtGametype{controls_, windowControlDesign<TextBox>("txtGametype")};
  Button cmdGtRight{controls_, windowControlDesign<Button>("cmdGtRight")};
  FlexGrid mfgList{controls_, windowControlDesign<FlexGrid>("mfgList"), 1, 0};

  Frame Frame2{controls_, windowControlDesign<Frame>("Frame2")};
  FlexGrid mfgCurrent{controls_, windowControlDesign<FlexGrid>("mfgCurrent"), 1, 0};
  Label lblSelected{controls_, windowControlDesign<Label>("lblSelected")};
  Label lblSnum{controls_, windowControlDesign<Label>("lblSnum")};
  Label lblTotal{controls_, windowControlDesign<Label>("lblTotal")};
  Label lblTnum{controls_, windowControlDesign<Label>("lblTnum")};

  Menu mnuMain{controls_, windowControlDesign<Menu>("mnuMain")};
  MenuItem mnuAdd{controls_, windowControlDesign<MenuItem>("mnuAdd")};
  MenuItem mnuDelete{controls_, windowControlDesign<MenuItem>("mnuDelete")};

 protected:
  explicit RotationEditor(Module& module);
  ~RotationEditor() = default;

  void setUpRotationGrids();
  // Raises the profile's server map limit to 255 and keeps what the server accepted.
  void refreshMapCapacity(int32_t index);

 private:
  // cmdAdd's steps, shared with the drop on mfgCurrent; the text of the last map added, if any.
  std::optional<std::string> cmdAddSteps(ErrorTrap& trap);
  // cmdUp (-1) and its mirror cmdDown (+1).
  void cmdUpDownSteps(ErrorTrap& trap, int direction);
  // cmdGtLeft (-1) and its mirror cmdGtRight (+1).
  void cmdGtLeftRightSteps(ErrorTrap& trap, int direction);

  bool dragging_ = false;
};

}  // namespace rotaryn
