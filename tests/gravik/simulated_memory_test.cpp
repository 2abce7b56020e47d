#include "components/gravik/simulated_memory.h"

#include <gtest/gtest.h>

#include "components/gravik/register_gravik.h"
#include "memory/address_table.h"
#include "platform/vb_error.h"

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

TEST(SimulatedMemory, TheDefaultServerHoldsARotationTheReaderFinds) {
  SimulatedMemory memory;
  memory.addServer(1);
  int32_t pid = 1;
  int32_t p = memory.ReadLong(pid, addressOf(ServerBuild::kStandard, "MapPointer"));
  EXPECT_EQ(memory.ReadLong(pid, p + 8), 4);
  EXPECT_EQ(memory.ReadLong(pid, p + 4), 4);
  EXPECT_EQ(memory.ReadLong(pid, p + 12), 0);
  EXPECT_EQ(memory.ReadStr(pid, p + 16), "DMM_01A.BMS");
  EXPECT_EQ(memory.ReadStr(pid, p + 16 + 36), "TDMM_01A.BMS");
  int32_t name = addressOf(ServerBuild::kStandard, "MapNameAdd");
  EXPECT_EQ(memory.ReadStr(pid, name + 1840), "Mean Streets A");
  // The game-type byte follows the marker's "S" directly, as "Update Maps" writes them.
  EXPECT_EQ(memory.ReadStr(pid, name + 1840 + 781).substr(0, 1), "S");
  EXPECT_EQ(memory.ReadByte(pid, name + 1840 + 782), 1);
  EXPECT_EQ(memory.ReadStr(pid, addressOf(ServerBuild::kStandard, "CurMap")), "City Madness");
  int32_t mod = memory.ReadLong(pid, addressOf(ServerBuild::kStandard, "ModAdd"));
  EXPECT_EQ(memory.ReadStr(pid, mod + 36), "localres.pff");
}

TEST(SimulatedMemory, UnmappedMemoryAndUnknownProcessesRaiseClearErrors) {
  SimulatedMemory memory;
  memory.addServer(10);
  int32_t pid = 10;
  try {
    memory.ReadLong(pid, 0x100);
    FAIL();
  } catch (const VbError& error) {
    EXPECT_NE(error.description().find("0x100"), std::string::npos) << error.description();
    EXPECT_NE(error.description().find("not mapped"), std::string::npos);
  }
  int32_t missing = 11;
  try {
    memory.ReadLong(missing, addressOf(ServerBuild::kStandard, "GameState"));
    FAIL();
  } catch (const VbError& error) {
    EXPECT_NE(error.description().find("no server process with id 11"), std::string::npos)
        << error.description();
  }
  memory.removeServer(10);
  EXPECT_THROW(memory.ReadLong(pid, addressOf(ServerBuild::kStandard, "GameState")), VbError);
}

TEST(SimulatedMemory, AddMsgResetgamesEndsTheRunningGame) {
  SimulatedMemory memory;
  ServerOptions options;
  options.displayLengthSeconds = 60;
  sim::ServerModel& server = memory.addServer(5, options);
  int32_t index = 1;
  int32_t target = 5;
  bool affiliate = false;
  memory.AddMsg(index, target, "resetgames", affiliate, "CMD", 1);
  EXPECT_EQ(server.textAt("MsgStrAdd"), "resetgames");
  EXPECT_EQ(server.longAt("MsgTypeAdd"), 1);
  server.advance(0);
  EXPECT_EQ(server.longAt("MsgTypeAdd"), 0);
  EXPECT_EQ(server.state(), 4);
  EXPECT_EQ(server.longAt("RestartTmr"), 60 * 62);
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
TEST(SimulatedMemory, Base64RoundTripsAndRejectsGarbage) {
  SimulatedMemory memory;
  EXPECT_EQ(memory.Enc64("Ma"), "TWE=");
  EXPECT_EQ(memory.dec64("TW\r\nFu"), "Man");
  try {
    memory.dec64("TW*u");
    FAIL();
  } catch (const VbError& error) {
    EXPECT_EQ(error.number(), 5);
    EXPECT_NE(error.description().find("not base 64"), std::string::npos);
  }
}

TEST(SimulatedMemory, RegistersAsGravikClsMemory) {
  ComponentRegistry registry;
  std::shared_ptr<SimulatedMemory> memory = registerSimulatedGravik(registry);
  auto created = registry.createAs<IMemoryAccess>("gravik.clsmemory");
  EXPECT_EQ(created.get(), memory.get());
}

}  // namespace
}  // namespace rotaryn::gravik
