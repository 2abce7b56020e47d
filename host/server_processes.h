#pragma once

#include <QProcess>
#include <QSocketNotifier>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "host/config/host_config.h"

namespace rotaryn::host {

class ServerChildren;

// The game servers of a headless or windowed host: simulated servers and commands started as
// children, and running processes given by pid or found by the Windows program they run,
// watched until they end. Called from the Qt event loop thread; the events are reported there.
//
// The children are started and watched on a thread of their own: each has a process descriptor
// and an output pipe to watch, and in the host's own event loop those would be polled on every
// wake-up (each request, each tick), the cost growing with the number of servers.
class ServerProcesses {
 public:
  struct Events {
    // The server of the profile runs as pid and can be read.
    std::function<void(int32_t index, int32_t pid)> ready;
    // A server that was ready has ended; how says how ("exited with code 0").
    std::function<void(int32_t index, int32_t pid, const std::string& how)> ended;
    // The server never became ready; the profile is not loaded.
    std::function<void(int32_t index, const std::string& problem)> failed;
  };

  // simulator: the dfbhd-sim program; workingFolder: where children start (the host root).
  ServerProcesses(std::string simulator, std::string workingFolder, Events events);
  ~ServerProcesses();
  ServerProcesses(const ServerProcesses&) = delete;
  ServerProcesses& operator=(const ServerProcesses&) = delete;

  void start(const ProfileConfig& profile);
  // Asks every child to stop (SIGTERM), waits up to graceMs in all, then kills what is left.
  // Watched processes that are not ours are left running. No events are reported afterwards.
  void stopAll(int graceMs);
  // Children still running.
  int childrenRunning() const;

 private:
  // Runs fn on the children's thread and returns when it has run.
  void onChildrenThread(const std::function<void()>& fn) const;

  QObject reporter_;  // on the caller's thread: queued events die with it
  std::atomic<bool> stopped_{false};
  QThread thread_;
  QObject* worker_ = nullptr;  // on thread_
  std::unique_ptr<ServerChildren> children_;
};

// The dfbhd-sim to start: the configured path (relative to the root), else one beside the host
// program or in the build tree's sim/ folder, else one on PATH. Empty when none is found.
std::string findSimulator(const std::string& configured, const std::string& rootPosix);

}  // namespace rotaryn::host
