#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "platform/ini_file.h"
#include "tests/support/ui_window_fixture.h"

namespace rotaryn {
namespace {

TEST(FormLoad, OnlyEditTaskStartsDisabled) {
  WindowFixture host;
  frmRotarynMaps& w = host.load();
  for (Button* button :
       {&w.cmdSkip, &w.cmdScore, &w.cmdPlay, &w.cmdUpdate, &w.cmdSave, &w.cmdLoad, &w.cmdAdd,
        &w.cmdRemove, &w.cmdUp, &w.cmdDown, &w.cmdGtLeft, &w.cmdGtRight, &w.cmdAddTask}) {
    EXPECT_TRUE(button->enabled.get()) << button->name();
  }
  EXPECT_FALSE(w.cmdEditTask.enabled.get());
  EXPECT_EQ(w.cmdUpdate.caption.get(), "Update Maps");
  EXPECT_EQ(w.imageButtons().imageOf(w.cmdUpdate)->place.get(), (TwipsRect{5470, 320, 1335, 495}));
  EXPECT_EQ(w.mfgTask.TextMatrix(0, 0), "Date & Time");
  EXPECT_EQ(w.mfgTask.ColWidth(2), 1250);
}

TEST(FormReload, WithoutMapsIniShows45SecondsAndWritesNothing) {
  WindowFixture host;
  frmRotarynMaps& w = host.load();
  EXPECT_EQ(w.chkAutoLoad.value.get(), 0);
  EXPECT_EQ(w.sldTimer.value.get(), 9);
  EXPECT_EQ(w.Label15.caption.get(), "45 Secs");
  EXPECT_FALSE(host.scratch.exists("Plugins/Maps.ini"));
}

TEST(FormReload, UnusableDisplayTimeShowsNineWithoutRewritingTheFile) {
  for (std::string value : {"0", "10", "soon"}) {
    WindowFixture host;
    std::string ini = "[Autoload]\r\nprofile1=1\r\n[DisplayTime]\r\nprofile1=" + value + "\r\n";
    host.writeMapsIni(ini);
    frmRotarynMaps& w = host.load();
    EXPECT_EQ(w.sldTimer.value.get(), 9) << value;
    EXPECT_EQ(w.Label15.caption.get(), "45 Secs") << value;
    EXPECT_EQ(w.chkAutoLoad.value.get(), 1);
    EXPECT_EQ(host.mapsIni(), ini) << value;
  }
}

TEST(FormReload, ReadOnlyMapsIniStillLoadsWithDefaultsAndLogsTheRefusedWrites) {
  WindowFixture host;
  host.writeMapsIni("[Other]\r\n");
  ::chmod((host.scratch / "Plugins/Maps.ini").c_str(), 0444);
  frmRotarynMaps& w = host.load();
  EXPECT_EQ(host.failuresOf("Form_Reload"), 0);
  EXPECT_EQ(w.chkAutoLoad.value.get(), 0);
  EXPECT_EQ(w.Label15.caption.get(), "45 Secs");
  EXPECT_EQ(host.mapsIni(), "[Other]\r\n");
  std::string log = host.scratch.read("logs/errors.log");
  EXPECT_EQ(std::count(log.begin(), log.end(), '\n'), 2);  // Autoload, DisplayTime
  EXPECT_THAT(log, ::testing::HasSubstr("Plugins\\Maps.ini (file is read-only)"));
}

TEST(FormReload, MissingEntriesAreWrittenAsDefaultsAndOddAutoloadCountsAsOff) {
  WindowFixture host;
  host.writeMapsIni("[Autoload]\r\nprofile1=yes\r\n[DisplayTime]\r\nprofile2=4\r\n");
  frmRotarynMaps& w = host.load();
  EXPECT_EQ(w.chkAutoLoad.value.get(), 0);
  EXPECT_EQ(w.Label15.caption.get(), "45 Secs");
  IniFile ini(host.files);
  std::string path = host.root() + "\\Plugins\\Maps.ini";
  EXPECT_EQ(ini.read(path, "Autoload", "profile1"), "yes");
  EXPECT_EQ(ini.read(path, "DisplayTime", "profile1"), "9");

  ini.write(path, "DisplayTime", "profile1", "4");
  w.Form_Reload();
  EXPECT_EQ(w.sldTimer.value.get(), 4);
  EXPECT_EQ(w.Label15.caption.get(), "20 Secs");
}

TEST(FormReload, FillsGridsCountersAndLimitsFromTheServer) {
  WindowFixture host;
  sim::ServerOptions options;
  options.rotation = WindowFixture::rotationOf(5);
  sim::ServerModel& server = host.addProfile(WindowFixture::kProfile, options);
  server.setLong("CMaxKills", 0);
  server.setLong("MaxKills", 40);
  server.setLong("CGameScore", 25);
  server.setLong("CKothLimit", 0);
  server.setLong("KothLimit", 12);

  frmRotarynMaps& w = host.load();
  EXPECT_EQ(w.lblSnum.caption.get(), "5 / 255");
  EXPECT_EQ(w.lblTnum.caption.get(), std::to_string(w.mfgList.Rows()));
  EXPECT_GT(w.mfgList.Rows(), 0);
  EXPECT_EQ(w.txtGametype.text.get(), "Deathmatch");
  EXPECT_EQ(host.gridRows(w.mfgCurrent), host.currentListRows());
  EXPECT_EQ(host.gridRows(w.mfgCurrent)[1], "Map 1 <MAP_1.BMS>|1|1");
  EXPECT_EQ(w.txtTdm.text.get(), "40");
  EXPECT_EQ(w.txtFb.text.get(), "25");
  EXPECT_EQ(w.txtTkoth.text.get(), "12");
  EXPECT_EQ(w.MaxMapsLimit, 255);
  EXPECT_EQ(server.longAt("MaxMaps"), 255);
  // Each box whose text changes runs its change handler, which writes the limit it shows into
  // the configured field; the server's own limits are never written.
  std::vector<std::pair<std::string, int64_t>> limitWrites;
  for (const sim::ClientWrite& write : server.clientWrites()) {
    for (const char* key : {"CMaxKills", "CGameScore", "CKothLimit", "MaxKills", "KothLimit"}) {
      if (write.address == server.layout().at(key)) limitWrites.emplace_back(key, write.number());
    }
  }
  EXPECT_EQ(limitWrites, (std::vector<std::pair<std::string, int64_t>>{
                             {"CKothLimit", 12}, {"CMaxKills", 40}, {"CGameScore", 25}}));
}

TEST(FormReload, AffiliateProfileShowsItsRotationWithTheLimitBoxesDisabled) {
  WindowFixture host;
  sim::ServerOptions options;
  options.build = sim::ServerBuild::kAffiliate;
  options.rotation = WindowFixture::rotationOf(3);
  frmRotarynMaps& w = host.load(options);

  EXPECT_EQ(host.dialogs.boxes().size(), 0u);
  EXPECT_EQ(host.gridRows(w.mfgCurrent), host.currentListRows());
  EXPECT_EQ(host.gridRows(w.mfgCurrent)[2], "Map 2 <MAP_2.BMS>|2|0");
  EXPECT_EQ(w.lblSnum.caption.get(), "3 / 255");
  for (TextBox* box : {&w.txtTkoth, &w.txtTdm, &w.txtFb}) {
    EXPECT_FALSE(box->enabled.get()) << box->name();
    EXPECT_EQ(box->text.get(), "") << box->name();
    EXPECT_EQ(box->toolTipText.get(), "This server build has no score-limit fields.");
  }
}

TEST(FormReload, SwitchingBetweenBuildsShowsEachProfilesOwnRotationAndLimitBoxes) {
  WindowFixture host;
  sim::ServerOptions standard;
  standard.rotation = WindowFixture::rotationOf(2);
  standard.maxKills = 35;
  sim::ServerOptions affiliate;
  affiliate.build = sim::ServerBuild::kAffiliate;
  affiliate.rotation = {{4, false, "AFF_A.BMS", "Aff A"},
                        {7, true, "AFF_B.BMS", "Aff B"},
                        {8, false, "AFF_C.BMS", "Aff C"}};
  frmRotarynMaps& w = host.load(standard);
  std::vector<std::string> standardRows = host.gridRows(w.mfgCurrent);
  host.addProfile(2, affiliate);
  w.Form_Reload();

  EXPECT_EQ(host.gridRows(w.mfgCurrent),
            (std::vector<std::string>{"Aff A <AFF_A.BMS>|4|0", "Aff B <AFF_B.BMS>|7|1",
                                      "Aff C <AFF_C.BMS>|8|0"}));
  EXPECT_EQ(host.gridRows(w.mfgCurrent), host.currentListRows());
  EXPECT_FALSE(w.txtTdm.enabled.get());
  EXPECT_EQ(w.txtTdm.text.get(), "");

  host.registerAgain(WindowFixture::kProfile);
  w.Form_Reload();
  EXPECT_EQ(host.gridRows(w.mfgCurrent), standardRows);
  EXPECT_EQ(host.gridRows(w.mfgCurrent), host.currentListRows());
  for (TextBox* box : {&w.txtTkoth, &w.txtTdm, &w.txtFb}) {
    EXPECT_TRUE(box->enabled.get()) << box->name();
    EXPECT_EQ(box->toolTipText.get(), "") << box->name();
  }
  EXPECT_EQ(w.txtTdm.text.get(), "35");
  EXPECT_EQ(host.dialogs.boxes().size(), 0u);
}

}  // namespace
}  // namespace rotaryn
