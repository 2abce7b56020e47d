#include "host/server_processes.h"

#include <signal.h>
#include <sys/prctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QStandardPaths>
#include <cerrno>
#include <filesystem>

#include "host/host_text.h"
#include "host/windows_programs.h"

namespace rotaryn::host {
namespace {

namespace fs = std::filesystem;

constexpr int kReadyTimeoutMs = 15000;
constexpr int kPidPollMs = 2000;
constexpr std::string_view kReadyLine = "dfbhd-sim ready pid=";

// Command lines come from host.ini in Windows-1252; a program's arguments are UTF-8.
QStringList qtArguments(const std::vector<std::string>& arguments) {
  QStringList list;
  for (const std::string& argument : arguments) {
    list.append(QString::fromStdString(utf8FromWindows1252(argument)));
  }
  return list;
}

bool processExists(int32_t pid) {
  return ::kill(pid, 0) == 0 || errno == EPERM;
}

std::string howItEnded(int exitCode, QProcess::ExitStatus status) {
  if (status == QProcess::CrashExit) return "was stopped by a signal";
  return "exited with code " + std::to_string(exitCode);
}

}  // namespace

// ServerProcesses' work, on the children's thread: every object here lives there.
class ServerChildren {
 public:
  using Events = ServerProcesses::Events;

  // simulator: the dfbhd-sim program; workingFolder: where children start (the host root).
  ServerChildren(std::string simulator, std::string workingFolder, Events events);
  ~ServerChildren();
  ServerChildren(const ServerChildren&) = delete;
  ServerChildren& operator=(const ServerChildren&) = delete;

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

ServerChildren::ServerChildren(std::string simulator, std::string workingFolder, Events events)
    : simulator_(std::move(simulator)),
      workingFolder_(std::move(workingFolder)),
      events_(std::move(events)) {}

ServerChildren::~ServerChildren() {
  stopAll(2000);
}

void ServerChildren::start(const ProfileConfig& profile) {
  auto owned = std::make_unique<Server>();
  Server& server = *owned;
  server.index = profile.index;
  server.kind = profile.server.kind;
  server.windowsProgram = profile.server.windowsProgram;
  servers_[profile.index] = std::move(owned);

  switch (profile.server.kind) {
    case ServerSource::Kind::kSimulated:
      if (simulator_.empty()) {
        return fail(server, "cannot find dfbhd-sim (name it with Simulator in [Host] of host.ini)");
      }
      startChild(server, QString::fromStdString(simulator_), qtArguments(profile.server.arguments));
      server.timer = std::make_unique<QTimer>();
      server.timer->setSingleShot(true);
      QObject::connect(server.timer.get(), &QTimer::timeout, [this, &server] {
        if (!server.ready) {
          fail(server, "the simulator did not say it was ready within " +
                           std::to_string(kReadyTimeoutMs / 1000) + " s");
        }
      });
      server.timer->start(kReadyTimeoutMs);
      return;
    case ServerSource::Kind::kCommand: {
      QStringList arguments = qtArguments(profile.server.arguments);
      const QString program = arguments.takeFirst();
      // The start-up delay counts from the moment the program runs.
      server.timer = std::make_unique<QTimer>();
      server.timer->setSingleShot(true);
      QObject::connect(server.timer.get(), &QTimer::timeout,
                       [this, &server] { commandStarted(server); });
      server.startDelayMs = static_cast<int>(profile.startupSeconds * 1000);
      startChild(server, program, arguments);
      return;
    }
    case ServerSource::Kind::kPid:
      server.pid = profile.server.pid;
      if (!processExists(server.pid)) {
        return fail(server, "there is no process with pid " + std::to_string(server.pid));
      }
      return watchRunning(server);
    case ServerSource::Kind::kFind: {
      const std::vector<ProcessInfo> running =
          processesRunning(listProcesses(), server.windowsProgram);
      if (running.empty()) {
        return fail(server, "no running process runs " + server.windowsProgram +
                                " (none has it as its program in its command line)");
      }
      if (running.size() > 1) {
        std::string list;
        for (const ProcessInfo& process : running) {
          list += (list.empty() ? "" : ", ") + describeProcess(process);
        }
        return fail(server, std::to_string(running.size()) + " processes run " +
                                server.windowsProgram + ": " + list +
                                "; name the server's with Server = pid N");
      }
      server.pid = running.front().pid;
      return watchRunning(server);
    }
  }
}

void ServerChildren::watchRunning(Server& server) {
  // Reported from the event loop, like the other kinds.
  QTimer::singleShot(0, [this, index = server.index] {
    auto found = servers_.find(index);
    if (found == servers_.end() || stopping_) return;
    watchPid(*found->second);
    becomeReady(*found->second, found->second->pid);
  });
}

void ServerChildren::commandStarted(Server& server) {
  if (!server.process || server.process->state() != QProcess::Running) return;
  const auto child = static_cast<int32_t>(server.process->processId());
  if (server.windowsProgram.empty()) return becomeReady(server, child);
  // Wine normally runs the program in the very process it was started as; a wrapper script that
  // does not exec runs it further down. (What `wine start` starts Wine detaches from us.)
  std::optional<int32_t> pid = runningUnder(listProcesses(), child, server.windowsProgram);
  if (!pid) {
    return fail(server, "the command runs no process of " + server.windowsProgram + " after " +
                            QString::number(server.startDelayMs / 1000.0).toStdString() +
                            " s (StartupSeconds)");
  }
  if (*pid != child) {
    server.pid = *pid;
    watchPid(server);
  }
  becomeReady(server, *pid);
}

void ServerChildren::startChild(Server& server, const QString& program,
                                const QStringList& arguments) {
  server.process = std::make_unique<QProcess>();
  QProcess& process = *server.process;
  process.setProgram(program);
  process.setArguments(arguments);
  process.setWorkingDirectory(QString::fromStdString(workingFolder_));
  // Our servers end with us even when the host itself is killed. They run in a process group of
  // their own, so a Ctrl-C at the terminal reaches the host only: the host unloads the plug-in
  // first and then stops them, instead of seeing them die and disabling their profiles.
  process.setChildProcessModifier([] {
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    ::setpgid(0, 0);
  });
  if (server.kind == ServerSource::Kind::kSimulated) {
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QObject::connect(&process, &QProcess::readyReadStandardOutput, [this, &server] {
      QByteArray bytes = server.process->readAllStandardOutput();
      if (server.ready) return;
      server.output.append(bytes.constData(), static_cast<size_t>(bytes.size()));
      if (server.output.find(kReadyLine) != std::string::npos) {
        server.output.clear();
        becomeReady(server, static_cast<int32_t>(server.process->processId()));
      }
    });
  } else {
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    QObject::connect(&process, &QProcess::started,
                     [&server] { server.timer->start(server.startDelayMs); });
  }
  QObject::connect(&process, &QProcess::finished,
                   [this, &server](int exitCode, QProcess::ExitStatus status) {
                     childFinished(server, exitCode, status);
                   });
  QObject::connect(&process, &QProcess::errorOccurred,
                   [this, &server](QProcess::ProcessError error) {
                     if (error == QProcess::FailedToStart) {
                       fail(server, "cannot start " + server.process->program().toStdString() +
                                        ": " + server.process->errorString().toStdString());
                     }
                   });
  process.start();
}

void ServerChildren::watchPid(Server& server) {
  server.pidFd = static_cast<int>(::syscall(SYS_pidfd_open, server.pid, 0));
  auto ended = [this, &server] {
    if (stopping_ || !server.ready) return;
    server.ready = false;
    if (server.exitNotifier) server.exitNotifier->setEnabled(false);
    if (server.exitPoll) server.exitPoll->stop();
    events_.ended(server.index, server.pid, "ended");
  };
  if (server.pidFd >= 0) {
    // The descriptor becomes readable when the process ends: no polling.
    server.exitNotifier = std::make_unique<QSocketNotifier>(server.pidFd, QSocketNotifier::Read);
    QObject::connect(server.exitNotifier.get(), &QSocketNotifier::activated, ended);
    return;
  }
  server.exitPoll = std::make_unique<QTimer>();
  QObject::connect(server.exitPoll.get(), &QTimer::timeout, [&server, ended] {
    if (!processExists(server.pid)) ended();
  });
  server.exitPoll->start(kPidPollMs);
}

void ServerChildren::becomeReady(Server& server, int32_t pid) {
  if (server.ready || stopping_) return;
  server.ready = true;
  server.pid = pid;
  if (server.timer) server.timer->stop();
  events_.ready(server.index, pid);
}

void ServerChildren::childFinished(Server& server, int exitCode, QProcess::ExitStatus status) {
  if (stopping_) return;
  // A wrapper that started the Windows program below it has done its part; the program's own
  // end is watched.
  if (server.ready && server.pidFd >= 0) return;
  if (server.ready && server.exitPoll && processExists(server.pid)) return;
  if (server.timer) server.timer->stop();
  if (server.ready) {
    server.ready = false;
    events_.ended(server.index, server.pid, howItEnded(exitCode, status));
  } else {
    events_.failed(server.index,
                   "the server " + howItEnded(exitCode, status) + " before it was ready");
  }
}

void ServerChildren::fail(Server& server, const std::string& problem) {
  if (stopping_) return;
  if (server.timer) server.timer->stop();
  if (server.process && server.process->state() != QProcess::NotRunning) {
    server.process->disconnect();
    server.process->kill();
    server.process->waitForFinished(1000);
  }
  events_.failed(server.index, problem);
}

void ServerChildren::stopAll(int graceMs) {
  stopping_ = true;
  for (auto& [index, server] : servers_) {
    if (server->timer) server->timer->stop();
    if (server->exitNotifier) server->exitNotifier->setEnabled(false);
    if (server->exitPoll) server->exitPoll->stop();
    if (server->process && server->process->state() != QProcess::NotRunning) {
      server->process->disconnect();
      server->process->terminate();
    }
    // A command's Windows program running below the child is ours as well.
    if (server->kind == ServerSource::Kind::kCommand && server->pidFd >= 0) {
      ::syscall(SYS_pidfd_send_signal, server->pidFd, SIGTERM, nullptr, 0);
    }
  }
  QDeadlineTimer deadline(graceMs);
  for (auto& [index, server] : servers_) {
    if (!server->process || server->process->state() == QProcess::NotRunning) continue;
    if (!server->process->waitForFinished(
            static_cast<int>(std::max<qint64>(deadline.remainingTime(), 1)))) {
      server->process->kill();
      server->process->waitForFinished(1000);
    }
  }
  for (auto& [index, server] : servers_) {
    if (server->pidFd >= 0) {
      server->exitNotifier.reset();
      ::close(server->pidFd);
      server->pidFd = -1;
    }
  }
}

int ServerChildren::childrenRunning() const {
  int running = 0;
  for (const auto& [index, server] : servers_) {
    if (server->process && server->process->state() != QProcess::NotRunning) ++running;
  }
  return running;
}

ServerProcesses::ServerProcesses(std::string simulator, std::string workingFolder, Events events) {
  // Each event is handed to the caller's thread; none after stopAll.
  auto post = [this](std::function<void()> report) {
    QMetaObject::invokeMethod(
        &reporter_,
        [this, report = std::move(report)] {
          if (!stopped_) report();
        },
        Qt::QueuedConnection);
  };
  Events posted{[post, ready = events.ready](int32_t index, int32_t pid) {
                  post([=] { ready(index, pid); });
                },
                [post, ended = events.ended](int32_t index, int32_t pid, const std::string& how) {
                  post([=] { ended(index, pid, how); });
                },
                [post, failed = events.failed](int32_t index, const std::string& problem) {
                  post([=] { failed(index, problem); });
                }};
  thread_.setObjectName("server children");
  thread_.start();
  worker_ = new QObject;
  worker_->moveToThread(&thread_);
  onChildrenThread([&] {
    children_ = std::make_unique<ServerChildren>(std::move(simulator), std::move(workingFolder),
                                                 std::move(posted));
  });
}

ServerProcesses::~ServerProcesses() {
  stopped_ = true;
  // The children's objects end on their own thread. The thread outlives every child: a child
  // is told of its parent's end (PR_SET_PDEATHSIG) when the thread that started it ends.
  onChildrenThread([this] { children_.reset(); });
  thread_.quit();
  thread_.wait();
  delete worker_;
}

void ServerProcesses::onChildrenThread(const std::function<void()>& fn) const {
  QMetaObject::invokeMethod(worker_, fn, Qt::BlockingQueuedConnection);
}

void ServerProcesses::start(const ProfileConfig& profile) {
  onChildrenThread([this, &profile] { children_->start(profile); });
}

void ServerProcesses::stopAll(int graceMs) {
  stopped_ = true;
  onChildrenThread([this, graceMs] { children_->stopAll(graceMs); });
}

int ServerProcesses::childrenRunning() const {
  int running = 0;
  onChildrenThread([this, &running] { running = children_->childrenRunning(); });
  return running;
}

std::string findSimulator(const std::string& configured, const std::string& rootPosix) {
  if (!configured.empty()) {
    fs::path path(configured);
    if (path.is_relative() && configured.find('/') != std::string::npos)
      path = fs::path(rootPosix) / path;
    if (path.has_parent_path()) return fs::exists(path) ? path.string() : std::string();
    return QStandardPaths::findExecutable(QString::fromStdString(configured)).toStdString();
  }
  const fs::path hostFolder = QCoreApplication::applicationDirPath().toStdString();
  for (const fs::path& candidate :
       {hostFolder / "dfbhd-sim", hostFolder / ".." / "sim" / "dfbhd-sim"}) {
    if (fs::exists(candidate)) return candidate.lexically_normal().string();
  }
  return QStandardPaths::findExecutable("dfbhd-sim").toStdString();
}

}  // namespace rotaryn::host
