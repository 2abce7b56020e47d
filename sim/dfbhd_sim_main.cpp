// dfbhd-sim: a DFBHD dedicated server as Rotaryn sees it. Maps every field of the chosen build
// at its real absolute address and runs the server model in real time, so the process backend
// of Gravik.clsMemory (and rotaryn-memtool) reads and writes it exactly as a real server.

#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "sim/command_line.h"
#include "sim/model/mapped_memory.h"
#include "sim/model/server_model.h"

namespace {

using rotaryn::sim::ServerOptions;

// Longest time an option may give: a year, well inside RestartTmr's 32 bits at 62 units a second.
constexpr double kMaxSeconds = 365.0 * 24 * 3600;

struct Arguments {
  ServerOptions server;
  int tickMs = 20;
  bool verbose = false;
};

[[noreturn]] void usageError(const std::string& message) {
  std::cerr << "dfbhd-sim: " << message << " (dfbhd-sim --help lists the options)\n";
  std::exit(rotaryn::sim::kUsageStatus);
}

Arguments parseArguments(int argc, char** argv) {
  using rotaryn::sim::finiteRange;
  Arguments arguments;
  ServerOptions& server = arguments.server;
  server.gameLengthSeconds = 600;
  std::string build = "standard";
  std::string rotationFile;
  int32_t position = 0;

  CLI::App app(
      "A DFBHD dedicated server as Rotaryn sees it: every field of the chosen build at "
      "its real address, run in real time.",
      "dfbhd-sim");
  // An option given twice takes its last value, as a script's defaults followed by its own.
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.add_option("--build", build, "server build whose addresses to use")
      ->check(CLI::IsMember({"standard", "affiliate"}, CLI::ignore_case))
      ->capture_default_str();
  app.add_option("--pack", server.resourcePack, "loaded resource pack")
      ->check(rotaryn::sim::atMost(rotaryn::sim::kPackNameCapacity, "the resource pack"))
      ->capture_default_str();
  app.add_option("--rotation", rotationFile,
                 "initial rotation, one map a line: gametype[-]custom[-]MISSIONFILE.BMS[-]Display "
                 "Name (default: four stock maps)")
      ->check(CLI::ExistingFile);
  app.add_option("--position", position, "rotation entry playing at start")
      ->check(rotaryn::sim::wholeRange(0, rotaryn::sim::kRotationCapacity - 1))
      ->capture_default_str();
  app.add_option("--game-length", server.gameLengthSeconds,
                 "seconds until a game ends by itself; 0: only on resetgames")
      ->check(finiteRange(0, kMaxSeconds))
      ->capture_default_str();
  app.add_option("--display-length", server.displayLengthSeconds,
                 "seconds of end-of-game display; RestartTmr starts at this x 62")
      ->check(finiteRange(0, kMaxSeconds))
      ->capture_default_str();
  app.add_option("--loading-seconds", server.loadingSeconds, "seconds in state 1 between games")
      ->check(finiteRange(0, kMaxSeconds))
      ->capture_default_str();
  app.add_option("--speed", server.speed, "server seconds per real second")
      ->check(finiteRange(0, 1e6, false))
      ->capture_default_str();
  app.add_option("--state", server.initialState, "initial game state (0 idles)")
      ->check(rotaryn::sim::wholeRange(0, 4))
      ->capture_default_str();
  app.add_option("--max-kills", server.maxKills, "the server's own kill limit")
      ->check(rotaryn::sim::wholeRange(0, INT32_MAX))
      ->capture_default_str();
  app.add_option("--koth-limit", server.kothLimit, "the server's own king-of-the-hill limit")
      ->check(rotaryn::sim::wholeRange(0, INT32_MAX))
      ->capture_default_str();
  app.add_option("--scoring-rate", server.scoringRate,
                 "points per second the leading side scores; a game ends when the score reaches "
                 "its type's active limit (Score1a, or Score2a for king of the hill); 0: nobody "
                 "scores")
      ->check(finiteRange(0, 1e6))
      ->capture_default_str();
  app.add_option("--tick-ms", arguments.tickMs, "milliseconds between two runs of the server")
      ->check(rotaryn::sim::wholeRange(1, 10000))
      ->capture_default_str();
  app.add_flag("--verbose", arguments.verbose, "print state changes and console commands");
  if (auto status = rotaryn::sim::parseCommandLine(app, argc, argv)) std::exit(*status);

  server.build = *rotaryn::sim::parseBuild(build);
  if (!rotationFile.empty()) {
    std::ifstream file(rotationFile, std::ios::binary);
    if (!file) usageError("cannot read the rotation file " + rotationFile);
    std::stringstream text;
    text << file.rdbuf();
    try {
      server.rotation = rotaryn::sim::parseRotation(text.str());
    } catch (const std::invalid_argument& error) {
      usageError(rotationFile + ": " + error.what());
    }
  }
  if (position >= static_cast<int32_t>(server.rotation.size()) && position > 0) {
    usageError("--position " + std::to_string(position) + " is beyond the rotation's " +
               std::to_string(server.rotation.size()) + " maps");
  }
  server.startPosition = position;
  try {
    rotaryn::sim::ServerModel::checkOptions(server);
  } catch (const std::invalid_argument& error) {
    usageError(error.what());
  }
  return arguments;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments = parseArguments(argc, argv);

  // SIGTERM and SIGINT arrive through a descriptor the tick loop waits on.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGINT);
  sigprocmask(SIG_BLOCK, &stopSignals, nullptr);
  int stopFd = signalfd(-1, &stopSignals, SFD_CLOEXEC);
  if (stopFd < 0) {
    std::perror("dfbhd-sim: signalfd");
    return 1;
  }

  std::unique_ptr<rotaryn::sim::ServerModel> server;
  try {
    server = std::make_unique<rotaryn::sim::ServerModel>(
        std::make_unique<rotaryn::sim::MappedMemory>(), arguments.server);
  } catch (const std::exception& error) {
    std::cerr << "dfbhd-sim: " << error.what() << "\n";
    return 1;
  }
  if (arguments.verbose) {
    server->setLogger(
        [](const std::string& line) { std::cout << "dfbhd-sim: " << line << std::endl; });
  }

  // Any process may read and write us, not only our ancestors (Yama ptrace_scope 1); without
  // Yama the call fails harmlessly.
  prctl(PR_SET_PTRACER, PR_SET_PTRACER_ANY, 0, 0, 0);

  std::cout << "dfbhd-sim ready pid=" << getpid()
            << " build=" << rotaryn::sim::buildName(arguments.server.build) << std::endl;

  using Clock = std::chrono::steady_clock;
  Clock::time_point last = Clock::now();
  std::string lastError;
  for (;;) {
    pollfd wait{stopFd, POLLIN, 0};
    int ready = poll(&wait, 1, arguments.tickMs);
    if (ready > 0) break;
    if (ready < 0 && errno != EINTR) {
      std::perror("dfbhd-sim: poll");
      return 1;
    }
    auto elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - last);
    last += elapsedMs;
    try {
      server->advance(elapsedMs.count());
      lastError.clear();
    } catch (const std::exception& error) {
      // A field written out of shape from outside (a rotation pointer into nowhere): say so once
      // and keep serving, as a real server would keep its process.
      if (lastError != error.what()) std::cerr << "dfbhd-sim: " << error.what() << "\n";
      lastError = error.what();
    }
  }
  if (arguments.verbose) std::cout << "dfbhd-sim: stopping" << std::endl;
  close(stopFd);
  return 0;
}
