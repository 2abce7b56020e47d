#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "catalogue/stock_catalogue.h"
#include "formats/base64.h"
#include "formats/exchange_codec.h"
#include "remote/get_maps_rem.h"
#include "remote/set_maps_rem.h"
#include "tests/support/ui_window_fixture.h"

namespace rotaryn {
namespace {

using formats::exchange::MapLine;
using formats::exchange::MapsAnswer;
using formats::exchange::NewRotation;

constexpr int32_t kProfile = WindowFixture::kProfile;

class RemoteExchange : public ::testing::Test {
 protected:
  RemoteExchange() { host.scheduler.setWallClock(DateTime{2026, 12, 4, 20, 15, 3}); }

  Variant pdat() const { return host.remotePdat("Ann Lee"); }
  MapsAnswer get() {
    return formats::exchange::parseMapsAnswer(GetMapsRem(host.module, kProfile, pdat()));
  }
  int32_t set(const NewRotation& rotation) {
    return SetMapsRem(host.module, kProfile, pdat(),
                      Variant(formats::exchange::buildSetMapsData(rotation)));
  }
  std::string lastSettings() const {
    return host.scratch.read("profiles/profile1/settings/lastsettings.ini");
  }
  void writeTasks(const std::string& text) {
    host.scratch.write("profiles/profile1/settings/MapTasks.ini", text);
  }
  // The n-th stock map of the base catalogue (the one a simulated server loads), with its type.
  static MapLine stock(int n) {
    for (const StockMapRow& row : stockMapRows()) {
      if (row.baseKey != 0 && n-- == 0) {
        return {std::string(row.name), std::string(row.file), row.gameType, false};
      }
    }
    return {};
  }

  WindowFixture host;
};

TEST_F(RemoteExchange, AnswerDecodesToSettingsEveryMapRotationAndTasks) {
  host.writeMapsIni("[Autoload]\r\nprofile1=1\r\n[DisplayTime]\r\nprofile1=x\r\n");
  sim::ServerOptions options;
  options.rotation = {{0, false, "DMM_01A.BMS", "City Madness"},
                      {1, true, "canyon.night.bms", "Canyon Night"},
                      // A custom file under a stock map's name travels flagged as stock.
                      {0, true, "fake.bms", "City Madness"}};
  host.load(options);
  host.addCustomMap("canyon.night.bms", "Canyon Night", 0x03);
  host.server().setLong("MaxMaps", 64);
  host.server().setLong("CMaxKills", 0);
  host.server().setLong("CGameScore", 25);
  host.server().setLong("CKothLimit", 7);
  writeTasks(
      "[25/12/2026 20:00:00]\r\nFile=my_list.mpl\r\nFrequency=Every Day\r\n"
      "[01/01/2027 10:00:00]\r\nFile=Random\r\n"  // one line: not sent
      "[02/01/2027 10:00:00]\r\nFile=Random\r\nFrequency=Once\r\n");

  const MapsAnswer answer = get();
  const formats::exchange::ServerSettings& s = answer.settings;
  EXPECT_EQ(s.displayTime, "9");                             // "x" lies beyond "9"
  EXPECT_EQ(s.killLimit, host.server().longAt("MaxKills"));  // none configured: the server's
  EXPECT_EQ(s.mapLimit, 255);
  EXPECT_EQ(host.server().longAt("MaxMaps"), 255);
  // A map of two game types is listed under each.
  EXPECT_EQ(std::count_if(answer.catalogue.begin(), answer.catalogue.end(),
                          [](const MapLine& line) { return line.custom; }),
            2);

  ASSERT_EQ(answer.rotation.size(), 3u);
  EXPECT_EQ(answer.rotation[0], (MapLine{"City Madness", "DMM_01A.BMS", 0, false}));
  EXPECT_EQ(answer.rotation[1], (MapLine{"Canyon Night", "canyon.night.bms", 1, true}));
  EXPECT_EQ(answer.rotation[2], (MapLine{"City Madness", "fake.bms", 0, false}));

  ASSERT_EQ(answer.tasks.size(), 2u);
  EXPECT_EQ(answer.tasks[1].section, "02/01/2027 10:00:00");
  EXPECT_FALSE(host.scratch.exists("profiles/profile1/adminlogs"));
}

TEST_F(RemoteExchange, EdgesOfTheAnswer) {
  host.load();
  // No task file, no Maps.ini: empty settings fields and nothing after the last separator.
  const std::string body =
      formats::exchange::unwrapMapsAnswer(GetMapsRem(host.module, kProfile, pdat()));
  EXPECT_TRUE(body.starts_with("__"));
  EXPECT_TRUE(body.ends_with(formats::exchange::kSectionSeparator));

  // A task file with a single task lists one section name: no tasks travel.
  writeTasks("[25/12/2026 20:00:00]\r\nFile=Random\r\nFrequency=Once\r\n");
  EXPECT_TRUE(get().tasks.empty());

  // A temporary file that cannot be written: reported, empty answer, nothing left behind.
  host.files.beforeCall = [](std::string_view, const std::string& path) {
    if (path.find("tmpmaplist") != std::string::npos) raiseVbError(70, "denied");
  };
  EXPECT_EQ(GetMapsRem(host.module, kProfile, pdat()), "");
  EXPECT_EQ(host.failuresOf("GetMapsRem"), 1);
  host.files.beforeCall = nullptr;
  EXPECT_FALSE(host.scratch.exists("profiles/profile1/tmpmaplist.txt"));

  host.server().setLong("GameState", 0);
  EXPECT_EQ(GetMapsRem(host.module, kProfile, pdat()), "Failed");
}

TEST_F(RemoteExchange, AffiliateServersSendNoLimits) {
  host.load({.build = sim::ServerBuild::kAffiliate});
  const MapsAnswer answer =
      formats::exchange::parseMapsAnswer(GetMapsRem(host.module, kProfile, pdat()));
  EXPECT_EQ(answer.settings.kothLimit, 0);
  EXPECT_EQ(answer.settings.killLimit, 0);
  EXPECT_EQ(answer.settings.gameScoreLimit, 0);
  EXPECT_FALSE(answer.rotation.empty());

  // Applying a rotation skips the limits and still changes the rotation.
  EXPECT_EQ(SetMapsRem(host.module, kProfile, pdat(),
                       Variant(formats::exchange::buildSetMapsData({1, 2, 3, {stock(2)}}))),
            1);
  const MapsAnswer after =
      formats::exchange::parseMapsAnswer(GetMapsRem(host.module, kProfile, pdat()));
  EXPECT_EQ(after.rotation, (std::vector<MapLine>{stock(2)}));
}

TEST_F(RemoteExchange, SetMapsWithoutMapsWritesOnlyTheLimits) {
  host.load();
  // Only the limits: "mapcount" -1 and no map keys. The autoload then finds nothing to restore
  // and reads the server's rotation back into the file, so look at it as the next write finds it.
  std::vector<std::string> seen;
  host.files.beforeCall = [&](std::string_view, const std::string& path) {
    if (path.ends_with("lastsettings.ini")) seen.push_back(lastSettings());
  };
  EXPECT_EQ(set({5, 6, 7, {}}), 1);
  host.files.beforeCall = nullptr;
  ASSERT_GE(seen.size(), 2u);
  // Keys past "mapcount" are left from before, as key-by-key writes leave them; none is read.
  EXPECT_TRUE(
      seen[1].starts_with("[Maps]\r\ntkScore=5\r\ndmScore=6\r\nfbScore=7\r\nmapcount=-1\r\n"))
      << seen[1];
}

TEST_F(RemoteExchange, MalformedDataChangesNothingAndLogsNothing) {
  host.load();
  const int32_t killsBefore = host.server().longAt("CMaxKills");
  auto wrap = [](const std::string& text) {
    return std::to_string(text.size()) + "|" +
           formats::encodeBase64(formats::exchange::compressText(text));
  };
  const std::string good = formats::exchange::buildSetMapsData({1, 2, 3, {stock(0)}});
  const std::vector<std::string> bad = {
      "",
      "12",
      "x|" + good.substr(good.find('|') + 1),
      "999|" + good.substr(good.find('|') + 1),  // length mismatch
      "10|@@@@",
      wrap("0_1_2"),                   // too few fields
      wrap("0_1_zz_3"),                // a limit that is not a number
      wrap("0_1_2_3_QQ==|QQ==|1"),     // an entry of three parts
      wrap("0_1_2_3_QQ==|*bad*|1|0"),  // mission file not base 64
      wrap("0_1_2_3_QQ==|" + formats::encodeBase64("a.bms") + "|x|0"),  // game type
      good + "|extra",
  };
  for (const std::string& data : bad) {
    EXPECT_EQ(SetMapsRem(host.module, kProfile, pdat(), Variant(data)), 0) << data;
  }
  EXPECT_EQ(host.failuresOf("SetMapsRem"), static_cast<int>(bad.size()));
  EXPECT_EQ(host.server().longAt("CMaxKills"), killsBefore);
  EXPECT_FALSE(host.scratch.exists("profiles/profile1/adminlogs"));
}

}  // namespace
}  // namespace rotaryn
