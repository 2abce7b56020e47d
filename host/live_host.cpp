#include "host/live_host.h"

#include <iostream>

#include "host/config/host_root.h"

namespace rotaryn::host {
namespace {

constexpr int kHistoryCheckMs = 3600 * 1000;

}  // namespace

LiveHost::LiveHost(const std::string& rootPosix, HostConfig config, HostDialogs& dialogs, Note note)
    : root_(rootPosix),
      note_(std::move(note)),
      timers_([this](const std::string& failure) { note_("a timer tick failed: " + failure); }),
      app_(HostApp::Environment{rootPosix, clock_, timers_, pump_, dialogs, nullptr, note_},
           std::move(config)) {
  // The history's old files also go on a day without games.
  timers_.start("host history", 0, kHistoryCheckMs, [this] { app_.observer().pruneIfNewDay(); });
}

bool LiveHost::loadPlugin() {
  try {
    app_.loadPlugin();
  } catch (const std::exception& error) {
    std::cerr << "rotaryn-host: " << error.what() << "\n";
    return false;
  }
  note_("plug-in " + app_.pluginTitle() + " loaded from " + pluginPathIn(root_));
  return true;
}

void LiveHost::startServers(ServerProcesses::Events events) {
  servers_ = std::make_unique<ServerProcesses>(findSimulator(config().simulator, root_), root_,
                                               std::move(events));
  for (const ProfileConfig& profile : config().profiles) servers_->start(profile);
}

void LiveHost::shutDown() {
  if (shutDown_) return;
  shutDown_ = true;
  if (std::optional<int32_t> current = app_.hasPlugin() ? app_.currentProfile() : std::nullopt) {
    const std::string problem = app_.saveMapSettings(*current);
    note_(labelOf(app_.profile(*current).config) +
          (problem.empty() ? ": map settings saved" : ": " + problem));
  }
  if (app_.hasPlugin()) {
    app_.unload();
    note_("plug-in unloaded (UnLoadInterface)");
  }
  if (!servers_) return;
  int running = servers_->childrenRunning();
  servers_->stopAll(3000);
  if (running > 0) note_("servers stopped (" + std::to_string(running) + ")");
}

std::string labelOf(const ProfileConfig& profile) {
  return "profile " + std::to_string(profile.index) + " (" + profile.profileFolder + ")";
}

}  // namespace rotaryn::host
