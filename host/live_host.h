#pragma once

#include <functional>
#include <memory>
#include <string>

#include "host/host_app.h"
#include "host/qt_timers.h"
#include "host/server_processes.h"

namespace rotaryn::host {

// What the window and headless modes share: real time on the Qt event loop, the plug-in loaded
// from the root, and the profiles' server processes.
class LiveHost {
 public:
  using Note = std::function<void(const std::string&)>;

  LiveHost(const std::string& rootPosix, HostConfig config, HostDialogs& dialogs, Note note);

  // Loads the plug-in from the root's Plugins folder and says which one; false (with the
  // reason on stderr) when it cannot.
  bool loadPlugin();
  // Starts every profile's server, reporting to the events given.
  void startServers(ServerProcesses::Events events);
  // Saves the map settings of the profile the plug-in's window holds (as quitting the window
  // does), unloads the plug-in, then stops the servers the host started, saying what it did.
  void shutDown();

  HostApp& app() { return app_; }
  const HostConfig& config() const { return app_.config(); }
  ServerProcesses* servers() { return servers_.get(); }
  const Note& note() const { return note_; }

 private:
  std::string root_;
  Note note_;
  SystemClock clock_;
  QtTimers timers_;
  QtEventPump pump_;
  HostApp app_;
  std::unique_ptr<ServerProcesses> servers_;
  bool shutDown_ = false;
};

// "profile 2 (alpha)".
std::string labelOf(const ProfileConfig& profile);

}  // namespace rotaryn::host
