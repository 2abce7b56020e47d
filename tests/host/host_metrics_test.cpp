// A scrape keeps the text of families in which nothing changed: every kind of change must still
// reach the next scrape.
#include "host/metrics/host_metrics.h"

#include <gtest/gtest.h>

#include <string>

namespace rotaryn::host::metrics {
namespace {

constexpr const char* kOne = "{build=\"standard\",folder=\"one\",profile=\"1\"}";

std::string series(const std::string& name, const std::string& value) {
  return "\n" + name + kOne + " " + value + "\n";
}

TEST(HostMetrics, EveryChangeReachesTheNextScrape) {
  HostMetrics metrics;
  metrics.setProfile(1, "one", "standard");
  std::string text = metrics.scrape();
  EXPECT_NE(text.find(series("rotaryn_game_state", "-1")), std::string::npos) << text;
  EXPECT_NE(text.find(series("rotaryn_server_up", "0")), std::string::npos);
  // The process's own memory, read from the system: some megabytes, not 0.
  const size_t resident = text.find("\nrotaryn_resident_memory_bytes ");
  ASSERT_NE(resident, std::string::npos) << text;
  EXPECT_GT(std::stod(text.substr(resident + 31)), 1e6) << text.substr(resident, 60);

  metrics.onEvent(1, "game_state", {{"state", 2}});
  text = metrics.scrape();
  EXPECT_NE(text.find(series("rotaryn_game_state", "2")), std::string::npos) << text;
  EXPECT_NE(text.find(series("rotaryn_server_up", "1")), std::string::npos);

  metrics.onEvent(1, "game_ended", {{"rotationLength", 7}});
  for (const char* name : {"display_cut", "task_run", "task_failed"}) {
    metrics.onEvent(1, name, nlohmann::json::object());
  }
  metrics.onEvent(1, "rotation_write", {{"origin", "task"}});
  metrics.onEvent(1, "game_command", {{"kind", "skip"}, {"origin", "remote"}});
  metrics.apiRequest("GetMapsRem", 200);
  metrics.apiRefused("token");
  metrics.pluginCall("GetMapsRem", 0.002);
  text = metrics.scrape();
  for (const char* name : {"rotaryn_games_ended_total", "rotaryn_display_cuts_total",
                           "rotaryn_tasks_run_total", "rotaryn_tasks_failed_total"}) {
    EXPECT_NE(text.find(series(name, "1")), std::string::npos) << name << "\n" << text;
  }
  EXPECT_NE(text.find(series("rotaryn_rotation_length", "7")), std::string::npos);
  for (const char* line :
       {"\nrotaryn_rotation_writes_total{build=\"standard\",folder=\"one\",origin=\"task\","
        "profile=\"1\"} 1\n",
        "\nrotaryn_game_commands_total{build=\"standard\",folder=\"one\",kind=\"skip\","
        "origin=\"remote\",profile=\"1\"} 1\n",
        "\nrotaryn_api_requests_total{operation=\"GetMapsRem\",status=\"200\"} 1\n",
        "\nrotaryn_api_refused_total{reason=\"token\"} 1\n",
        "\nrotaryn_plugin_call_duration_seconds_count{operation=\"GetMapsRem\"} 1\n"}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << text;
  }

  // A server lost, and a profile added later.
  metrics.onEvent(1, "server_lost", nlohmann::json::object());
  metrics.setProfile(2, "two", "affiliate");
  text = metrics.scrape();
  EXPECT_NE(text.find(series("rotaryn_server_up", "0")), std::string::npos) << text;
  EXPECT_NE(text.find(series("rotaryn_game_state", "-1")), std::string::npos);
  EXPECT_NE(
      text.find("rotaryn_tasks_run_total{build=\"affiliate\",folder=\"two\",profile=\"2\"} 0"),
      std::string::npos);
  // Each family once, whatever was kept.
  size_t helps = 0;
  for (size_t at = text.find("# HELP "); at != std::string::npos;
       at = text.find("# HELP ", at + 1)) {
    ++helps;
  }
  EXPECT_EQ(helps, 14u);
}

}  // namespace
}  // namespace rotaryn::host::metrics
