#include "components/gravik/register_gravik.h"

namespace rotaryn::gravik {

void registerGravik(ComponentRegistry& registry, std::shared_ptr<IMemoryAccess> memory) {
  registry.registerFactory(kMemoryAccessProgId,
                           [memory]() -> std::shared_ptr<Component> { return memory; });
}

std::shared_ptr<ProcessMemory> registerProcessGravik(ComponentRegistry& registry) {
  auto memory = std::make_shared<ProcessMemory>();
  registerGravik(registry, memory);
  return memory;
}

std::shared_ptr<SimulatedMemory> registerSimulatedGravik(ComponentRegistry& registry) {
  auto memory = std::make_shared<SimulatedMemory>();
  registerGravik(registry, memory);
  return memory;
}

}  // namespace rotaryn::gravik
