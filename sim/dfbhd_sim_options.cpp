#include "sim/dfbhd_sim_options.h"

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <stdexcept>
#include <string_view>

#include "sim/command_line.h"

namespace rotaryn::sim {
namespace {

// Longest time an option may give: a year, well inside RestartTmr's 32 bits at 62 units a second.
constexpr double kMaxSeconds = 365.0 * 24 * 3600;

[[noreturn]] void usageError(const std::string& message) {
  std::cerr << "dfbhd-sim: " << message << " (dfbhd-sim --help lists the options)\n";
  std::exit(kUsageStatus);
}

// What the command line gives in a form the server's options do not hold.
struct Named {
  std::string build = "standard";
  std::string rotationFile;
  int32_t position = 0;
};

void addOptions(CLI::App& app, SimArguments& arguments, Named& named) {
  ServerOptions& server = arguments.server;
  app.add_option("--build", named.build, "server build whose addresses to use")
      ->check(CLI::IsMember({"standard", "affiliate"}, CLI::ignore_case))
      ->capture_default_str();
  app.add_option("--pack", server.resourcePack, "loaded resource pack")
      ->check(atMost(kPackNameCapacity, "the resource pack"))
      ->capture_default_str();
  app.add_option("--rotation", named.rotationFile,
                 "initial rotation, one map a line: gametype[-]custom[-]MISSIONFILE.BMS[-]Display "
                 "Name (default: four stock maps)")
      ->check(CLI::ExistingFile);
  app.add_option("--position", named.position, "rotation entry playing at start")
      ->check(wholeRange(0, kRotationCapacity - 1))
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
      ->check(wholeRange(0, 4))
      ->capture_default_str();
  app.add_option("--max-kills", server.maxKills, "the server's own kill limit")
      ->check(wholeRange(0, INT32_MAX))
      ->capture_default_str();
  app.add_option("--koth-limit", server.kothLimit, "the server's own king-of-the-hill limit")
      ->check(wholeRange(0, INT32_MAX))
      ->capture_default_str();
  app.add_option("--scoring-rate", server.scoringRate,
                 "points per second the leading side scores; a game ends when the score reaches "
                 "its type's active limit (Score1a, or Score2a for king of the hill); 0: nobody "
                 "scores")
      ->check(finiteRange(0, 1e6))
      ->capture_default_str();
  app.add_option("--tick-ms", arguments.tickMs, "milliseconds between two runs of the server")
      ->check(wholeRange(1, 10000))
      ->capture_default_str();
  app.add_flag("--verbose", arguments.verbose, "print state changes and console commands");
}

std::vector<RotationEntry> readRotationFile(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) usageError("cannot read the rotation file " + path);
  std::stringstream text;
  text << file.rdbuf();
  try {
    return parseRotation(text.str());
  } catch (const std::invalid_argument& error) {
    usageError(path + ": " + error.what());
  }
}

}  // namespace

SimArguments parseSimArguments(int argc, char** argv) {
  SimArguments arguments;
  ServerOptions& server = arguments.server;
  server.gameLengthSeconds = 600;
  Named named;

  CLI::App app(
      "A DFBHD dedicated server as Rotaryn sees it: every field of the chosen build at "
      "its real address, run in real time.",
      "dfbhd-sim");
  // An option given twice takes its last value, as a script's defaults followed by its own.
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  addOptions(app, arguments, named);
  if (auto status = parseCommandLine(app, argc, argv)) std::exit(*status);

  server.build = *parseBuild(named.build);
  if (!named.rotationFile.empty()) server.rotation = readRotationFile(named.rotationFile);
  const int32_t position = named.position;
  if (position >= static_cast<int32_t>(server.rotation.size()) && position > 0) {
    usageError("--position " + std::to_string(position) + " is beyond the rotation's " +
               std::to_string(server.rotation.size()) + " maps");
  }
  server.startPosition = position;
  try {
    ServerModel::checkOptions(server);
  } catch (const std::invalid_argument& error) {
    usageError(error.what());
  }
  return arguments;
}

std::unique_ptr<ServerModel> makeServer(
    const std::function<std::unique_ptr<ServerMemory>()>& memory, const SimArguments& arguments) {
  std::unique_ptr<ServerModel> server;
  try {
    server = std::make_unique<ServerModel>(memory(), arguments.server);
  } catch (const std::exception& error) {
    std::cerr << "dfbhd-sim: " << error.what() << "\n";
    return nullptr;
  }
  if (arguments.verbose) {
    server->setLogger(
        [](const std::string& line) { std::cout << "dfbhd-sim: " << line << std::endl; });
  }
  return server;
}

std::string readyLine(int64_t pid, ServerBuild build) {
  return "dfbhd-sim ready pid=" + std::to_string(pid) + " build=" + std::string(buildName(build));
}

void runServer(ServerModel& server, int tickMs, const std::function<bool(int ms)>& waitForStop) {
  using Clock = std::chrono::steady_clock;
  Clock::time_point last = Clock::now();
  std::string lastError;
  while (!waitForStop(tickMs)) {
    auto elapsedMs = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - last);
    last += elapsedMs;
    try {
      server.advance(elapsedMs.count());
      lastError.clear();
    } catch (const std::exception& error) {
      if (lastError != error.what()) std::cerr << "dfbhd-sim: " << error.what() << "\n";
      lastError = error.what();
    }
  }
}

}  // namespace rotaryn::sim
