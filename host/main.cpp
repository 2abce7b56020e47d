// rotaryn-host: the host program that runs the plug-in, with its window (--window), without a
// window (--headless) or a scripted scenario (--script).
#include <unistd.h>

#include <QApplication>
#include <QCoreApplication>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

#include "host/gui_run.h"
#include "host/headless.h"
#include "host/host_config.h"
#include "host/host_root.h"
#include "host/script_runner.h"

namespace {

constexpr const char* kUsage =
    "usage: rotaryn-host --window [--root DIR] [--duration SECONDS] [--screenshot PNG]\n"
    "       rotaryn-host --headless [--root DIR] [--duration SECONDS] [--watch MS]\n"
    "       rotaryn-host --script FILE [--root DIR] [--keep-root]\n"
    "       rotaryn-host --init-root DIR\n"
    "  --window            the host's window (the default when a display is present): the\n"
    "                      profiles of DIR/host.ini, Server > Maps opens the plug-in\n"
    "  --screenshot PNG    with --window: save the window once a profile is shown, then quit\n"
    "  --headless          load every profile of DIR/host.ini without a window; stops on\n"
    "                      SIGTERM or SIGINT (or after --duration)\n"
    "  --root DIR          the host root (default: the current folder; for --script a fresh\n"
    "                      folder that must be missing or empty)\n"
    "  --watch MS          print each server's map and game state as they change\n"
    "  --script FILE       run a JSON-lines scenario (docs/scripting.md) and print its\n"
    "                      transcript; exit 0 passed, 1 an expectation failed, 2 stopped\n"
    "  --keep-root         keep the script's root folder and name it in the summary\n"
    "  --init-root DIR     lay out a host root and install the plug-in built with this host\n";

// An absolute root without a trailing separator: the root's Windows form is a folder name the
// plug-in appends "\\Plugins" and the like to.
std::string normalRoot(const std::string& path) {
  std::string root = std::filesystem::absolute(path).lexically_normal().string();
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root;
}

[[noreturn]] void usage(const std::string& problem) {
  std::cerr << "rotaryn-host: " << problem << "\n" << kUsage;
  std::exit(2);
}

int initRoot(const std::string& root) {
#ifdef ROTARYN_PLUGIN_BUILD_FILE
  const std::string plugin = ROTARYN_PLUGIN_BUILD_FILE;
#else
  const std::string plugin;
#endif
  try {
    rotaryn::host::layOutRoot(root, {});
    if (plugin.empty() || !std::filesystem::exists(plugin)) {
      std::cerr << "rotaryn-host: the built plug-in is not known to this host; copy "
                << rotaryn::host::kPluginFileName << " into " << root << "/Plugins yourself\n";
      return 3;
    }
    rotaryn::host::installPlugin(plugin, root);
  } catch (const std::exception& error) {
    std::cerr << "rotaryn-host: " << error.what() << "\n";
    return 3;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  enum class Mode { kNone, kWindow, kHeadless, kScript, kInitRoot } mode = Mode::kNone;
  std::string root;
  std::string script;
  std::optional<std::string> screenshot;
  std::optional<double> duration;
  int watchMs = 0;
  bool keepRoot = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view option = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) usage(std::string(option) + " needs a value");
      return argv[++i];
    };
    auto setMode = [&](Mode chosen) {
      if (mode != Mode::kNone) {
        usage("choose one of --window, --headless, --script and --init-root");
      }
      mode = chosen;
    };
    if (option == "--help" || option == "-h") {
      std::cout << kUsage;
      return 0;
    } else if (option == "--window") {
      setMode(Mode::kWindow);
    } else if (option == "--screenshot") {
      screenshot = value();
    } else if (option == "--headless") {
      setMode(Mode::kHeadless);
    } else if (option == "--script") {
      setMode(Mode::kScript);
      script = value();
    } else if (option == "--init-root") {
      setMode(Mode::kInitRoot);
      root = value();
    } else if (option == "--root") {
      root = value();
    } else if (option == "--keep-root") {
      keepRoot = true;
    } else if (option == "--duration" || option == "--watch") {
      std::string text = value();
      char* end = nullptr;
      double number = std::strtod(text.c_str(), &end);
      if (end == text.c_str() || *end != '\0' || number <= 0) {
        usage(std::string(option) + " needs a positive number");
      }
      if (option == "--duration")
        duration = number;
      else
        watchMs = static_cast<int>(number);
    } else {
      usage("unknown option " + std::string(option));
    }
  }

  const bool display =
      !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
  if (mode == Mode::kNone && (display || screenshot)) mode = Mode::kWindow;
  if (screenshot && mode != Mode::kWindow) usage("--screenshot goes with --window");
  switch (mode) {
    case Mode::kNone:
      usage("no display: say --headless, --script FILE, --init-root DIR or --window");
    case Mode::kWindow: {
      if (root.empty()) root = std::filesystem::current_path().string();
      QApplication app(argc, argv);
      return rotaryn::host::runGui({normalRoot(root), screenshot, duration});
    }
    case Mode::kInitRoot:
      return initRoot(normalRoot(root));
    case Mode::kScript: {
      std::ifstream in(script, std::ios::binary);
      if (!in) {
        std::cerr << "rotaryn-host: cannot read the script " << script << "\n";
        return rotaryn::host::kScriptCannotStart;
      }
      QCoreApplication app(argc, argv);
      return rotaryn::host::runScript(in, {script, root.empty() ? "" : normalRoot(root), keepRoot},
                                      std::cout, std::cerr);
    }
    case Mode::kHeadless: {
      if (root.empty()) root = std::filesystem::current_path().string();
      QCoreApplication app(argc, argv);
      return rotaryn::host::runHeadless({normalRoot(root), duration, watchMs});
    }
  }
  return 0;
}
