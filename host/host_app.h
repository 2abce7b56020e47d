#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "host/host_config.h"
#include "host/plugin_library.h"
#include "platform/component_registry.h"
#include "plugin/memory_access.h"
#include "plugin/module.h"

namespace rotaryn::host {

// What every host mode is made of: the ports and components handed to the plug-in, the plug-in
// itself and the profiles it serves. The modes differ only in the adapters they pass in (Qt or
// virtual time, console or scripted dialogs, process or simulated memory) and in where servers
// come from. Runs on the UI thread only.
class HostApp {
 public:
  struct Environment {
    std::string rootPosix;
    FileSystem& files;
    Clock& clock;
    Timers& timers;
    EventPump& pump;
    Dialogs& dialogs;
    std::shared_ptr<IMemoryAccess> memory;  // "Gravik.clsMemory"
    // Where the host says what it does on its own (a server ended, a profile loaded).
    std::function<void(const std::string&)> note;
  };

  struct Profile {
    ProfileConfig config;
    std::optional<int32_t> serverPid;  // the last server process, once one ran
    bool serverRunning = false;
    bool loaded = false;  // LoadInterface ran and no DisableProfile since
  };

  HostApp(Environment environment, HostConfig config);
  ~HostApp();
  HostApp(const HostApp&) = delete;
  HostApp& operator=(const HostApp&) = delete;

  // Creates the plug-in from <root>/Plugins (throws PluginLoadError), or from the code linked
  // into the host.
  void loadPluginFromRoot();
  void linkPlugin();
  bool hasPlugin() const { return plugin_.has_value(); }
  // Throws std::logic_error before the plug-in is created.
  clsPlugin& plugin();
  ComponentRegistry& registry() { return registry_; }
  const HostConfig& config() const { return config_; }
  const std::string& rootPosix() const { return env_.rootPosix; }

  // Adds or replaces a profile (its server not started yet).
  void addProfile(ProfileConfig profile);
  const std::map<int32_t, Profile>& profiles() const { return profiles_; }
  // Throws std::out_of_range naming the index when there is no such profile.
  const Profile& profile(int32_t index) const;

  // The profile's server runs as pid.
  void serverStarted(int32_t index, int32_t pid);
  // The profile data of a profile whose server has run; throws std::logic_error before that.
  Variant pdatOf(int32_t index, const std::string& adminName = "") const;
  // LoadInterface for the profile, in the host window given (0: none), with its PDAT or the
  // one given.
  void loadProfile(int32_t index, int64_t windowId, const std::optional<Variant>& pdat = {});
  // Every loaded profile whose server was pid: DisableProfile and a note saying so. Returns the
  // profiles disabled.
  int serverEnded(int32_t pid, const std::string& how);
  // UnLoadInterface; no profile is loaded afterwards.
  void unload();

 private:
  Profile& mutableProfile(int32_t index);

  Environment env_;
  HostConfig config_;
  ComponentRegistry registry_;
  Ports ports_;
  std::map<int32_t, Profile> profiles_;
  std::optional<PluginHandle> plugin_;
};

}  // namespace rotaryn::host
