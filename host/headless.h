#pragma once

#include <optional>
#include <string>

#include "host/api/remote_api.h"

namespace rotaryn::host {

struct HeadlessOptions {
  std::string rootPosix;
  // Stop by itself after this long; none: until SIGTERM or SIGINT.
  std::optional<double> durationSeconds;
  // Print each server's map and game state as they change, polling this often; 0: don't.
  int watchMs = 0;
  // The remote administration API (ROOT/administrators.ini).
  api::ApiOptions api;
};

// Exit codes of a headless run.
inline constexpr int kHeadlessDone = 0;
inline constexpr int kHeadlessBadConfig = 2;
inline constexpr int kHeadlessCannotStart = 3;

// Runs the host without a window: reads host.ini of the root, starts or finds every profile's
// server, loads the plug-in from the root's Plugins/ and calls LoadInterface for each profile
// once its server runs, and serves the remote API. A server that ends gets its profile disabled.
// SIGTERM and SIGINT (and the end of durationSeconds) save the map settings of the profile the
// plug-in's window holds, unload the plug-in and stop the servers the host started; SIGHUP
// re-reads the administrators. Holds the root's lock while it runs. Needs a QCoreApplication
// (or QApplication) to exist.
int runHeadless(const HeadlessOptions& options);

}  // namespace rotaryn::host
