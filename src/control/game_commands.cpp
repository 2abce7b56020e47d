#include "control/game_commands.h"

#include <functional>
#include <memory>
#include <string>

#include "control/map_monitor.h"
#include "errors/error_report.h"
#include "memory/rotation_layout.h"
#include "memory/server_fields.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "plugin/profiles.h"
#include "store/admin_log.h"
#include "ui/frm_rotaryn_maps.h"

namespace rotaryn {
namespace {

constexpr int kPollMs = 50;

int32_t gameState(Module& module, int32_t index) {
  return readLong(module, index, "GameState");
}

// True while a game runs; otherwise the window says the state does not permit the command.
bool runningElseRefuse(Module& module, int32_t index) {
  if (gameIsRunning(gameState(module, index))) return true;
  ErrorReport(module, kReportFailed, kStateRefusal, nullptr, 0, 0);
  return false;
}

// "resetgames" on the profile's console: the running game ends and the server enters state 4.
// The arguments are copies: the component takes them by reference and may let events run.
void sendResetGames(Module& module, int32_t index) {
  std::shared_ptr<IMemoryAccess> memory = module.MemoryAccess;
  if (!memory) raiseVbError(vberr::kObjectNotSet);
  const ProfileRecord& profile = module.profile(index);
  int32_t profileIndex = index;
  int32_t target = profile.MessageTarget;
  bool affiliate = profile.IsAffiliate;
  memory->AddMsg(profileIndex, target, "resetgames", affiliate, "CMD", 1);
}

// Told to the host before the command goes out, so that the end of game it causes is known as
// this command's. A remote command names its administrator (PDAT element 10).
void reportCommand(Module& module, int32_t index, const char* kind, const Variant* PDAT) {
  if (module.ports.events == nullptr) return;
  EventFields fields{{"kind", std::string(kind)},
                     {"origin", std::string(PDAT != nullptr ? "remote" : "window")}};
  if (PDAT != nullptr) {
    try {
      fields.emplace_back("admin", vb::CStr(PDAT->at(10)));
    } catch (const VbError&) {
    }
  }
  reportEvent(module, index, "game_command", fields);
}

void letEventsRunThenPause(Module& module) {
  module.ports.pump.doEvents();
  module.ports.pump.sleep(kPollMs);
}

// The frame of every remote command: register, run the body (true = carried out), log the
// request whatever the body decided. A failure anywhere gives 0; before the log, no line.
int32_t remoteCommand(Module& module, const char* procedure, int32_t Index, const Variant& PDAT,
                      const char* logText, const std::function<bool(ErrorTrap&)>& body) {
  ErrorTrap trap = module.trap(procedure, Index);
  bool done = false;
  const bool finished = trap.run([&] {
    trap.at(1);
    RegisterProfile(module, Index, PDAT);
    done = body(trap);
    trap.at(10);
    AdminLog(module, PDAT, logText);
  });
  return finished && done ? 1 : 0;
}

}  // namespace

void cmdSkip_Click(Module& module) {
  // The command stays with the profile it started on, whatever runs while it waits.
  const int32_t index = module.CurrentProfile;
  ErrorTrap trap = module.trap("cmdSkip", index);
  trap.run([&] {
    trap.at(1);
    if (!runningElseRefuse(module, index)) return;
    trap.at(2);
    reportCommand(module, index, "skip", nullptr);
    sendResetGames(module, index);
    trap.at(3);
    const Clock& clock = module.ports.clock;
    const int64_t giveUpAt = clock.monotonicMs() + kSkipWaitLimitMs;
    while (gameState(module, index) != gamestate::kEndOfGame) {
      if (clock.monotonicMs() >= giveUpAt) {
        trap.at(4);
        ErrorReport(module, kReportFailed, kSkipWaitGaveUp, nullptr, 0, 0);
        return;
      }
      letEventsRunThenPause(module);
    }
    trap.at(5);
    writeLong(module, index, "RestartTmr", kSkipCountdown);
    module.ports.pump.doEvents();
  });
}

void cmdScore_Click(Module& module) {
  const int32_t index = module.CurrentProfile;
  ErrorTrap trap = module.trap("cmdScore", index);
  trap.run([&] {
    trap.at(1);
    if (!runningElseRefuse(module, index)) return;
    trap.at(2);
    reportCommand(module, index, "score", nullptr);
    sendResetGames(module, index);
  });
}

void cmdPlay_Click(Module& module) {
  const int32_t index = module.CurrentProfile;
  ErrorTrap trap = module.trap("cmdPlay", index);
  trap.run([&] {
    trap.at(1);
    const int32_t header = readLong(module, index, "MapPointer");
    trap.at(2);
    if (!module.window) raiseVbError(vberr::kObjectNotSet);
    const int32_t position = module.window->positionBeforeSelected();
    trap.at(3);
    if (!runningElseRefuse(module, index)) return;
    trap.at(4);
    writeLongAt(module, index, header + rotation::kCurrentOffset, position);
    reportCommand(module, index, "play", nullptr);
    letEventsRunThenPause(module);
  });
}

int32_t SkipMapRem(Module& module, int32_t Index, const Variant& PDAT, const Variant& /*Data*/) {
  return remoteCommand(module, "SkipMapRem", Index, PDAT, adminlog::kSkipMap, [&](ErrorTrap& trap) {
    trap.at(2);
    if (!gameIsRunning(gameState(module, Index))) return false;
    trap.at(3);
    reportCommand(module, Index, "skip", &PDAT);
    sendResetGames(module, Index);
    letEventsRunThenPause(module);
    trap.at(4);
    writeLong(module, Index, "RestartTmr", kSkipCountdown);
    module.ports.pump.doEvents();
    return true;
  });
}

int32_t ScoreMapRem(Module& module, int32_t Index, const Variant& PDAT, const Variant& /*Data*/) {
  return remoteCommand(module, "ScoreMapRem", Index, PDAT, adminlog::kScoreMap,
                       [&](ErrorTrap& trap) {
                         trap.at(2);
                         if (!gameIsRunning(gameState(module, Index))) return false;
                         trap.at(3);
                         reportCommand(module, Index, "score", &PDAT);
                         sendResetGames(module, Index);
                         return true;
                       });
}

int32_t PlayMapRem(Module& module, int32_t Index, const Variant& PDAT, const Variant& Data) {
  return remoteCommand(module, "PlayMapRem", Index, PDAT, adminlog::kPlayMap, [&](ErrorTrap& trap) {
    trap.at(2);
    const int32_t header = readLong(module, Index, "MapPointer");
    trap.at(3);
    const int32_t maxMaps = readLong(module, Index, "MaxMaps");
    trap.at(4);
    const int32_t wanted = vb::CLng(Data);
    // 0 asks for the first entry: a position at or past the last one makes the server wrap.
    const int32_t position = wanted == 0 ? maxMaps : wanted - 1;
    trap.at(5);
    const int32_t count = readLongAt(module, Index, header + rotation::kCountOffset);
    trap.at(6);
    if (!gameIsRunning(gameState(module, Index))) return false;
    // A position outside the rotation would make the server play its first entry instead.
    if (wanted < 0 || wanted >= count) return false;
    trap.at(7);
    writeLongAt(module, Index, header + rotation::kCurrentOffset, position);
    reportCommand(module, Index, "play", &PDAT);
    letEventsRunThenPause(module);
    return true;
  });
}

}  // namespace rotaryn
