#pragma once

#include <string>

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

// The privileges a host can grant remote administrators, as names to rights: the list is data,
// indexed as the host receives it (0 is the plug-in's name).
enum class Privilege {
  ChangeMapList = 1,
  SkipMaps,
  DeleteMaps,
  AddNewMaps,
  AddNewTasks,
  DeleteTasks
};

PLUGIN pluginData();
Variant privilegeList();
// The display name of a privilege as the host shows it ("Change Map List").
std::string privilegeName(Privilege privilege);

}  // namespace rotaryn
