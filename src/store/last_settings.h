#pragma once

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "formats/rotation_entry.h"

namespace rotaryn {

struct Module;

// The profile's "lastsettings.ini", section "Maps": the last rotation and score limits sent to
// or read from its server, which the autoload restores. Reading the rotation and Update Maps
// both write it through this one writer, key by key. "lastknownsettings.ini" has the same keys:
// what the window showed when the host last saved it.
class LastSettings {
 public:
  enum class File { kLastSettings, kLastKnownSettings };
  // What a write the file system refuses does: kLogged leaves the file as it was and adds the
  // INI functions' log line (reading the server goes on regardless); kRaised raises the
  // system's error, for Update Maps, which stops at a file write that fails.
  enum class Failures { kLogged, kRaised };

  LastSettings(Module& module, int32_t index, Failures failures, File file = File::kLastSettings);
  ~LastSettings();
  LastSettings(const LastSettings&) = delete;
  LastSettings& operator=(const LastSettings&) = delete;

  const std::string& path() const { return path_; }
  bool exists() const;
  void createFolderIfMissing();

  void writeLimits(const std::string& tkScore, const std::string& dmScore,
                   const std::string& fbScore);
  // The index of the last "map" key: the number of maps less one.
  void writeMapCount(int32_t lastIndex);
  void writeMap(int32_t index, const std::string& entry);

  // Writes between gather() and flush() are kept and done by flush() in one replace of the file,
  // which leaves exactly the bytes the key-by-key writes would. Only for writes that nothing
  // can come between (no memory call in the group: those may let events run, and another
  // writer of the file with them). A refused replace fails the whole group, as the group's
  // first key-by-key write would.
  void gather();
  void flush();

  // The stored texts, unchecked; empty when missing.
  std::string dmScore() const;
  std::string tkScore() const;
  std::string fbScore() const;
  std::string mapCount() const;
  // The indices of the "mapN" keys the file holds, N written as a whole number, in order.
  // Visiting only these is the same as counting up to "mapcount" and skipping the empty ones,
  // without walking two billion missing keys for a hostile count.
  std::set<int64_t> mapIndices() const;
  // The entry of "mapN"; nothing when it is not three fields.
  std::optional<formats::RotationEntryFields> map(int64_t index) const;

 private:
  std::string read(const std::string& key) const;
  void write(const std::string& key, const std::string& value);
  void write(const std::vector<std::pair<std::string, std::string>>& values);

  Module& module_;
  Failures failures_;
  std::string folder_;
  std::string path_;
  bool gathering_ = false;
  std::vector<std::pair<std::string, std::string>> pending_;
};

}  // namespace rotaryn
