#pragma once

#include <cstdint>

#include "ui/flex_grid.h"
#include "ui/window_part.h"

namespace rotaryn {

// The "Task Scheduler" tab: a new task, the task editor and the grid of scheduled tasks.
class TaskScheduler : protected virtual WindowPart {
 public:
  // The two buttons, Backspace on the task grid (delete after a confirmation), a click on a
  // task row (into the editor) and a release over the header row (sort). Rows are the grid's
  // rows under the mouse.
  void cmdAddTask_Click();
  void cmdEditTask_Click();
  void mfgTask_KeyPress(int keyAscii);
  void mfgTask_Click(int mouseRow);
  void mfgTask_MouseUp(MouseButton mouse, int shift, int mouseRow);
  // Lists the profile's tasks in mfgTask and its map-list files in the two file boxes.
  void BuildTasks(int32_t index);

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

 protected:
  explicit TaskScheduler(Module& module);
  ~TaskScheduler() = default;

  void setUpTaskGrid();
  // A new task starts today at the current hour, once, with a random list.
  void showNewTaskDefaults();

 private:
  // Shows or hides the task editor (Frame9, its labels, pickers, boxes and Edit Task).
  void showTaskEditor(bool shown);
};

}  // namespace rotaryn
