#include "plugin/cls_plugin.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

#include "components/fennor/cls_mfd.h"
#include "errors/error_report.h"
#include "platform/adapters/scripted_dialogs.h"
#include "platform/adapters/virtual_scheduler.h"
#include "platform/adapters/windows_file_system.h"
#include "plugin/profiles.h"
#include "tests/platform/vb_error_of.h"
#include "tests/support/scratch_folder.h"
#include "ui/frm_rotaryn_maps.h"

namespace rotaryn {
namespace {

// A server whose memory reads as zeros and keeps what is written: enough for the plug-in's
// own life cycle, which these tests are about.
class BlankServer final : public IMemoryAccess {
 public:
  int32_t ReadLong(int32_t&, int32_t address) override { return longs[address]; }
  uint8_t ReadByte(int32_t&, int32_t) override { return 0; }
  std::string ReadStr(int32_t&, int32_t) override { return {}; }
  void WriteLong(int32_t&, int32_t address, int32_t value, int16_t) override {
    longs[address] = value;
  }
  void WriteStr(int32_t&, int32_t, const std::string&) override {}
  void AddMsg(int32_t&, int32_t&, const std::string&, bool&, const std::string&, int16_t) override {
  }
  std::string Enc64(const std::string& text) override { return text; }
  std::string dec64(const std::string& text) override { return text; }
  std::map<int32_t, int32_t> longs;
};

class PluginTest : public ::testing::Test {
 protected:
  PluginTest() {
    registerFennor(registry, files, scheduler, root());
    registry.registerFactory(kMemoryAccessProgId, [] { return std::make_shared<BlankServer>(); });
  }

  std::string root() const { return WindowsFileSystem::toWindowsPath(scratch.path()); }
  clsPlugin& plugin() {
    if (!plugin_) plugin_ = std::make_unique<clsPlugin>(ports, root() + "\\Plugins");
    return *plugin_;
  }
  Module& module() { return plugin().module(); }

  static Variant pdat(const std::string& serverType = "DFBHD", int32_t pid = 4242) {
    return Variant(Variant::Array{"host0", Variant(serverType), Variant(pid), "h3", "h4",
                                  "C:\\games\\dfbhd\\", Variant(pid), "alpha", "", "", "", "",
                                  Variant(int32_t{6000}), Variant(int32_t{9000})});
  }

  ScratchFolder scratch;
  WindowsFileSystem files;
  VirtualScheduler scheduler;
  ScriptedDialogs dialogs;
  ComponentRegistry registry;
  FixedScreen coarseScreen{12, 10};
  Ports ports{registry, files, scheduler, scheduler, scheduler, dialogs};

 private:
  std::unique_ptr<clsPlugin> plugin_;
};

TEST_F(PluginTest, MissingComponentIsReportedUnderMain) {
  ComponentRegistry empty;
  Ports bare{empty, files, scheduler, scheduler, scheduler, dialogs};
  clsPlugin lonely(bare, root() + "\\Plugins");
  ASSERT_EQ(dialogs.boxes().size(), 1u);
  EXPECT_EQ(dialogs.boxes()[0].title, "DLL Error!");
  EXPECT_THAT(dialogs.boxes()[0].text, ::testing::HasSubstr("Error 429: "));
  EXPECT_THAT(dialogs.boxes()[0].text, ::testing::HasSubstr("Function/Sub: Main"));
}

TEST_F(PluginTest, LoadInterfaceWithIndexZeroDoesNothing) {
  plugin().LoadInterface(0, 77, pdat());
  EXPECT_TRUE(module().Profiles.empty());
  EXPECT_EQ(module().window, nullptr);
  EXPECT_FALSE(scheduler.exists(kMonitorTimer, 0));
}

TEST_F(PluginTest, FirstProfileFiveGrowsTablesToFiveAndLeavesOthersEmpty) {
  plugin().LoadInterface(5, 77, pdat());
  ASSERT_EQ(module().Profiles.size(), 6u);
  ASSERT_EQ(module().AddressTables.size(), 6u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(module().Profiles[i].ProfileFolder, "");
    EXPECT_EQ(module().AddressTables[i].count(), 0);
  }
  const ProfileRecord& record = module().Profiles[5];
  EXPECT_EQ(record.ServerProcess, 4242);
  EXPECT_EQ(record.GameFolder, "C:\\games\\dfbhd\\");
  EXPECT_EQ(record.ProfileFolder, "alpha");
  EXPECT_EQ(module().CurrentProfile, 5);
  // Growing again keeps the earlier record.
  plugin().LoadInterface(7, 77, pdat("DFBHD", 99));
  EXPECT_EQ(module().Profiles[5].ServerProcess, 4242);
  EXPECT_EQ(module().Profiles[7].ServerProcess, 99);
}

TEST_F(PluginTest, SecondLoadKeepsOneTimerOfEachKindRunning) {
  plugin().LoadInterface(2, 77, pdat());
  scheduler.stop(kMonitorTimer, 2);
  plugin().LoadInterface(2, 77, pdat());
  EXPECT_TRUE(scheduler.isRunning(kMonitorTimer, 2));
  EXPECT_TRUE(scheduler.isRunning(kTaskTimer, 2));
  EXPECT_FALSE(scheduler.exists(kMonitorTimer, 1));
}

TEST_F(PluginTest, WindowIsPlacedFromTheHostArea) {
  plugin().LoadInterface(1, 4711, pdat());
  ASSERT_NE(module().window, nullptr);
  EXPECT_TRUE(module().window->isVisible());
  EXPECT_EQ(module().window->parentWindow(), 4711);
  // 9000 twips wide, 6000 high at 15 twips a pixel, less 28 pixels of height.
  EXPECT_EQ(module().window->placementPx(), (std::array<int, 4>{2, 30, 600, 372}));
}

TEST_F(PluginTest, WindowIsSizedInPixelsOfTheHostsScreen) {
  ports.screen = &coarseScreen;
  plugin().LoadInterface(1, 4711, pdat());
  EXPECT_EQ(module().window->placementPx(), (std::array<int, 4>{2, 30, 750, 572}));
}

TEST_F(PluginTest, AffiliateBuildNeedsExactSuffix) {
  struct Case {
    const char* serverType;
    bool affiliate;
    long keys;
  };
  for (Case c : {Case{"DFBHD_AFF", true, 23}, Case{"DFBHD_aff", false, 28},
                 Case{"DFBHD_AFF ", false, 28}, Case{"AFF", false, 28}}) {
    RegisterProfile(module(), 3, pdat(c.serverType));
    EXPECT_EQ(module().Profiles[3].IsAffiliate, c.affiliate) << c.serverType;
    EXPECT_EQ(module().AddressTables[3].count(), c.keys) << c.serverType;
  }
}

TEST_F(PluginTest, SwitchingBuildsLeavesNoKeyOfTheOtherBuild) {
  RegisterProfile(module(), 1, pdat("DFBHD"));
  EXPECT_EQ(addressOf(module(), 1, "cmaxkills"), 0xA3FBA9);
  RegisterProfile(module(), 1, pdat("DFBHD_AFF"));
  EXPECT_EQ(addressOf(module(), 1, "GameState"), 0x9DB300);
  EXPECT_EQ(errorOf([&] { addressOf(module(), 1, "CMaxKills"); }), 5) << "no configured limits";
  for (bool affiliate : {false, true}) {
    RegisterProfile(module(), 1, pdat(affiliate ? "X_AFF" : "X"));
    EXPECT_EQ(addressOf(module(), 1, "MaxMaps"), addressOf(module(), 1, "MapNum"));
  }
}

TEST_F(PluginTest, BadPdatFailsTheCallerAndKeepsTheRecord) {
  RegisterProfile(module(), 1, pdat());
  Variant shortPdat(Variant::Array{"h0", "DFBHD", Variant(int32_t{1})});
  EXPECT_THROW(RegisterProfile(module(), 1, shortPdat), VbError);
  Variant textPid(Variant::Array{"h0", "DFBHD", "not a pid", "", "", "", "0", "beta"});
  EXPECT_THROW(RegisterProfile(module(), 1, textPid), VbError);
  EXPECT_EQ(module().Profiles[1].ProfileFolder, "alpha");

  plugin().LoadInterface(2, 77, shortPdat);
  ASSERT_FALSE(dialogs.boxes().empty());
  EXPECT_THAT(dialogs.boxes().back().text, ::testing::HasSubstr("Error 9: Subscript out of range"));
  EXPECT_THAT(dialogs.boxes().back().text, ::testing::HasSubstr("Function/Sub: LoadInterface"));
}

TEST_F(PluginTest, UnloadRunsEveryStepAndLaterLoadsGrowAgain) {
  plugin().LoadInterface(2, 77, pdat());
  module().currentList.append({"Some map", "", "", ""});
  // AutoloadDone does not cover the current profile: that step fails, the rest still runs.
  plugin().UnLoadInterface();
  EXPECT_EQ(module().AddressTables.size(), 1u);
  EXPECT_EQ(module().AddressTables[0].count(), 0);
  EXPECT_TRUE(module().currentList.maps.empty());
  EXPECT_TRUE(module().catalogue.stock.empty());
  EXPECT_EQ(module().window, nullptr);
  EXPECT_FALSE(scheduler.exists(kMonitorTimer, 2));
  EXPECT_FALSE(scheduler.exists(kTaskTimer, 2));

  plugin().LoadInterface(3, 77, pdat());
  EXPECT_EQ(module().AddressTables.size(), 4u);
  EXPECT_NE(module().window, nullptr);
}

class ErrorReportTest : public PluginTest {
 protected:
  void setReportErrors(const std::string& value) {
    scratch.write("settings/config.ini", "[Settings]\r\nReportErrors=" + value + "\r\n");
  }
  std::string reportFor91() {
    dialogs.clearRecords();
    VbError error(91, "D");
    ErrorReport(module(), kReportFailure, "cmdPlay", &error, 12, 0);
    EXPECT_EQ(dialogs.boxes().size(), 1u);
    EXPECT_EQ(dialogs.boxes().back().title, "DLL Error!");
    return dialogs.boxes().back().text;
  }
  static constexpr const char* kHead =
      "Error 91: D\r\nError Line: 12\r\nDLL: twkRotaryn.dll\r\nFunction/Sub: cmdPlay\r\n\r\n";
};

TEST_F(ErrorReportTest, FailureBoxTextWithEachReportOutcome) {
  EXPECT_EQ(reportFor91(), std::string(kHead) + "Error Report Sent: No");
  for (const char* notOne : {"0", "2", "", "yes"}) {
    setReportErrors(notOne);
    EXPECT_EQ(reportFor91(), std::string(kHead) + "Error Report Sent: No") << notOne;
  }
  setReportErrors("1");
  EXPECT_EQ(reportFor91(), std::string(kHead) + "Error Report Sent: Yes");
  EXPECT_FALSE(files.FilesOf(root() + "\\logs\\outbox").empty());
  // An outbox that cannot be made: a file stands where its folder would be.
  scratch.write("logs/outbox.blocked", "");
  std::filesystem::remove_all(scratch / "logs/outbox");
  std::filesystem::rename(scratch / "logs/outbox.blocked", scratch / "logs/outbox");
  EXPECT_EQ(reportFor91(), std::string(kHead) + "Error Report Sent: Failed!");
  EXPECT_THAT(scratch.read("logs/errors.log"), ::testing::HasSubstr("cmdPlay"));
}

}  // namespace
}  // namespace rotaryn
