#include "ui/task_scheduler.h"

#include <strings.h>
#include <algorithm>

#include "errors/error_report.h"
#include "formats/task_dates.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "store/profile_paths.h"
#include "store/task_file.h"
#include "tasks/task_dates.h"
#include "tasks/task_runner.h"
#include "tasks/task_store.h"

namespace rotaryn {
namespace {

constexpr int kBackspace = 8;

// The grid's generic order: two numbers by value, anything else as text without regard to case.
int genericCompare(const std::string& a, const std::string& b) {
  std::optional<double> x = vb::parseNumber(a);
  std::optional<double> y = vb::parseNumber(b);
  if (x && y) return *x < *y ? -1 : (*x > *y ? 1 : 0);
  return strcasecmp(a.c_str(), b.c_str());
}

}  // namespace

TaskScheduler::TaskScheduler(Module& module) : WindowPart(module) {
  for (ComboBox* box : {&cboAddFrequency, &cboEditFrequency}) {
    for (std::string_view item : formats::kTaskFrequencies) box->addItem(std::string(item));
  }
  for (ComboBox* box : {&cboAddFile, &cboEditFile}) box->addItem("Random");
  cmdAddTask.action = [this] { cmdAddTask_Click(); };
  cmdEditTask.action = [this] { cmdEditTask_Click(); };
}

void TaskScheduler::setUpTaskGrid() {
  constexpr const char* kTaskTitles[] = {"Date & Time", "Frequency", "File"};
  constexpr int kTaskWidths[] = {1700, 900, 1250};
  for (int col = 0; col < 3; ++col) {
    mfgTask.setTextMatrix(0, col, kTaskTitles[col]);
    mfgTask.setColWidth(col, kTaskWidths[col]);
    mfgTask.setColAlignment(col, kAlignLeftCenter);
  }
}

void TaskScheduler::showNewTaskDefaults() {
  DateTime now = module_.ports.clock.now();
  dtAddDate.value = DateTime{now.year, now.month, now.day, 0, 0, 0};
  dtAddTime.value = DateTime{now.year, now.month, now.day, now.hour, 0, 0};
  cboEditFrequency.text = std::string(formats::kOnce);
  cboAddFrequency.text = std::string(formats::kOnce);
  cboEditFile.text = "Random";
  cboAddFile.text = "Random";
}

void TaskScheduler::showTaskEditor(bool shown) {
  for (Widget* control :
       std::initializer_list<Widget*>{&Frame9, &Label7, &Label8, &Label9, &Label10, &dtEditDate,
                                      &dtEditTime, &cboEditFrequency, &cboEditFile, &cmdEditTask}) {
    control->visible = shown;
  }
  // The edit button only makes sense with a task loaded into the editor.
  cmdEditTask.enabled = shown;
}

void TaskScheduler::cmdAddTask_Click() {
  trapped("cmdAddTask", [this](ErrorTrap& trap) {
    trap.at(1);
    const int32_t index = module_.CurrentProfile;
    const std::string folder = settingsFolderOf(module_, index);
    if (!module_.ports.files.FolderExists(folder)) module_.ports.files.CreateFolder(folder);
    const std::string taskFile = taskFileOf(module_, index);
    if (!module_.ports.files.FileExists(taskFile)) {
      module_.ports.files.CreateTextFile(taskFile, false);
    }

    trap.at(2);
    const std::string section = taskSectionName(dtAddDate.value, dtAddTime.value);

    trap.at(3);
    if (!readTaskMapList(module_, taskFile, section).empty()) {
      ErrorReport(module_, kReportFailed, kTaskTaken, nullptr, 0, 0);
      return;
    }

    trap.at(4);
    writeTask(module_, taskFile, section, cboAddFile.text, cboAddFrequency.text);

    trap.at(5);
    ErrorReport(module_, kReportSuccess, kTaskAdded, nullptr, 0, 0);
    BuildTasks(index);
  });
}

void TaskScheduler::cmdEditTask_Click() {
  trapped("cmdEditTask", [this](ErrorTrap& trap) {
    trap.at(1);
    if (mfgTask.Row() < 1) {
      ErrorReport(module_, kReportError, kSelectTaskToEdit, nullptr, 0, 0);
      return;
    }
    const int32_t index = module_.CurrentProfile;
    const std::string taskFile = taskFileOf(module_, index);

    trap.at(2);
    const std::string section = taskSectionName(dtEditDate.value, dtEditTime.value);

    trap.at(3);
    const std::string old = mfgTask.TextMatrix(mfgTask.Row(), 0);
    if (section != old) deleteTask(module_, taskFile, old);

    trap.at(4);
    // No check for a task already at the new date and time: its keys are overwritten.
    writeTask(module_, taskFile, section, cboEditFile.text, cboEditFrequency.text);

    trap.at(5);
    BuildTasks(index);
    ErrorReport(module_, kReportSuccess, kTaskEdited, nullptr, 0, 0);
  });
}

void TaskScheduler::mfgTask_KeyPress(int keyAscii) {
  if (keyAscii != kBackspace) return;
  trapped("Form_KeyPress", [this](ErrorTrap& trap) {
    trap.at(1);
    if (mfgTask.Row() < 1) return;
    trap.at(2);
    MessageAnswer answer = module_.ports.dialogs.messageBox(kDeleteTaskQuestion, kConfirmationTitle,
                                                            MessageButtons::YesNo);
    if (answer != MessageAnswer::Yes) return;
    trap.at(3);
    const int32_t index = module_.CurrentProfile;
    deleteTask(module_, taskFileOf(module_, index), mfgTask.TextMatrix(mfgTask.Row(), 0));
    BuildTasks(index);
  });
}

void TaskScheduler::mfgTask_Click(int mouseRow) {
  trapped("mfgTaskClick", [this, mouseRow](ErrorTrap& trap) {
    trap.at(1);
    const int row = mfgTask.Row();
    if (mouseRow == 0 || row == 0) return;

    trap.at(2);
    const std::vector<std::string> parts = vb::Split(mfgTask.TextMatrix(row, 0), " ");
    if (parts.size() < 2) raiseVbError(vberr::kSubscriptOutOfRange);
    dtEditDate.value = taskDateOf(parts[0]);
    dtEditTime.value = taskTimeOf(parts[1], dtEditTime.value.get());

    trap.at(3);
    const std::string frequency = mfgTask.TextMatrix(row, 1);
    cboEditFrequency.text =
        vb::Left(frequency, 2) == "E " ? vb::Replace(frequency, "E ", "Every ") : frequency;

    trap.at(4);
    const std::string file = mfgTask.TextMatrix(row, 2);
    const std::string path = settingsFolderOf(module_, module_.CurrentProfile) + "\\" + file;
    // A list deleted since the task was written is offered as "Random".
    cboEditFile.text =
        file != kRandomList && module_.ports.files.FileExists(path) ? file : kRandomList;

    trap.at(5);
    showTaskEditor(true);
  });
}

void TaskScheduler::mfgTask_MouseUp(MouseButton, int, int mouseRow) {
  if (mouseRow != 0) return;
  trapped("mfgTaskMouseUp", [this](ErrorTrap& trap) {
    trap.at(1);
    struct TaskRow {
      std::string cells[3];
    };
    std::vector<TaskRow> rows;
    for (int r = mfgTask.FixedRows(); r < mfgTask.Rows(); ++r) {
      rows.push_back(
          {{mfgTask.TextMatrix(r, 0), mfgTask.TextMatrix(r, 1), mfgTask.TextMatrix(r, 2)}});
    }
    // Two sorts, as the grid does them: on the frequency descending, then on the date and
    // time ascending; the second decides, the first only orders what the second finds equal.
    std::stable_sort(rows.begin(), rows.end(), [](const TaskRow& a, const TaskRow& b) {
      return genericCompare(a.cells[1], b.cells[1]) > 0;
    });
    std::stable_sort(rows.begin(), rows.end(), [](const TaskRow& a, const TaskRow& b) {
      return genericCompare(a.cells[0], b.cells[0]) < 0;
    });
    trap.at(2);
    for (size_t i = 0; i < rows.size(); ++i) {
      const int r = mfgTask.FixedRows() + static_cast<int>(i);
      for (int c = 0; c < 3; ++c) mfgTask.setTextMatrix(r, c, rows[i].cells[c]);
    }
    mfgTask.Refresh();
  });
}

void TaskScheduler::BuildTasks(int32_t index) {
  ErrorTrap trap = module_.trap("BuildTasks", index);
  trap.run([&] {
    trap.at(1);
    std::string taskFile = taskFileOf(module_, index);
    mfgTask.setRows(1);

    trap.at(2);
    if (module_.ports.files.FileExists(taskFile)) {
      showTaskEditor(false);
      mfgTask.visible = false;
      IUtility& utility = module_.utility();
      for (const std::string& section : utility.GetAllIniSections(taskFile)) {
        if (section.empty()) continue;
        const TaskEntry task = readTaskEntry(utility, taskFile, section);
        std::string frequency = task.frequency;
        if (vb::InStr(frequency, "Every") > 0) frequency = vb::Replace(frequency, "Every", "E");
        mfgTask.AddItem(section + "\t" + frequency + "\t" + task.file);
      }
      mfgTask.setRow(0);
      mfgTask.visible = true;
    }

    trap.at(3);
    for (ComboBox* box : {&cboEditFile, &cboAddFile}) {
      box->clear();
      box->addItem(kRandomList);
      box->text = kRandomList;
    }

    trap.at(4);
    const std::string folder = settingsFolderOf(module_, index);
    if (module_.ports.files.FolderExists(folder)) {
      for (const std::string& name : module_.ports.files.FilesOf(folder)) {
        if (!isMapListName(name)) continue;
        cboEditFile.addItem(name);
        cboAddFile.addItem(name);
      }
    }
  });
}

}  // namespace rotaryn
