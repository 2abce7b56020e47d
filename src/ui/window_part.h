#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/error_trap.h"
#include "ui/controls.h"
#include "ui/window_controls_table.h"

namespace rotaryn {

struct Module;

inline constexpr int32_t kStockBackColor = 0xD0D0D0;
inline constexpr int kGameTypeCount = 9;

// What every part of the window shares: the set its controls enrol in and the module whose
// CurrentProfile the window shows. A virtual base, so the window made of all parts has one.
class WindowPart {
 public:
  WindowPart(const WindowPart&) = delete;
  WindowPart& operator=(const WindowPart&) = delete;

 protected:
  explicit WindowPart(Module& module) : module_(module) {}
  ~WindowPart() = default;

  // Runs a window operation under its error trap, for CurrentProfile.
  void trapped(const char* procedure, const std::function<void(ErrorTrap&)>& body);

  ControlSet controls_;
  Module& module_;
};

// A map row of the current rotation as the window shows it.
struct RotationRow {
  int32_t type = 0;
  bool custom = false;
  std::string file;
};

}  // namespace rotaryn
