#pragma once

// `--wine PREFIX` on a benchmark's command line: its dfbhd-sim servers are dfbhd-sim.exe under
// the 64-bit Wine loader in that prefix (made by tests/wine/wine_prefix.sh), and its ratio gets
// the suffix "_wine".

#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>

#include "tests/support/sim_process.h"

namespace rotaryn {

// Nothing when --wine is not given; else the suffix of the ratio's name, or the reason the
// servers cannot run under Wine here (the benchmark says so and measures nothing).
struct WineServers {
  bool asked = false;
  std::string problem;
};

inline std::string findWineLoader() {
  if (::access("/usr/lib/wine/wine64", X_OK) == 0) return "/usr/lib/wine/wine64";
  const char* path = std::getenv("PATH");
  std::istringstream folders(path ? path : "");
  std::string folder;
  while (std::getline(folders, folder, ':')) {
    for (const char* name : {"wine64", "wine"}) {
      std::string candidate = folder + "/" + name;
      if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
  }
  return {};
}

// Takes --wine PREFIX out of argv.
inline WineServers useWineServers(int& argc, char** argv) {
  WineServers wine;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--wine") != 0) continue;
    wine.asked = true;
    const char* prefix = i + 1 < argc ? argv[i + 1] : "";
    int taken = i + 1 < argc ? 2 : 1;
    for (int j = i; j + taken <= argc; ++j) argv[j] = argv[j + taken];
    argc -= taken;
    const std::string exe = testing::SimProcess::windowsBinaryPath();
    const std::string loader = findWineLoader();
    if (exe.empty()) {
      wine.problem = "dfbhd-sim.exe was not built (MinGW-w64 missing)";
    } else if (loader.empty()) {
      wine.problem = "Wine is not installed";
    } else if (*prefix == '\0' ||
               ::access((std::string(prefix) + "/rotaryn-ready").c_str(), F_OK) != 0) {
      wine.problem = std::string("no ready Wine prefix at \"") + prefix + "\"";
    } else {
      ::setenv("WINEPREFIX", prefix, 1);
      ::setenv("WINEDEBUG", "-all", 1);
      testing::SimProcess::runWith({loader, exe});
    }
    break;
  }
  return wine;
}

}  // namespace rotaryn
