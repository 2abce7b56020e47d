#pragma once

#include <ctime>

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

}  // namespace rotaryn::host
