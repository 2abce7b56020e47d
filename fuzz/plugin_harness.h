#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "components/fennor/cls_mfd.h"
#include "components/gravik/register_gravik.h"
#include "memory_file_system.h"
#include "platform/adapters/scripted_dialogs.h"
#include "platform/adapters/virtual_scheduler.h"
#include "platform/component_registry.h"
#include "platform/variant.h"
#include "plugin/module.h"
#include "plugin/profiles.h"

namespace rotaryn::fuzz {

// One plug-in Module over files in memory, a simulated server and scripted dialogs, with
// profile 1 registered: the remote operations and the catalogue run on it as on a host, and a
// target never touches a disk.
struct PluginHarness {
  static constexpr int32_t kPid = 1001;
  static constexpr const char* kRoot = "C:\\root";

  PluginHarness()
      : memory(gravik::registerSimulatedGravik(registry)),
        module((registerFennor(registry, files, scheduler, kRoot),
                Ports{registry, files, scheduler, scheduler, scheduler, dialogs}),
               kRoot) {
    memory->addServer(kPid);
    RegisterProfile(module, 1, pdat());
  }

  static std::string gameFolder() { return std::string(kRoot) + "\\game1\\"; }
  static Variant pdat(const std::string& administrator = "fuzzer") {
    return Variant(Variant::Array{"host", "DFBHD", Variant(kPid), "", "", gameFolder(),
                                  Variant(kPid), "profile1", "", "", Variant(administrator),
                                  Variant(int16_t{0})});
  }
  // "DLL Error!" boxes: every failure the plug-in reported.
  size_t failures() const { return dialogs.boxes().size(); }

  MemoryFileSystem files;
  VirtualScheduler scheduler{DateTime{2026, 12, 7, 20, 0, 0}};
  ScriptedDialogs dialogs;
  ComponentRegistry registry;
  std::shared_ptr<gravik::SimulatedMemory> memory;
  Module module;
};

}  // namespace rotaryn::fuzz
