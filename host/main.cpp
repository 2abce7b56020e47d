// rotaryn-host: the host program that runs the plug-in, with its window (--window), without a
// window (--headless) or a scripted scenario (--script).
#include <QApplication>
#include <QCoreApplication>
#include <QStringList>
#include <filesystem>
#include <iostream>
#include <set>
#include <sstream>
#include <string>

#include "host/api/administrators.h"
#include "host/config/command_line.h"
#include "host/config/host_root.h"
#include "host/gui/run.h"
#include "host/headless.h"
#include "host/plugin_library.h"
#include "host/root_lock.h"
#include "host/script/runner.h"

namespace {

using rotaryn::host::HostMode;

// An absolute root without a trailing separator: the root's Windows form is a folder name the
// plug-in appends "\\Plugins" and the like to.
std::string normalRoot(const std::string& path) {
  std::string root = std::filesystem::absolute(path).lexically_normal().string();
  while (root.size() > 1 && root.back() == '/') root.pop_back();
  return root;
}

std::string rootOrCurrent(const std::string& root) {
  return normalRoot(root.empty() ? std::filesystem::current_path().string() : root);
}

// The plug-in --init-root installs: the one this host was built with, when it is known.
std::string builtPlugin() {
#ifdef ROTARYN_PLUGIN_BUILD_FILE
  return ROTARYN_PLUGIN_BUILD_FILE;
#else
  return "";
#endif
}

// The library whose privilege names --add-admin accepts: the root's plug-in, or before one is
// installed, the one --init-root would install.
std::string privilegeSource(const std::string& root) {
  const std::string installed = rotaryn::host::pluginPathIn(root);
  if (std::filesystem::exists(installed) || builtPlugin().empty()) return installed;
  return builtPlugin();
}

int initRoot(const std::string& root) {
  const std::string plugin = builtPlugin();
  try {
    if (rotaryn::host::initRoot(root)) {
      std::cout << "rotaryn-host: wrote " << root << "/" << rotaryn::host::kHostIniName
                << " with one simulated profile; run it with: rotaryn-host --headless --root "
                << root << "\n";
    } else {
      std::cout << "rotaryn-host: kept the existing " << root << "/" << rotaryn::host::kHostIniName
                << "\n";
    }
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

// Writes the administrator's entry and prints the token alone on the last line: the only time it
// is ever shown.
int addAdmin(const rotaryn::host::HostCommandLine& line, const std::string& root) {
  namespace api = rotaryn::host::api;
  try {
    // The names are the plug-in's: read from its library without starting it.
    const rotaryn::host::PluginDescription plugin =
        rotaryn::host::PluginHandle::describe(privilegeSource(root));
    const auto privileges = api::parsePrivileges(line.privileges, plugin.privileges);
    std::optional<std::set<int32_t>> profiles;
    if (!line.adminProfiles.empty()) profiles = api::parseProfileList(line.adminProfiles);
    using rotaryn::host::RootLock;
    const RootLock lock = RootLock::take(root, RootLock::Part::kAdministrators);
    const auto added =
        api::addAdministrator(root, line.adminName, privileges, profiles, plugin.privileges);
    std::cout << "rotaryn-host: " << (added.replaced ? "replaced" : "added") << " administrator \""
              << line.adminName << "\" in " << root << "/" << api::kAdministratorsFileName << "\n";
    if (std::optional<pid_t> host = lock.host()) {
      std::cout << "rotaryn-host: the host running on this root (pid " << *host
                << ") takes the change on SIGHUP: kill -HUP " << *host
                << " (or systemctl reload rotaryn-host)\n";
    }
    std::cout << "rotaryn-host: the host stores only the token's SHA-256, so keep the token now:\n"
              << added.token.toStdString() << "\n";
  } catch (const std::invalid_argument& error) {
    std::cerr << "rotaryn-host: --add-admin: " << error.what() << "\n";
    return rotaryn::host::kUsageErrorStatus;
  } catch (const std::exception& error) {
    std::cerr << "rotaryn-host: " << error.what() << "\n";
    return 3;
  }
  return 0;
}

int runScript(const rotaryn::host::HostCommandLine& line, int argc, char** argv) {
  std::string text;
  try {
    text = rotaryn::host::readScriptFile(line.script);
  } catch (const std::exception& error) {
    std::cerr << "rotaryn-host: " << error.what() << "\n";
    return rotaryn::host::kScriptCannotStart;
  }
  std::istringstream in(text);
  QCoreApplication app(argc, argv);
  return rotaryn::host::runScript(
      in, {line.script, line.root.empty() ? "" : normalRoot(line.root), line.keepRoot}, std::cout,
      std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
  QStringList arguments;
  for (int i = 0; i < argc; ++i) arguments.append(QString::fromLocal8Bit(argv[i]));
  const auto environment = rotaryn::host::DisplayEnvironment::current();
  rotaryn::host::HostCommandLine line;
  try {
    line = rotaryn::host::parseCommandLine(arguments, environment.displayPresent());
  } catch (const rotaryn::host::UsageError& error) {
    std::cerr << "rotaryn-host: " << error.what() << " (rotaryn-host --help lists the options)\n";
    return rotaryn::host::kUsageErrorStatus;
  }
  if (line.help) {
    std::cout << rotaryn::host::helpText();
    return 0;
  }

  switch (line.mode) {
    case HostMode::kWindow: {
      // Qt aborts the program when it cannot reach a display; say why before it gets the chance.
      if (std::string problem = rotaryn::host::windowDisplayProblem(environment);
          !problem.empty()) {
        std::cerr << "rotaryn-host: " << problem << "\n";
        return rotaryn::host::kUsageErrorStatus;
      }
      QApplication app(argc, argv);
      return rotaryn::host::runGui({rootOrCurrent(line.root),
                                    line.screenshot,
                                    line.durationSeconds,
                                    {line.listen, line.apiOff}});
    }
    case HostMode::kInitRoot:
      return initRoot(normalRoot(line.root));
    case HostMode::kAddAdmin:
      return addAdmin(line, rootOrCurrent(line.root));
    case HostMode::kScript:
      return runScript(line, argc, argv);
    case HostMode::kHeadless: {
      QCoreApplication app(argc, argv);
      return rotaryn::host::runHeadless({rootOrCurrent(line.root),
                                         line.durationSeconds,
                                         line.watchMs,
                                         {line.listen, line.apiOff}});
    }
  }
  return 0;
}
