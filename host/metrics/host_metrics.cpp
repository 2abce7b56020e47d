#include "host/metrics/host_metrics.h"

#include <fcntl.h>
#include <prometheus/counter.h>
#include <prometheus/family.h>
#include <prometheus/gauge.h>
#include <prometheus/histogram.h>
#include <prometheus/registry.h>
#include <prometheus/text_serializer.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>

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

// "size resident ..." in pages; read with plain calls, a stream costs more than the read itself.
double residentBytes() {
  const int fd = ::open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return 0;
  char text[128];
  const ssize_t got = ::read(fd, text, sizeof text - 1);
  ::close(fd);
  if (got <= 0) return 0;
  text[got] = '\0';
  long pages = 0;
  long resident = 0;
  if (std::sscanf(text, "%ld %ld", &pages, &resident) != 2) return 0;
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
        cpuSeconds(counter(r, "rotaryn_cpu_seconds_total", "User and system CPU time of the host")),
        cpu(cpuSeconds.Add({})),
        texts{{&gameState},      {&serverUp},    {&rotationLength}, {&gamesEnded},   {&displayCuts},
              {&rotationWrites}, {&tasksRun},    {&tasksFailed},    {&gameCommands}, {&apiRequests},
              {&apiRefused},     {&pluginCalls}, {&resident},       {&cpuSeconds}} {}

  // A family's text as last serialized; stale once a series of it changed.
  struct Text {
    const prometheus::Collectable* family;
    std::string text;
    bool stale = true;
  };
  void changed(const prometheus::Collectable& family) {
    for (Text& t : texts) {
      if (t.family == &family) t.stale = true;
    }
  }

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
  Family<Counter>& cpuSeconds;
  Counter& cpu;
  std::vector<Text> texts;
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
  // A new profile adds series to most families.
  for (Families::Text& t : f.texts) t.stale = true;
  profiles_.emplace(index, std::move(p));
}

HostMetrics::Profile& HostMetrics::profile(int32_t index) {
  if (profiles_.count(index) == 0) setProfile(index, "", "unknown");
  return *profiles_.at(index);
}

void HostMetrics::set(Gauge& gauge, Family<Gauge>& family, double value) {
  if (gauge.Value() == value) return;
  gauge.Set(value);
  families_->changed(family);
}

void HostMetrics::increment(Counter& counter, Family<Counter>& family) {
  counter.Increment();
  families_->changed(family);
}

void HostMetrics::onEvent(int32_t index, std::string_view name, const nlohmann::json& detail) {
  Profile& p = profile(index);
  Families& f = *families_;
  if (detail.contains("rotationLength") && detail["rotationLength"].is_number()) {
    set(*p.rotationLength, f.rotationLength, detail["rotationLength"].get<double>());
  }
  if (name == "game_ended") {
    increment(*p.gamesEnded, f.gamesEnded);
  } else if (name == "game_state") {
    set(*p.gameState, f.gameState, detail.value("state", -1));
    set(*p.serverUp, f.serverUp, 1);
  } else if (name == "server_lost") {
    set(*p.gameState, f.gameState, -1);
    set(*p.serverUp, f.serverUp, 0);
  } else if (name == "display_cut") {
    increment(*p.displayCuts, f.displayCuts);
  } else if (name == "task_run") {
    increment(*p.tasksRun, f.tasksRun);
  } else if (name == "task_failed") {
    increment(*p.tasksFailed, f.tasksFailed);
  } else if (name == "rotation_write") {
    increment(f.rotationWrites.Add(with(p.labels, "origin", detail.value("origin", "unknown"))),
              f.rotationWrites);
  } else if (name == "game_command") {
    Labels labels = with(p.labels, "kind", detail.value("kind", "unknown"));
    increment(
        f.gameCommands.Add(with(std::move(labels), "origin", detail.value("origin", "unknown"))),
        f.gameCommands);
  }
}

void HostMetrics::setServerState(int32_t index, std::optional<int32_t> state,
                                 std::optional<int32_t> rotationLength) {
  Profile& p = profile(index);
  Families& f = *families_;
  set(*p.serverUp, f.serverUp, state ? 1 : 0);
  set(*p.gameState, f.gameState, state ? *state : -1);
  if (rotationLength) set(*p.rotationLength, f.rotationLength, *rotationLength);
}

void HostMetrics::apiRequest(const std::string& operation, int status) {
  increment(
      families_->apiRequests.Add({{"operation", operation}, {"status", std::to_string(status)}}),
      families_->apiRequests);
}

void HostMetrics::apiRefused(const std::string& reason) {
  increment(families_->apiRefused.Add({{"reason", reason}}), families_->apiRefused);
}

void HostMetrics::pluginCall(const std::string& operation, double seconds) {
  static const Histogram::BucketBoundaries kBuckets{0.0005, 0.001, 0.0025, 0.005, 0.01, 0.025,
                                                    0.05,   0.1,   0.25,   0.5,   1,    2.5};
  families_->pluginCalls.Add({{"operation", operation}}, kBuckets).Observe(seconds);
  families_->changed(families_->pluginCalls);
}

std::string HostMetrics::scrape() {
  Families& f = *families_;
  set(f.resident.Add({}), f.resident, residentBytes());
  const double cpu = cpuSeconds();
  if (cpu > cpuSecondsSeen_) {
    f.cpu.Increment(cpu - cpuSecondsSeen_);
    f.changed(f.cpuSeconds);
    cpuSecondsSeen_ = cpu;
  }
  // Only the families that changed since the last scrape are collected and serialized again:
  // most series (reachability, tasks, rotation length) stand still between scrapes.
  const prometheus::TextSerializer serializer;
  size_t size = 0;
  for (Families::Text& t : f.texts) {
    if (t.stale) {
      t.text = serializer.Serialize(t.family->Collect());
      t.stale = false;
    }
    size += t.text.size();
  }
  std::string text;
  text.reserve(size);
  for (const Families::Text& t : f.texts) text += t.text;
  return text;
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
