#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

namespace rotaryn {

// One detail of an event: a text (Windows-1252, as every text of the core) or a number.
using EventValue = std::variant<std::string, int64_t>;
using EventFields = std::vector<std::pair<std::string, EventValue>>;

// What the plug-in tells its host happened on a profile's server, for the host's metrics and
// match history. The host only listens: nothing it does changes what the plug-in does next.
// Event names and their fields:
//   game_started   map, mission, gameType, position, rotationLength (a game seen running first)
//   game_ended     map, mission, gameType, position, rotationLength (the first look at its end)
//   game_state     state                             (the monitor saw the game state change)
//   server_lost                                      (the monitor could not read the server)
//   display_cut                                      (the end-of-game display was shortened)
//   rotation_write origin: window|task|autoload|remote (Update Maps wrote the rotation)
//   task_run, task_failed                            (a due task ran; it failed)
//   game_command   kind: skip|score|play, origin: window|remote, admin (remote only)
class GameEvents {
 public:
  virtual ~GameEvents() = default;
  virtual void report(int32_t profile, const std::string& name, const EventFields& fields) = 0;
};

}  // namespace rotaryn
