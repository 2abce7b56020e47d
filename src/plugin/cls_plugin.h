#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/variant.h"
#include "plugin/module.h"
#include "plugin/registration.h"

namespace rotaryn {

// The plug-in object the host creates once and calls for every profile (through the C
// interface of twk_rotaryn.h). Every operation traps
// its own failures and reports them, except where said: those raise the run-time error, which
// the C interface hands to the host as an error answer.
class clsPlugin {
 public:
  // Runs the module start-up: RootFolder from the plug-in's folder (Windows form), components.
  clsPlugin(Ports ports, const std::string& pluginFolder);
  ~clsPlugin();
  clsPlugin(const clsPlugin&) = delete;
  clsPlugin& operator=(const clsPlugin&) = delete;

  std::string dllVersion(const std::string& pName);
  PLUGIN GetData();
  Variant GetPrivis();

  void LoadInterface(int32_t Index, int64_t pHwnd, const Variant& PDAT,
                     const std::string& fName = "");
  void UnLoadInterface(const std::string& fName = "");
  void DisableProfile(int32_t Index);
  void HideInterface(const std::string& fName = "");

  // The game commands for a remote administrator: 1 done, 0 refused (game not running, or a
  // play-next position outside the rotation); one admin-log line either way.
  int32_t SkipMapRem(int32_t Index, const Variant& PDAT, const Variant& Data = Variant());
  int32_t ScoreMapRem(int32_t Index, const Variant& PDAT, const Variant& Data = Variant());
  int32_t PlayMapRem(int32_t Index, const Variant& PDAT, const Variant& Data = Variant());

  // The map-list exchange and the game folder's map files for a remote administrator
  // (docs/exchange.md): GetMapsRem answers text ("" after a failure); the others 1 done, else 0.
  std::string GetMapsRem(int32_t Index, const Variant& PDAT, const Variant& Data = Variant());
  int32_t SetMapsRem(int32_t Index, const Variant& PDAT, const Variant& Data = Variant());
  int32_t AddFileRem(int32_t Index, const Variant& PDAT, const Variant& Data = Variant());
  int32_t DeleteFileRem(int32_t Index, const Variant& PDAT, const Variant& Data = Variant());

  // Tasks for a remote administrator: 1 done, 0 after a failure; one admin-log line when done.
  int32_t AddTaskRem(int32_t Index, const Variant& PDAT, const Variant& Data = Variant());
  int32_t EditTaskRem(int32_t Index, const Variant& PDAT, const Variant& Data = Variant());
  int32_t DeleteTaskRem(int32_t Index, const Variant& PDAT, const Variant& Data = Variant());

  // Sets the profile's three configured score limits; untrapped.
  void SetScore(int32_t Index, int16_t tk, int32_t dm, int32_t fb);
  // The profile's settings in Plugins\Maps.ini and its lastknownsettings.ini; untrapped.
  int32_t SetAutoLoad(int32_t Index, const Variant& PDAT, const Variant& Data = Variant());
  int32_t SetDisplayTimer(int32_t Index, const Variant& PDAT, const Variant& Data = Variant());
  void SaveMapSettings(int32_t Index);

  Module& module() { return *module_; }

 private:
  void startTimer(const char* name, int32_t index, int intervalMs);

  std::unique_ptr<Module> module_;
};

// Names of the per-profile timers in the timers port.
inline constexpr const char* kMonitorTimer = "tmrMaps";
inline constexpr const char* kTaskTimer = "tmrMapTasks";
inline constexpr int kMonitorIntervalMs = 2000;
inline constexpr int kTaskIntervalMs = 60000;

}  // namespace rotaryn
