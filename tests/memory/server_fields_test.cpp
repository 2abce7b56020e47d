#include "memory/server_fields.h"

#include <gtest/gtest.h>

#include "memory/server_rotation.h"
#include "tests/platform/vb_error_of.h"
#include "tests/support/plugin_fixture.h"

namespace rotaryn {
namespace {

TEST(ServerFields, KeyOffsetAndPointerReachTheProfilesOwnServer) {
  PluginFixture host;
  sim::ServerModel& first = host.addProfile(1);
  sim::ServerModel& second = host.addProfile(2);
  second.setLong("RestartTmr", 0x01020304);

  writeLong(host.module, 1, "RestartTmr", 0x7F, 1);
  EXPECT_EQ(first.longAt("RestartTmr") & 0xFF, 0x7F);
  EXPECT_EQ(readByte(host.module, 2, "RestartTmr", 2), 0x02);
  EXPECT_EQ(readLong(host.module, 2, "RestartTmr"), 0x01020304);

  int32_t rotation = readLong(host.module, 2, "MapPointer");
  EXPECT_EQ(readLongAt(host.module, 2, rotation + 8), second.rotationCount());
  EXPECT_EQ(readText(host.module, 2, "CurMap"), second.textAt("CurMap"));
}

TEST(ServerFields, FailuresNameWhatIsMissing) {
  PluginFixture host;
  host.addProfile(1, {.build = sim::ServerBuild::kAffiliate});
  EXPECT_EQ(errorOf([&] { readLong(host.module, 1, "CMaxKills"); }), vberr::kInvalidCall);
  EXPECT_EQ(errorOf([&] { readLong(host.module, 4, "GameState"); }), vberr::kSubscriptOutOfRange);
  host.module.MemoryAccess.reset();
  EXPECT_EQ(errorOf([&] { readLong(host.module, 1, "GameState"); }), vberr::kObjectNotSet);
}

// A registration run from inside a memory call grows Profiles and AddressTables; the reads
// that follow must not use anything taken from them before (ASan sees a stale one).
TEST(ServerFields, ANestedRegistrationInsideACallLeavesTheRotationReadIntact) {
  PluginFixture host;
  host.addProfile(1, {.rotation = {{3, false, "A.BMS", "Alpha"}, {5, true, "B.BMS", "Beta"}}});
  int nested = 0;
  host.module.MemoryAccess = std::make_shared<HookedMemory>(
      host.module.MemoryAccess, [&](std::string_view, int32_t, int32_t*) {
        if (nested < 3) host.addProfile(100 * ++nested);
      });

  GetMapList(host.module, 1);
  EXPECT_EQ(host.failuresOf("GetMapList"), 0);
  EXPECT_EQ(nested, 3);
  const CurrentListTables& list = host.module.currentList;
  ASSERT_EQ(list.maps.count(), 2);
  EXPECT_EQ(list.maps.item("1").name, "Beta");
  EXPECT_EQ(list.maps.item("1").custom, "1");
  EXPECT_EQ(GetNextMapCode(host.module, 1), 5);
}

}  // namespace
}  // namespace rotaryn
