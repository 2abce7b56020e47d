#pragma once

#include <QProcess>
#include <QSocketNotifier>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "host/config/host_config.h"

namespace rotaryn::host {

// The game servers of a headless or windowed host: simulated servers and commands started as
// children, and running processes given by pid or found by the Windows program they run,
// watched until they end. Qt event loop thread only.
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
  struct Server {
    int32_t index = 0;
    ServerSource::Kind kind = ServerSource::Kind::kSimulated;
    std::unique_ptr<QProcess> process;
    int32_t pid = 0;
    bool ready = false;
    std::string output;  // a simulator's standard output until it says it is ready
    int pidFd = -1;
    std::unique_ptr<QSocketNotifier> exitNotifier;
    std::unique_ptr<QTimer> timer;     // readiness deadline, start delay or exit polling
    std::unique_ptr<QTimer> exitPoll;  // a watched process without a pid descriptor
    int startDelayMs = 0;              // commands: from running to ready
    std::string windowsProgram;        // commands and finds: the Windows program the server runs
  };

  // program and arguments as the system spells them (UTF-8).
  void startChild(Server& server, const QString& program, const QStringList& arguments);
  void watchPid(Server& server);
  // Pid and find servers: watched from the event loop on, and ready.
  void watchRunning(Server& server);
  // A command's start-up delay is over: the server is the child, or the process under it that
  // runs the Windows program the command names.
  void commandStarted(Server& server);
  void becomeReady(Server& server, int32_t pid);
  void childFinished(Server& server, int exitCode, QProcess::ExitStatus status);
  void fail(Server& server, const std::string& problem);

  std::string simulator_;
  std::string workingFolder_;
  Events events_;
  std::map<int32_t, std::unique_ptr<Server>> servers_;
  bool stopping_ = false;
};

// The dfbhd-sim to start: the configured path (relative to the root), else one beside the host
// program or in the build tree's sim/ folder, else one on PATH. Empty when none is found.
std::string findSimulator(const std::string& configured, const std::string& rootPosix);

}  // namespace rotaryn::host
