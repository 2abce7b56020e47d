#pragma once

#include <string>

#include "platform/ini_file.h"

namespace rotaryn {

struct Module;

// "Plugins\Maps.ini" of the root: two settings per profile, keyed by its folder name, in
// section "Autoload" (1 restores the last rotation at start) and section "DisplayTime" (1..9,
// the end-of-game display in units of 5 seconds). Values are the file's text, unchecked: each
// reader has its own rule for a missing or odd value. A refused write changes nothing and is
// logged, never raised, as the INI functions' own rule has it.
class MapsIni {
 public:
  explicit MapsIni(Module& module);

  const std::string& path() const { return path_; }
  bool exists() const;

  std::string autoload(const std::string& profileFolder) const;
  std::string displayTime(const std::string& profileFolder) const;
  void setAutoload(const std::string& profileFolder, const std::string& value);
  void setDisplayTime(const std::string& profileFolder, const std::string& value);

 private:
  Module& module_;
  IniFile ini_;
  std::string path_;
};

}  // namespace rotaryn
