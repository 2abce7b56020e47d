// The simulated server as the plug-in reaches it in process: through Gravik's SimulatedMemory,
// whose every member is a client's access to the server.

#include <gtest/gtest.h>

#include "components/gravik/simulated_memory.h"
#include "platform/vb_error.h"

namespace rotaryn {
namespace {

using gravik::SimulatedMemory;

int32_t addressOf(const sim::ServerModel& server, std::string_view key) {
  return static_cast<int32_t>(server.layout().at(key));
}

TEST(GravikClient, LogsEveryClientWriteInOrderButNotTheServersOwnUpdates) {
  SimulatedMemory memory;
  sim::ServerOptions options;
  options.displayLengthSeconds = 10;
  options.loadingSeconds = 1;
  sim::ServerModel& server = memory.addServer(7, options);
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
  sim::ServerOptions options;
  options.commandDelayReads = 2;
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

}  // namespace
}  // namespace rotaryn
