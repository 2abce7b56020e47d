#include "control/map_monitor.h"

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "errors/error_report.h"
#include "formats/server_builds.h"
#include "memory/score_limits.h"
#include "memory/server_fields.h"
#include "memory/server_rotation.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "store/maps_ini.h"
#include "ui/frm_rotaryn_maps.h"

namespace rotaryn {
namespace {

using formats::kCountdownUnitsPerSecond;
constexpr int32_t kSecondsPerDisplayUnit = 5;

// Game types whose score limit the monitor imposes.
constexpr int32_t kDeathmatch = 0;
constexpr int32_t kTeamDeathmatch = 1;
constexpr int32_t kTeamKingOfTheHill = 3;
constexpr int32_t kKingOfTheHill = 4;
constexpr int32_t kFlagball = 8;

constexpr const char* kGameTypeFields[] = {"GTUpdate1", "GTUpdate2", "GTUpdate3", "GTUpdate4",
                                           "GTUpdate5"};

// The profile's end-of-game flag. The table starts with profiles 0..50 and grows for any
// registered profile beyond them, so those behave like the others; error 9 otherwise.
uint8_t& endOfGameFlag(Module& module, int32_t index) {
  std::vector<uint8_t>& flags = module.EndOfGameHandled;
  if (index < 0 || static_cast<size_t>(index) >= std::max(flags.size(), module.Profiles.size())) {
    raiseVbError(vberr::kSubscriptOutOfRange);
  }
  if (static_cast<size_t>(index) >= flags.size()) flags.resize(static_cast<size_t>(index) + 1, 0);
  return flags[static_cast<size_t>(index)];
}

// The game state the monitor saw at its last tick of the profile (-1: none yet), grown as
// profiles are. The host's events follow it rather than the end-of-game flag, which stays set
// when a short load between games falls between two ticks.
constexpr int32_t kUnreadable = -2;
int32_t& lastStateSeen(Module& module, int32_t index) {
  std::vector<int32_t>& states = module.LastStateSeen;
  if (index < 0) raiseVbError(vberr::kSubscriptOutOfRange);
  if (static_cast<size_t>(index) >= states.size()) {
    states.resize(static_cast<size_t>(index) + 1, -1);
  }
  return states[static_cast<size_t>(index)];
}

// Limits changed by anything (the window, a task, the game's own console) are told once, so
// a reading of the server the host keeps is known to be out of date.
void reportLimitsChange(Module& module, int32_t index, const ScoreLimits& limits) {
  std::vector<std::array<int32_t, 3>>& seen = module.LastLimitsSeen;
  if (static_cast<size_t>(index) >= seen.size()) {
    seen.resize(static_cast<size_t>(index) + 1, {-1, -1, -1});
  }
  const std::array<int32_t, 3> now{limits.kills, limits.gameScore, limits.koth};
  if (seen[static_cast<size_t>(index)] == now) return;
  seen[static_cast<size_t>(index)] = now;
  reportEvent(module, index, "score_limits",
              {{"kills", int64_t{limits.kills}},
               {"gameScore", int64_t{limits.gameScore}},
               {"koth", int64_t{limits.koth}}});
}

std::string& lastMapSeen(Module& module, int32_t index) {
  std::vector<std::string>& maps = module.LastMapSeen;
  if (static_cast<size_t>(index) >= maps.size()) maps.resize(static_cast<size_t>(index) + 1);
  return maps[static_cast<size_t>(index)];
}

// The game the server plays, for the host's match history: what cannot be read is left out.
void reportGame(Module& module, int32_t index, const char* event, const std::string& playing,
                int32_t gameType) {
  if (module.ports.events == nullptr) return;
  EventFields fields{{"map", vb::Trim(playing)}, {"gameType", int64_t{gameType}}};
  try {
    const PlayingEntry entry = playingEntry(module, index);
    fields.emplace_back("position", int64_t{entry.position});
    fields.emplace_back("mission", entry.mission);
    fields.emplace_back("rotationLength", int64_t{entry.count});
  } catch (const VbError&) {
  }
  reportEvent(module, index, event, fields);
}

// Writes the value into the active limit field and its companion when the active one differs.
void imposeLimit(Module& module, int32_t index, int32_t active, int32_t limit,
                 const char* activeField, const char* companionField) {
  if (active == limit) return;
  writeLong(module, index, activeField, limit);
  writeLong(module, index, companionField, limit);
}

// The display-time cut: RestartTmr is lowered to the profile's display time, never raised, so a
// countdown already shortened (a skip) stays as it is.
void cutDisplayTime(Module& module, int32_t index) {
  const MapsIni settings(module);
  if (!settings.exists()) return;
  const std::string units = settings.displayTime(module.profile(index).ProfileFolder);
  if (units.empty()) return;
  // Text that is not a number fails here (13), as it would in the multiplication it stands for.
  const double countdown =
      vb::CDbl(Variant(units)) * kSecondsPerDisplayUnit * kCountdownUnitsPerSecond;
  const int32_t limit = vb::CLng(Variant(countdown));
  if (readLong(module, index, "RestartTmr") > limit) {
    writeLong(module, index, "RestartTmr", limit);
    reportEvent(module, index, "display_cut");
  }
}

// Tells the host of a game that started or ended and of each new game state, once.
void reportStateChange(Module& module, int32_t index, int32_t state, const std::string& playing,
                       int32_t gameType) {
  int32_t& last = lastStateSeen(module, index);
  std::string& lastMap = lastMapSeen(module, index);
  // The end, its display and maybe the next load fell between two ticks (a busy machine, a
  // short display): the server is past that game, so its end names no map of its own.
  const bool endUnseen =
      gameIsRunning(last) &&
      (state == gamestate::kBetweenGames ||
       (gameIsRunning(state) && !playing.empty() && !lastMap.empty() && playing != lastMap));
  if (endUnseen) reportEvent(module, index, "game_ended", {{"unseen", int64_t{1}}});
  if (gameIsRunning(state) && (!gameIsRunning(last) || endUnseen)) {
    reportGame(module, index, "game_started", playing, gameType);
  }
  if (state == gamestate::kEndOfGame && last != gamestate::kEndOfGame) {
    reportGame(module, index, "game_ended", playing, gameType);
  }
  if (gameIsRunning(state)) lastMap = playing;
  if (state != last) reportEvent(module, index, "game_state", {{"state", int64_t{state}}});
  last = state;
}

// The score limit of the game type in play, imposed on its score.
void imposeLimits(Module& module, int32_t index, int32_t gameType, int32_t score1, int32_t score2,
                  const ScoreLimits& limits) {
  switch (gameType) {
    case kDeathmatch:
    case kTeamDeathmatch:
      imposeLimit(module, index, score1, limits.kills, "Score1a", "Score1b");
      break;
    case kTeamKingOfTheHill:
    case kKingOfTheHill:
      imposeLimit(module, index, score2, limits.koth, "Score2a", "Score2b");
      break;
    case kFlagball:
      imposeLimit(module, index, score1, limits.gameScore, "Score1a", "Score1b");
      break;
    default:
      break;
  }
}

}  // namespace

void tmrMaps_Timer(Module& module, int32_t index) {
  ErrorTrap trap = module.trap("tmrMaps", index);
  trap.run([&] {
    // A missing table element skips its step only; the tick goes on with the next one.
    auto step = [&trap](int number, auto&& body) {
      trap.skippable(number, {vberr::kSubscriptOutOfRange}, body);
    };

    int32_t state = 0;
    int32_t gameType = 0;
    std::string playing;
    bool stateRead = false;
    step(1, [&] {
      try {
        state = readLong(module, index, "GameState");
      } catch (const VbError&) {
        // The host learns of a server it cannot read from here: its metrics read no server.
        if (lastStateSeen(module, index) != kUnreadable) reportEvent(module, index, "server_lost");
        lastStateSeen(module, index) = kUnreadable;
        throw;
      }
      stateRead = true;
    });
    step(2, [&] { gameType = readLong(module, index, "GameType"); });
    step(3, [&] { playing = readText(module, index, "CurMap"); });
    step(4, [&] {
      if (index == module.CurrentProfile && module.window) {
        module.window->showPlayingMap("Map playing: " + playing);
      }
    });

    step(14, [&] {
      if (stateRead) reportStateChange(module, index, state, playing, gameType);
    });

    if (state == gamestate::kEndOfGame) {
      int32_t nextType = 0;
      step(5, [&] { nextType = GetNextMapCode(module, index); });
      step(6, [&] {
        if (endOfGameFlag(module, index) == 0 && nextType != gameType) {
          for (const char* field : kGameTypeFields) writeLong(module, index, field, nextType);
        }
      });
      step(7, [&] { cutDisplayTime(module, index); });
      step(8, [&] { endOfGameFlag(module, index) = 1; });
    }

    if (state == gamestate::kBetweenGames) {
      step(9, [&] { endOfGameFlag(module, index) = 0; });
    }

    if (gameIsRunning(state)) {
      // Builds without limit fields give no limits: nothing is read or imposed there.
      std::optional<ScoreLimits> limits;
      step(10, [&] { limits = readScoreLimits(module, index); });
      if (!limits) return;
      reportLimitsChange(module, index, *limits);
      int32_t score1 = 0;
      int32_t score2 = 0;
      step(11, [&] { score1 = readLong(module, index, "Score1a"); });
      step(12, [&] { score2 = readLong(module, index, "Score2a"); });
      step(13, [&] { imposeLimits(module, index, gameType, score1, score2, *limits); });
    }
  });
}

}  // namespace rotaryn
