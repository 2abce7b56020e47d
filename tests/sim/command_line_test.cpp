// The command lines of dfbhd-sim and rotaryn-memtool, run as the real executables.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "components/gravik/process_memory.h"
#include "sim/model/server_layout.h"
#include "tests/support/sim_process.h"

namespace rotaryn {
namespace {

using testing::ProgramRun;
using testing::runProgram;
using testing::SimProcess;

struct Refusal {
  std::vector<std::string> arguments;
  std::string says;
};

std::string joined(const std::vector<std::string>& arguments) {
  std::string all;
  for (const std::string& argument : arguments) all += " " + argument.substr(0, 40);
  return all;
}

TEST(DfbhdSimCommandLine, RefusesAtStartWhatTheServerCannotHold) {
  std::string rotation = ::testing::TempDir() + "/long_name_" + std::to_string(getpid()) + ".txt";
  {
    std::ofstream out(rotation, std::ios::binary);
    out << "0[-]0[-]DMM_01A.BMS[-]City Madness\n1[-]0[-]TDMM_01A.BMS[-]" << std::string(64, 'n')
        << "\n";
  }
  std::vector<Refusal> refusals = {
      {{"--game-length", "-1"}, "--game-length: -1 is outside [0 - "},
      {{"--build", "nova"}, "--build: nova not in {standard,affiliate}"},
      {{"--pack", std::string(220, 'p')}, "has 220 characters; the server holds at most 219"},
      {{"--rotation", rotation}, "rotation line 2: display name \"nnnn"},
      {{"--rotation", "/nonexistent/r.txt"}, "--rotation: File does not exist: /nonexistent/r.txt"},
      {{"--position", "4"}, "--position 4 is beyond the rotation's 4 maps"},
  };
  for (const Refusal& refusal : refusals) {
    ProgramRun run = runProgram(SimProcess::binaryPath(), refusal.arguments, 5000);
    EXPECT_EQ(run.exitCode, 2) << joined(refusal.arguments) << "\n" << run.err;
    EXPECT_NE(run.err.find(refusal.says), std::string::npos) << joined(refusal.arguments) << "\n"
                                                             << run.err;
    EXPECT_EQ(run.out.find("ready"), std::string::npos) << joined(refusal.arguments);
  }
  std::remove(rotation.c_str());
  // The longest pack that fits starts a server.
  SimProcess fits({"--pack", std::string(219, 'p')});
  EXPECT_EQ(fits.stop(), 0);
}

class MemtoolCommandLine : public ::testing::Test {
 protected:
  ProgramRun memtool(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"--pid", std::to_string(server.pid())});
    return runProgram(SimProcess::memtoolPath(), arguments);
  }
  int32_t readLong(std::string_view key) {
    int32_t pid = server.pid();
    return memory.ReadLong(pid, static_cast<int32_t>(layout.at(key)));
  }
  std::string readText(std::string_view key) {
    int32_t pid = server.pid();
    return memory.ReadStr(pid, static_cast<int32_t>(layout.at(key)));
  }

  SimProcess server{{"--game-length", "0"}};
  sim::ServerLayout layout{sim::ServerBuild::kStandard};
  gravik::ProcessMemory memory;
};

TEST_F(MemtoolCommandLine, RefusesValuesThatDoNotFitTheirFieldAndWritesNothing) {
  std::string entry0 = sim::hexAddress(layout.entryAddress(0));
  std::vector<Refusal> refusals = {
      {{"poke", "GameType", "300", "byte"}, "300 does not fit a byte (0 to 255)"},
      {{"poke", "RestartTmr", "4294967296"}, "4294967296 does not fit a long"},
      {{"poke", "RestartTmr", "12abc"}, "poke needs a number, not \"12abc\""},
      {{"peek", "RestartTmr+0x1FFFFFFFF"}, "bad offset"},
      {{"poke", "CurMap", std::string(64, 'c'), "text"},
       "the text has 64 characters; at 0xA033EC there is room for 63 and its NUL"},
      {{"poke", entry0, std::string(32, 'F'), "text"}, "there is room for 31 and its NUL"},
      {{"poke", "GameType", "1", "word"}, "KIND: word not in {long,byte,text}"},
      {{"send", std::string(100, 's')}, "has 100 characters; the server holds at most 99"},
  };
  for (const Refusal& refusal : refusals) {
    ProgramRun run = memtool(refusal.arguments);
    EXPECT_EQ(run.exitCode, 2) << joined(refusal.arguments) << "\n" << run.err;
    EXPECT_NE(run.err.find(refusal.says), std::string::npos) << joined(refusal.arguments) << "\n"
                                                             << run.err;
    EXPECT_EQ(run.out, "") << joined(refusal.arguments);
  }
  EXPECT_EQ(readLong("GameType"), 0);
  EXPECT_EQ(readLong("RestartTmr"), 0);
  EXPECT_EQ(readText("CurMap"), "City Madness");
  EXPECT_EQ(readLong("MsgTypeAdd"), 0);
}

TEST_F(MemtoolCommandLine, WritesValuesAtTheEdgesOfTheirFields) {
  ProgramRun unsignedLong = memtool({"poke", "RestartTmr", "0xFFFFFFFF"});
  EXPECT_EQ(unsignedLong.exitCode, 0) << unsignedLong.err;
  EXPECT_EQ(unsignedLong.out, "wrote -1 (0xFFFFFFFF) at 0x9DAE00\n");
  EXPECT_EQ(readLong("RestartTmr"), -1);
  EXPECT_EQ(memtool({"poke", "GameType", "255", "byte"}).exitCode, 0);
  EXPECT_EQ(readLong("GameType"), 255);
  EXPECT_EQ(memtool({"poke", "CurMap", std::string(63, 'c'), "text"}).exitCode, 0);
  EXPECT_EQ(readText("CurMap"), std::string(63, 'c'));
  EXPECT_EQ(readLong("GameType"), 255) << "the NUL stayed inside CurMap";
}

}  // namespace
}  // namespace rotaryn
