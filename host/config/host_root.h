#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/config/host_config.h"
#include "host/root_lock.h"

namespace rotaryn::host {

inline constexpr const char* kPluginFileName = "libtwkRotaryn.so";
inline constexpr const char* kHostIniName = "host.ini";

// The folders and files a host root holds before the plug-in starts: Plugins/, profiles/<folder>/
// settings/ of each profile, settings/config.ini ("ReportErrors" off unless the file exists),
// imgs/butup.gif and imgs/butdown.gif (ours, unless pictures are there already), adminlogs/, and
// the game folders of simulated servers. Existing files are kept. Throws std::runtime_error
// naming the path that cannot be made.
void layOutRoot(const std::string& rootPosix, const std::vector<ProfileConfig>& profiles);

// --init-root: lays out a root and writes a commented host.ini with one simulated profile,
// whose profile and game folders are made too. An existing host.ini is kept as it is. Returns
// whether host.ini was written. Throws std::runtime_error naming what cannot be made.
bool initRoot(const std::string& rootPosix);

// Copies the plug-in library into <root>/Plugins/: written beside under a temporary name, synced
// and renamed into place, so a failed copy (a full disk) leaves the plug-in that was there.
// Throws std::runtime_error with the reason.
void installPlugin(const std::string& libraryFile, const std::string& rootPosix);

std::string pluginPathIn(const std::string& rootPosix);

// Removes the temporary files under the root that writers which no longer run left beside their
// targets; answers how many.
int removeStaleTemporaries(const std::string& rootPosix);

// A root a host runs: its host.ini, and the lock that keeps other hosts off it while it runs.
struct LoadedRoot {
  HostConfig config;
  RootLock lock;
};

// Reads <root>/host.ini, takes the root's host lock and lays out the root, as every mode that
// starts servers does first. On failure prints why (and that nothing was started), sets exitCode
// to 2 for a bad host.ini or a root another host holds, 3 for a root that cannot be locked or
// laid out, and returns nullopt.
std::optional<LoadedRoot> loadRoot(const std::string& rootPosix, int& exitCode);

}  // namespace rotaryn::host
