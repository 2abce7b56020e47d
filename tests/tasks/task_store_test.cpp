#include "tasks/task_store.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "formats/base64.h"
#include "store/map_list.h"
#include "tests/support/ui_window_fixture.h"

namespace rotaryn {
namespace {

constexpr int32_t kProfile = WindowFixture::kProfile;

class Tasks : public ::testing::Test {
 protected:
  void SetUp() override {
    host.scheduler.setWallClock(DateTime{2026, 12, 4, 20, 0, 0});
    w = &host.load();
    host.scratch.write(WindowFixture::settingsFolderOnDisk(kProfile) + "/night.mpl", "");
    host.scratch.write(WindowFixture::settingsFolderOnDisk(kProfile) + "/Day.MPL", "");
    host.scratch.write(WindowFixture::settingsFolderOnDisk(kProfile) + "/notes.txt", "");
    w->BuildTasks(kProfile);
  }
  std::string taskFile() const {
    return host.scratch.read(WindowFixture::settingsFolderOnDisk(kProfile) + "/MapTasks.ini");
  }
  void addInWindow(DateTime date, DateTime time, const std::string& frequency,
                   const std::string& file) {
    w->dtAddDate.value = date;
    w->dtAddTime.value = time;
    w->cboAddFrequency.text = frequency;
    w->cboAddFile.text = file;
    host.release(w->cmdAddTask);
  }
  std::vector<std::string> taskRows() const {
    std::vector<std::string> rows;
    for (int r = 1; r < w->mfgTask.Rows(); ++r) {
      rows.push_back(w->mfgTask.TextMatrix(r, 0) + "|" + w->mfgTask.TextMatrix(r, 1) + "|" +
                     w->mfgTask.TextMatrix(r, 2));
    }
    return rows;
  }

  WindowFixture host;
  frmRotarynMaps* w = nullptr;
};

TEST_F(Tasks, SectionNamesHaveTwoDigitFieldsAndTheYearInFull) {
  EXPECT_EQ(taskSectionName({2027, 3, 3, 0, 0, 0}, {1899, 12, 30, 7, 5, 9}), "03/03/2027 07:05:09");
  EXPECT_EQ(taskSectionName({26, 12, 25, 0, 0, 0}, {1899, 12, 30, 20, 0, 0}),
            "25/12/2026 20:00:00");
}

TEST_F(Tasks, ClickingARowFillsTheEditorAndEditingRewritesOrMovesTheTask) {
  addInWindow({2026, 12, 25, 0, 0, 0}, {2026, 12, 6, 20, 0, 0}, "Every Month", "night.mpl");
  addInWindow({2026, 12, 26, 0, 0, 0}, {2026, 12, 6, 9, 30, 0}, "Once", "Day.MPL");
  EXPECT_FALSE(w->Frame9.visible.get());
  EXPECT_FALSE(w->cmdEditTask.enabled.get());

  host.release(w->cmdEditTask);  // hidden and disabled: nothing happens
  w->mfgTask_Click(0);           // the header row: ignored
  EXPECT_FALSE(w->Frame9.visible.get());

  w->mfgTask.setRow(1);
  w->mfgTask_Click(1);
  EXPECT_TRUE(w->cmdEditTask.enabled.get());
  EXPECT_EQ(w->cboEditFrequency.text.get(), "Every Month");

  // In place: same date and time, new keys.
  w->cboEditFrequency.text = "Every Day";
  host.release(w->cmdEditTask);
  EXPECT_EQ(host.boxes("Success", kTaskEdited), 1);
  EXPECT_EQ(taskRows(), (std::vector<std::string>{"25/12/2026 20:00:00|E Day|night.mpl",
                                                  "26/12/2026 09:30:00|Once|Day.MPL"}));

  // Moved onto the other task's date and time: the two become one, the old section goes.
  w->mfgTask.setRow(1);
  w->mfgTask_Click(1);
  w->dtEditDate.value = DateTime{2026, 12, 26, 0, 0, 0};
  w->dtEditTime.value = DateTime{2026, 12, 6, 9, 30, 0};
  host.release(w->cmdEditTask);
  EXPECT_EQ(taskRows(), std::vector<std::string>{"26/12/2026 09:30:00|E Day|night.mpl"});
  EXPECT_EQ(taskFile().find("25/12/2026"), std::string::npos);

  // A list deleted since shows as "Random".
  std::filesystem::remove(host.scratch /
                          (WindowFixture::settingsFolderOnDisk(kProfile) + "/night.mpl"));
  w->mfgTask.setRow(1);
  w->mfgTask_Click(1);
  EXPECT_EQ(w->cboEditFile.text.get(), "Random");

  // Nothing selected.
  w->mfgTask.setRow(0);
  w->cmdEditTask_Click();
  EXPECT_EQ(host.boxes("Error!", kSelectTaskToEdit), 1);
}

TEST_F(Tasks, AReleaseOverTheHeaderSortsTheRowsByDateAndTimeText) {
  host.scratch.write(WindowFixture::settingsFolderOnDisk(kProfile) + "/MapTasks.ini",
                     "[25/12/2026 20:00:00]\r\nFile=a\r\nFrequency=Once\r\n"
                     "[01/01/2027 08:00:00]\r\nFile=b\r\nFrequency=Every Day\r\n"
                     "[07/12/2026 20:00:00]\r\nFile=c\r\nFrequency=Every Week\r\n");
  w->BuildTasks(kProfile);
  w->mfgTask_MouseUp(MouseButton::Left, 0, 2);  // not the header: no sort
  EXPECT_EQ(taskRows()[0].substr(0, 2), "25");
  w->mfgTask_MouseUp(MouseButton::Left, 0, 0);
  EXPECT_EQ(taskRows(),
            (std::vector<std::string>{"01/01/2027 08:00:00|E Day|b", "07/12/2026 20:00:00|E Week|c",
                                      "25/12/2026 20:00:00|Once|a"}));
}

TEST_F(Tasks, RemoteChangesOverwriteWithoutAskingAndLogWhatTheyDid) {
  const Variant pdat = host.remotePdat("Ann");
  auto call = [&](auto op, const std::string& data, bool encode = true) {
    return op(host.module, kProfile, pdat, Variant(encode ? formats::encodeBase64(data) : data));
  };
  EXPECT_EQ(call(AddTaskRem, "25/12/2026 20:00:00|night.mpl|Once"), 1);
  EXPECT_EQ(call(AddTaskRem, "25/12/2026 20:00:00|Random|Every Day"), 1);
  EXPECT_EQ(taskRows(), std::vector<std::string>{"25/12/2026 20:00:00|E Day|Random"});

  EXPECT_EQ(call(EditTaskRem, "25/12/2026 20:00:00|31/12/2026 23:59:00|Day.MPL|Every Month"), 1);
  EXPECT_EQ(taskRows(), std::vector<std::string>{"31/12/2026 23:59:00|E Month|Day.MPL"});
  // A new name no section can have is refused before the old task is touched.
  EXPECT_EQ(call(EditTaskRem, "31/12/2026 23:59:00|01/01/2027\n|Random|Once"), 0);
  EXPECT_EQ(taskRows(), std::vector<std::string>{"31/12/2026 23:59:00|E Month|Day.MPL"});
  EXPECT_EQ(call(DeleteTaskRem, "31/12/2026 23:59:00", false), 1);
  EXPECT_TRUE(taskRows().empty());

  // Not base 64, or too few fields: 0, a report, and no log line.
  EXPECT_EQ(call(AddTaskRem, "%%%", false), 0);
  EXPECT_EQ(call(EditTaskRem, "a|b|c"), 0);
  // A name with a line break would add a forged line to the admin log: refused.
  EXPECT_EQ(
      call(DeleteTaskRem, "25/12/2026 20:00:00\r\n[20:00:00][Rotaryn] Skip Map from Bob", false),
      0);
  EXPECT_EQ(host.failuresOf("AddTaskRem"), 1);
  EXPECT_EQ(host.failuresOf("EditTaskRem"), 2);

  const std::string log = host.scratch.read("profiles/profile1/adminlogs/2026-12-04.txt");
  EXPECT_NE(log.find("][Rotaryn] Add Task (Task: 25/12/2026 20:00:00) from "), std::string::npos);
  EXPECT_NE(log.find("][Rotaryn] Edit Task (Task: 31/12/2026 23:59:00) from "), std::string::npos);
  EXPECT_NE(log.find("][Rotaryn] Delete Task (Task: 31/12/2026 23:59:00) from "),
            std::string::npos);
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 4);
}

}  // namespace
}  // namespace rotaryn
