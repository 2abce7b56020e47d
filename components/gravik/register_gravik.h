#pragma once

#include <memory>

#include "components/gravik/process_memory.h"
#include "components/gravik/simulated_memory.h"
#include "platform/component_registry.h"

namespace rotaryn::gravik {

// Registers "Gravik.clsMemory" so that creating it returns this one instance (the plug-in
// creates the component once at start-up; the host keeps the instance to configure it or, for
// simulated servers, to add servers).
void registerGravik(ComponentRegistry& registry, std::shared_ptr<IMemoryAccess> memory);

// The same with a new backend of each kind, returned for the caller to keep.
std::shared_ptr<ProcessMemory> registerProcessGravik(ComponentRegistry& registry);
std::shared_ptr<SimulatedMemory> registerSimulatedGravik(ComponentRegistry& registry);

}  // namespace rotaryn::gravik
