// End-to-end: real dfbhd-sim processes, read and written through the process backend.

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "components/gravik/process_memory.h"
#include "platform/vb_error.h"
#include "sim/model/server_layout.h"
#include "tests/platform/vb_error_of.h"
#include "tests/support/sim_process.h"
#include "tests/support/thrown.h"

namespace rotaryn {
namespace {

using gravik::ProcessMemory;
using sim::ServerBuild;
using sim::ServerLayout;
using testing::SimProcess;

// Fast servers: a 2-second end-of-game display and half a second of loading pass in about
// 0.13 s of real time.
std::vector<std::string> fastServer(ServerBuild build, std::vector<std::string> more = {}) {
  std::vector<std::string> arguments = {"--build",           std::string(sim::buildName(build)),
                                        "--speed",           "20",
                                        "--display-length",  "2",
                                        "--loading-seconds", "0.5",
                                        "--game-length",     "0",
                                        "--tick-ms",         "5"};
  arguments.insert(arguments.end(), more.begin(), more.end());
  return arguments;
}

template <class Condition>
bool waitFor(Condition condition, int timeoutMs = 3000) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (std::chrono::steady_clock::now() < deadline) {
    if (condition()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return condition();
}

class Server {
 public:
  Server(ServerBuild build, std::vector<std::string> more = {})
      : layout(build), process(fastServer(build, std::move(more))), pid(process.pid()) {}

  int32_t at(std::string_view key) const { return static_cast<int32_t>(layout.at(key)); }
  int32_t read(std::string_view key) { return memory.ReadLong(pid, at(key)); }
  std::string text(std::string_view key) { return memory.ReadStr(pid, at(key)); }
  void write(std::string_view key, int32_t value) { memory.WriteLong(pid, at(key), value, 4); }
  int32_t header() { return read("MapPointer"); }
  void resetgames() {
    int32_t index = 1;
    bool affiliate = layout.isAffiliate();
    memory.AddMsg(index, pid, "resetgames", affiliate, "CMD", 1);
  }

  ServerLayout layout;
  SimProcess process;
  int32_t pid;
  ProcessMemory memory;
};

class BothBuilds : public ::testing::TestWithParam<ServerBuild> {};

INSTANTIATE_TEST_SUITE_P(DfbhdSim, BothBuilds,
                         ::testing::Values(ServerBuild::kStandard, ServerBuild::kAffiliate),
                         [](const auto& info) { return std::string(sim::buildName(info.param)); });

TEST_P(BothBuilds, ValuesWrittenThroughTheProcessBackendAreReadBack) {
  Server server(GetParam());
  server.write("RestartTmr", 1234);
  EXPECT_EQ(server.read("RestartTmr"), 1234);
  server.write("MaxMaps", 255);
  EXPECT_EQ(server.read("MapNum"), 255);

  int32_t slot = server.at("BaseAdd") + 1840 * 5;
  server.memory.WriteStr(server.pid, slot, "CUSTOM_01.BMS");
  server.memory.WriteStr(server.pid, slot + 527, "My Custom Map");
  server.memory.WriteStr(server.pid, slot + 1308, "S");
  server.memory.WriteLong(server.pid, slot + 1309, 7, 1);
  EXPECT_EQ(server.memory.ReadStr(server.pid, server.at("MapNameAdd") + 1840 * 5), "My Custom Map");
  EXPECT_EQ(server.memory.ReadStr(server.pid, slot), "CUSTOM_01.BMS");
  EXPECT_EQ(server.memory.ReadByte(server.pid, slot + 1309), 7);
  // The one-byte write leaves the bytes around it alone.
  EXPECT_EQ(server.memory.ReadStr(server.pid, slot + 1308).substr(0, 1), "S");
}

TEST_P(BothBuilds, ResetgamesThroughAddMsgMovesTheServerToState4UnlessDeliveryIsOff) {
  Server server(GetParam(), {"--display-length", "600"});
  // The host refuses commands for a profile whose delivery is off.
  server.memory.setCommandGate([](int32_t index, int32_t, const std::string&) {
    if (index == 2) raiseVbError(5, "console command delivery is off for profile 2");
  });
  int32_t profile = 2;
  bool affiliate = server.layout.isAffiliate();
  EXPECT_NE(thrownBy<VbError>([&] {
              server.memory.AddMsg(profile, server.pid, "resetgames", affiliate, "CMD", 1);
            }).find("delivery is off for profile 2"),
            std::string::npos);
  EXPECT_EQ(server.read("MsgTypeAdd"), 0);
  ASSERT_EQ(server.read("GameState"), 2);
  server.resetgames();  // profile 1 keeps the mailbox
  ASSERT_TRUE(waitFor([&] { return server.read("GameState") == 4; }));
  EXPECT_EQ(server.read("MsgTypeAdd"), 0) << "the server consumed the command";
  EXPECT_EQ(server.text("MsgStrAdd"), "resetgames");
  EXPECT_GT(server.read("RestartTmr"), 600 * 62 - 62 * 20);
}

TEST_P(BothBuilds, ReadStrCrossesPagesStopsAtTheMaximumAndAtTheEndOfTheMapping) {
  Server server(GetParam());
  int32_t pageEnd = (server.at("BaseAdd") + 8192) / 4096 * 4096;
  server.memory.WriteStr(server.pid, pageEnd - 5, "ACROSS_THE_PAGE");
  EXPECT_EQ(server.memory.ReadStr(server.pid, pageEnd - 5), "ACROSS_THE_PAGE");

  server.memory.WriteStr(server.pid, server.at("BaseAdd") + 2000, std::string(5000, 'x'));
  EXPECT_EQ(server.memory.ReadStr(server.pid, server.at("BaseAdd") + 2000),
            std::string(ProcessMemory::kMaxText, 'x'));

  // The last bytes of the rotation block, without a NUL before the unmapped page after it.
  int32_t blockEnd = server.header() + 16 + 36 * sim::kRotationCapacity;
  blockEnd = (blockEnd + 4095) / 4096 * 4096;
  for (int32_t at = blockEnd - 8; at < blockEnd; at += 4) {
    server.memory.WriteLong(server.pid, at, 0x7A7A7A7A, 4);
  }
  EXPECT_EQ(server.memory.ReadStr(server.pid, blockEnd - 8), "zzzzzzzz");
}

TEST(DfbhdSim, AnExitedServerGivesAnErrorNamingThePid) {
  ProcessMemory memory;
  int32_t pid = 0;
  {
    SimProcess process(fastServer(ServerBuild::kStandard));
    pid = process.pid();
    int32_t alive = pid;
    EXPECT_EQ(memory.ReadLong(alive, 0x9E4748), 2);
  }
  int32_t index = 1;
  bool affiliate = false;
  const std::vector<std::function<void()>> calls = {
      [&] { memory.ReadLong(pid, 0x9E4748); },
      [&] { memory.WriteLong(pid, 0x9DAE00, 500, 4); },
      [&] { memory.ReadStr(pid, 0xA033EC); },
      [&] { memory.AddMsg(index, pid, "resetgames", affiliate, "CMD", 1); },
  };
  for (size_t call = 0; call < calls.size(); ++call) {
    EXPECT_EQ(errorOf(calls[call]), 5) << "call " << call;
    EXPECT_NE(errorTextOf(calls[call]).find("no server process with id " + std::to_string(pid)),
              std::string::npos)
        << "call " << call;
  }
}

}  // namespace
}  // namespace rotaryn
