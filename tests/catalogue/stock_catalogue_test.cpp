#include "catalogue/stock_catalogue.h"

#include <gtest/gtest.h>

#include <array>

#include "catalogue/map_files.h"
#include "tests/support/map_file_builder.h"
#include "tests/support/plugin_fixture.h"

namespace rotaryn {
namespace {

std::array<int, 9> rowsPerType(const CatalogueTables& tables) {
  std::array<int, 9> counts{};
  for (const std::string& type : columnOf(tables.stock, &CatalogueMap::type))
    ++counts.at(std::stoul(type));
  return counts;
}

class StockCatalogue : public ::testing::Test {
 protected:
  StockCatalogue() { host.addProfile(1); }
  PluginFixture host;
};

TEST_F(StockCatalogue, BuildsEachVariantKeyedByRowWithItsRowsPerType) {
  struct Case {
    int variant;
    long rows;
    std::array<int, 9> perType;
  };
  for (const Case& c : {Case{1, 185, {14, 26, 0, 27, 0, 26, 28, 36, 28}},
                        Case{0, 117, {9, 16, 0, 16, 0, 16, 18, 24, 18}},
                        Case{2, 117, {9, 16, 0, 16, 0, 16, 18, 24, 18}}}) {
    SCOPED_TRACE(c.variant);
    LoadCatalogue(host.module, c.variant);
    const CatalogueTables& tables = host.module.catalogue;
    ASSERT_EQ(tables.stock.count(), c.rows);
    EXPECT_EQ(rowsPerType(tables), c.perType);
    for (long position = 1; position <= c.rows; ++position) {
      ASSERT_EQ(tables.stock.keyAt(position), std::to_string(position));
    }
  }
}

TEST_F(StockCatalogue, BaseVariantDropsTheExtendedPacksMaps) {
  LoadCatalogue(host.module, 0);
  const CatalogueTables& tables = host.module.catalogue;
  for (const std::string& file : columnOf(tables.stock, &CatalogueMap::file)) {
    EXPECT_EQ(file.find("R_"), std::string::npos) << file;
    EXPECT_NE(file.rfind("CTF_04", 0), 0u) << file;
  }
  EXPECT_EQ(tables.stock.item("1").file, "DMK_01A.BMS");
  EXPECT_EQ(tables.stock.item("79").name, "Tug O' War B");
  EXPECT_EQ(tables.stock.item("79").file, "CTFK_02B.BMS");
  EXPECT_EQ(tables.stock.item("117").type, "8");

  LoadCatalogue(host.module, 1);
  EXPECT_EQ(tables.stock.item("5").file, "DMR_05.BMS");
  EXPECT_EQ(tables.stock.item("47").name, "TKHR_04");
  EXPECT_EQ(tables.stock.item("136").name, "Tug O' War A");
  EXPECT_EQ(tables.stock.item("136").type, "7");
}

TEST_F(StockCatalogue, DisplayNameSharedByManyRowsIsNeverAKey) {
  LoadCatalogue(host.module, 1);
  const CatalogueTables& tables = host.module.catalogue;
  int rows = 0;
  for (const std::string& name : columnOf(tables.stock, &CatalogueMap::name))
    rows += name == "Oil Island A";
  EXPECT_EQ(rows, 7);  // types 1, 3, 5, 6, 8 and twice under 7
  EXPECT_FALSE(tables.stock.contains("Oil Island A"));
  EXPECT_EQ(FindMapName(host.module, "CTF_04A.BMS", "7", false), "Oil Island A");
  EXPECT_EQ(FindMapName(host.module, "CTFR_04A.BMS", "7", false), "Oil Island A");
  EXPECT_EQ(FindMapName(host.module, "TDMR_04A.BMS", "3", false), "");
}

TEST_F(StockCatalogue, RebuildsCustomTableFromCurrentProfilesGameFolder) {
  host.addProfile(2);
  host.scratch.write(PluginFixture::gameFolderOnDisk(2) + "/Jungle.bms",
                     mapFileBytes("Jungle", 0, 2));
  LoadCatalogue(host.module, 1);
  ASSERT_EQ(host.module.catalogue.custom.count(), 1);
  EXPECT_EQ(host.module.catalogue.custom.item(1L).file, "Jungle.bms");

  host.module.CurrentProfile = 1;
  LoadCatalogue(host.module, 1);
  EXPECT_TRUE(host.module.catalogue.custom.empty());
}

TEST(ExtendedCatalogue, OnlyTheExactBasePackSelectsTheBaseVariant) {
  PluginFixture host;
  sim::ServerModel& server = host.addProfile(3);
  struct Case {
    const char* pack;
    uint8_t flag;
  };
  for (const Case& c :
       {Case{"localres.pff", 0}, Case{"LocalRes.pff", 1}, Case{"ctfmod.pff", 1}, Case{"", 1}}) {
    SCOPED_TRACE(c.pack);
    server.setResourcePack(c.pack);
    host.module.ExtendedCatalogue = c.flag == 0 ? 1 : 0;
    setExtendedCatalogue(host.module, 3);
    EXPECT_EQ(host.module.ExtendedCatalogue, c.flag);
  }
}

}  // namespace
}  // namespace rotaryn
