#include "plugin/registration.h"

#include <array>
#include <string_view>

#include "plugin/version.h"

namespace rotaryn {
namespace {

// In the order of Privilege.
constexpr std::array<std::string_view, kPrivilegeCount> kPrivileges{
    "Change Map List", "Skip Maps", "Delete Maps", "Add New Maps", "Add New Tasks", "Delete Tasks",
};

}  // namespace

std::string_view serverBuildName(bool affiliate) {
  return affiliate ? "Delta Force, NovaWorld Affiliate Server V1.5.0.11A"
                   : "Delta Force,  V1.5.0.5";
}

PLUGIN pluginData() {
  PLUGIN data;
  data.Name = "Rotaryn";
  data.File = "twkRotaryn.dll";
  data.Version = kPluginVersion.text();
  data.Author = "The Rotaryn developers (rotaryn)";
  data.Description = "This Plugin allows you to manage map rotations for DFBHD.";
  data.Game = Variant(Variant::Array{Variant(std::string(serverBuildName(false))),
                                     Variant(std::string(serverBuildName(true)))});
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

std::string_view privilegeName(Privilege privilege) {
  return kPrivileges[static_cast<size_t>(privilege)];
}

Variant privilegeList() {
  Variant::Array list{Variant("Rotaryn")};
  for (std::string_view name : kPrivileges) list.emplace_back(std::string(name) + "|1");
  return Variant(std::move(list));
}

}  // namespace rotaryn
