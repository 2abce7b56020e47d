#include "host/metrics/host_metrics.h"

#include <prometheus/counter.h>
#include <prometheus/family.h>
#include <prometheus/gauge.h>
#include <prometheus/histogram.h>
#include <prometheus/registry.h>
#include <prometheus/text_serializer.h>
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>

namespace rotaryn::host::metrics {
namespace {

using prometheus::Counter;
using prometheus::Family;
using prometheus::Gauge;
using prometheus::Histogram;
using prometheus::Labels;

Family<Counter>& counter(prometheus::Registry& registry, const char* name, const char* help) {
  return prometheus::BuildCounter().Name(name).Help(help).Register(registry);
}

Family<Gauge>& gauge(prometheus::Registry& registry, const char* name, const char* help) {
  return prometheus::BuildGauge().Name(name).Help(help).Register(registry);
}

Labels with(Labels labels, const char* key, std::string value) {
  labels.emplace(key, std::move(value));
  return labels;
}

double residentBytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  if (!(statm >> pages >> resident)) return 0;
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
}

double cpuSeconds() {
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) return 0;
  auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

}  // namespace

struct HostMetrics::Families {
  explicit Families(prometheus::Registry& r)
      : gameState(
            gauge(r, "rotaryn_game_state",
                  "Game state of the profile's server as the plug-in's monitor last saw it (1 "
                  "between games, 2 or 3 running, 4 end of game); -1 when unreadable")),
        serverUp(gauge(
            r, "rotaryn_server_up",
            "Whether the plug-in's monitor could read the profile's server at its last look")),
        rotationLength(gauge(r, "rotaryn_rotation_length",
                             "Maps in the server's rotation at the last game's start or end")),
        gamesEnded(counter(r, "rotaryn_games_ended_total", "Ends of game the plug-in saw")),
        displayCuts(counter(r, "rotaryn_display_cuts_total",
                            "End-of-game displays the plug-in cut to the profile's display time")),
        rotationWrites(counter(r, "rotaryn_rotation_writes_total",
                               "Rotations written by Update Maps, by who asked (window, task, "
                               "autoload, remote)")),
        tasksRun(counter(r, "rotaryn_tasks_run_total", "Due map tasks the plug-in ran")),
        tasksFailed(counter(r, "rotaryn_tasks_failed_total",
                            "Due map tasks whose rotation was not written")),
        gameCommands(counter(r, "rotaryn_game_commands_total",
                             "Game commands carried out, by kind (skip, score, play) and origin "
                             "(window, remote)")),
        apiRequests(counter(r, "rotaryn_api_requests_total",
                            "Requests the remote API answered, by operation and status")),
        apiRefused(
            counter(r, "rotaryn_api_refused_total", "Requests the remote API refused, by reason")),
        pluginCalls(prometheus::BuildHistogram()
                        .Name("rotaryn_plugin_call_duration_seconds")
                        .Help("Time the host's calls into the plug-in took, by operation")
                        .Register(r)),
        resident(gauge(r, "rotaryn_resident_memory_bytes", "Resident memory of the host")),
        cpu(counter(r, "rotaryn_cpu_seconds_total", "User and system CPU time of the host")
                .Add({})) {}

  Family<Gauge>& gameState;
  Family<Gauge>& serverUp;
  Family<Gauge>& rotationLength;
  Family<Counter>& gamesEnded;
  Family<Counter>& displayCuts;
  Family<Counter>& rotationWrites;
  Family<Counter>& tasksRun;
  Family<Counter>& tasksFailed;
  Family<Counter>& gameCommands;
  Family<Counter>& apiRequests;
  Family<Counter>& apiRefused;
  Family<Histogram>& pluginCalls;
  Family<Gauge>& resident;
  Counter& cpu;
};

// The series of one profile that need no further label, made once.
struct HostMetrics::Profile {
  Labels labels;
  Gauge* gameState;
  Gauge* serverUp;
  Gauge* rotationLength;
  Counter* gamesEnded;
  Counter* displayCuts;
  Counter* tasksRun;
  Counter* tasksFailed;
};

HostMetrics::HostMetrics()
    : registry_(std::make_shared<prometheus::Registry>()),
      families_(std::make_unique<Families>(*registry_)) {
  families_->resident.Add({});
}

HostMetrics::~HostMetrics() = default;

void HostMetrics::setProfile(int32_t index, const std::string& folder, const std::string& build) {
  if (profiles_.count(index) != 0) return;
  Families& f = *families_;
  Labels labels{{"profile", std::to_string(index)}, {"folder", folder}, {"build", build}};
  auto p = std::make_unique<Profile>(Profile{labels, &f.gameState.Add(labels),
                                             &f.serverUp.Add(labels), &f.rotationLength.Add(labels),
                                             &f.gamesEnded.Add(labels), &f.displayCuts.Add(labels),
                                             &f.tasksRun.Add(labels), &f.tasksFailed.Add(labels)});
  p->gameState->Set(-1);
  profiles_.emplace(index, std::move(p));
}

HostMetrics::Profile& HostMetrics::profile(int32_t index) {
  if (profiles_.count(index) == 0) setProfile(index, "", "unknown");
  return *profiles_.at(index);
}

void HostMetrics::onEvent(int32_t index, std::string_view name, const nlohmann::json& detail) {
  Profile& p = profile(index);
  if (detail.contains("rotationLength") && detail["rotationLength"].is_number()) {
    p.rotationLength->Set(detail["rotationLength"].get<double>());
  }
  if (name == "game_ended") {
    p.gamesEnded->Increment();
  } else if (name == "game_state") {
    p.gameState->Set(detail.value("state", -1));
    p.serverUp->Set(1);
  } else if (name == "server_lost") {
    p.gameState->Set(-1);
    p.serverUp->Set(0);
  } else if (name == "display_cut") {
    p.displayCuts->Increment();
  } else if (name == "task_run") {
    p.tasksRun->Increment();
  } else if (name == "task_failed") {
    p.tasksFailed->Increment();
  } else if (name == "rotation_write") {
    families_->rotationWrites.Add(with(p.labels, "origin", detail.value("origin", "unknown")))
        .Increment();
  } else if (name == "game_command") {
    Labels labels = with(p.labels, "kind", detail.value("kind", "unknown"));
    families_->gameCommands
        .Add(with(std::move(labels), "origin", detail.value("origin", "unknown")))
        .Increment();
  }
}

void HostMetrics::setServerState(int32_t index, std::optional<int32_t> state,
                                 std::optional<int32_t> rotationLength) {
  Profile& p = profile(index);
  p.serverUp->Set(state ? 1 : 0);
  p.gameState->Set(state ? *state : -1);
  if (rotationLength) p.rotationLength->Set(*rotationLength);
}

void HostMetrics::apiRequest(const std::string& operation, int status) {
  families_->apiRequests.Add({{"operation", operation}, {"status", std::to_string(status)}})
      .Increment();
}

void HostMetrics::apiRefused(const std::string& reason) {
  families_->apiRefused.Add({{"reason", reason}}).Increment();
}

void HostMetrics::pluginCall(const std::string& operation, double seconds) {
  static const Histogram::BucketBoundaries kBuckets{0.0005, 0.001, 0.0025, 0.005, 0.01, 0.025,
                                                    0.05,   0.1,   0.25,   0.5,   1,    2.5};
  families_->pluginCalls.Add({{"operation", operation}}, kBuckets).Observe(seconds);
}

std::string HostMetrics::scrape() {
  families_->resident.Add({}).Set(residentBytes());
  const double cpu = cpuSeconds();
  if (cpu > cpuSecondsSeen_) {
    families_->cpu.Increment(cpu - cpuSecondsSeen_);
    cpuSecondsSeen_ = cpu;
  }
  return prometheus::TextSerializer().Serialize(registry_->Collect());
}

std::string refusalReason(int status, std::string_view message, bool byPlugin) {
  if (byPlugin) return "plugin";
  switch (status) {
    case 401:
      return "token";
    case 403:
      return message.find("privilege") != std::string_view::npos ? "privilege" : "profile";
    case 404:
      return "not_found";
    case 409:
      return "not_loaded";
    case 400:
    case 405:
    case 415:
    case 422:
      return "bad_request";
    default:
      return "limits";
  }
}

}  // namespace rotaryn::host::metrics
