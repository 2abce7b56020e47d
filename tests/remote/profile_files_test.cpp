#include "remote/profile_files.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/vb_error.h"
#include "tests/support/plugin_fixture.h"

namespace rotaryn {
namespace {

Variant pdat(const std::string& profileFolder, int16_t shared = 0) {
  Variant::Array elements(14);
  elements[7] = Variant(profileFolder);
  elements[11] = Variant(shared);
  return Variant(std::move(elements));
}

TEST(ProfileFiles, ListsTheSavedMapListsAndEveryTaskEvenABrokenOne) {
  PluginFixture host;
  EXPECT_EQ(mapListNames(host.module, pdat("alpha")), Json::array());
  host.scratch.write("profiles/alpha/settings/evening.mpl", "");
  host.scratch.write("profiles/alpha/settings/Night.MPL", "");
  host.scratch.write("profiles/alpha/settings/lastsettings.ini", "");
  host.scratch.write("profiles/alpha/settings/MapTasks.ini",
                     "[25/12/2026 20:00:00]\r\nFile=evening.mpl\r\nFrequency=Every Week\r\n"
                     "[26/12/2026 08:00:00]\r\nFile=Random\r\n");
  Json names = mapListNames(host.module, pdat("alpha"));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, Json({"Night.MPL", "evening.mpl"}));
  EXPECT_EQ(taskList(host.module, pdat("alpha")),
            Json::parse(R"([{"when":"25/12/2026 20:00:00","file":"evening.mpl",
                             "frequency":"Every Week"},
                            {"when":"26/12/2026 08:00:00","file":"Random","frequency":""}])"));
  EXPECT_EQ(taskList(host.module, pdat("bravo")), Json::array());
}

TEST(ProfileFiles, ReadsTheLastLinesOfADaysAdminLog) {
  PluginFixture host;
  host.scratch.write("profiles/alpha/adminlogs/2026-12-07.txt", "[1]a\r\n[2]b\r\n[3]c\r\n");
  host.scratch.write("adminlogs/2026-12-07.txt", "[9]shared\r\n");
  struct Case {
    Variant pdat;
    const char* day;
    int64_t last;
    const char* answer;
  };
  const Case cases[] = {
      {pdat("alpha"), "2026-12-07", -1, R"({"lines":["[1]a","[2]b","[3]c"],"total":3})"},
      {pdat("alpha"), "2026-12-07", 2, R"({"lines":["[2]b","[3]c"],"total":3})"},
      {pdat("alpha", -1), "2026-12-07", 5, R"({"lines":["[9]shared"],"total":1})"},
      {pdat("alpha"), "2026-12-08", 5, R"({"lines":[],"total":0})"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(adminLogLines(host.module, c.pdat, c.day, c.last), Json::parse(c.answer)) << c.day;
  }
  for (const char* day : {"2026-12-7", "../../x/2026", "2026/12/07", ""}) {
    EXPECT_THROW(adminLogLines(host.module, pdat("alpha"), day, 5), VbError) << day;
  }
}

}  // namespace
}  // namespace rotaryn
