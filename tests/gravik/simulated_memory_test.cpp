#include "components/gravik/simulated_memory.h"

#include <gtest/gtest.h>

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

TEST(SimulatedMemory, AFollowedClockDrivesTheServersBetweenCalls) {
  int64_t now = 1000;
  SimulatedMemory memory([&] { return now; });
  ServerOptions options;
  options.build = ServerBuild::kAffiliate;
  options.displayLengthSeconds = 10;
  options.loadingSeconds = 1;
  memory.addServer(9, options);
  int32_t pid = 9;
  int32_t index = 3;
  bool affiliate = true;
  int32_t state = addressOf(ServerBuild::kAffiliate, "GameState");
  memory.AddMsg(index, pid, "resetgames", affiliate, "CMD", 1);
  EXPECT_EQ(memory.ReadLong(pid, state), 4);
  now += 5000;
  EXPECT_EQ(memory.ReadLong(pid, addressOf(ServerBuild::kAffiliate, "RestartTmr")), 310);
  now += 5500;
  EXPECT_EQ(memory.ReadLong(pid, state), 1);
  now += 1000;
  EXPECT_EQ(memory.ReadLong(pid, state), 2);
  EXPECT_EQ(memory.ReadStr(pid, addressOf(ServerBuild::kAffiliate, "CurMap")), "Mean Streets A");
}

// Enc64 and dec64 are the platform's codec, tested with it; here only that they reach it.
TEST(SimulatedMemory, Base64ReachesThePlatformCodec) {
  SimulatedMemory memory;
  EXPECT_EQ(memory.Enc64("Ma"), "TWE=");
  EXPECT_EQ(memory.dec64("TW\r\nFu"), "Man");
  EXPECT_THROW(memory.dec64("TW*u"), VbError);
}

}  // namespace
}  // namespace rotaryn::gravik
