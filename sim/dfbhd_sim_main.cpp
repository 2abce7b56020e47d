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

#include "sim/model/mapped_memory.h"
#include "sim/model/server_model.h"

namespace {

using rotaryn::sim::ServerOptions;

constexpr const char* kUsage =
    "usage: dfbhd-sim [options]\n"
    "  --build standard|affiliate  server build whose addresses to use (default standard)\n"
    "  --pack NAME                 loaded resource pack (default localres.pff)\n"
    "  --rotation FILE             initial rotation, one map a line:\n"
    "                              gametype[-]custom[-]MISSIONFILE.BMS[-]Display Name\n"
    "                              (default: four stock maps)\n"
    "  --position N                rotation entry playing at start (default 0)\n"
    "  --game-length SECONDS       a game ends after this long; 0 = only on resetgames\n"
    "                              (default 600)\n"
    "  --display-length SECONDS    end-of-game display; RestartTmr starts at this x 62\n"
    "                              (default 60)\n"
    "  --loading-seconds SECONDS   time in state 1 between games (default 3)\n"
    "  --speed FACTOR              server seconds per real second (default 1)\n"
    "  --state N                   initial game state (default 2)\n"
    "  --max-kills N, --koth-limit N  the server's own limits (default 30, 10)\n"
    "  --tick-ms MS                how often the server runs (default 20)\n"
    "  --verbose                   print state changes and console commands\n";

struct Arguments {
  ServerOptions server;
  int tickMs = 20;
  bool verbose = false;
};

[[noreturn]] void usageError(const std::string& message) {
  std::cerr << "dfbhd-sim: " << message << " (dfbhd-sim --help lists the options)\n";
  std::exit(2);
}

double number(std::string_view option, const char* text) {
  char* end = nullptr;
  double value = std::strtod(text, &end);
  if (end == text || *end != '\0') usageError(std::string(option) + " needs a number, not \"" + text + "\"");
  return value;
}

int integer(std::string_view option, const char* text) {
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0') usageError(std::string(option) + " needs a whole number, not \"" + text + "\"");
  return static_cast<int>(value);
}

Arguments parseArguments(int argc, char** argv) {
  Arguments arguments;
  arguments.server.gameLengthSeconds = 600;
  for (int i = 1; i < argc; ++i) {
    std::string_view option = argv[i];
    if (option == "--help" || option == "-h") {
      std::cout << kUsage;
      std::exit(0);
    }
    if (option == "--verbose") {
      arguments.verbose = true;
      continue;
    }
    if (i + 1 >= argc) usageError(std::string(option) + " needs a value");
    const char* value = argv[++i];
    if (option == "--build") {
      auto build = rotaryn::sim::parseBuild(value);
      if (!build) usageError("--build is standard or affiliate");
      arguments.server.build = *build;
    } else if (option == "--pack") {
      arguments.server.resourcePack = value;
    } else if (option == "--rotation") {
      std::ifstream file(value, std::ios::binary);
      if (!file) usageError(std::string("cannot read the rotation file ") + value);
      std::stringstream text;
      text << file.rdbuf();
      try {
        arguments.server.rotation = rotaryn::sim::parseRotation(text.str());
      } catch (const std::invalid_argument& error) {
        usageError(std::string(value) + ": " + error.what());
      }
    } else if (option == "--position") {
      arguments.server.startPosition = integer(option, value);
    } else if (option == "--game-length") {
      arguments.server.gameLengthSeconds = number(option, value);
    } else if (option == "--display-length") {
      arguments.server.displayLengthSeconds = number(option, value);
    } else if (option == "--loading-seconds") {
      arguments.server.loadingSeconds = number(option, value);
    } else if (option == "--speed") {
      arguments.server.speed = number(option, value);
      if (arguments.server.speed <= 0) usageError("--speed must be above 0");
    } else if (option == "--state") {
      arguments.server.initialState = integer(option, value);
    } else if (option == "--max-kills") {
      arguments.server.maxKills = integer(option, value);
    } else if (option == "--koth-limit") {
      arguments.server.kothLimit = integer(option, value);
    } else if (option == "--tick-ms") {
      arguments.tickMs = integer(option, value);
      if (arguments.tickMs < 1) usageError("--tick-ms must be at least 1");
    } else {
      usageError("unknown option " + std::string(option));
    }
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
    server->setLogger([](const std::string& line) { std::cout << "dfbhd-sim: " << line << std::endl; });
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
