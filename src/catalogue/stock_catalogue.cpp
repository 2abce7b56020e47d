#include "catalogue/stock_catalogue.h"

#include <string>

#include "catalogue/map_files.h"
#include "formats/server_builds.h"
#include "memory/server_fields.h"
#include "plugin/module.h"

namespace rotaryn {
namespace {

constexpr std::string_view kBaseResourcePack = "localres.pff";

constexpr std::array<StockMapRow, kExtendedStockMaps> kStockMaps{{
    {0, 0, "DMR_01A.BMS", "Crude City Conflict"},
    {0, 0, "DMR_02A.BMS", "Tequila Sunset"},
    {0, 0, "DMR_03A.BMS", "Smuggler's Run"},
    {0, 0, "DMR_04A.BMS", "Oil Island"},
    {0, 0, "DMR_05.BMS", "Squid Island"},
    {0, 1, "DMK_01A.BMS", "Road Rage"},
    {0, 2, "DMM_01A.BMS", "City Madness"},
    {0, 3, "DMM_01E.BMS", "Cracked"},
    {0, 4, "DMM_01G.BMS", "Walled In"},
    {0, 5, "DMM_01H.BMS", "Mines Eye"},
    {0, 6, "DMM_01K.BMS", "Stadium Riot"},
    {0, 7, "DMM_02A.BMS", "Desert Funeral"},
    {0, 8, "DMM_03A.BMS", "Devil Dogs"},
    {0, 9, "DMP_01A.BMS", "Squirrels Nest"},
    {1, 0, "TDMR_01A.BMS", "Crude City Conflict A"},
    {1, 0, "TDMR_01B.BMS", "Crude City Conflict B"},
    {1, 0, "TDMR_02A.BMS", "Tequila Sunset A"},
    {1, 0, "TDMR_02B.BMS", "Tequila Sunset B"},
    {1, 0, "TDMR_03A.BMS", "Smuggler's Run A"},
    {1, 0, "TDMR_03B.BMS", "Smuggler's Run B"},
    {1, 0, "TDMR_04A.BMS", "Oil Island A"},
    {1, 0, "TDMR_04B.BMS", "Oil Island B"},
    {1, 0, "TDMR_05A.BMS", "Squid Island A"},
    {1, 0, "TDMR_05B.BMS", "Squid Island B"},
    {1, 10, "TDMK_01A.BMS", "Culture Clash A"},
    {1, 11, "TDMK_01B.BMS", "Culture Clash B"},
    {1, 12, "TDMM_01A.BMS", "Mean Streets A"},
    {1, 13, "TDMM_01B.BMS", "Mean Streets B"},
    {1, 14, "TDMM_01E.BMS", "Panic Attack A"},
    {1, 15, "TDMM_01F.BMS", "Panic Attack B"},
    {1, 16, "TDMM_01G.BMS", "Rampage A"},
    {1, 17, "TDMM_01H.BMS", "Rampage B"},
    {1, 18, "TDMM_01K.BMS", "Double Barrel A"},
    {1, 19, "TDMM_01L.BMS", "Double Barrel B"},
    {1, 20, "TDMM_02A.BMS", "Hornets Nest A"},
    {1, 21, "TDMM_02B.BMS", "Hornets Nest B"},
    {1, 22, "TDMM_03A.BMS", "Sidewinder A"},
    {1, 23, "TDMM_03B.BMS", "Sidewinder B"},
    {1, 24, "TDMP_01A.BMS", "Clue Map A"},
    {1, 25, "TDMP_01B.BMS", "Clue Map B"},
    {3, 0, "TKHR_01A.BMS", "Crude City Conflict A"},
    {3, 0, "TKHR_01B.BMS", "Crude City Conflict B"},
    {3, 0, "TKHR_02A.BMS", "Tequila Sunset A"},
    {3, 0, "TKHR_02B.BMS", "Tequila Sunset B"},
    {3, 0, "TKHR_03A.BMS", "Smuggler's Run A"},
    {3, 0, "TKHR_03B.BMS", "Smuggler's Run B"},
    {3, 0, "TKHR_04.BMS", "TKHR_04"},
    {3, 0, "TKHR_04A.BMS", "Oil Island A"},
    {3, 0, "TKHR_04B.BMS", "Oil Island B"},
    {3, 0, "TKHR_05A.BMS", "Squid Island A"},
    {3, 0, "TKHR_05B.BMS", "Squid Island B"},
    {3, 26, "TKHK_01A.BMS", "Meat Grinder A"},
    {3, 27, "TKHK_01B.BMS", "Meat Grinder B"},
    {3, 28, "TKHM_01A.BMS", "House of Pain A"},
    {3, 29, "TKHM_01B.BMS", "House of Pain B"},
    {3, 30, "TKHM_01E.BMS", "Eye of the Dead A"},
    {3, 31, "TKHM_01F.BMS", "Eye of the Dead B"},
    {3, 32, "TKHM_01G.BMS", "Dust Devil A"},
    {3, 33, "TKHM_01H.BMS", "Dust Devil B"},
    {3, 34, "TKHM_01K.BMS", "Spider Web A"},
    {3, 35, "TKHM_01L.BMS", "Spider Web B"},
    {3, 36, "TKHM_02A.BMS", "Desert Insertion A"},
    {3, 37, "TKHM_02B.BMS", "Desert Insertion B"},
    {3, 38, "TKHM_03A.BMS", "Desert Fox A"},
    {3, 39, "TKHM_03B.BMS", "Desert Fox B"},
    {3, 40, "TKHP_01A.BMS", "Tunnel Trouble A"},
    {3, 41, "TKHP_01B.BMS", "Tunnel Trouble B"},
    {5, 0, "SDR_01A.BMS", "Crude City Conflict A"},
    {5, 0, "SDR_01B.BMS", "Crude City Conflict B"},
    {5, 0, "SDR_02A.BMS", "Tequila Sunset A"},
    {5, 0, "SDR_02B.BMS", "Tequila Sunset B"},
    {5, 0, "SDR_03A.BMS", "Smuggler's Run A"},
    {5, 0, "SDR_03B.BMS", "Smuggler's Run B"},
    {5, 0, "SDR_04A.BMS", "Oil Island A"},
    {5, 0, "SDR_04B.BMS", "Oil Island B"},
    {5, 0, "SDR_05A.BMS", "Squid Island A"},
    {5, 0, "SDR_05B.BMS", "Squid Island B"},
    {5, 42, "SDK_01A.BMS", "Mog Mayhem A"},
    {5, 43, "SDK_01B.BMS", "Mog Mayhem B"},
    {5, 44, "SDM_01A.BMS", "Firefighter A"},
    {5, 45, "SDM_01B.BMS", "Firefighter B"},
    {5, 46, "SDM_01E.BMS", "Roof Stalker A"},
    {5, 47, "SDM_01F.BMS", "Roof Stalker B"},
    {5, 48, "SDM_01G.BMS", "Savannah Town A"},
    {5, 49, "SDM_01H.BMS", "Savannah Town B"},
    {5, 50, "SDM_01K.BMS", "Stadium Feud A"},
    {5, 51, "SDM_01L.BMS", "Stadium Feud B"},
    {5, 52, "SDM_02A.BMS", "Sky Raiders A"},
    {5, 53, "SDM_02B.BMS", "Sky Raiders B"},
    {5, 54, "SDM_03A.BMS", "Trail Blazer A"},
    {5, 55, "SDM_03B.BMS", "Trail Blazer B"},
    {5, 56, "SDP_01A.BMS", "The Hidden A"},
    {5, 57, "SDP_01B.BMS", "The Hidden B"},
    {6, 0, "ADR_01A.BMS", "Crude City Conflict A"},
    {6, 0, "ADR_01B.BMS", "Crude City Conflict B"},
    {6, 0, "ADR_02A.BMS", "Tequila Sunset A"},
    {6, 0, "ADR_02B.BMS", "Tequila Sunset B"},
    {6, 0, "ADR_03A.BMS", "Smuggler's Run A"},
    {6, 0, "ADR_03B.BMS", "Smuggler's Run B"},
    {6, 0, "ADR_04A.BMS", "Oil Island A"},
    {6, 0, "ADR_04B.BMS", "Oil Island B"},
    {6, 0, "ADR_05A.BMS", "Squid Island A"},
    {6, 0, "ADR_05B.BMS", "Squid Island B"},
    {6, 58, "ADK_01A.BMS", "Crossfire A"},
    {6, 59, "ADK_01B.BMS", "Crossfire B"},
    {6, 60, "ADK_02A.BMS", "Urban Raid A"},
    {6, 61, "ADK_02B.BMS", "Urban Raid B"},
    {6, 62, "ADM_01A.BMS", "Rapid Fire A"},
    {6, 63, "ADM_01B.BMS", "Rapid Fire B"},
    {6, 64, "ADM_01E.BMS", "Ground Fire A"},
    {6, 65, "ADM_01F.BMS", "Ground Fire B"},
    {6, 66, "ADM_01G.BMS", "Dust and Bones A"},
    {6, 67, "ADM_01H.BMS", "Dust and Bones B"},
    {6, 68, "ADM_02A.BMS", "Valkyrie A"},
    {6, 69, "ADM_02B.BMS", "Valkyrie B"},
    {6, 70, "ADM_03A.BMS", "Snake Pit A"},
    {6, 71, "ADM_03B.BMS", "Snake Pit B"},
    {6, 72, "ADP_01A.BMS", "Lost and Dead A"},
    {6, 73, "ADP_01B.BMS", "Lost and Dead B"},
    {6, 74, "ADP_11A.BMS", "Defensive Assault A"},
    {6, 75, "ADP_11B.BMS", "Defensive Assault B"},
    {7, 0, "CTFR_01A.BMS", "Crude City Conflict A"},
    {7, 0, "CTFR_01B.BMS", "Crude City Conflict B"},
    {7, 0, "CTFR_02A.BMS", "Tequila Sunset A"},
    {7, 0, "CTFR_02B.BMS", "Tequila Sunset B"},
    {7, 0, "CTFR_03A.BMS", "Smuggler's Run A"},
    {7, 0, "CTFR_03B.BMS", "Smuggler's Run B"},
    {7, 0, "CTFR_04A.BMS", "Oil Island A"},
    {7, 0, "CTFR_04B.BMS", "Oil Island B"},
    {7, 0, "CTFR_05A.BMS", "Squid Island A"},
    {7, 0, "CTFR_05B.BMS", "Squid Island B"},
    {7, 0, "CTF_04A.BMS", "Oil Island A"},
    {7, 0, "CTF_04B.BMS", "Oil Island B"},
    {7, 76, "CTFK_01A.BMS", "The Barrens A"},
    {7, 77, "CTFK_01B.BMS", "The Barrens B"},
    {7, 78, "CTFK_02A.BMS", "Tug O' War A"},
    {7, 79, "CTFK_02B.BMS", "Tug O' War B"},
    {7, 80, "CTFK_03A.BMS", "Groundhog Day A"},
    {7, 81, "CTFK_03B.BMS", "Groundhog Day B"},
    {7, 82, "CTFM_01A.BMS", "Block Mayhem A"},
    {7, 83, "CTFM_01B.BMS", "Block Mayhem B"},
    {7, 84, "CTFM_01E.BMS", "Burned Asphalt A"},
    {7, 85, "CTFM_01F.BMS", "Burned Asphalt B"},
    {7, 86, "CTFM_01G.BMS", "Desert Trap A"},
    {7, 87, "CTFM_01H.BMS", "Desert Trap B"},
    {7, 88, "CTFM_01I.BMS", "Snake Eyes A"},
    {7, 89, "CTFM_01J.BMS", "Snake Eyes B"},
    {7, 90, "CTFM_01K.BMS", "Storage Space A"},
    {7, 91, "CTFM_01L.BMS", "Storage Space B"},
    {7, 92, "CTFM_02A.BMS", "Dead Zone A"},
    {7, 93, "CTFM_02B.BMS", "Dead Zone B"},
    {7, 94, "CTFM_03A.BMS", "Hit and Run A"},
    {7, 95, "CTFM_03B.BMS", "Hit and Run B"},
    {7, 96, "CTFM_05A.BMS", "Bad Juju A"},
    {7, 97, "CTFM_05B.BMS", "Bad Juju B"},
    {7, 98, "CTFP_01A.BMS", "Ribcage A"},
    {7, 99, "CTFP_01B.BMS", "Ribcage B"},
    {8, 0, "FBR_01A.BMS", "Crude City Conflict A"},
    {8, 0, "FBR_01B.BMS", "Crude City Conflict B"},
    {8, 0, "FBR_02A.BMS", "Tequila Sunset A"},
    {8, 0, "FBR_02B.BMS", "Tequila Sunset B"},
    {8, 0, "FBR_03A.BMS", "Smuggler's Run A"},
    {8, 0, "FBR_03B.BMS", "Smuggler's Run B"},
    {8, 0, "FBR_04A.BMS", "Oil Island A"},
    {8, 0, "FBR_04B.BMS", "Oil Island B"},
    {8, 0, "FBR_05A.BMS", "Squid Island A"},
    {8, 0, "FBR_05B.BMS", "Squid Island B"},
    {8, 100, "FBK_01A.BMS", "Scrimmage Line A"},
    {8, 101, "FBK_01B.BMS", "Scrimmage Line B"},
    {8, 102, "FBK_03A.BMS", "Blitzkrieg A"},
    {8, 103, "FBK_03B.BMS", "Blitzkrieg B"},
    {8, 104, "FBM_01A.BMS", "Pigskin A"},
    {8, 105, "FBM_01B.BMS", "Pigskin B"},
    {8, 106, "FBM_01E.BMS", "Wall Jumper A"},
    {8, 107, "FBM_01F.BMS", "Wall Jumper B"},
    {8, 108, "FBM_01G.BMS", "Desert Scarab A"},
    {8, 109, "FBM_01H.BMS", "Desert Scarab B"},
    {8, 110, "FBM_01K.BMS", "Bloodball A"},
    {8, 111, "FBM_01L.BMS", "Bloodball B"},
    {8, 112, "FBM_02A.BMS", "Sky Fire A"},
    {8, 113, "FBM_02B.BMS", "Sky Fire B"},
    {8, 114, "FBM_03A.BMS", "Frontal Assault A"},
    {8, 115, "FBM_03B.BMS", "Frontal Assault B"},
    {8, 116, "FBP_01A.BMS", "Frantic Traffic A"},
    {8, 117, "FBP_01B.BMS", "Frantic Traffic B"},
}};

// The base variant is the extended one without its unnumbered rows, renumbered in order.
constexpr bool baseKeysRunInOrder() {
  int next = 1;
  for (const StockMapRow& row : kStockMaps) {
    if (row.baseKey == 0) continue;
    if (row.baseKey != next) return false;
    ++next;
  }
  return next == kBaseStockMaps + 1;
}
static_assert(baseKeysRunInOrder());

}  // namespace

std::span<const StockMapRow> stockMapRows() {
  return kStockMaps;
}

void LoadCatalogue(Module& module, int variant) {
  CatalogueTables& tables = module.catalogue;
  tables.stock = {};
  const bool extended = variant == 1;
  int key = 0;
  for (const StockMapRow& row : kStockMaps) {
    if (!extended && row.baseKey == 0) continue;
    std::string keyText = std::to_string(++key);
    tables.stock.add(keyText,
                     {std::string(row.name), std::string(row.file), std::to_string(row.gameType)});
  }
  const std::string folder = module.profile(module.CurrentProfile).GameFolder;
  GetCustomMaps(module, folder);
}

std::string serverResourcePack(Module& module, int32_t index) {
  int32_t block = readLong(module, index, "ModAdd");
  return readTextAt(module, index, block + formats::kPackNameOffset);
}

void setExtendedCatalogue(Module& module, int32_t index) {
  module.ExtendedCatalogue = serverResourcePack(module, index) == kBaseResourcePack ? 0 : 1;
}

}  // namespace rotaryn
