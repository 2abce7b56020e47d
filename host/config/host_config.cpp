#include "host/config/host_config.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "host/config/ini_lines.h"
#include "host/host_text.h"
#include "host/windows_programs.h"

namespace rotaryn::host {
namespace {

[[noreturn]] void invalid(const std::string& reason) {
  throw std::invalid_argument(reason);
}

int64_t wholeNumber(std::string_view key, std::string_view value, int64_t min, int64_t max) {
  int64_t number = 0;
  auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  if (error != std::errc{} || end != value.data() + value.size() || number < min || number > max) {
    invalid(std::string(key) + " needs a whole number from " + std::to_string(min) + " to " +
            std::to_string(max) + ", not \"" + std::string(value) + "\"");
  }
  return number;
}

double positiveSeconds(std::string_view key, std::string_view value) {
  std::istringstream in{std::string(value)};
  double seconds = -1;
  char rest = 0;
  if (!(in >> seconds) || in >> rest || seconds < 0) {
    invalid(std::string(key) + " needs a number of seconds, not \"" + std::string(value) + "\"");
  }
  return seconds;
}

bool yesNo(std::string_view key, std::string_view value) {
  std::string v = asciiLower(value);
  if (v == "yes" || v == "true" || v == "1") return true;
  if (v == "no" || v == "false" || v == "0") return false;
  invalid(std::string(key) + " is yes or no, not \"" + std::string(value) + "\"");
}

// host.ini is Windows-1252 and the system's names UTF-8.
std::string absoluteFolder(std::string_view value, const std::string& rootPosix) {
  std::filesystem::path path{utf8FromWindows1252(value)};
  if (path.is_relative()) path = std::filesystem::path(rootPosix) / path;
  std::string text = path.lexically_normal().string();
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

// dfbhd-sim's options: name -> whether it takes a value.
const std::map<std::string, bool, std::less<>>& simulatorOptions() {
  static const std::map<std::string, bool, std::less<>> options{
      {"--build", true},           {"--pack", true},        {"--rotation", true},
      {"--position", true},        {"--game-length", true}, {"--display-length", true},
      {"--loading-seconds", true}, {"--speed", true},       {"--state", true},
      {"--max-kills", true},       {"--koth-limit", true},  {"--tick-ms", true},
      {"--verbose", false},
  };
  return options;
}

ServerSource simulatedServer(std::vector<std::string> options) {
  ServerSource source;
  source.kind = ServerSource::Kind::kSimulated;
  for (size_t i = 0; i < options.size(); ++i) {
    auto known = simulatorOptions().find(options[i]);
    if (known == simulatorOptions().end()) {
      invalid("the simulator has no option \"" + options[i] + "\" (dfbhd-sim --help lists them)");
    }
    if (!known->second) continue;
    if (i + 1 >= options.size()) invalid("the simulator option " + options[i] + " needs a value");
    if (options[i] == "--build") {
      auto build = sim::parseBuild(options[i + 1]);
      if (!build) invalid("--build is standard or affiliate, not \"" + options[i + 1] + "\"");
      source.build = *build;
    }
    ++i;
  }
  source.arguments = std::move(options);
  return source;
}

ServerSource serverOf(std::string_view value) {
  std::vector<std::string> words = splitArguments(value);
  if (words.empty()) invalid("Server needs a kind: simulated, pid, command or find");
  std::string kind = asciiLower(words.front());
  words.erase(words.begin());
  if (kind == "simulated") return simulatedServer(std::move(words));
  if (kind == "pid") {
    if (words.size() != 1) invalid("Server = pid needs one process id");
    ServerSource source;
    source.kind = ServerSource::Kind::kPid;
    source.pid = static_cast<int32_t>(wholeNumber("Server = pid", words[0], 1, INT32_MAX));
    return source;
  }
  if (kind == "command") {
    if (words.empty()) invalid("Server = command needs the program to start");
    ServerSource source;
    source.kind = ServerSource::Kind::kCommand;
    source.windowsProgram = windowsProgramOf(words).value_or("");
    source.arguments = std::move(words);
    return source;
  }
  if (kind == "find") {
    if (words.size() != 1 || !isWindowsProgram(words[0]) || programFileName(words[0]) != words[0]) {
      invalid(
          "Server = find needs the file name of the Windows program the server runs, such "
          "as dfbhd.exe");
    }
    ServerSource source;
    source.kind = ServerSource::Kind::kFind;
    source.windowsProgram = words[0];
    return source;
  }
  invalid("Server is simulated, pid, command or find, not \"" + std::string(value) + "\"");
}

void checkProfileFolder(std::string_view folder) {
  if (folder.empty()) invalid("ProfileFolder is empty");
  if (folder == "." || folder == ".." ||
      folder.find_first_of("\\/:*?\"<>|") != std::string_view::npos) {
    invalid("ProfileFolder is one folder name, without \\ / : * ? \" < > |");
  }
}

void checkText(std::string_view key, std::string_view value) {
  if (value.size() > 255) invalid(std::string(key) + " is longer than 255 characters");
}

void applyHostSetting(HostConfig& host, std::string_view key, std::string_view value) {
  std::string k = asciiLower(key);
  if (k == "areawidth") {
    host.areaWidthTwips = static_cast<int32_t>(wholeNumber(key, value, 1500, 150000));
  } else if (k == "areaheight") {
    host.areaHeightTwips = static_cast<int32_t>(wholeNumber(key, value, 1500, 150000));
  } else if (k == "simulator") {
    host.simulator = utf8FromWindows1252(value);
  } else if (k == "historydays") {
    host.historyDays = static_cast<int32_t>(wholeNumber(key, value, 0, 36500));
  } else {
    invalid("[Host] has no key \"" + std::string(key) +
            "\" (AreaWidth, AreaHeight, Simulator and HistoryDays are known)");
  }
}

[[noreturn]] void failAt(const std::string& file, int line, const std::string& reason) {
  throw HostConfigError(file, line, reason);
}

// Reads host.ini a line at a time; every problem is a HostConfigError at its line.
class HostConfigReader {
 public:
  HostConfigReader(const std::string& fileName, const std::string& rootPosix)
      : fileName_(fileName), rootPosix_(rootPosix) {}

  // An editor that saved the file as Unicode leaves a mark that would otherwise show up as a
  // strange first key or section.
  void checkEncoding(std::string_view text) const {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
      fail(1,
           "the file starts with a UTF-8 byte-order mark, but host.ini is read as Windows-1252: "
           "save it as Windows-1252 (ANSI) or as UTF-8 without the mark when it holds only "
           "ASCII");
    }
    if (text.substr(0, 2) == "\xFF\xFE" || text.substr(0, 2) == "\xFE\xFF") {
      fail(1,
           "the file is UTF-16 text, but host.ini is read as Windows-1252: save it as "
           "Windows-1252 (ANSI)");
    }
  }

  void read(const IniLine& line) {
    switch (line.kind) {
      case IniLine::Kind::kUnclosedSection:
        fail(line.number, "a section header ends with ]");
      case IniLine::Kind::kNotASetting:
        fail(line.number, "expected key = value, a [section] or a ; comment");
      case IniLine::Kind::kSection:
        openSection(line.number, std::string(line.name));
        return;
      case IniLine::Kind::kSetting:
        applySetting(line.number, line.name, line.value);
        return;
    }
  }

  // The profiles, complete and each with a folder of its own, ascending by index.
  HostConfig finish() {
    std::map<std::string, int32_t> folders;
    for (auto& [index, profile] : profiles_) {
      try {
        completeProfile(profile);
      } catch (const std::invalid_argument& error) {
        fail(profile.line, "[Profile " + std::to_string(index) + "]: " + error.what());
      }
      auto [other, fresh] = folders.emplace(asciiLower(profile.profileFolder), index);
      if (!fresh) {
        fail(profile.line, "[Profile " + std::to_string(index) + "]: ProfileFolder \"" +
                               profile.profileFolder + "\" is already the folder of profile " +
                               std::to_string(other->second));
      }
      config_.profiles.push_back(profile);
    }
    return config_;
  }

 private:
  struct Section {
    int line;
    ProfileConfig* profile;  // none: [Host]
    std::set<std::string> keys;
  };

  [[noreturn]] void fail(int line, const std::string& reason) const {
    failAt(fileName_, line, reason);
  }

  void openSection(int line, const std::string& name) {
    const std::string folded = asciiLower(name);
    if (folded == "host") {
      if (hostLine_ != 0) {
        fail(line, "[Host] appears twice (first at line " + std::to_string(hostLine_) + ")");
      }
      hostLine_ = line;
      sections_.push_back({line, nullptr, {}});
      return;
    }
    if (folded.rfind("profile", 0) != 0) {
      fail(line, "unknown section [" + name + "] ([Host] and [Profile N] are known)");
    }
    int32_t index = 0;
    try {
      index = static_cast<int32_t>(
          wholeNumber("a profile index", trimIni(std::string_view(name).substr(7)), 1, 100000));
    } catch (const std::invalid_argument& error) {
      fail(line, std::string("[") + name + "]: " + error.what());
    }
    if (auto existing = profiles_.find(index); existing != profiles_.end()) {
      fail(line, "profile " + std::to_string(index) + " appears twice (first at line " +
                     std::to_string(existing->second.line) + ")");
    }
    ProfileConfig& profile = profiles_[index];
    profile.index = index;
    profile.line = line;
    sections_.push_back({line, &profile, {}});
  }

  void applySetting(int line, std::string_view key, std::string_view value) {
    if (key.empty()) fail(line, "a key name is missing before =");
    if (sections_.empty()) fail(line, "\"" + std::string(key) + "\" stands before any section");
    Section& section = sections_.back();
    if (!section.keys.insert(asciiLower(key)).second) {
      fail(line, "\"" + std::string(key) + "\" is set twice in this section");
    }
    try {
      if (section.profile == nullptr) {
        applyHostSetting(config_, key, value);
      } else {
        applyProfileSetting(*section.profile, key, value, rootPosix_);
        if (asciiLower(key) == "gamefolder") section.profile->gameFolderLine = line;
      }
    } catch (const std::invalid_argument& error) {
      fail(line, error.what());
    }
  }

  const std::string& fileName_;
  const std::string& rootPosix_;
  HostConfig config_;
  int hostLine_ = 0;  // of [Host]; 0 until it is read
  std::vector<Section> sections_;
  // Profiles are kept by index while parsing so sections can point at them.
  std::map<int32_t, ProfileConfig> profiles_;
};

}  // namespace

HostConfigError::HostConfigError(std::string file, int line, std::string reason)
    : std::runtime_error(file + (line > 0 ? ":" + std::to_string(line) : "") + ": " + reason),
      file_(std::move(file)),
      line_(line),
      reason_(std::move(reason)) {}

std::vector<std::string> splitArguments(std::string_view text) {
  std::vector<std::string> words;
  std::string word;
  bool inWord = false;
  bool quoted = false;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\\' && i + 1 < text.size() &&
        std::string_view(" \t\"\\").find(text[i + 1]) != std::string_view::npos) {
      word += text[++i];
      inWord = true;
    } else if (c == '"') {
      quoted = !quoted;
      inWord = true;
    } else if (!quoted && (c == ' ' || c == '\t')) {
      if (inWord) words.push_back(std::move(word));
      word.clear();
      inWord = false;
    } else {
      word += c;
      inWord = true;
    }
  }
  if (quoted) invalid("a double quote is not closed");
  if (inWord) words.push_back(std::move(word));
  return words;
}

void applyProfileSetting(ProfileConfig& profile, std::string_view key, std::string_view value,
                         const std::string& rootPosix) {
  std::string k = asciiLower(key);
  if (k == "servertype") {
    if (value.empty()) invalid("ServerType is empty");
    checkText(key, value);
    profile.serverType = std::string(value);
  } else if (k == "server") {
    profile.server = serverOf(value);
  } else if (k == "gamefolder") {
    if (value.empty()) invalid("GameFolder is empty");
    profile.gameFolderPosix = absoluteFolder(value, rootPosix);
  } else if (k == "profilefolder") {
    checkProfileFolder(value);
    profile.profileFolder = std::string(value);
  } else if (k == "messagetarget") {
    if (asciiLower(value) == "server") {
      profile.messageTarget.reset();
    } else {
      profile.messageTarget = static_cast<int32_t>(wholeNumber(key, value, INT32_MIN, INT32_MAX));
    }
  } else if (k == "hosttext0" || k == "hosttext3" || k == "hosttext4") {
    checkText(key, value);
    size_t slot = k == "hosttext0" ? 0 : (k == "hosttext3" ? 1 : 2);
    profile.hostTexts[slot] = std::string(value);
  } else if (k == "sharedadminlog") {
    profile.sharedAdminLog = yesNo(key, value);
  } else if (k == "delivery") {
    auto delivery = parseDelivery(asciiLower(value));
    if (!delivery) invalid("Delivery is mailbox or none, not \"" + std::string(value) + "\"");
    profile.delivery = *delivery;
  } else if (k == "startupseconds") {
    profile.startupSeconds = positiveSeconds(key, value);
  } else {
    invalid("a profile has no key \"" + std::string(key) + "\"");
  }
}

void completeProfile(ProfileConfig& profile) {
  if (profile.server.kind == ServerSource::Kind::kSimulated) {
    const bool affiliate = profile.server.build == sim::ServerBuild::kAffiliate;
    if (profile.serverType.empty()) profile.serverType = affiliate ? "DFBHD_AFF" : "DFBHD";
    const bool typeSaysAffiliate =
        profile.serverType.size() >= 4 &&
        profile.serverType.compare(profile.serverType.size() - 4, 4, "_AFF") == 0;
    if (typeSaysAffiliate != affiliate) {
      invalid("ServerType \"" + profile.serverType + "\" names the " +
              (typeSaysAffiliate ? "affiliate" : "standard") +
              " build but the simulator runs the " +
              std::string(sim::buildName(profile.server.build)) +
              " build (a type ending in _AFF is the affiliate build)");
    }
  }
  if (profile.serverType.empty()) {
    invalid("ServerType is missing (DFBHD, or a text ending in _AFF for the affiliate build)");
  }
  if (profile.profileFolder.empty()) invalid("ProfileFolder is missing");
  if (profile.gameFolderPosix.empty()) invalid("GameFolder is missing");
}

HostConfig parseHostConfig(std::string_view text, const std::string& fileName,
                           const std::string& rootPosix) {
  HostConfigReader reader(fileName, rootPosix);
  reader.checkEncoding(text);
  for (const IniLine& line : iniLines(text)) reader.read(line);
  return reader.finish();
}

void checkGameFolders(const HostConfig& config, const std::string& fileName) {
  for (const ProfileConfig& profile : config.profiles) {
    if (profile.server.kind == ServerSource::Kind::kSimulated) continue;
    // Without the trailing separator a file in the folder's place is told apart from no folder.
    std::string folder = profile.gameFolderPosix;
    if (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    std::error_code error;
    const auto status = std::filesystem::status(folder, error);
    std::string problem;
    if (status.type() == std::filesystem::file_type::not_found) {
      problem = "does not exist";
    } else if (error) {
      problem = "cannot be reached (" + error.message() + ")";
    } else if (status.type() != std::filesystem::file_type::directory) {
      problem = "is not a folder";
    } else {
      continue;
    }
    const char* kind = profile.server.kind == ServerSource::Kind::kPid    ? "pid"
                       : profile.server.kind == ServerSource::Kind::kFind ? "find"
                                                                          : "command";
    failAt(fileName, profile.gameFolderLine,
           "[Profile " + std::to_string(profile.index) + "]: the game folder " +
               profile.gameFolderPosix + " " + problem + "; a " + kind +
               " server's game folder is the server's own and the host does not make it");
  }
}

HostConfig readHostConfig(const std::string& path, const std::string& rootPosix) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw HostConfigError(path, 0, "cannot be read (missing, or no permission)");
  std::stringstream text;
  text << in.rdbuf();
  HostConfig config = parseHostConfig(text.str(), path, rootPosix);
  checkGameFolders(config, path);
  return config;
}

}  // namespace rotaryn::host
