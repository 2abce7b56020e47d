#include "memory/address_table.h"

#include <string>

#include "errors/error_report.h"
#include "formats/server_builds.h"
#include "plugin/module.h"

namespace rotaryn {
void SetMemory(Module& module, int32_t index, bool isAffiliate) {
  ErrorTrap trap = module.trap("SetMemory", index);
  trap.run([&] {
    trap.at(1);
    if (index < 0 || static_cast<size_t>(index) >= module.AddressTables.size()) {
      raiseVbError(vberr::kSubscriptOutOfRange);
    }
    AddressTable& table = module.AddressTables[static_cast<size_t>(index)];
    table = AddressTable{};
    trap.at(2);
    for (const formats::FieldAddress& field : formats::serverFields(isAffiliate)) {
      table.add(std::string(field.key), static_cast<int32_t>(field.address));
    }
  });
}

int32_t addressOf(const Module& module, int32_t index, const std::string& key) {
  if (index < 0 || static_cast<size_t>(index) >= module.AddressTables.size()) {
    raiseVbError(vberr::kSubscriptOutOfRange);
  }
  return module.AddressTables[static_cast<size_t>(index)].item(key);
}

}  // namespace rotaryn
