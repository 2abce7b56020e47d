#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace rotaryn {

struct Module;
class GatheredFile;

// The profile's "lastsettings.ini", section "Maps": the last rotation and score limits sent to
// or read from its server, which the autoload restores. Reading the rotation and Update Maps
// both write it through this one writer, key by key.
class LastSettings {
 public:
  // What a write the file system refuses does: kLogged leaves the file as it was and adds the
  // INI functions' log line (reading the server goes on regardless); kRaised raises the
  // system's error, for Update Maps, which stops at a file write that fails.
  enum class Failures { kLogged, kRaised };

  LastSettings(Module& module, int32_t index, Failures failures);
  ~LastSettings();
  LastSettings(const LastSettings&) = delete;
  LastSettings& operator=(const LastSettings&) = delete;

  const std::string& folder() const { return folder_; }
  const std::string& path() const { return path_; }
  void createFolderIfMissing();

  void writeLimits(const std::string& tkScore, const std::string& dmScore,
                   const std::string& fbScore);
  // The index of the last "map" key: the number of maps less one.
  void writeMapCount(int32_t lastIndex);
  void writeMap(int32_t index, const std::string& entry);

  // Between gather() and flush() the writes land in a copy of the file, read once, and flush()
  // replaces the file with it in one atomic write. The bytes are exactly those the key-by-key
  // writes would leave, since the same INI writer produces them; only use it where nothing can
  // touch the file in between (no memory calls, which may let events run). A write the
  // file system refuses fails the whole group, as the group's first key-by-key write would.
  void gather();
  void flush();

 private:
  void write(const std::string& key, const std::string& value);

  Module& module_;
  Failures failures_;
  std::string folder_;
  std::string path_;
  std::unique_ptr<GatheredFile> gathered_;
};

// A rotation entry as the last-settings and map-list files hold it: "type[-]custom[-]file".
std::string rotationEntryText(const std::string& type, const std::string& custom,
                              const std::string& file);

}  // namespace rotaryn
