#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "components/gravik/simulated_memory.h"
#include "platform/adapters/scripted_dialogs.h"
#include "platform/adapters/virtual_scheduler.h"
#include "platform/adapters/windows_file_system.h"
#include "platform/component_registry.h"
#include "plugin/module.h"
#include "sim/model/server_model.h"
#include "tests/support/scratch_folder.h"

namespace rotaryn {

// The fixture's file system, with a hook run before each byte-positioned read or write so a
// test can make one file fail (by raising a VbError from the hook).
class FaultyFileSystem final : public FileSystemWrapper {
 public:
  using Hook = std::function<void(std::string_view call, const std::string& path)>;
  using FileSystemWrapper::FileSystemWrapper;

  std::string ReadAt(const std::string& path, int64_t offset, int64_t count) override {
    if (beforeCall) beforeCall("ReadAt", path);
    return target_.ReadAt(path, offset, count);
  }
  void WriteAt(const std::string& path, int64_t offset, const std::string& bytes) override {
    if (beforeCall) beforeCall("WriteAt", path);
    target_.WriteAt(path, offset, bytes);
  }

  Hook beforeCall;
};

// One plug-in Module on a host root folder under /tmp ("Plugins", "profiles", "settings"),
// with the real Fennor, in-process simulated servers, virtual time and scripted dialogs.
// Simulated servers stand still unless a test advances them.
class PluginFixture {
 public:
  PluginFixture();
  PluginFixture(const PluginFixture&) = delete;
  PluginFixture& operator=(const PluginFixture&) = delete;

  // Registers profile index on a new simulated server (pid 1000 + index), with the profile
  // folder "profile<index>" and the game folder "game<index>\" (created), and makes it current.
  sim::ServerModel& addProfile(int32_t index, sim::ServerOptions options = {});

  // Windows paths; gameFolder ends with "\".
  std::string root() const { return root_; }
  std::string gameFolder(int32_t index) const;
  std::string settingsFolder(int32_t index) const;
  // The same places relative to scratch, for arranging and checking directly.
  static std::string gameFolderOnDisk(int32_t index);
  static std::string settingsFolderOnDisk(int32_t index);

  // "DLL Error!" boxes whose failure names the procedure.
  int failuresOf(const std::string& procedure) const;

  ScratchFolder scratch;
  WindowsFileSystem disk;
  FaultyFileSystem files{disk};
  VirtualScheduler scheduler;
  ScriptedDialogs dialogs;
  ComponentRegistry registry;
  std::shared_ptr<gravik::SimulatedMemory> memory;

 private:
  std::string root_;

 public:
  Module module;
};

}  // namespace rotaryn
