#include "catalogue/stock_catalogue.h"

#include <gtest/gtest.h>

#include "catalogue/map_files.h"
#include "tests/support/map_file_builder.h"
#include "tests/support/plugin_fixture.h"

namespace rotaryn {
namespace {

class StockCatalogue : public ::testing::Test {
 protected:
  StockCatalogue() { host.addProfile(1); }
  PluginFixture host;
};

// Rows are keyed by their position; the base variant (0, and 2 alike) lacks the extended pack's
// maps.
TEST_F(StockCatalogue, EachVariantIsKeyedByRowAndTheBaseOneDropsTheExtendedPacksMaps) {
  const CatalogueTables& tables = host.module.catalogue;
  for (int variant : {1, 0, 2}) {
    SCOPED_TRACE(variant);
    LoadCatalogue(host.module, variant);
    for (long position = 1; position <= tables.stock.count(); ++position) {
      ASSERT_EQ(tables.stock.keyAt(position), std::to_string(position));
      const std::string& file = tables.stock.item(position).file;
      if (variant == 1) continue;
      EXPECT_EQ(file.find("R_"), std::string::npos) << file;
      EXPECT_NE(file.rfind("CTF_04", 0), 0u) << file;
    }
  }
  const long base = tables.stock.count();
  LoadCatalogue(host.module, 1);
  EXPECT_GT(tables.stock.count(), base);
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
