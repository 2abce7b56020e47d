#include "tasks/task_runner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "plugin/module.h"
#include "tests/support/ui_window_fixture.h"

namespace rotaryn {
namespace {

constexpr int32_t kProfile = WindowFixture::kProfile;

class Runner : public ::testing::Test {
 protected:
  void SetUp() override {
    w = &host.load();
    // One list per task, each of one stock map, so the map loaded names the task that ran.
    list("weekly.mpl", "DMM_01A.BMS");
    list("daily.mpl", "DMM_01E.BMS");
    list("once.mpl", "DMM_01G.BMS");
    list("first.mpl", "DMM_01H.BMS");
    list("second.mpl", "DMM_01K.BMS");
  }
  void list(const std::string& name, const std::string& map) {
    host.scratch.write(WindowFixture::settingsFolderOnDisk(kProfile) + "/" + name,
                       "0[-]0[-]" + map + "\r\n");
  }
  void tasks(const std::string& text) {
    host.scratch.write(WindowFixture::settingsFolderOnDisk(kProfile) + "/MapTasks.ini", text);
  }
  // Ticks once at the given minute; the map the tick loaded, or "" when nothing was loaded.
  std::string tickAt(const DateTime& when) {
    host.module.currentList = CurrentListTables{};
    host.scheduler.setWallClock(when);
    tmrMapTasks_Timer(host.module, kProfile);
    const auto& maps = host.module.currentList.maps;
    return maps.empty() ? "" : maps.item(1).file;
  }

  WindowFixture host;
  frmRotarynMaps* w = nullptr;
};

TEST(TaskDue, EveryMonthFromThe31stRunsOnlyInMonthsThatHaveOne) {
  std::vector<std::string> ran;
  DateTime day{2026, 10, 1, 8, 0, 0};
  for (int i = 0; i < 200; ++i, day = vb::AddDays(day, 1)) {
    if (taskIsDue("31/10/2026", "Every Month", day)) ran.push_back(vb::Format(day, "dd/mm/yyyy"));
  }
  EXPECT_EQ(ran,
            (std::vector<std::string>{"31/10/2026", "31/12/2026", "31/01/2027", "31/03/2027"}));
  EXPECT_FALSE(taskIsDue("31/10/2026", "every day", day));  // an unknown frequency never runs
  EXPECT_THROW(taskIsDue("2026-10-31", "Once", day), VbError);
}

TEST_F(Runner, OverTwoWeeksEachTaskRunsInItsMinutesAndNowhereElse) {
  tasks(
      "[07/12/2026 20:00:00]\r\nFile=weekly.mpl\r\nFrequency=Every Week\r\n"  // a Monday
      "[09/12/2026 06:30:00]\r\nFile=daily.mpl\r\nFrequency=Every Day\r\n"
      "[05/12/2026 12:00:00]\r\nFile=once.mpl\r\nFrequency=Once\r\n"
      "[10/12/2026 21:15:00]\r\nFile=first.mpl\r\nFrequency=Once\r\n"
      "[08/12/2026 21:15:30]\r\nFile=second.mpl\r\nFrequency=Every Day\r\n");
  std::map<std::string, std::vector<std::string>> runs;
  DateTime at{2026, 12, 4, 0, 0, 17};
  for (int minute = 0; minute < 14 * 24 * 60; ++minute, at = vb::AddSeconds(at, 60)) {
    std::string map = tickAt(at);
    if (!map.empty()) runs[map].push_back(vb::Format(at, "dd/mm hh:mm"));
  }
  EXPECT_EQ(runs["DMM_01A.BMS"], (std::vector<std::string>{"07/12 20:00", "14/12 20:00"}));
  auto dayAt = [](int day, const char* time) {
    return (day < 10 ? "0" : "") + std::to_string(day) + "/12 " + time;
  };
  std::vector<std::string> daily;
  for (int day = 9; day <= 17; ++day) daily.push_back(dayAt(day, "06:30"));
  EXPECT_EQ(runs["DMM_01E.BMS"], daily);
  EXPECT_EQ(runs["DMM_01G.BMS"], std::vector<std::string>{"05/12 12:00"});
  // On the 10th both are due at 21:15: only the first in the file runs.
  EXPECT_EQ(runs["DMM_01H.BMS"], std::vector<std::string>{"10/12 21:15"});
  std::vector<std::string> second;
  for (int day = 8; day <= 17; ++day) {
    if (day != 10) second.push_back(dayAt(day, "21:15"));
  }
  EXPECT_EQ(runs["DMM_01K.BMS"], second);
  EXPECT_EQ(runs.size(), 5u);
  EXPECT_EQ(host.failuresOf("tmrMapTasks"), 0);
}

TEST_F(Runner, RandomLoadsTheListNumberedByTheDrawAndNothingPastTheLast) {
  // Three lists among other files; the draw (0-4) picks by position in the folder's order.
  std::filesystem::remove(host.scratch /
                          (WindowFixture::settingsFolderOnDisk(kProfile) + "/weekly.mpl"));
  std::filesystem::remove(host.scratch /
                          (WindowFixture::settingsFolderOnDisk(kProfile) + "/daily.mpl"));
  const std::vector<std::string> entries = host.files.FilesOf(host.settingsFolder(kProfile));
  std::vector<std::string> lists;
  while (auto next = randomListFile(entries, static_cast<int>(lists.size()))) {
    lists.push_back(*next);
  }
  ASSERT_EQ(lists.size(), 3u);
  const std::map<std::string, std::string> mapOf{
      {"once.mpl", "DMM_01G.BMS"}, {"first.mpl", "DMM_01H.BMS"}, {"second.mpl", "DMM_01K.BMS"}};

  // For each draw, a minute whose timer seed gives it; a task there; one tick.
  for (int draw = 0; draw < 5; ++draw) {
    DateTime at{2026, 12, 6, 0, 0, 0};
    for (;; at = vb::AddSeconds(at, 60)) {
      vb::Rnd copy = host.module.rnd;
      copy.randomizeFromTimer(static_cast<float>(at.hour * 3600 + at.minute * 60));
      if (static_cast<int>(copy.next() * 5) == draw) break;
    }
    tasks("[06/12/2026 " + vb::Format(at, "hh:mm:ss") + "]\r\nFile=Random\r\nFrequency=Once\r\n");
    host.server().clearClientWrites();
    const std::string loaded = tickAt(at);
    if (draw < 3) {
      EXPECT_EQ(loaded, mapOf.at(lists[static_cast<size_t>(draw)])) << "draw " << draw;
    } else {
      EXPECT_EQ(loaded, "") << "draw " << draw;
    }
    // The update runs either way.
    EXPECT_FALSE(host.server().clientWrites().empty()) << "draw " << draw;
  }
}

TEST_F(Runner, AMissingListIsReportedEachTimeItIsDueAndABrokenSectionEndsTheTick) {
  tasks("[06/12/2026 20:00:00]\r\nFile=gone.mpl\r\nFrequency=Every Day\r\n");
  tickAt({2026, 12, 6, 20, 0, 5});
  tickAt({2026, 12, 7, 20, 0, 5});
  EXPECT_EQ(host.failuresOf("LoadFile"), 2);

  tasks("[nonsense]\r\nFile=x\r\n");
  tickAt({2026, 12, 7, 20, 1, 5});
  EXPECT_EQ(host.failuresOf("tmrMapTasks"), 1);
}

}  // namespace
}  // namespace rotaryn
