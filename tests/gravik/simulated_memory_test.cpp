#include "components/gravik/simulated_memory.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cerrno>
#include <deque>

#include "components/gravik/memory_errors.h"
#include "components/gravik/process_memory.h"
#include "platform/vb_error.h"
#include "tests/platform/vb_error_of.h"

namespace rotaryn::gravik {
namespace {

using sim::ServerBuild;
using sim::ServerOptions;

int32_t addressOf(ServerBuild build, std::string_view key) {
  return static_cast<int32_t>(sim::ServerLayout(build).at(key));
}

// Long writes touch only the bytes asked for (at most 4); text is left NUL-terminated.
TEST(SimulatedMemory, ReadsAndWritesFieldsOfTheServerItIsGiven) {
  SimulatedMemory memory;
  sim::ServerModel& server = memory.addServer(4242);
  int32_t pid = 4242;
  EXPECT_EQ(memory.ReadLong(pid, addressOf(ServerBuild::kStandard, "GameState")), 2);
  server.setLong("RestartTmr", 1234);
  EXPECT_EQ(memory.ReadLong(pid, addressOf(ServerBuild::kStandard, "RestartTmr")), 1234);
  int32_t score = addressOf(ServerBuild::kStandard, "Score1a");
  server.setLong("Score1a", 0x11223344);
  memory.WriteLong(pid, score, 0x7F, 1);
  EXPECT_EQ(server.longAt("Score1a"), 0x1122337F);
  EXPECT_EQ(memory.ReadByte(pid, score), 0x7F);
  EXPECT_THROW(memory.WriteLong(pid, score, 1, 5), VbError);

  int32_t slot = addressOf(ServerBuild::kStandard, "BaseAdd");
  memory.WriteStr(pid, slot, "DMM_01A.BMS");
  memory.WriteStr(pid, slot, "TKH.BMS");
  EXPECT_EQ(memory.ReadStr(pid, slot), "TKH.BMS");
  EXPECT_EQ(server.readText(static_cast<uint32_t>(slot)), "TKH.BMS");
}

TEST(SimulatedMemory, UnmappedMemoryAndUnknownProcessesRaiseClearErrors) {
  SimulatedMemory memory;
  memory.addServer(10);
  int32_t pid = 10;
  const std::string unmapped = errorTextOf([&] { memory.ReadLong(pid, 0x100); });
  EXPECT_NE(unmapped.find("0x100"), std::string::npos) << unmapped;
  EXPECT_NE(unmapped.find("not mapped"), std::string::npos) << unmapped;
  int32_t missing = 11;
  const std::string gone = errorTextOf(
      [&] { memory.ReadLong(missing, addressOf(ServerBuild::kStandard, "GameState")); });
  EXPECT_NE(gone.find("no server process with id 11"), std::string::npos) << gone;
  memory.removeServer(10);
  EXPECT_THROW(memory.ReadLong(pid, addressOf(ServerBuild::kStandard, "GameState")), VbError);
}

// The server as a client sees it: its log of client writes and a slow command mailbox.
int32_t addressOf(const sim::ServerModel& server, std::string_view key) {
  return static_cast<int32_t>(server.layout().at(key));
}

TEST(GravikClient, LogsEveryClientWriteInOrderButNotTheServersOwnUpdates) {
  SimulatedMemory memory;
  sim::ServerModel& server = memory.addServer(7, {.displayLengthSeconds = 10, .loadingSeconds = 1});
  int32_t pid = 7;
  int32_t timer = addressOf(server, "RestartTmr");
  int32_t slot = static_cast<int32_t>(server.layout().slotAddress(1));
  memory.WriteLong(pid, timer, 500, 4);
  memory.WriteLong(pid, slot + 1309, 0x108, 1);
  memory.WriteStr(pid, slot, "TDMM_02A.BMS");
  memory.WriteLong(pid, timer, -1, 2);
  memory.WriteLong(pid, timer, -1, 4);
  int32_t index = 1;
  bool affiliate = false;
  memory.AddMsg(index, pid, "resetgames", affiliate, "CMD", 1);
  EXPECT_THROW(memory.WriteLong(pid, 0x100, 1, 4), VbError) << "unmapped: not written, not logged";
  // Not clients: a setter, taking the command, the countdown, the next map.
  server.setLong("GTUpdate1", 1);
  server.advance(0);
  EXPECT_EQ(server.state(), 4);
  server.advance(11000);
  ASSERT_EQ(server.state(), 2);

  struct Expected {
    int32_t address;
    size_t size;
    int64_t number;
    std::string text;
  };
  const std::vector<Expected> expected = {
      {timer, 4, 500, ""},
      {slot + 1309, 1, 8, ""},
      {slot, 13, 0, "TDMM_02A.BMS"},
      {timer, 2, 0xFFFF, ""},  // fewer than 4 bytes are unsigned
      {timer, 4, -1, ""},      // 4 bytes are signed, as WriteLong was given them
      {addressOf(server, "MsgStrAdd"), 11, 0, "resetgames"},
      {addressOf(server, "MsgTypeAdd"), 4, 1, ""},
  };
  const std::deque<sim::ClientWrite>& writes = server.clientWrites();
  ASSERT_EQ(writes.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    EXPECT_EQ(writes[i].address, static_cast<uint32_t>(expected[i].address)) << i;
    EXPECT_EQ(writes[i].size(), expected[i].size) << i;
    if (expected[i].text.empty()) {
      EXPECT_EQ(writes[i].number(), expected[i].number) << i;
    } else {
      EXPECT_EQ(writes[i].text(), expected[i].text) << i;
    }
  }
}

// A skip polls the game state after sending "resetgames"; a server two reads slow reaches the
// end of the game on the third poll. Only reads that succeed while a command waits count.
TEST(GravikClient, ASlowServerTakesACommandAfterTheGivenNumberOfReads) {
  int64_t now = 0;
  SimulatedMemory memory([&] { return now; });
  sim::ServerOptions options{.commandDelayReads = 2};
  sim::ServerModel& server = memory.addServer(3, options);
  int32_t pid = 3;
  int32_t index = 1;
  bool affiliate = false;
  int32_t state = addressOf(server, "GameState");
  for (int i = 0; i < 3; ++i) ASSERT_EQ(memory.ReadLong(pid, state), 2);  // nothing waits yet
  memory.AddMsg(index, pid, "resetgames", affiliate, "CMD", 1);
  std::vector<int32_t> polls;
  for (int poll = 0; poll < 4; ++poll) {
    now += 50;
    polls.push_back(memory.ReadLong(pid, state));
    if (poll == 0) {
      EXPECT_THROW(memory.ReadLong(pid, 0x100), VbError);
    }
  }
  EXPECT_EQ(polls, (std::vector<int32_t>{2, 2, 4, 4}));
  EXPECT_EQ(server.longAt("MsgTypeAdd"), 0);

  // Texts read count too.
  server.setLong("GameState", 2);
  memory.AddMsg(index, pid, "resetgames", affiliate, "CMD", 1);
  EXPECT_EQ(memory.ReadStr(pid, addressOf(server, "CurMap")), "City Madness");
  EXPECT_EQ(memory.ReadStr(pid, addressOf(server, "CurMap")), "City Madness");
  EXPECT_EQ(memory.ReadLong(pid, state), 4);

  // Changed on the running server, also for a command already waiting.
  server.setLong("GameState", 2);
  server.setCommandDelayReads(5);
  memory.AddMsg(index, pid, "resetgames", affiliate, "CMD", 1);
  EXPECT_EQ(memory.ReadLong(pid, state), 2);
  server.setCommandDelayReads(0);
  EXPECT_EQ(memory.ReadLong(pid, state), 4);

  EXPECT_THROW(server.setCommandDelayReads(-1), std::invalid_argument);
  EXPECT_EQ(server.options().commandDelayReads, 0);
  options.commandDelayReads = -1;
  EXPECT_THROW(memory.addServer(4, options), std::invalid_argument);
}

std::string failureOf(int error) {
  try {
    raiseFromErrno(error, 4321, 0x9E4748, 4, false);
  } catch (const VbError& raised) {
    return std::to_string(raised.number()) + " " + raised.description();
  }
  return "nothing raised";
}

// Each errno gives its VB number and a text naming the pid, the address or the remedy.
TEST(MemoryErrors, EachErrnoSaysWhatWentWrongAndWhere) {
  using ::testing::AllOf;
  using ::testing::HasSubstr;
  using ::testing::StartsWith;
  EXPECT_THAT(failureOf(EPERM),
              AllOf(StartsWith("70 "), HasSubstr("process 4321"), HasSubstr("ptrace_scope"),
                    HasSubstr("CAP_SYS_PTRACE"), HasSubstr("host start the server")));
  EXPECT_THAT(failureOf(ESRCH),
              AllOf(StartsWith("5 "), HasSubstr("no server process with id 4321")));
  EXPECT_THAT(failureOf(EFAULT), AllOf(StartsWith("57 "), HasSubstr("0x9E4748"),
                                       HasSubstr("not mapped in process 4321")));
}

TEST(ProcessMemory, RefusesANonPositivePidBeforeAnySystemCall) {
  ProcessMemory memory;
  int32_t pid = 0;
  EXPECT_THROW(memory.ReadLong(pid, 0x9E4748), VbError);
  pid = -3;
  EXPECT_THROW(memory.ReadStr(pid, 0x9E4748), VbError);
}

}  // namespace
}  // namespace rotaryn::gravik
