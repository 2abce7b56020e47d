// A process killed while it writes the settings files leaves each file as one of the states its
// writes produced: complete, parseable, never a mix of two states or a truncation.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/adapters/windows_file_system.h"
#include "platform/ini_file.h"
#include "tests/support/scratch_folder.h"

namespace rotaryn {
namespace {

// The last-settings group of generation k, as one gathered write gives it.
std::vector<std::pair<std::string, std::string>> lastSettingsOf(int k) {
  std::vector<std::pair<std::string, std::string>> values{{"tkScore", std::to_string(k % 60 + 1)},
                                                          {"dmScore", std::to_string(k)},
                                                          {"fbScore", std::to_string(k)},
                                                          {"mapcount", std::to_string(k % 40)}};
  for (int i = 0; i <= k % 40; ++i) {
    values.emplace_back("map" + std::to_string(i),
                        std::to_string(k % 9) + "[-]0[-]DMR_" + std::to_string(k) + ".BMS");
  }
  return values;
}

[[noreturn]] void writeForever(const std::string& lastSettings, const std::string& mapsIni) {
  WindowsFileSystem disk;
  IniFile ini(disk);
  for (int k = 1;; ++k) {
    ini.write(lastSettings, "Maps", lastSettingsOf(k));
    ini.write(mapsIni, "Autoload", "profile1", std::to_string(k % 2));
    ini.write(mapsIni, "DisplayTime", "profile1", std::to_string(k % 9 + 1));
  }
}

TEST(SettingsFilesUnderSigkill, EveryFileLeftIsOneWholeState) {
  ScratchFolder scratch;
  const std::string root = WindowsFileSystem::toWindowsPath(scratch.path());
  const std::string lastSettings = root + "\\lastsettings.ini";
  const std::string mapsIni = root + "\\Maps.ini";
  WindowsFileSystem disk;
  IniFile ini(disk);
  std::mt19937 random(20261206);

  for (int round = 0; round < 60; ++round) {
    // Each round starts from nothing, so the generation counts restart without leftovers.
    for (const std::string& file : {lastSettings, mapsIni}) {
      if (disk.FileExists(file)) disk.DeleteFile(file, true);
    }
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) writeForever(lastSettings, mapsIni);
    // Kill at a random moment once the child has written the file at least once.
    for (int wait = 0; wait < 2000 && !disk.FileExists(lastSettings); ++wait) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    std::this_thread::sleep_for(std::chrono::microseconds(random() % 3000));
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));

    ASSERT_TRUE(disk.FileExists(lastSettings)) << "the writer never started";
    // The generation the file claims must account for every one of its keys, in order.
    const int k = std::stoi(ini.read(lastSettings, "Maps", "dmScore"));
    std::vector<std::string> expected;
    for (const auto& [key, value] : lastSettingsOf(k)) expected.push_back(key + "=" + value);
    EXPECT_EQ(ini.sectionLines(lastSettings, "Maps"), expected) << "round " << round;
    EXPECT_EQ(ini.sectionNames(lastSettings), std::vector<std::string>{"Maps"});

    if (!disk.FileExists(mapsIni)) continue;
    const std::string autoload = ini.read(mapsIni, "Autoload", "profile1");
    EXPECT_TRUE(autoload == "0" || autoload == "1") << autoload;
    const std::string display = ini.read(mapsIni, "DisplayTime", "profile1");
    // Empty only when the kill came between the first two writes of the file.
    EXPECT_TRUE(display.empty() || (display.size() == 1 && display[0] >= '1' && display[0] <= '9'))
        << display;
    const std::string text = disk.ReadAll(mapsIni);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << "a cut-off file";
  }
}

}  // namespace
}  // namespace rotaryn
