#include "store/admin_log.h"

#include <gtest/gtest.h>

#include "platform/vb_error.h"
#include "tests/support/plugin_fixture.h"

namespace rotaryn {
namespace {

Variant pdat(const std::string& profileFolder, const std::string& administrator, int16_t shared) {
  Variant::Array elements(14);
  elements[7] = Variant(profileFolder);
  elements[10] = Variant(administrator);
  elements[11] = Variant(shared);
  return Variant(std::move(elements));
}

class AdminLogTest : public ::testing::Test {
 protected:
  AdminLogTest() {
    host.scheduler.setWallClock(DateTime{2026, 12, 4, 23, 59, 58});
    host.scratch.write("profiles/alpha/settings/x", "");
    host.scratch.write("profiles/bravo/settings/x", "");
  }
  PluginFixture host;
};

TEST_F(AdminLogTest, OneFilePerDayPerProfileUnlessTheHostSharesOne) {
  AdminLog(host.module, pdat("alpha", "Ann Admin", 0), adminlog::kSkipMap);
  AdminLog(host.module, pdat("alpha", "Bob", 0),
           adminLogText("Add Task", "Task", "25/12/2026 20:00:00"));
  host.scheduler.advance(3000);  // past midnight: the next day's file
  AdminLog(host.module, pdat("alpha", "Ann Admin", 0), adminlog::kPlayMap);
  AdminLog(host.module, pdat("bravo", "Cy", -1), adminlog::kScoreMap);
  AdminLog(host.module, pdat("alpha", "Di", -1), adminlog::kChangeMapList);

  EXPECT_EQ(host.scratch.read("profiles/alpha/adminlogs/2026-12-04.txt"),
            "[23:59:58][Rotaryn] Skip Map from Ann Admin\r\n"
            "[23:59:58][Rotaryn] Add Task (Task: 25/12/2026 20:00:00) from Bob\r\n");
  EXPECT_EQ(host.scratch.read("profiles/alpha/adminlogs/2026-12-05.txt"),
            "[00:00:01][Rotaryn] Play Map from Ann Admin\r\n");
  EXPECT_EQ(host.scratch.read("adminlogs/2026-12-05.txt"),
            "[00:00:01][Rotaryn] Score Map from Cy\r\n"
            "[00:00:01][Rotaryn] Change Map List from Di\r\n");
  EXPECT_FALSE(host.scratch.exists("profiles/bravo/adminlogs"));
}

TEST_F(AdminLogTest, AMissingProfileFolderOrPdatElementFailsWithoutWritingALine) {
  EXPECT_THROW(AdminLog(host.module, pdat("nobody", "Ann", 0), adminlog::kSkipMap), VbError);
  EXPECT_FALSE(host.scratch.exists("profiles/nobody"));
  Variant shortPdat(Variant::Array(8));
  EXPECT_THROW(AdminLog(host.module, shortPdat, adminlog::kSkipMap), VbError);
  EXPECT_FALSE(host.scratch.exists("adminlogs"));
}

}  // namespace
}  // namespace rotaryn
