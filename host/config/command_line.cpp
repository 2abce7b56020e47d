#include "host/config/command_line.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCommandLineParser>
#include <QRegularExpression>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <vector>

namespace rotaryn::host {
namespace {

using namespace std::string_literals;

// A Qt timer waits at most 2^31 - 1 ms.
constexpr double kMaxDurationSeconds = 2147483;
constexpr int kMaxWatchMs = 24 * 3600 * 1000;

constexpr unsigned bit(HostMode mode) {
  return 1u << static_cast<unsigned>(mode);
}
constexpr unsigned kWindow = bit(HostMode::kWindow);
constexpr unsigned kHeadless = bit(HostMode::kHeadless);
constexpr unsigned kScript = bit(HostMode::kScript);
constexpr unsigned kInitRoot = bit(HostMode::kInitRoot);
constexpr unsigned kAddAdmin = bit(HostMode::kAddAdmin);

struct OptionSpec {
  const char* name;
  const char* valueName;  // empty: a switch
  const char* description;
  unsigned modes;                     // the modes that take it
  std::optional<HostMode> selects{};  // a mode option
};

const OptionSpec kOptions[] = {
    {"window", "",
     "The host's window with the profiles of ROOT/host.ini; Server > Maps opens the plug-in. "
     "The default when a display is present.",
     kWindow, HostMode::kWindow},
    {"headless", "",
     "Load every profile of ROOT/host.ini without a window; stops on SIGTERM or SIGINT (or "
     "after --duration); SIGHUP re-reads ROOT/administrators.ini.",
     kHeadless, HostMode::kHeadless},
    {"script", "FILE",
     "Run a JSON-lines scenario (docs/scripting.md) and print its transcript; exit 0 passed, 1 "
     "an expectation failed, 2 stopped, 3 could not start.",
     kScript, HostMode::kScript},
    {"init-root", "DIR",
     "Lay out a host root with a commented host.ini (one simulated profile; an existing one is "
     "kept) and install the plug-in built with this host.",
     kInitRoot, HostMode::kInitRoot},
    {"root", "DIR",
     "The host root (default: the current folder; for --script a fresh folder that must be "
     "missing or empty).",
     kWindow | kHeadless | kScript | kAddAdmin},
    {"duration", "SECONDS", "Stop by itself after this many seconds.", kWindow | kHeadless},
    {"watch", "MS", "Print each server's map and game state as they change, checking every MS ms.",
     kHeadless},
    {"screenshot", "PNG", "Save the window once a profile is shown, then quit.", kWindow},
    {"keep-root", "", "Keep the script's root folder and name it in the summary.", kScript},
    {"add-admin", "NAME",
     "Add a remote administrator to ROOT/administrators.ini (or replace the one of that name) "
     "and print the new token once, on the last line.",
     kAddAdmin, HostMode::kAddAdmin},
    {"privileges", "LIST",
     "The administrator's privileges, comma-separated, as the plug-in in ROOT/Plugins names "
     "them, and the host's own \"View Audit\" (an unknown one is refused with the list).",
     kAddAdmin},
    {"profiles", "LIST",
     "The profiles the administrator may touch, comma-separated (default: all).", kAddAdmin},
    {"listen", "ADDR:PORT",
     "The remote API's address and port (default: the Listen of ROOT/administrators.ini, else "
     "127.0.0.1:8730).",
     kWindow | kHeadless},
    {"api-off", "", "Do not serve the remote API.", kWindow | kHeadless},
};

constexpr const char* kSynopsis =
    "rotaryn-host runs the Rotaryn plug-in: with its window, without one, or a scripted "
    "scenario.\n\n"
    "  rotaryn-host --window [--root DIR] [--duration SECONDS] [--screenshot PNG]\n"
    "               [--listen ADDR:PORT | --api-off]\n"
    "  rotaryn-host --headless [--root DIR] [--duration SECONDS] [--watch MS]\n"
    "               [--listen ADDR:PORT | --api-off]\n"
    "  rotaryn-host --script FILE [--root DIR] [--keep-root]\n"
    "  rotaryn-host --init-root DIR\n"
    "  rotaryn-host --add-admin NAME --privileges LIST [--profiles LIST] [--root DIR]\n\n"
    "Exit status 2: a usage error or a bad host.ini. docs/host.md describes host.ini.";

void addOptions(QCommandLineParser& parser) {
  // "-headless" is taken as --headless rather than as the letters h, e, a, ...
  parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
  parser.setApplicationDescription(kSynopsis);
  // Not addHelpOption(): its --help-all speaks of Qt's own options, which the host does not take.
  parser.addOption(QCommandLineOption({"h", "help"}, "Show this help."));
  for (const OptionSpec& option : kOptions) {
    parser.addOption(QCommandLineOption(option.name, option.description, option.valueName));
  }
}

[[noreturn]] void usage(const std::string& problem) {
  throw UsageError(problem);
}

std::string dashed(const QString& name) {
  return (name.size() == 1 ? "-" : "--") + name.toStdString();
}

// "--window", "--window or --headless", "--window, --headless or --script".
std::string modeNames(unsigned modes) {
  std::vector<std::string> names;
  for (const OptionSpec& option : kOptions) {
    if (option.selects && (modes & bit(*option.selects))) names.push_back("--"s + option.name);
  }
  std::string text;
  for (size_t i = 0; i < names.size(); ++i) {
    if (i > 0) text += i + 1 == names.size() ? " or " : ", ";
    text += names[i];
  }
  return text;
}

double durationOf(const QString& text) {
  bool ok = false;
  const double seconds = text.toDouble(&ok);
  if (!ok || !std::isfinite(seconds) || seconds <= 0 || seconds > kMaxDurationSeconds) {
    usage("--duration needs a positive number of seconds up to " +
          std::to_string(static_cast<int>(kMaxDurationSeconds)) + ", not \"" + text.toStdString() +
          "\"");
  }
  return seconds;
}

int watchOf(const QString& text) {
  bool ok = false;
  const int ms = text.toInt(&ok);
  if (!ok || ms < 1 || ms > kMaxWatchMs) {
    usage("--watch needs a whole number of milliseconds from 1 to " + std::to_string(kMaxWatchMs) +
          ", not \"" + text.toStdString() + "\"");
  }
  return ms;
}

}  // namespace

HostCommandLine parseCommandLine(const QStringList& arguments, bool displayPresent) {
  QCommandLineParser parser;
  addOptions(parser);
  const bool parsed = parser.parse(arguments);
  HostCommandLine line;
  if (parser.isSet("help")) {
    line.help = true;
    return line;
  }
  if (!parser.unknownOptionNames().isEmpty()) {
    usage("unknown option " + dashed(parser.unknownOptionNames().constFirst()));
  }
  if (!parsed) usage(parser.errorText().toStdString());
  if (!parser.positionalArguments().isEmpty()) {
    usage("unexpected argument \"" + parser.positionalArguments().constFirst().toStdString() +
          "\" (options start with --)");
  }

  const QStringList given = parser.optionNames();
  std::optional<HostMode> mode;
  for (const OptionSpec& option : kOptions) {
    const QString name = option.name;
    if (given.count(name) > 1) usage("--"s + option.name + " is given more than once");
    if (!given.contains(name)) continue;
    if (*option.valueName) {
      const QString value = parser.value(name);
      // QCommandLineParser takes whatever follows as the value, even another option.
      if (value.isEmpty() || value.startsWith("--")) {
        usage("--"s + option.name + " needs " + option.valueName + ", not \"" +
              value.toStdString() + "\"");
      }
    }
    if (!option.selects) continue;
    if (mode) {
      usage("choose one of " + modeNames(kWindow | kHeadless | kScript | kInitRoot | kAddAdmin));
    }
    mode = option.selects;
  }
  if (!mode && (displayPresent || given.contains("screenshot"))) mode = HostMode::kWindow;
  if (!mode) usage("no display: say --headless, --script FILE, --init-root DIR or --window");
  line.mode = *mode;

  for (const OptionSpec& option : kOptions) {
    if (!option.selects && given.contains(option.name) && !(option.modes & bit(line.mode))) {
      usage("--"s + option.name + " goes with " + modeNames(option.modes));
    }
  }
  if (line.mode == HostMode::kInitRoot) line.root = parser.value("init-root").toStdString();
  if (given.contains("root")) line.root = parser.value("root").toStdString();
  if (line.mode == HostMode::kScript) line.script = parser.value("script").toStdString();
  if (given.contains("screenshot")) line.screenshot = parser.value("screenshot").toStdString();
  if (given.contains("duration")) line.durationSeconds = durationOf(parser.value("duration"));
  if (given.contains("watch")) line.watchMs = watchOf(parser.value("watch"));
  line.keepRoot = given.contains("keep-root");
  if (line.mode == HostMode::kAddAdmin) {
    line.adminName = parser.value("add-admin").toStdString();
    if (!given.contains("privileges")) usage("--add-admin needs --privileges LIST");
    line.privileges = parser.value("privileges").toStdString();
    if (given.contains("profiles")) line.adminProfiles = parser.value("profiles").toStdString();
  }
  if (given.contains("listen")) line.listen = parser.value("listen").toStdString();
  if (line.listen && line.listen->empty()) usage("--listen needs ADDR:PORT");
  line.apiOff = given.contains("api-off");
  if (line.apiOff && line.listen) usage("--api-off and --listen contradict each other");
  return line;
}

std::string helpText() {
  QCommandLineParser parser;
  addOptions(parser);
  QString text = parser.helpText();
  // The generated first line names the program by its path, and only as "[options]".
  text.replace(QRegularExpression("^Usage: [^\n]*\n"), "");
  return text.toStdString();
}

DisplayEnvironment DisplayEnvironment::current() {
  auto variable = [](const char* name) {
    const char* value = std::getenv(name);
    return std::string(value ? value : "");
  };
  return {variable("DISPLAY"), variable("WAYLAND_DISPLAY"), variable("QT_QPA_PLATFORM")};
}

std::string windowDisplayProblem(const DisplayEnvironment& environment) {
  // QT_QPA_PLATFORM lists platforms to try in turn ("wayland;xcb"), each with its options after
  // a colon ("vnc:port=5900"). Unset, Qt picks X11 or Wayland.
  std::vector<std::string> platforms;
  std::string_view list = environment.qpaPlatform;
  while (!list.empty()) {
    const size_t end = std::min(list.find(';'), list.size());
    std::string_view entry = list.substr(0, end);
    platforms.emplace_back(entry.substr(0, entry.find(':')));
    list.remove_prefix(std::min(end + 1, list.size()));
  }
  if (platforms.empty()) platforms = {"xcb", "wayland"};
  bool needsDisplay = false;
  bool needsWayland = false;
  for (const std::string& platform : platforms) {
    if (platform == "xcb") {
      if (!environment.display.empty()) return {};
      needsDisplay = true;
    } else if (platform.rfind("wayland", 0) == 0) {
      if (!environment.waylandDisplay.empty()) return {};
      needsWayland = true;
    } else if (!platform.empty()) {
      return {};  // offscreen, minimal, vnc, linuxfb, eglfs: no display server needed
    }
  }
  std::string which;
  if (environment.qpaPlatform.empty() || (needsDisplay && needsWayland)) {
    which = "neither DISPLAY nor WAYLAND_DISPLAY is set";
  } else {
    which = std::string(needsDisplay ? "DISPLAY" : "WAYLAND_DISPLAY") + " is not set";
  }
  if (!environment.qpaPlatform.empty())
    which += " (QT_QPA_PLATFORM=" + environment.qpaPlatform + ")";
  return "--window needs a display: " + which +
         ". Run it in a desktop session or under xvfb-run, set QT_QPA_PLATFORM=offscreen for a "
         "window nobody sees, or use --headless";
}

std::string readScriptFile(const std::string& path) {
  auto fail = [&path](const std::string& why) {
    throw std::runtime_error("cannot read the script " + path + ": " + why);
  };
  std::error_code error;
  // A folder opens for reading and then fails on the first read; say what it is instead.
  if (std::filesystem::is_directory(path, error)) fail("it is a folder, not a file");
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) fail(std::strerror(errno));
  std::string text;
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int readError = errno;
      ::close(fd);
      fail(std::strerror(readError));
    }
    if (n == 0) break;
    text.append(buffer, static_cast<size_t>(n));
  }
  ::close(fd);
  return text;
}

}  // namespace rotaryn::host
