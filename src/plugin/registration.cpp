#include "plugin/registration.h"

#include <array>
#include <string_view>

#include "plugin/version.h"

namespace rotaryn {
namespace {

struct PrivilegeEntry {
  Privilege privilege;
  std::string_view name;
};

constexpr std::array<PrivilegeEntry, 6> kPrivileges{{
    {Privilege::ChangeMapList, "Change Map List"},
    {Privilege::SkipMaps, "Skip Maps"},
    {Privilege::DeleteMaps, "Delete Maps"},
    {Privilege::AddNewMaps, "Add New Maps"},
    {Privilege::AddNewTasks, "Add New Tasks"},
    {Privilege::DeleteTasks, "Delete Tasks"},
}};

}  // namespace

PLUGIN pluginData() {
  PLUGIN data;
  data.Name = "Rotaryn";
  data.File = "twkRotaryn.dll";
  data.Version = kPluginVersion.text();
  data.Author = "The Rotaryn developers (rotaryn)";
  data.Description = "This Plugin allows you to manage map rotations for DFBHD.";
  data.Game =
      Variant(Variant::Array{Variant("Delta Force,  V1.5.0.5"),
                             Variant("Delta Force, NovaWorld Affiliate Server V1.5.0.11A")});
  data.HasInterface = true;
  data.ProfileMenu = false;
  data.ServerMenu = true;
  data.MainMenu = false;
  data.ServerMenuItems = Variant(Variant::Array{Variant("Maps"), Variant("")});
  data.HasPrivis = true;
  data.HelpFile = "twkRotaryn_help.chm";
  data.MinRCVer = "1104";
  data.MinGravikVer = "1104";
  data.MinFennorVer = "1305";
  data.MinTWKVer = "31003";
  return data;
}

Variant privilegeList() {
  Variant::Array list{Variant("Rotaryn")};
  for (const PrivilegeEntry& entry : kPrivileges) {
    list.emplace_back(std::string(entry.name) + "|1");
  }
  return Variant(std::move(list));
}

std::string privilegeName(Privilege privilege) {
  for (const PrivilegeEntry& entry : kPrivileges) {
    if (entry.privilege == privilege) return std::string(entry.name);
  }
  return {};
}

}  // namespace rotaryn
