#pragma once

#include <string>
#include <string_view>

#include "platform/variant.h"

namespace rotaryn {

// The record the host reads to describe the plug-in. Booleans are VB booleans.
struct PLUGIN {
  std::string Name;
  std::string File;
  std::string Version;
  std::string Author;
  std::string Description;
  Variant Game;
  bool HasInterface = false;
  bool ProfileMenu = false;
  bool ServerMenu = false;
  bool MainMenu = false;
  Variant ProfileMenuItems;
  Variant ServerMenuItems;
  Variant MainMenuItems;
  bool HasPrivis = false;
  std::string HelpFile;
  std::string MinRCVer;
  std::string MinGravikVer;
  std::string MinFennorVer;
  std::string MinTWKVer;

  friend bool operator==(const PLUGIN&, const PLUGIN&) = default;
};

PLUGIN pluginData();

// The name of the server build a profile runs: the affiliate one or the standard one.
std::string_view serverBuildName(bool affiliate);

// The privileges a host can grant remote administrators; their names are privilegeName's.
enum class Privilege {
  kChangeMapList,
  kSkipMaps,
  kDeleteMaps,
  kAddNewMaps,
  kAddNewTasks,
  kDeleteTasks
};
inline constexpr int kPrivilegeCount = 6;
std::string_view privilegeName(Privilege privilege);
// The privileges as the host receives them: element 0 is the plug-in's name, then one "Name|1"
// per privilege ("Change Map List|1").
Variant privilegeList();

}  // namespace rotaryn
