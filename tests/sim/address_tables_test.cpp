// The simulator's own table of the builds' addresses against the plug-in's: written apart from
// each other, so a wrong address on either side is a difference here.

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

#include "memory/address_table.h"
#include "sim/model/server_builds.h"
#include "sim/model/server_memory.h"

namespace rotaryn {
namespace {

// One line per difference, naming the key: keys in one table only, addresses that differ,
// keys in another place of the order in which the plug-in adds them.
std::vector<std::string> differences(std::span<const sim::FieldAddress> simulator,
                                     std::span<const AddressEntry> plugin) {
  std::vector<std::string> found;
  for (size_t i = 0; i < simulator.size(); ++i) {
    const sim::FieldAddress& field = simulator[i];
    size_t j = 0;
    while (j < plugin.size() && plugin[j].key != field.key) ++j;
    std::string key(field.key);
    if (j == plugin.size()) {
      found.push_back(key + ": in the simulator's table only");
      continue;
    }
    auto address = static_cast<uint32_t>(plugin[j].address);
    if (address != field.address) {
      found.push_back(key + ": simulator " + sim::hexAddress(field.address) + ", plug-in " +
                      sim::hexAddress(address));
    }
    if (i != j) {
      found.push_back(key + ": position " + std::to_string(i) + " in the simulator's table, " +
                      std::to_string(j) + " in the plug-in's");
    }
  }
  for (const AddressEntry& entry : plugin) {
    bool known = false;
    for (const sim::FieldAddress& field : simulator) known = known || field.key == entry.key;
    if (!known) found.push_back(std::string(entry.key) + ": in the plug-in's table only");
  }
  return found;
}

std::string lines(const std::vector<std::string>& texts) {
  std::string all;
  for (const std::string& text : texts) all += "\n  " + text;
  return all;
}

TEST(AddressTables, TheSimulatorAndThePlugInAgreeOnEveryKeyAndAddressOfBothBuilds) {
  std::vector<std::string> standard =
      differences(sim::fieldsOf(sim::ServerBuild::kStandard), standardAddresses());
  EXPECT_TRUE(standard.empty()) << "standard build:" << lines(standard);
  std::vector<std::string> affiliate =
      differences(sim::fieldsOf(sim::ServerBuild::kAffiliate), affiliateAddresses());
  EXPECT_TRUE(affiliate.empty()) << "affiliate build:" << lines(affiliate);
  EXPECT_EQ(sim::fieldsOf(sim::ServerBuild::kStandard).size(), 28u);
  EXPECT_EQ(sim::fieldsOf(sim::ServerBuild::kAffiliate).size(), 23u);
}

TEST(AddressTables, EachDifferenceIsNamedByItsKey) {
  std::vector<AddressEntry> plugin(standardAddresses().begin(), standardAddresses().end());
  plugin[0].address += 4;           // GameState moved
  std::swap(plugin[1], plugin[2]);  // GameType and MapNum swapped
  plugin.pop_back();                // CKothLimit missing
  plugin.push_back({"ExtraKey", 0x100});
  std::vector<std::string> found = differences(sim::kStandardFields, plugin);
  std::vector<std::string> expected = {
      "GameState: simulator 0x9E4748, plug-in 0x9E474C",
      "GameType: position 1 in the simulator's table, 2 in the plug-in's",
      "MapNum: position 2 in the simulator's table, 1 in the plug-in's",
      "CKothLimit: in the simulator's table only",
      "ExtraKey: in the plug-in's table only",
  };
  EXPECT_EQ(found, expected) << lines(found);
}

}  // namespace
}  // namespace rotaryn
