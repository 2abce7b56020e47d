#pragma once

// What the two dfbhd-sim programs share: the Linux one and the Windows one run under Wine take
// the same command line and run the server model the same way; only how they hold the server's
// memory and how they are told to stop differ.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "sim/model/server_model.h"

namespace rotaryn::sim {

struct SimArguments {
  ServerOptions server;
  int tickMs = 20;
  bool verbose = false;
};

// Parses dfbhd-sim's command line; --help and a refused command line end the process (status 0
// and kUsageStatus).
SimArguments parseSimArguments(int argc, char** argv);

// The server the arguments describe, in the memory memory() makes, logging its state changes
// on stdout when verbose. nullptr, said on stderr, when either cannot be made.
std::unique_ptr<ServerModel> makeServer(
    const std::function<std::unique_ptr<ServerMemory>()>& memory, const SimArguments& arguments);

// "dfbhd-sim ready pid=N build=standard": what a parent waits for before it reads the server.
std::string readyLine(int64_t pid, ServerBuild build);

// Runs the server in real time until waitForStop(ms), which waits up to ms milliseconds, says
// to stop. A step that fails (a field written out of shape from outside) is reported once on
// stderr and the server keeps serving, as a real server keeps its process.
void runServer(ServerModel& server, int tickMs, const std::function<bool(int ms)>& waitForStop);

}  // namespace rotaryn::sim
