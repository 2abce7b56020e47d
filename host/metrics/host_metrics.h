#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace prometheus {
class Registry;
class Counter;
class Gauge;
template <typename T>
class Family;
class Histogram;
}  // namespace prometheus

namespace rotaryn::host::metrics {

// The host's metrics for Prometheus, kept with the Prometheus client library and served in its
// text format (version 0.0.4) by the host's own listener. Per profile (labels profile, folder,
// build): what the plug-in reports through its event port, the game state and reachability as
// its map monitor last saw them; a scrape reads no server. Host-wide: the API's requests and
// refusals, plug-in call durations and the process's memory and CPU time. UI thread only.
class HostMetrics {
 public:
  HostMetrics();
  ~HostMetrics();
  HostMetrics(const HostMetrics&) = delete;
  HostMetrics& operator=(const HostMetrics&) = delete;

  // The profile's labels; the first call for a profile fixes them (build "unknown" when the
  // server has not been read yet).
  void setProfile(int32_t profile, const std::string& folder, const std::string& build);
  // One event of the plug-in's event port.
  void onEvent(int32_t profile, std::string_view name, const nlohmann::json& detail);
  // The server's state as the host read it (at load) or knows it (a server ended): none when
  // it cannot be read.
  void setServerState(int32_t profile, std::optional<int32_t> state,
                      std::optional<int32_t> rotationLength);

  // A request the API answered: its operation ("state", "profiles", a plug-in operation or
  // "unknown") and status.
  void apiRequest(const std::string& operation, int status);
  // A request refused, by why: token, privilege, profile, not_found, not_loaded, bad_request,
  // limits or plugin.
  void apiRefused(const std::string& reason);
  void pluginCall(const std::string& operation, double seconds);

  // Everything in the text format, the process's memory and CPU time read first. The text of a
  // family in which nothing changed since the last scrape is the one serialized then.
  std::string scrape();

 private:
  struct Profile;
  Profile& profile(int32_t index);
  // A series changed: its family is serialized again at the next scrape.
  void set(prometheus::Gauge& gauge, prometheus::Family<prometheus::Gauge>& family, double value);
  void increment(prometheus::Counter& counter, prometheus::Family<prometheus::Counter>& family);

  std::shared_ptr<prometheus::Registry> registry_;
  struct Families;
  std::unique_ptr<Families> families_;
  std::map<int32_t, std::unique_ptr<Profile>> profiles_;
  double cpuSecondsSeen_ = 0;
};

// The reason label of a refusal: from its status and message, and whether the plug-in refused.
std::string refusalReason(int status, std::string_view message, bool byPlugin);

}  // namespace rotaryn::host::metrics
