#include "catalogue/map_files.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>

#include "catalogue/stock_catalogue.h"
#include "tests/support/map_file_builder.h"
#include "tests/support/plugin_fixture.h"

namespace rotaryn {
namespace {

class MapFiles : public ::testing::Test {
 protected:
  MapFiles() { host.addProfile(1); }

  void put(const std::string& file, const std::string& bytes) {
    host.scratch.write(PluginFixture::gameFolderOnDisk(1) + "/" + file, bytes);
  }
  std::string onDisk(const std::string& file) {
    return host.scratch.read(PluginFixture::gameFolderOnDisk(1) + "/" + file);
  }
  void scan() { GetCustomMaps(host.module, host.gameFolder(1)); }
  std::vector<std::string> customFiles() const {
    return host.module.catalogue.CustomMapFiles.values();
  }

  PluginFixture host;
};

TEST_F(MapFiles, SetCodeListsTypesFromBothBytes) {
  struct Case {
    const char* code;
    const char* types;
  };
  for (const Case& c : {Case{"100_34", "0,1,"}, Case{"144_0", "6,"}, Case{"143_0", ""},
                        Case{"0_255", "0,1,2,3,4,5,7,8,"}, Case{"200_255", "0,1,2,3,4,5,6,7,8,"},
                        Case{"10_0", ""}, Case{"0_512", ""}, Case{"150_-1", "6,"}}) {
    EXPECT_EQ(SetCode(host.module, c.code), c.types) << c.code;
  }
  EXPECT_EQ(host.failuresOf("SetCode"), 0);
  EXPECT_EQ(SetCode(host.module, "garbage"), "");
  EXPECT_EQ(host.failuresOf("SetCode"), 1);
}

TEST_F(MapFiles, ScanAddsOneRowPerSupportedTypeAndSkipsFilesWithoutTypes) {
  put("Desert.bms", mapFileBytes("Desert Storm", 0, 2 | 16 | 32));
  put("Nothing.bms", mapFileBytes("Nothing", 10, 0));
  scan();
  const CatalogueTables& tables = host.module.catalogue;
  EXPECT_EQ(tables.CustomMapTypes.values(), (std::vector<std::string>{"0", "1", "7"}));
  EXPECT_EQ(tables.CustomMapNames.values(), std::vector<std::string>(3, "Desert Storm"));
  EXPECT_EQ(customFiles(), std::vector<std::string>(3, "Desert.bms"));
  EXPECT_EQ(GetMapCode(host.module, host.gameFolder(1) + "Desert.bms"), "0_50");
}

TEST_F(MapFiles, ExtensionMatchesInAnyCaseButSignatureOnlyExactly) {
  put("UPPER.BMS", mapFileBytes("Upper", 0, 2));
  put("lower.bms", mapFileBytes("Lower", 0, 2, "bms"));
  put("notes.txt", mapFileBytes("Notes", 0, 2));
  put("tiny.bms", "BM");
  scan();
  EXPECT_EQ(customFiles(), std::vector<std::string>{"UPPER.BMS"});
  EXPECT_FALSE(IsValidMap(host.module, host.gameFolder(1) + "lower.bms"));
  EXPECT_TRUE(IsValidMap(host.module, host.gameFolder(1) + "upper.bms"));
  EXPECT_EQ(host.dialogs.boxes().size(), 0u);
}

TEST_F(MapFiles, EmptyNameFieldIsFilledFromTheFileName) {
  const std::string longName = "An_Extremely_Long_Custom_Map_File_Name";  // 38 characters
  put("Short_One.bms", mapFileBytes("", 0, 2));
  put(longName + ".bms", mapFileBytes("", 0, 2));
  scan();
  std::vector<std::string> names = host.module.catalogue.CustomMapNames.values();
  std::sort(names.begin(), names.end());  // listing order is the file system's
  EXPECT_EQ(names, (std::vector<std::string>{longName.substr(0, 31), "Short_One"}));
  EXPECT_EQ(onDisk("Short_One.bms").substr(4, 10), std::string("Short_One\0", 10));
  EXPECT_EQ(onDisk(longName + ".bms").substr(4, 32), longName.substr(0, 31) + '\0');
  EXPECT_EQ(onDisk("Short_One.bms").size(), 512u);
  // Once written, the name is read back from the file.
  EXPECT_EQ(GetMapName(host.module, host.gameFolder(1) + "Short_One.bms"),
            std::string("Short_One") + std::string(23, '\0'));
}

TEST_F(MapFiles, UnreadableFileIsSkippedButMissingFolderEndsTheScan) {
  put("a.bms", mapFileBytes("Alpha", 0, 2));
  put("broken.bms", mapFileBytes("Broken", 0, 2));
  put("c.bms", mapFileBytes("Charlie", 0, 2));
  host.files.beforeCall = [](std::string_view, const std::string& path) {
    if (path.find("broken") != std::string::npos) raiseVbError(vberr::kPermissionDenied);
  };
  scan();
  EXPECT_EQ(host.module.catalogue.CustomMapNames.count(), 2);
  EXPECT_EQ(host.failuresOf("IsValidMap"), 1);
  EXPECT_EQ(host.dialogs.boxes().size(), 1u);

  GetCustomMaps(host.module, host.root() + "\\nowhere\\");
  EXPECT_TRUE(host.module.catalogue.CustomMapNames.empty());
  EXPECT_EQ(host.failuresOf("GetCustomMaps"), 1);
}

// A rescan reads again only a file whose identity changed (here its contents, size kept, with
// its time moved), and forgets the files that are gone.
TEST_F(MapFiles, RescanReadsOnlyTheFilesThatChanged) {
  put("a.bms", mapFileBytes("Alpha", 0, 2));
  put("b.bms", mapFileBytes("Bravo", 0, 2));
  put("c.bms", mapFileBytes("Charlie", 0, 2));
  scan();
  std::vector<std::string> reads;
  host.files.beforeCall = [&](std::string_view call, const std::string& path) {
    if (call == "ReadAt") reads.push_back(path);
  };
  auto names = [&] {
    std::vector<std::string> found = host.module.catalogue.CustomMapNames.values();
    std::sort(found.begin(), found.end());
    return found;
  };
  scan();
  EXPECT_TRUE(reads.empty());
  EXPECT_EQ(names(), (std::vector<std::string>{"Alpha", "Bravo", "Charlie"}));

  const std::string b = host.scratch / (PluginFixture::gameFolderOnDisk(1) + "/b.bms");
  struct stat before {};
  ASSERT_EQ(::stat(b.c_str(), &before), 0);
  std::string bytes = onDisk("b.bms");
  bytes.replace(4, 5, "Brave");
  put("b.bms", bytes);
  const struct timespec times[2] = {before.st_atim, {before.st_mtim.tv_sec - 3600, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, b.c_str(), times, 0), 0);
  std::filesystem::remove(host.scratch / (PluginFixture::gameFolderOnDisk(1) + "/c.bms"));
  scan();
  EXPECT_EQ(reads, std::vector<std::string>{host.gameFolder(1) + "b.bms"});
  EXPECT_EQ(names(), (std::vector<std::string>{"Alpha", "Brave"}));
  EXPECT_EQ(host.module.customMapHeaders.at(host.gameFolder(1)).files.size(), 2u);
}

TEST_F(MapFiles, FindMapNameMatchesTrimmedFileAndExactTypeInTheChosenTable) {
  put("Desert.bms", mapFileBytes("Desert Storm", 0, 16));
  LoadCatalogue(host.module, 0);
  EXPECT_EQ(FindMapName(host.module, "  DMM_01A.BMS ", "0", false), "City Madness");
  EXPECT_EQ(FindMapName(host.module, "dmm_01a.bms", "0", false), "");
  EXPECT_EQ(FindMapName(host.module, "DMM_01A.BMS", "1", false), "");
  EXPECT_EQ(FindMapName(host.module, "Desert.bms", "7", true), "Desert Storm");
  EXPECT_EQ(FindMapName(host.module, "Desert.bms", "7", false), "");
  EXPECT_EQ(FindMapName(host.module, "Desert.bms", "0", true), "");
}

}  // namespace
}  // namespace rotaryn
