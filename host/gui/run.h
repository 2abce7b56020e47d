#pragma once

#include <optional>
#include <string>

#include "host/api/remote_api.h"

namespace rotaryn::host {

struct GuiOptions {
  std::string rootPosix;
  // Save a picture of the host window once a profile has been shown for a while, then quit.
  std::optional<std::string> screenshotFile;
  // Close the window by itself after this long; none: when the user closes it.
  std::optional<double> durationSeconds;
  // The remote administration API (ROOT/administrators.ini).
  api::ApiOptions api;
};

// Exit codes of a windowed run.
inline constexpr int kGuiDone = 0;
inline constexpr int kGuiBadConfig = 2;
inline constexpr int kGuiCannotStart = 3;

// Runs the host with its window: reads host.ini of the root, loads the plug-in from the root's
// Plugins/, starts or finds every profile's server and shows the first one ready in the
// plug-in's window. Closing the window (or the end of durationSeconds) unloads the plug-in and
// stops the servers the host started. Needs a QApplication to exist.
int runGui(const GuiOptions& options);

}  // namespace rotaryn::host
