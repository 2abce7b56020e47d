#include "host/host_app.h"

#include <stdexcept>

#include "components/fennor/cls_mfd.h"
#include "components/gravik/register_gravik.h"
#include "host/host_root.h"
#include "host/pdat.h"
#include "platform/adapters/windows_file_system.h"

namespace rotaryn::host {

HostApp::HostApp(Environment environment, HostConfig config)
    : env_(std::move(environment)), config_(std::move(config)), ports_{registry_,  env_.files,
                                                                       env_.clock, env_.timers,
                                                                       env_.pump,  env_.dialogs} {
  registerFennor(registry_, env_.files, env_.clock,
                 WindowsFileSystem::toWindowsPath(env_.rootPosix));
  gravik::registerGravik(registry_, env_.memory);
  for (const ProfileConfig& profile : config_.profiles) addProfile(profile);
}

HostApp::~HostApp() = default;

void HostApp::loadPluginFromRoot() {
  plugin_.emplace(PluginHandle::load(pluginPathIn(env_.rootPosix), ports_));
}

void HostApp::linkPlugin() {
  plugin_.emplace(
      PluginHandle::linked(ports_, WindowsFileSystem::toWindowsPath(env_.rootPosix) + "\\Plugins"));
}

clsPlugin& HostApp::plugin() {
  if (!plugin_) throw std::logic_error("the plug-in is not created yet");
  return plugin_->plugin();
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

Variant HostApp::pdatOf(int32_t index, const std::string& adminName) const {
  const Profile& p = profile(index);
  if (!p.serverPid) {
    throw std::logic_error("the server of profile " + std::to_string(index) + " has not run yet");
  }
  return buildPdat(p.config, *p.serverPid, config_, adminName);
}

void HostApp::loadProfile(int32_t index, int64_t windowId, const std::optional<Variant>& pdat) {
  Variant data = pdat ? *pdat : pdatOf(index);
  plugin().LoadInterface(index, windowId, data);
  if (auto found = profiles_.find(index); found != profiles_.end()) found->second.loaded = true;
}

int HostApp::serverEnded(int32_t pid, const std::string& how) {
  int disabled = 0;
  for (auto& [index, p] : profiles_) {
    if (p.serverPid != pid || !p.serverRunning) continue;
    p.serverRunning = false;
    if (!p.loaded) {
      env_.note("profile " + std::to_string(index) + " (" + p.config.profileFolder +
                "): its server (pid " + std::to_string(pid) + ") " + how);
      continue;
    }
    if (plugin_) plugin_->plugin().DisableProfile(index);
    p.loaded = false;
    ++disabled;
    env_.note("profile " + std::to_string(index) + " (" + p.config.profileFolder +
              "): its server (pid " + std::to_string(pid) + ") " + how +
              "; monitoring is disabled (DisableProfile)");
  }
  return disabled;
}

void HostApp::unload() {
  if (plugin_) plugin_->plugin().UnLoadInterface("");
  for (auto& [index, p] : profiles_) p.loaded = false;
}

}  // namespace rotaryn::host
