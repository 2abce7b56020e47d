#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/adapters/scripted_dialogs.h"
#include "platform/adapters/virtual_scheduler.h"
#include "platform/adapters/windows_file_system.h"
#include "plugin/cls_plugin.h"

namespace rotaryn {
namespace {

using CreatePlugin = clsPlugin* (*)(int, const Ports*);
using DestroyPlugin = void (*)(clsPlugin*);

TEST(PluginLibrary, LoadsLikeTheHostDoesAndFindsItsRootFolder) {
  void* library = dlopen(ROTARYN_PLUGIN_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  ASSERT_NE(library, nullptr) << dlerror();
  auto create = reinterpret_cast<CreatePlugin>(dlsym(library, "twkRotaryn_CreatePlugin"));
  auto destroy = reinterpret_cast<DestroyPlugin>(dlsym(library, "twkRotaryn_DestroyPlugin"));
  ASSERT_NE(create, nullptr);
  ASSERT_NE(destroy, nullptr);

  WindowsFileSystem files;
  VirtualScheduler scheduler;
  ScriptedDialogs dialogs;
  ComponentRegistry registry;
  Ports ports{registry, files, scheduler, scheduler, scheduler, dialogs};

  EXPECT_EQ(create(kPluginInterfaceVersion + 1, &ports), nullptr);
  clsPlugin* plugin = create(kPluginInterfaceVersion, &ports);
  ASSERT_NE(plugin, nullptr);
  EXPECT_EQ(plugin->interfaceVersion(), kPluginInterfaceVersion);
  EXPECT_EQ(plugin->GetData().File, "twkRotaryn.dll");
  std::string folder =
      std::filesystem::canonical(std::filesystem::path(ROTARYN_PLUGIN_LIBRARY)).parent_path();
  EXPECT_EQ(plugin->module().RootFolder, WindowsFileSystem::toWindowsPath(folder));
  // No component is registered here: start-up reports that once, then carries on.
  EXPECT_EQ(dialogs.boxes().size(), 1u);
  destroy(plugin);
  dlclose(library);
}

}  // namespace
}  // namespace rotaryn
