#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QJsonValue>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "host/config/host_config.h"
#include "host/observer.h"
#include "host/plugin_library.h"
#include "host/port_table.h"

namespace rotaryn::host {

// What every host mode is made of: the ports handed to the plug-in, the plug-in itself and the
// profiles it serves. The modes differ only in the ports they pass in (Qt or virtual time,
// console, window or scripted dialogs, real or simulated servers) and in where servers come
// from. Runs on the UI thread only.
class HostApp {
 public:
  struct Environment {
    std::string rootPosix;
    HostClock& clock;
    HostTimers& timers;
    HostPump& pump;
    HostDialogs& dialogs;
    HostMemory* memory = nullptr;  // null: the plug-in reaches server processes itself
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

  // Creates the plug-in from the library at path (default: <root>/Plugins); throws
  // PluginLoadError.
  void loadPlugin(const std::string& libraryPath = "");
  bool hasPlugin() const { return plugin_.has_value(); }
  // Throws std::logic_error before the plug-in is created.
  PluginHandle& plugin();
  const HostConfig& config() const { return config_; }
  const std::string& rootPosix() const { return env_.rootPosix; }
  // "Rotaryn 1.4.5", from the plug-in's own registration data.
  std::string pluginTitle() const;
  // The plug-in's server menu entries (empty ones left out).
  std::vector<QString> serverMenu() const;

  // Adds or replaces a profile (its server not started yet).
  void addProfile(ProfileConfig profile);
  const std::map<int32_t, Profile>& profiles() const { return profiles_; }
  // Throws std::out_of_range naming the index when there is no such profile.
  const Profile& profile(int32_t index) const;

  // The profile's server runs as pid.
  void serverStarted(int32_t index, int32_t pid);
  // The profile data of a profile whose server has run; throws std::logic_error before that.
  QJsonArray pdatOf(int32_t index, const std::string& adminName = "") const;
  // LoadInterface for the profile, in the host window given (0: none), with its PDAT or the
  // one given. Returns an empty text when the profile loaded and its server could be read,
  // else why not (the plug-in has reported it in its own way as well).
  std::string loadProfile(int32_t index, int64_t windowId,
                          const std::optional<QJsonValue>& pdat = {});
  void hideInterface();
  // The profile LoadInterface last ran for, while it stays loaded: the one whose rotation the
  // plug-in's window holds.
  std::optional<int32_t> currentProfile() const;
  // Every loaded profile whose server was pid: DisableProfile and a note saying so. Returns the
  // profiles disabled.
  int serverEnded(int32_t pid, const std::string& how);
  // UnLoadInterface; no profile is loaded afterwards.
  // SaveMapSettings of a loaded profile: what the plug-in's window shows goes to the profile's
  // lastknownsettings.ini. Answers the plug-in's failure as text, empty when it worked.
  std::string saveMapSettings(int32_t index);
  void unload();
  // Every box the plug-in shows from now on is also told to `watch` (title, text); an empty
  // function ends the watch. The remote API hears this way what the plug-in reported during a
  // call.
  // Returns the watch it replaces, for a caller that restores it.
  using BoxWatch = std::function<void(const QString& title, const QString& text)>;
  BoxWatch watchBoxes(BoxWatch watch) { return std::exchange(ports_.boxShown, std::move(watch)); }
  // The map, game state and game type of a loaded profile's server, read by the plug-in
  // through its memory component; throws PluginCallError when it cannot be read.
  QJsonObject serverState(int32_t index);
  // The metrics and match history of what the plug-in reports.
  HostObserver& observer() { return observer_; }
  // Before a scrape: profiles whose server stopped or that are not loaded show as down.
  void refreshServerMetrics();

 private:
  Profile& mutableProfile(int32_t index);

  Environment env_;
  HostConfig config_;
  PortTable ports_;
  HostObserver observer_;
  std::map<int32_t, Profile> profiles_;
  std::optional<PluginHandle> plugin_;
  QJsonObject pluginData_;  // GetData, from the plug-in's start
  std::optional<int32_t> lastLoaded_;
};

}  // namespace rotaryn::host
