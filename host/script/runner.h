#pragma once

#include <istream>
#include <ostream>
#include <string>

namespace rotaryn::host {

#ifdef ROTARYN_PLUGIN_BUILD_FILE
inline constexpr const char* kBuiltPluginLibrary = ROTARYN_PLUGIN_BUILD_FILE;
#else
inline constexpr const char* kBuiltPluginLibrary = "";
#endif

// Exit codes of a script run.
inline constexpr int kScriptPassed = 0;
inline constexpr int kScriptExpectationFailed = 1;
inline constexpr int kScriptStopped = 2;  // a malformed line, or a line that could not be done
inline constexpr int kScriptCannotStart = 3;

struct ScriptOptions {
  std::string scriptName;  // for messages
  // The host root to lay out; must be missing or empty. Empty: a fresh folder under the system's
  // temporary folder, removed afterwards unless keepRoot.
  std::string rootPosix;
  bool keepRoot = false;
  // The plug-in library the run installs into its root and loads.
  std::string pluginLibrary = kBuiltPluginLibrary;
};

// Runs a JSON-lines scenario (docs/scripting.md) in virtual time against in-process simulated
// servers and scripted dialogs, with the plug-in loaded from its library as in every mode. Writes
// the transcript, one JSON object a line, to transcript and problems to errors; returns one of the
// exit codes above.
int runScript(std::istream& script, const ScriptOptions& options, std::ostream& transcript,
              std::ostream& errors);

}  // namespace rotaryn::host
