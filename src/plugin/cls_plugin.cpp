#include "plugin/cls_plugin.h"

#include <string_view>
#include <utility>

#include "control/game_commands.h"
#include "control/map_monitor.h"
#include "control/score_limits.h"
#include "errors/error_report.h"
#include "platform/vb_runtime.h"
#include "plugin/profiles.h"
#include "plugin/startup.h"
#include "remote/get_maps_rem.h"
#include "remote/map_file_rem.h"
#include "remote/set_maps_rem.h"
#include "store/map_settings.h"
#include "tasks/task_runner.h"
#include "tasks/task_store.h"
#include "ui/frm_rotaryn_maps.h"

namespace rotaryn {
namespace {

// Runs one step of UnLoadInterface; a failure there never stops the next step.
template <class Step>
void ignoringFailure(Step&& step) {
  try {
    step();
  } catch (...) {
  }
}

}  // namespace

clsPlugin::clsPlugin(Ports ports, const std::string& pluginFolder)
    : module_(std::make_unique<Module>(ports, deriveRootFolder(pluginFolder))) {}

clsPlugin::~clsPlugin() {
  // The window's unload destroys the timers whose ticks refer to the module.
  ignoringFailure([&] { module_->ports.timers.destroyAll(); });
}

std::string clsPlugin::dllVersion(const std::string& /*pName*/) {
  return pluginData().Version;
}

PLUGIN clsPlugin::GetData() {
  return pluginData();
}

Variant clsPlugin::GetPrivis() {
  return privilegeList();
}

void clsPlugin::startTimer(const char* name, int32_t index, int intervalMs) {
  Timers& timers = module_->ports.timers;
  // A second load of the same profile keeps its timer; only interval and start are redone.
  if (!timers.exists(name, index)) {
    Timers::Tick tick = [m = module_.get(), index] { tmrMapTasks_Timer(*m, index); };
    if (std::string_view(name) == kMonitorTimer) {
      tick = [m = module_.get(), index] { tmrMaps_Timer(*m, index); };
    }
    timers.create(name, index, std::move(tick));
  }
  timers.setInterval(name, index, intervalMs);
  timers.start(name, index);
}

void clsPlugin::LoadInterface(int32_t Index, int64_t pHwnd, const Variant& PDAT,
                              const std::string& /*fName*/) {
  if (Index == 0) return;
  Module& m = *module_;
  ErrorTrap trap = m.trap("LoadInterface", Index);
  trap.run([&] {
    trap.at(2);
    RegisterProfile(m, Index, PDAT);
    trap.at(3);
    if (!m.window) {
      m.window = std::make_unique<frmRotarynMaps>(m);
      if (m.ports.views != nullptr) m.view = m.ports.views->create(*m.window);
    }
    trap.at(4);
    // The host's area is in twips; the window is placed in pixels of the screen it shows on.
    int widthPx = vb::CLng(PDAT.at(13)) / twipsPerPixelX(m.ports.screen);
    int heightPx = vb::CLng(PDAT.at(12)) / twipsPerPixelY(m.ports.screen) - 28;
    m.window->move(2, 30, widthPx, heightPx);
    trap.at(5);
    m.window->ssmTab.tab = 0;
    trap.at(6);
    m.window->setParentWindow(pHwnd);
    trap.at(7);
    m.window->Form_Reload();
    trap.at(8);
    m.window->show();
    trap.at(9);
    startTimer(kMonitorTimer, Index, kMonitorIntervalMs);
    trap.at(10);
    startTimer(kTaskTimer, Index, kTaskIntervalMs);
    trap.at(11);
    m.window->BuildTasks(Index);
  });
}

void clsPlugin::HideInterface(const std::string& /*fName*/) {
  Module& m = *module_;
  ErrorTrap trap = m.trap("HideInterface", m.CurrentProfile);
  trap.run([&] {
    trap.at(1);
    clearCatalogue(m);
    trap.at(2);
    if (m.window) m.window->hide();
  });
}

void clsPlugin::DisableProfile(int32_t Index) {
  Module& m = *module_;
  ErrorTrap trap = m.trap("DisableProfile", Index);
  trap.run([&] {
    trap.at(1);
    m.ports.timers.destroy(kMonitorTimer, Index);
    trap.at(2);
    if (Index < 0 || static_cast<size_t>(Index) >= m.AutoloadDone.size()) {
      raiseVbError(vberr::kSubscriptOutOfRange);
    }
    m.AutoloadDone[static_cast<size_t>(Index)] = 0;
    trap.at(3);
    if (Index < 0 || static_cast<size_t>(Index) >= m.AddressTables.size()) {
      raiseVbError(vberr::kSubscriptOutOfRange);
    }
    m.AddressTables[static_cast<size_t>(Index)] = AddressTable{};
  });
}

void clsPlugin::UnLoadInterface(const std::string& /*fName*/) {
  Module& m = *module_;
  ignoringFailure([&] { clearCatalogue(m); });
  ignoringFailure([&] { m.currentList = CurrentListTables{}; });
  ignoringFailure([&] {
    if (m.CurrentProfile < 0 || static_cast<size_t>(m.CurrentProfile) >= m.AutoloadDone.size()) {
      raiseVbError(vberr::kSubscriptOutOfRange);
    }
    m.AutoloadDone[static_cast<size_t>(m.CurrentProfile)] = 0;
  });
  ignoringFailure([&] { m.AddressTables.assign(1, AddressTable{}); });
  ignoringFailure([&] {
    if (m.window) {
      m.window->Form_Unload();
      m.view.reset();
      m.window.reset();
    }
    m.ports.timers.destroyAll();
  });
}

int32_t clsPlugin::SkipMapRem(int32_t Index, const Variant& PDAT, const Variant& Data) {
  return rotaryn::SkipMapRem(*module_, Index, PDAT, Data);
}

int32_t clsPlugin::ScoreMapRem(int32_t Index, const Variant& PDAT, const Variant& Data) {
  return rotaryn::ScoreMapRem(*module_, Index, PDAT, Data);
}

int32_t clsPlugin::PlayMapRem(int32_t Index, const Variant& PDAT, const Variant& Data) {
  return rotaryn::PlayMapRem(*module_, Index, PDAT, Data);
}

std::string clsPlugin::GetMapsRem(int32_t Index, const Variant& PDAT, const Variant& Data) {
  return rotaryn::GetMapsRem(*module_, Index, PDAT, Data);
}

int32_t clsPlugin::SetMapsRem(int32_t Index, const Variant& PDAT, const Variant& Data) {
  return rotaryn::SetMapsRem(*module_, Index, PDAT, Data);
}

int32_t clsPlugin::AddFileRem(int32_t Index, const Variant& PDAT, const Variant& Data) {
  return rotaryn::AddFileRem(*module_, Index, PDAT, Data);
}

int32_t clsPlugin::DeleteFileRem(int32_t Index, const Variant& PDAT, const Variant& Data) {
  return rotaryn::DeleteFileRem(*module_, Index, PDAT, Data);
}

int32_t clsPlugin::AddTaskRem(int32_t Index, const Variant& PDAT, const Variant& Data) {
  return rotaryn::AddTaskRem(*module_, Index, PDAT, Data);
}

int32_t clsPlugin::EditTaskRem(int32_t Index, const Variant& PDAT, const Variant& Data) {
  return rotaryn::EditTaskRem(*module_, Index, PDAT, Data);
}

int32_t clsPlugin::DeleteTaskRem(int32_t Index, const Variant& PDAT, const Variant& Data) {
  return rotaryn::DeleteTaskRem(*module_, Index, PDAT, Data);
}

void clsPlugin::SetScore(int32_t Index, int16_t tk, int32_t dm, int32_t fb) {
  rotaryn::SetScore(*module_, Index, tk, dm, fb);
}

int32_t clsPlugin::SetAutoLoad(int32_t Index, const Variant& PDAT, const Variant& Data) {
  return rotaryn::SetAutoLoad(*module_, Index, PDAT, Data);
}

int32_t clsPlugin::SetDisplayTimer(int32_t Index, const Variant& PDAT, const Variant& Data) {
  return rotaryn::SetDisplayTimer(*module_, Index, PDAT, Data);
}

void clsPlugin::SaveMapSettings(int32_t Index) {
  rotaryn::SaveMapSettings(*module_, Index);
}

}  // namespace rotaryn
