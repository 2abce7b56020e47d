#pragma once

#include <QStringList>
#include <optional>
#include <stdexcept>
#include <string>

namespace rotaryn::host {

enum class HostMode { kWindow, kHeadless, kScript, kInitRoot, kAddAdmin };

// What rotaryn-host was asked to do.
struct HostCommandLine {
  HostMode mode = HostMode::kWindow;
  bool help = false;   // --help: print helpText() and do nothing else
  std::string root;    // --root DIR, or the DIR of --init-root; empty: not given
  std::string script;  // --script FILE
  std::optional<std::string> screenshot;
  std::optional<double> durationSeconds;
  int watchMs = 0;  // 0: no --watch
  bool keepRoot = false;
  // --add-admin NAME --privileges LIST [--profiles LIST]
  std::string adminName;
  std::string privileges;
  std::string adminProfiles;
  std::optional<std::string> listen;  // --listen ADDR:PORT for the remote API
  bool apiOff = false;                // --api-off
};

// A command line that asks for nothing sensible; rotaryn-host exits 2 after saying why.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

inline constexpr int kUsageErrorStatus = 2;

// Parses the arguments (the program name first). Without a mode option the window is chosen
// when displayPresent or --screenshot is given. Throws UsageError naming the first problem:
// an unknown option, a value out of range, two modes, an option the mode does not take.
HostCommandLine parseCommandLine(const QStringList& arguments, bool displayPresent);

// The --help text, generated from the options parseCommandLine knows.
std::string helpText();

// The environment Qt picks its window platform from.
struct DisplayEnvironment {
  std::string display;         // DISPLAY
  std::string waylandDisplay;  // WAYLAND_DISPLAY
  std::string qpaPlatform;     // QT_QPA_PLATFORM: a platform name, or several separated by ;

  static DisplayEnvironment current();
  // An X11 or Wayland display is named: the window would be seen.
  bool displayPresent() const { return !display.empty() || !waylandDisplay.empty(); }
};

// Why the window cannot open here (Qt would abort), or empty when one of the platforms Qt may
// pick has what it needs.
std::string windowDisplayProblem(const DisplayEnvironment& environment);

// The whole script file. Throws std::runtime_error naming the file and why it cannot be read
// (missing, a folder, no permission, a read error).
std::string readScriptFile(const std::string& path);

}  // namespace rotaryn::host
