#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "host/command_delivery.h"
#include "sim/model/server_layout.h"

namespace rotaryn::host {

// A host.ini that cannot be used: the file, the line (0 = the file as a whole) and why.
class HostConfigError : public std::runtime_error {
 public:
  HostConfigError(std::string file, int line, std::string reason);
  const std::string& file() const { return file_; }
  int line() const { return line_; }
  const std::string& reason() const { return reason_; }

 private:
  std::string file_;
  int line_;
  std::string reason_;
};

// Where a profile's game server comes from.
struct ServerSource {
  enum class Kind {
    kSimulated,  // a dfbhd-sim child started with `arguments`
    kPid,        // a running process, not ours
    kCommand,    // a child started from `arguments` (program first)
    kFind,       // a running process found by the Windows program it runs, not ours
  };
  Kind kind = Kind::kSimulated;
  std::vector<std::string> arguments;
  int32_t pid = 0;
  // Find: the program's file name ("dfbhd.exe"). Command: the Windows program the command
  // starts (its first word ending in .exe), empty when it starts none; the server is then the
  // process, the child or one of its descendants, that runs it.
  std::string windowsProgram;
  // Simulated servers: the build the options ask for.
  sim::ServerBuild build = sim::ServerBuild::kStandard;
};

// One [Profile N] section.
struct ProfileConfig {
  int32_t index = 0;
  int line = 0;            // of the section header, for messages
  int gameFolderLine = 0;  // of its GameFolder key
  std::string serverType;
  ServerSource server;
  std::string gameFolderPosix;           // absolute, ends with "/", UTF-8 like every system name
  std::string profileFolder;             // Windows-1252, as the plug-in gets it
  std::optional<int32_t> messageTarget;  // none: the server's pid
  std::array<std::string, 3> hostTexts;  // PDAT elements 0, 3 and 4
  bool sharedAdminLog = false;
  CommandDelivery delivery = CommandDelivery::kMailbox;
  double startupSeconds = 10;  // command servers: time before the profile is loaded
};

struct HostConfig {
  // The host's plug-in area, PDAT elements 13 and 12.
  int32_t areaWidthTwips = 11040;  // the window needs 10920 x 8340 to show every control
  int32_t areaHeightTwips = 8400;
  std::string simulator;                // dfbhd-sim to start (UTF-8); empty: found next to the host
  int32_t historyDays = 90;             // days of match history kept; 0: none recorded
  std::vector<ProfileConfig> profiles;  // ascending by index
};

// Parses host.ini text, Windows-1252 like every text of the plug-in. Relative folders are taken
// from rootPosix. Throws HostConfigError for the first problem found, naming fileName and the
// line.
HostConfig parseHostConfig(std::string_view text, const std::string& fileName,
                           const std::string& rootPosix);
// Checks that the game folder of every pid and command server exists: the host makes only those
// of simulated servers. Throws HostConfigError at the first profile's GameFolder line.
void checkGameFolders(const HostConfig& config, const std::string& fileName);
// Reads, parses and checks a file; a missing or unreadable file is a HostConfigError at line 0.
HostConfig readHostConfig(const std::string& path, const std::string& rootPosix);

// One profile setting as host.ini spells it (key case-insensitive), shared with the script
// mode's profile lines. Throws std::invalid_argument with the reason.
void applyProfileSetting(ProfileConfig& profile, std::string_view key, std::string_view value,
                         const std::string& rootPosix);
// Checks what a complete profile needs and fills what follows from the rest (server type of a
// simulated server). Throws std::invalid_argument with the reason.
void completeProfile(ProfileConfig& profile);

// Splits a command line at blanks; double quotes group, a backslash escapes a blank, a tab, a
// double quote or a backslash and is kept before anything else, so a Windows path needs no
// doubling. Throws std::invalid_argument for an unterminated quote.
std::vector<std::string> splitArguments(std::string_view text);

}  // namespace rotaryn::host
