#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "components/gravik/simulated_memory.h"
#include "platform/adapters/scripted_dialogs.h"
#include "platform/adapters/virtual_scheduler.h"
#include "platform/adapters/windows_file_system.h"
#include "platform/component_registry.h"
#include "platform/variant.h"
#include "plugin/module.h"
#include "sim/model/server_model.h"
#include "tests/support/scratch_folder.h"

namespace rotaryn {

// The fixture's file system, with a hook run before each byte-positioned read or write and each
// whole-file replace, so a test can make one file fail (by raising a VbError from the hook), and
// a hook run before every call that can fail (all but the two existence tests), for sweeps that
// fail the k-th call of an operation.
class FaultyFileSystem final : public FileSystemWrapper {
 public:
  using Hook = std::function<void(std::string_view call, const std::string& path)>;
  using FileSystemWrapper::FileSystemWrapper;

  void CreateFolder(const std::string& path) override {
    every("CreateFolder", path);
    target_.CreateFolder(path);
  }
  void DeleteFile(const std::string& path, bool force) override {
    every("DeleteFile", path);
    target_.DeleteFile(path, force);
  }
  void CopyFile(const std::string& source, const std::string& destination,
                bool overwrite) override {
    every("CopyFile", destination);
    target_.CopyFile(source, destination, overwrite);
  }
  std::vector<std::string> FilesOf(const std::string& folder) override {
    every("FilesOf", folder);
    return target_.FilesOf(folder);
  }
  Listing FilesWithIdentityOf(const std::string& folder) override {
    every("FilesOf", folder);
    return target_.FilesWithIdentityOf(folder);
  }
  void CreateTextFile(const std::string& path, bool overwrite) override {
    every("CreateTextFile", path);
    target_.CreateTextFile(path, overwrite);
  }
  int64_t FileSize(const std::string& path) override {
    every("FileSize", path);
    return target_.FileSize(path);
  }
  std::string ReadAll(const std::string& path) override {
    every("ReadAll", path);
    return target_.ReadAll(path);
  }
  void Append(const std::string& path, const std::string& bytes) override {
    every("Append", path);
    target_.Append(path, bytes);
  }
  std::string ReadAt(const std::string& path, int64_t offset, int64_t count) override {
    every("ReadAt", path);
    if (beforeCall) beforeCall("ReadAt", path);
    return target_.ReadAt(path, offset, count);
  }
  void WriteAt(const std::string& path, int64_t offset, const std::string& bytes) override {
    every("WriteAt", path);
    if (beforeCall) beforeCall("WriteAt", path);
    target_.WriteAt(path, offset, bytes);
  }
  void ReplaceAll(const std::string& path, const std::string& bytes) override {
    every("ReplaceAll", path);
    if (beforeCall) beforeCall("ReplaceAll", path);
    target_.ReplaceAll(path, bytes);
  }

  Hook beforeCall;
  Hook beforeEveryCall;

 private:
  void every(std::string_view call, const std::string& path) {
    if (beforeEveryCall) beforeEveryCall(call, path);
  }
};

// Forwards every member to the memory component it wraps, so a test overrides one member to
// change a server's answer or to run events inside a memory call.
class MemoryAccessWrapper : public IMemoryAccess {
 public:
  explicit MemoryAccessWrapper(std::shared_ptr<IMemoryAccess> target)
      : target_(std::move(target)) {}

  int32_t ReadLong(int32_t& process, int32_t address) override {
    return target_->ReadLong(process, address);
  }
  uint8_t ReadByte(int32_t& process, int32_t address) override {
    return target_->ReadByte(process, address);
  }
  std::string ReadStr(int32_t& process, int32_t address) override {
    return target_->ReadStr(process, address);
  }
  void WriteLong(int32_t& process, int32_t address, int32_t value, int16_t byteCount) override {
    target_->WriteLong(process, address, value, byteCount);
  }
  void WriteStr(int32_t& process, int32_t address, const std::string& text) override {
    target_->WriteStr(process, address, text);
  }
  void AddMsg(int32_t& profileIndex, int32_t& messageTarget, const std::string& command,
              bool& isAffiliate, const std::string& kind, int16_t flag) override {
    target_->AddMsg(profileIndex, messageTarget, command, isAffiliate, kind, flag);
  }
  std::string Enc64(const std::string& text) override { return target_->Enc64(text); }
  std::string dec64(const std::string& text) override { return target_->dec64(text); }

 protected:
  std::shared_ptr<IMemoryAccess> target_;
};

// Runs a hook in every memory call before it reaches the server: to raise a fault there, to run
// events as a host's pump may while a call waits (a timer tick, a nested LoadInterface), or to
// change the long a WriteLong writes (`written`, null for every other member).
class HookedMemory final : public MemoryAccessWrapper {
 public:
  using Hook = std::function<void(std::string_view member, int32_t address, int32_t* written)>;
  HookedMemory(std::shared_ptr<IMemoryAccess> target, Hook hook)
      : MemoryAccessWrapper(std::move(target)), hook_(std::move(hook)) {}

  int32_t ReadLong(int32_t& process, int32_t address) override {
    hook_("ReadLong", address, nullptr);
    return target_->ReadLong(process, address);
  }
  uint8_t ReadByte(int32_t& process, int32_t address) override {
    hook_("ReadByte", address, nullptr);
    return target_->ReadByte(process, address);
  }
  std::string ReadStr(int32_t& process, int32_t address) override {
    hook_("ReadStr", address, nullptr);
    return target_->ReadStr(process, address);
  }
  void WriteLong(int32_t& process, int32_t address, int32_t value, int16_t byteCount) override {
    hook_("WriteLong", address, &value);
    target_->WriteLong(process, address, value, byteCount);
  }
  void WriteStr(int32_t& process, int32_t address, const std::string& text) override {
    hook_("WriteStr", address, nullptr);
    target_->WriteStr(process, address, text);
  }
  void AddMsg(int32_t& profileIndex, int32_t& messageTarget, const std::string& command,
              bool& isAffiliate, const std::string& kind, int16_t flag) override {
    hook_("AddMsg", 0, nullptr);
    target_->AddMsg(profileIndex, messageTarget, command, isAffiliate, kind, flag);
  }

 private:
  Hook hook_;
};

// A server's client writes to the fields of these keys, in order, as (key, value).
using FieldWrites = std::vector<std::pair<std::string, int64_t>>;
FieldWrites writesTo(const sim::ServerModel& server, std::initializer_list<const char*> keys);

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
  // Registers an added profile again, with the same data, as each LoadInterface does.
  void registerAgain(int32_t index);

  // Windows paths; gameFolder ends with "\".
  std::string root() const { return root_; }
  std::string gameFolder(int32_t index) const;
  // The settings folder of an added profile, as the plug-in names it.
  std::string settingsFolder(int32_t index) const;
  // The same places relative to scratch, for arranging and checking directly.
  static std::string gameFolderOnDisk(int32_t index);
  static std::string settingsFolderOnDisk(int32_t index);

  // The PDAT a host passes for a remote administrator's call on profile `index` (pid 1000 +
  // index, its folders and build): the name in element 10, the host's one-log-for-all setting
  // (VB True = -1) in element 11.
  Variant remotePdat(const std::string& administrator, int16_t sharedLog = 0,
                     int32_t index = 1) const;

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
  Variant::Array pdatOf(int32_t index, bool affiliate) const;

  std::string root_;

 public:
  Module module;
};

}  // namespace rotaryn
