#include "catalogue/custom_map_menu.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/map_file_builder.h"
#include "tests/support/ui_window_fixture.h"

namespace rotaryn {
namespace {

class CustomMapMenu : public ::testing::Test {
 protected:
  // The row of mfgList whose text starts with `name`, made current; -1 when not listed.
  int selectListRow(const std::string& name) {
    FlexGrid& list = host.window().mfgList;
    for (int row = 0; row < list.Rows(); ++row) {
      if (list.TextMatrix(row, 0).starts_with(name + " <")) {
        list.setRow(row);
        return row;
      }
    }
    return -1;
  }
  std::string confirmation(const std::string& file) const {
    return "Are you sure you want to delete the following file:\r\n\r\n" +
           host.gameFolder(WindowFixture::kProfile) + file +
           "\r\n\r\nWARNING! This action cannot be undone!";
  }

  WindowFixture host;
};

TEST_F(CustomMapMenu, AddCopiesTheMapWithCompanionsByBaseName) {
  host.load();
  host.scratch.write("incoming/canyon.night.bms", mapFileBytes("Canyon Night", 0, 0xFF));
  host.scratch.write("incoming/canyon.til", "til");
  host.scratch.write("incoming/canyon.WAC", "wac");
  host.scratch.write("incoming/canyon.night.til", "not a companion");
  host.dialogs.queueOpenFile(host.root() + "\\incoming\\canyon.night.bms");
  host.window().mnuAdd.action();
  EXPECT_EQ(host.scratch.read("game1/canyon.night.bms"), mapFileBytes("Canyon Night", 0, 0xFF));
  EXPECT_EQ(host.scratch.read("game1/canyon.til"), "til");
  // Named as the first extension tried that found it, as Windows names a new file.
  EXPECT_EQ(host.scratch.read("game1/canyon.wac"), "wac");
  EXPECT_FALSE(host.scratch.exists("game1/canyon.night.til"));
  EXPECT_EQ(host.boxes("Success", kMapAdded), 1);
  // Not listed before the next refill.
  EXPECT_EQ(selectListRow("Canyon Night"), -1);

  // Cancelled: nothing. A companion that cannot be read: no file of the map is written.
  host.window().mnuAdd.action();
  host.scratch.write("incoming/mesa.bms", "new");
  host.scratch.write("incoming/mesa.til", "til");
  host.scratch.write("game1/mesa.bms", "old");
  host.files.beforeCall = [](std::string_view call, const std::string& path) {
    if (path.ends_with("mesa.til") && call == "ReplaceAll") raiseVbError(70, "denied");
  };
  host.dialogs.queueOpenFile(host.root() + "\\incoming\\mesa.bms");
  host.window().mnuAdd.action();
  EXPECT_EQ(host.failuresOf("mnuAdd"), 1);
  EXPECT_FALSE(host.scratch.exists("game1/mesa.til"));
  EXPECT_EQ(host.boxes("Success", kMapAdded), 1);
}

// Refusing a stock map or one of the rotation, and a No, are the map_files scenario's.
TEST_F(CustomMapMenu, DeleteAsksUnderTheHourglassAndDeletesOnlyTheMapFile) {
  host.addCustomMap("mesa.bms", "Mesa", 0xFF);
  host.scratch.write("game1/mesa.til", "til");
  host.load();
  FlexGrid& list = host.window().mfgList;
  // The hourglass is on while the question is asked, and off for every other message.
  std::vector<bool> busyWhileAsked;
  host.dialogs.onMessageBox([&](const ScriptedDialogs::MessageBoxRecord& box) {
    if (box.title == "Confirmation Required!") {
      busyWhileAsked.push_back(host.dialogs.busy());
    } else {
      EXPECT_FALSE(host.dialogs.busy()) << box.text;
    }
  });

  list.setRows(0);
  host.window().mnuDelete.action();
  EXPECT_EQ(host.boxes("Action Required!", kSelectMap), 1);
  host.window().Form_Reload();

  ASSERT_GE(selectListRow("Mesa"), 0);
  host.window().mnuDelete.action();
  EXPECT_EQ(host.boxes("Confirmation Required!", confirmation("mesa.bms")), 1);
  EXPECT_FALSE(host.scratch.exists("game1/mesa.bms"));
  EXPECT_TRUE(host.scratch.exists("game1/mesa.til"));
  EXPECT_EQ(host.boxes("Success",
                       host.gameFolder(WindowFixture::kProfile) + "mesa.bms deleted successfully."),
            1);
  EXPECT_FALSE(host.dialogs.busy());
  EXPECT_EQ(busyWhileAsked, std::vector<bool>{true});
  // The window was refilled: the map is no longer listed.
  EXPECT_EQ(selectListRow("Mesa"), -1);
}

}  // namespace
}  // namespace rotaryn
