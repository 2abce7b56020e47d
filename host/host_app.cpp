#include "host/host_app.h"

#include <stdexcept>

#include "host/config/host_root.h"
#include "host/config/pdat.h"

namespace rotaryn::host {

HostApp::HostApp(Environment environment, HostConfig config)
    : env_(std::move(environment)),
      config_(std::move(config)),
      ports_(env_.clock, env_.timers, env_.pump, env_.dialogs, env_.memory,
             [this](int32_t index, const std::string&) -> std::optional<std::string> {
               auto found = profiles_.find(index);
               if (found == profiles_.end() ||
                   found->second.config.delivery != CommandDelivery::kNone) {
                 return std::nullopt;
               }
               return "console command delivery is off for profile " + std::to_string(index) +
                      " (Delivery = none in host.ini), so the command was not sent; set "
                      "Delivery = mailbox if the server reads its console mailbox";
             }),
      observer_(env_.rootPosix, config_.historyDays, env_.clock, env_.note) {
  ports_.eventReported = [this](int32_t profile, const char* name, const char* detail) {
    observer_.onEvent(profile, name, detail);
  };
  for (const ProfileConfig& profile : config_.profiles) addProfile(profile);
}

HostApp::~HostApp() = default;

void HostApp::loadPlugin(const std::string& libraryPath) {
  plugin_.emplace(PluginHandle::load(
      libraryPath.empty() ? pluginPathIn(env_.rootPosix) : libraryPath, ports_.ports()));
  plugin_->callTimed = [this](const QString& operation, double seconds) {
    observer_.metrics().pluginCall(operation.toStdString(), seconds);
  };
  // The registration data is the plug-in's constant: asked for once.
  pluginData_ = plugin_->call(QJsonObject{{"op", "GetData"}}).toObject();
}

PluginHandle& HostApp::plugin() {
  if (!plugin_) throw std::logic_error("the plug-in is not created yet");
  return *plugin_;
}

std::string HostApp::pluginTitle() const {
  return (pluginData_.value("Name").toString() + " " + pluginData_.value("Version").toString())
      .toStdString();
}

std::vector<QString> HostApp::serverMenu() const {
  std::vector<QString> entries;
  if (!pluginData_.value("ServerMenu").toBool()) return entries;
  for (const QJsonValue& entry : pluginData_.value("ServerMenuItems").toArray()) {
    if (!entry.toString().isEmpty()) entries.push_back(entry.toString());
  }
  return entries;
}

void HostApp::addProfile(ProfileConfig profile) {
  int32_t index = profile.index;
  profiles_[index] = Profile{std::move(profile), std::nullopt, false, false};
}

const HostApp::Profile& HostApp::profile(int32_t index) const {
  auto found = profiles_.find(index);
  if (found == profiles_.end()) {
    throw std::out_of_range("there is no profile " + std::to_string(index));
  }
  return found->second;
}

HostApp::Profile& HostApp::mutableProfile(int32_t index) {
  return const_cast<Profile&>(profile(index));
}

void HostApp::serverStarted(int32_t index, int32_t pid) {
  Profile& p = mutableProfile(index);
  p.serverPid = pid;
  p.serverRunning = true;
}

QJsonArray HostApp::pdatOf(int32_t index, const std::string& adminName) const {
  const Profile& p = profile(index);
  if (!p.serverPid) {
    throw std::logic_error("the server of profile " + std::to_string(index) + " has not run yet");
  }
  return buildPdat(p.config, *p.serverPid, config_, adminName);
}

std::string HostApp::loadProfile(int32_t index, int64_t windowId,
                                 const std::optional<QJsonValue>& pdat) {
  QJsonValue data = pdat ? *pdat : QJsonValue(pdatOf(index));
  plugin().call(QJsonObject{{"op", "LoadInterface"},
                            {"Index", index},
                            {"pHwnd", static_cast<double>(windowId)},
                            {"PDAT", data}});
  if (auto found = profiles_.find(index); found != profiles_.end()) found->second.loaded = true;
  lastLoaded_ = index;
  // LoadInterface reports its own failures in a box; the host also wants to know whether the
  // profile's server can be read at all, to say so once.
  QJsonObject state;
  std::string unreadable;
  try {
    state = serverState(index);
  } catch (const PluginCallError& error) {
    unreadable = error.description().toStdString();
  }
  if (auto found = profiles_.find(index); found != profiles_.end()) {
    observer_.profileLoaded(found->second.config, state);
  }
  return unreadable;
}

void HostApp::hideInterface() {
  plugin().call(QJsonObject{{"op", "HideInterface"}});
}

std::optional<int32_t> HostApp::currentProfile() const {
  auto found = lastLoaded_ ? profiles_.find(*lastLoaded_) : profiles_.end();
  if (found == profiles_.end() || !found->second.loaded) return std::nullopt;
  return lastLoaded_;
}

int HostApp::serverEnded(int32_t pid, const std::string& how) {
  int disabled = 0;
  for (auto& [index, p] : profiles_) {
    if (p.serverPid != pid || !p.serverRunning) continue;
    p.serverRunning = false;
    std::string label = "profile " + std::to_string(index) + " (" + p.config.profileFolder +
                        "): its server (pid " + std::to_string(pid) + ") " + how;
    if (!p.loaded) {
      env_.note(label);
      continue;
    }
    if (plugin_) plugin_->call(QJsonObject{{"op", "DisableProfile"}, {"Index", index}});
    p.loaded = false;
    ++disabled;
    env_.note(label + "; monitoring is disabled (DisableProfile)");
  }
  return disabled;
}

std::string HostApp::saveMapSettings(int32_t index) {
  try {
    plugin().call(QJsonObject{{"op", "SaveMapSettings"}, {"Index", index}});
    return "";
  } catch (const PluginCallError& error) {
    return "SaveMapSettings failed: " + std::string(error.what());
  }
}

void HostApp::unload() {
  if (plugin_) plugin_->call(QJsonObject{{"op", "UnLoadInterface"}});
  for (auto& [index, p] : profiles_) p.loaded = false;
}

QJsonObject HostApp::serverState(int32_t index) {
  return plugin()
      .automate(QJsonObject{{"dump", "serverState"}, {"index", index}})
      .value("result")
      .toObject();
}

void HostApp::refreshServerMetrics() {
  // The monitor's events keep the rest; a scrape reads no server.
  for (const auto& [index, p] : profiles_) {
    if (!p.loaded || !p.serverRunning) {
      observer_.metrics().setServerState(index, std::nullopt, std::nullopt);
    }
  }
}

}  // namespace rotaryn::host
