#include "platform/component_registry.h"

#include "platform/vb_error.h"
#include "platform/vb_runtime.h"

namespace rotaryn {

void ComponentRegistry::registerFactory(const std::string& progId, Factory factory) {
  factories_[vb::UCase(progId)] = std::move(factory);
}

bool ComponentRegistry::has(const std::string& progId) const {
  return factories_.count(vb::UCase(progId)) != 0;
}

std::shared_ptr<Component> ComponentRegistry::create(const std::string& progId) const {
  auto it = factories_.find(vb::UCase(progId));
  if (it == factories_.end() || !it->second) raiseCantCreate(progId);
  std::shared_ptr<Component> object = it->second();
  if (!object) raiseCantCreate(progId);
  return object;
}

// VB's text, without the identifier: CreateObject reports nothing more, and ErrorReport shows
// the description as it stands.
void ComponentRegistry::raiseCantCreate(const std::string& /*progId*/) {
  raiseVbError(vberr::kCantCreateObject);
}

}  // namespace rotaryn
