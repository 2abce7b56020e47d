#include "plugin/module.h"

#include "errors/error_report.h"
#include "ui/frm_rotaryn_maps.h"

namespace rotaryn {

Module::Module(Ports ports_, std::string rootFolder)
    : ports(ports_), RootFolder(std::move(rootFolder)) {
  ErrorTrap main = trap("Main", 0);
  main.run([&] {
    main.at(2);
    Utility = ports.registry.createAs<IUtility>(kUtilityProgId);
    main.at(3);
    MemoryAccess = ports.registry.createAs<IMemoryAccess>(kMemoryAccessProgId);
  });
}

Module::~Module() = default;

ErrorTrap Module::trap(const std::string& procedure, int32_t profile) {
  return ErrorTrap(procedure, profile,
                   [this](const std::string& name, const VbError& error, int line, int index) {
                     ErrorReport(*this, kReportFailure, name, &error, line, index);
                   });
}

IUtility& Module::utility() const {
  if (!Utility) raiseVbError(vberr::kObjectNotSet);
  return *Utility;
}

IMemoryAccess& Module::memory() const {
  if (!MemoryAccess) raiseVbError(vberr::kObjectNotSet);
  return *MemoryAccess;
}

ProfileRecord& Module::profile(int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= Profiles.size()) {
    raiseVbError(vberr::kSubscriptOutOfRange);
  }
  return Profiles[static_cast<size_t>(index)];
}

const ProfileRecord& Module::profile(int32_t index) const {
  return const_cast<Module*>(this)->profile(index);
}

void reportEvent(Module& module, int32_t profile, const std::string& name,
                 const EventFields& fields) {
  if (module.ports.events == nullptr) return;
  try {
    module.ports.events->report(profile, name, fields);
  } catch (...) {
    // The host's bookkeeping must not change what the plug-in does.
  }
}

void clearCatalogue(Module& module) {
  module.catalogue = CatalogueTables{};
}

}  // namespace rotaryn
