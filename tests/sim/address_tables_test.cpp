// The simulator's own table of the builds' addresses against the plug-in's: written apart from
// each other, so a wrong address on either side is a difference here.

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "memory/address_table.h"
#include "sim/model/server_builds.h"
#include "sim/model/server_memory.h"

namespace rotaryn {
namespace {

// Key and address in the order in which the plug-in adds them; a difference prints both lists.
using Table = std::vector<std::pair<std::string, std::string>>;

TEST(AddressTables, TheSimulatorAndThePlugInAgreeOnEveryKeyAndAddressOfBothBuilds) {
  for (sim::ServerBuild build : {sim::ServerBuild::kStandard, sim::ServerBuild::kAffiliate}) {
    Table simulator;
    for (const sim::FieldAddress& field : sim::fieldsOf(build)) {
      simulator.emplace_back(field.key, sim::hexAddress(field.address));
    }
    Table plugin;
    for (const AddressEntry& entry :
         build == sim::ServerBuild::kStandard ? standardAddresses() : affiliateAddresses()) {
      plugin.emplace_back(entry.key, sim::hexAddress(static_cast<uint32_t>(entry.address)));
    }
    EXPECT_FALSE(plugin.empty());
    EXPECT_EQ(simulator, plugin) << sim::buildName(build) << " build";
  }
}

}  // namespace
}  // namespace rotaryn
