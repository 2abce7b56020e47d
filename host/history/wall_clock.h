#pragma once

#include <ctime>

#include "formats/civil_time.h"

// (Beside the history, which is free of Qt, so that the history, the audit and the host's clock
// share it.)
namespace rotaryn::host {

// The wall clock now, and its local time. The time zone is read again at most once a minute:
// a local-time conversion by QDateTime reads it at each call (a stat of /etc/localtime), and
// the host converts at every timer tick and every line it logs.
struct WallClock {
  timespec at;
  std::tm local;
};
WallClock wallClockNow();
// A broken-down time as a calendar time (a leap second reads as :59).
formats::CivilTime civilTimeOf(const std::tm& t);

}  // namespace rotaryn::host
