#pragma once

#include <QJsonObject>
#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "host/config/host_config.h"
#include "host/history/match_history.h"
#include "host/metrics/host_metrics.h"
#include "host/port_table.h"

namespace rotaryn::host {

// What the host keeps of what the plug-in reports through its event port: the metrics and the
// match history (ROOT/logs/history). Every mode has one; the times of the history follow the
// mode's clock (virtual in the script mode), in local time and UTC.
class HostObserver {
 public:
  using Note = std::function<void(const std::string&)>;

  HostObserver(const std::string& rootPosix, int32_t historyDays, const HostClock& clock,
               Note note);

  metrics::HostMetrics& metrics() { return metrics_; }
  history::MatchHistory& history() { return history_; }
  const std::string& historyFolder() const { return historyFolder_; }

  // A profile the plug-in now monitors, with its server's state as read then (empty: unread).
  void profileLoaded(const ProfileConfig& profile, const QJsonObject& state);
  // One event of the port; a detail that is not JSON counts as none.
  void onEvent(int32_t profile, const char* name, const char* detail);
  // Removes the history files past the days kept once the date has changed.
  void pruneIfNewDay();
  // How many events the profile's plug-in reported so far: a reading of its server taken at
  // another count may be out of date (a game ended, a rotation was written).
  uint64_t eventsOf(int32_t profile) const {
    auto found = events_.find(profile);
    return found == events_.end() ? 0 : found->second;
  }

 private:
  std::string historyFolder_;
  metrics::HostMetrics metrics_;
  history::MatchHistory history_;
  Note note_;
  std::map<int32_t, uint64_t> events_;
};

}  // namespace rotaryn::host
