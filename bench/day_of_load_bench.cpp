// A day of load: 50 profiles on in-process simulated servers whose games last two to five
// minutes, each profile with tasks due and not due that day, and a remote change arriving every
// 97 seconds, run through 24 hours of virtual time by the plug-in's own timers. The run fails
// (exit 1) when an end of game went without its game-type update or its display cut, a due task
// did not run exactly once (or one not due ran), a remote change did not leave exactly one
// admin-log line, anything was reported as failed, or the resident memory kept growing after
// hour 2. The floor, measured in the same run: the same 50 servers advanced through the same day
// in the monitor's 2-second steps without the plug-in. Prints "RATIO day_of_load <value> target
// 100".
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "bench/ratio_reporter.h"
#include "formats/exchange_codec.h"
#include "formats/windows_1252.h"
#include "host/history/match_history.h"
#include "plugin/cls_plugin.h"
#include "tests/support/plugin_fixture.h"

namespace rotaryn {
namespace {

constexpr int32_t kProfiles = 50;
constexpr int64_t kDayMs = 24LL * 3600 * 1000;
constexpr int64_t kHourMs = 3600LL * 1000;
constexpr int64_t kStepMs = 1000;
constexpr int64_t kRemoteEveryMs = 97 * 1000;
constexpr int64_t kMonitorMs = 2000;
constexpr int32_t kDisplayUnits = 2;  // Maps.ini display time: units of 5 seconds
constexpr double kLongestEndMs = kDisplayUnits * 5000 + kMonitorMs + 500;
constexpr int64_t kFlatSlackKb = 4096;  // growth allowed from hour 2 to the end of the day
constexpr double kTargetRatio = 100;
constexpr const char* kToday = "07/12/2026";
// The task timers tick half a minute into each wall minute: the day covers every minute of today.
const DateTime kStart{2026, 12, 6, 23, 59, 30};

// Lists a task loads: three stock maps, each game type differing from the one before, wrapping.
const char* const kLists[] = {
    "0[-]0[-]DMM_01E.BMS\r\n1[-]0[-]TDMM_01B.BMS\r\n8[-]0[-]FBM_01B.BMS\r\n",
    "3[-]0[-]TKHM_01B.BMS\r\n0[-]0[-]DMM_01G.BMS\r\n8[-]0[-]FBM_01E.BMS\r\n1[-]0[-]TDMM_01E."
    "BMS\r\n",
    "1[-]0[-]TDMM_01F.BMS\r\n3[-]0[-]TKHM_01E.BMS\r\n",
};

// The servers as their clients reach them: before every memory call the simulated servers catch
// up with virtual time, once per moment rather than once per call and server.
class ClockedServers final : public MemoryAccessWrapper {
 public:
  ClockedServers(std::shared_ptr<gravik::SimulatedMemory> servers, const VirtualScheduler& clock)
      : MemoryAccessWrapper(servers), servers_(std::move(servers)), clock_(clock) {}

  void sync() {
    const int64_t now = clock_.monotonicMs();
    if (now > last_) servers_->advanceAll(now - last_);
    last_ = std::max(last_, now);
  }
  int32_t ReadLong(int32_t& process, int32_t address) override {
    sync();
    return target_->ReadLong(process, address);
  }
  uint8_t ReadByte(int32_t& process, int32_t address) override {
    sync();
    return target_->ReadByte(process, address);
  }
  std::string ReadStr(int32_t& process, int32_t address) override {
    sync();
    return target_->ReadStr(process, address);
  }
  void WriteLong(int32_t& process, int32_t address, int32_t value, int16_t byteCount) override {
    sync();
    target_->WriteLong(process, address, value, byteCount);
  }
  void WriteStr(int32_t& process, int32_t address, const std::string& text) override {
    sync();
    target_->WriteStr(process, address, text);
  }
  void AddMsg(int32_t& profileIndex, int32_t& messageTarget, const std::string& command,
              bool& isAffiliate, const std::string& kind, int16_t flag) override {
    sync();
    target_->AddMsg(profileIndex, messageTarget, command, isAffiliate, kind, flag);
  }

 private:
  std::shared_ptr<gravik::SimulatedMemory> servers_;
  const VirtualScheduler& clock_;
  int64_t last_ = 0;
};

// The plug-in's event port as the host keeps it: the match history, in the day's virtual time.
class HistoryEvents final : public GameEvents {
 public:
  HistoryEvents(const std::string& root, const VirtualScheduler& clock)
      : history(host::history::historyFolderIn(root), host::history::kDefaultHistoryDays, [&clock] {
          const DateTime t = clock.now();
          const formats::CivilTime now{t.year, t.month, t.day, t.hour, t.minute, t.second};
          return host::history::Moment{now, now};
        }) {
    for (int32_t p = 1; p <= kProfiles; ++p) history.setProfileFolder(p, folderOf(p));
  }
  static std::string folderOf(int32_t p) { return "profile" + std::to_string(p); }

  void report(int32_t profile, const std::string& name, const EventFields& fields) override {
    nlohmann::json detail = nlohmann::json::object();
    for (const auto& [key, value] : fields) {
      if (const auto* text = std::get_if<std::string>(&value)) {
        detail[key] = formats::utf8FromWindows1252(*text);
      } else {
        detail[key] = std::get<int64_t>(value);
      }
    }
    const std::string problem = history.onEvent(profile, name, detail);
    if (!problem.empty()) problems.push_back(problem);
  }

  host::history::MatchHistory history;
  std::vector<std::string> problems;
};

sim::ServerOptions serverOptions(int32_t profile) {
  sim::ServerOptions options;
  options.gameLengthSeconds = 120 + (profile * 37) % 181;  // 2 to 5 minutes
  options.displayLengthSeconds = 60;
  options.loadingSeconds = 3;
  return options;
}

Variant pdatOf(const PluginFixture& host, int32_t profile) {
  const int32_t pid = 1000 + profile;
  return Variant(Variant::Array{
      "host", "DFBHD", Variant(pid), "", "", Variant(host.gameFolder(profile)), Variant(pid),
      "profile" + std::to_string(profile), "", "", "Admin" + std::to_string(profile),
      Variant(int16_t{0}), Variant(int32_t{6000}), Variant(int32_t{9000})});
}

std::string hhmm(int minute) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d:%02d", minute / 60, minute % 60);
  return text;
}

// VmRSS or VmHWM of this process, in kB; -1 when /proc does not say.
int64_t statusKb(const std::string& key) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind(key + ":", 0) == 0) return std::stoll(line.substr(key.size() + 1));
  }
  return -1;
}

struct DayFigures {
  double realSeconds = 0;
  sim::GameCounts games;
  int64_t rotationViolations = 0;
  int64_t dueTasks = 0;
  int64_t tasksRun = 0;
  std::map<std::string, int> remoteCalls;  // by method
  std::map<std::string, int> remoteDone;   // answered 1
  int64_t remoteTotal = 0;
  int64_t logLines = 0;
  int64_t historyLines = 0;
  std::vector<int64_t> rssKb;  // after each hour
  int64_t peakKb = 0;
  std::vector<std::string> failures;
};

// Everything the day runs, set up before the clock starts.
class Day {
 public:
  Day() {
    host.scratch.write("Plugins/Maps.ini", displayTimes());
    for (int32_t p = 1; p <= kProfiles; ++p) host.addProfile(p, serverOptions(p));
    events = std::make_unique<HistoryEvents>(host.scratch.path(), host.scheduler);
    plugin = std::make_unique<clsPlugin>(
        Ports{host.registry, host.files, host.scheduler, host.scheduler, host.scheduler,
              host.dialogs, nullptr, nullptr, events.get()},
        host.root() + "\\Plugins");
    servers = std::make_shared<ClockedServers>(host.memory, host.scheduler);
    plugin->module().MemoryAccess = servers;
    for (int32_t p = 1; p <= kProfiles; ++p) writeTasks(p);
    for (int32_t p = 1; p <= kProfiles; ++p) plugin->LoadInterface(p, 0, pdatOf(host, p));
    host.scheduler.setWallClock(kStart);
    start = host.scheduler.monotonicMs();
    host.files.beforeEveryCall = [this](std::string_view call, const std::string& path) {
      if (call != "ReadAll" || path.size() < 4 || path.substr(path.size() - 4) != ".mpl") return;
      ++listReads[path.substr(path.find_last_of('\\') + 1)];
    };
  }

  DayFigures run() {
    DayFigures figures;
    std::mt19937 random(18);
    int64_t nextRemote = start + 5 * 60 * 1000;
    const auto began = std::chrono::steady_clock::now();
    for (int64_t at = start + kStepMs; at <= start + kDayMs; at += kStepMs) {
      host.scheduler.advance(at - host.scheduler.monotonicMs());
      if (host.scheduler.monotonicMs() >= nextRemote) {
        remoteChange(random, figures);
        nextRemote += kRemoteEveryMs;
      }
      if ((at - start) % kHourMs == 0) {
        // The simulator's own log of client writes is a test aid, not the plug-in's memory.
        for (int32_t p = 1; p <= kProfiles; ++p) host.memory->server(1000 + p).clearClientWrites();
        figures.rssKb.push_back(statusKb("VmRSS"));
      }
    }
    servers->sync();
    figures.realSeconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
    figures.peakKb = statusKb("VmHWM");
    check(figures);
    return figures;
  }

  PluginFixture host;
  std::unique_ptr<HistoryEvents> events;
  std::unique_ptr<clsPlugin> plugin;
  std::shared_ptr<ClockedServers> servers;
  int64_t start = 0;
  std::map<std::string, int> listReads;  // list file name -> reads
  std::map<std::string, int> expectedReads;
  std::map<int32_t, std::set<int>> taskMinutes;  // per profile: minutes holding a task
  std::map<int32_t, std::vector<std::pair<int, std::string>>> pendingRemote;  // minute, section
  std::map<int32_t, int> remoteCallsOf;
  int remoteTaskFiles = 0;

 private:
  static std::string displayTimes() {
    std::string text = "[DisplayTime]\r\n";
    for (int32_t p = 1; p <= kProfiles; ++p) {
      text += "profile" + std::to_string(p) + "=" + std::to_string(kDisplayUnits) + "\r\n";
    }
    return text;
  }

  // A list file as every profile's settings folder holds it: the task runner loads from the
  // folder of the profile shown, which each remote call changes.
  void writeList(const std::string& name, int variant) {
    for (int32_t p = 1; p <= kProfiles; ++p) {
      host.scratch.write(PluginFixture::settingsFolderOnDisk(p) + "/" + name,
                         kLists[variant % std::size(kLists)]);
    }
  }

  // Three tasks due today (every day, once today, every week on today's weekday) and three not
  // (once yesterday, every week on another weekday, every day from tomorrow), each in a minute
  // of its own.
  void writeTasks(int32_t p) {
    struct Planned {
      const char* date;
      const char* frequency;
      char prefix;
      int offset;
      bool due;
    };
    const Planned planned[] = {
        {"01/11/2026", "Every Day", 'd', 0, true},
        {kToday, "Once", 'o', 480, true},
        {"30/11/2026", "Every Week", 'w', 240, true},
        {"06/12/2026", "Once", 'x', 960, false},
        {"01/12/2026", "Every Week", 'y', 720, false},
        {"08/12/2026", "Every Day", 'z', 1200, false},
    };
    std::string text;
    for (const Planned& task : planned) {
      const int minute = (p * 29 + task.offset) % 1440;
      const std::string file = std::string(1, task.prefix) + std::to_string(p) + ".mpl";
      text += "[" + std::string(task.date) + " " + hhmm(minute) + ":00]\r\nFile=" + file +
              "\r\nFrequency=" + task.frequency + "\r\n";
      writeList(file, p + task.offset);
      expectedReads[file] = task.due ? 1 : 0;
      taskMinutes[p].insert(minute);
    }
    host.scratch.write(PluginFixture::settingsFolderOnDisk(p) + "/MapTasks.ini", text);
  }

  int minuteNow() const {
    const DateTime now = host.scheduler.now();
    return now.hour * 60 + now.minute;
  }

  void remoteChange(std::mt19937& random, DayFigures& figures) {
    const int32_t p = 1 + static_cast<int32_t>(random() % kProfiles);
    const Variant pdat = pdatOf(host, p);
    const int kind = static_cast<int>(random() % 5);
    std::string method;
    int32_t answer = 0;
    if (kind == 0) {
      method = "SkipMapRem";
      answer = plugin->SkipMapRem(p, pdat);
    } else if (kind == 1) {
      method = "PlayMapRem";
      servers->sync();
      const int32_t count = host.memory->server(1000 + p).rotationCount();
      answer = plugin->PlayMapRem(p, pdat, Variant(static_cast<int32_t>(random() % count)));
    } else if (kind == 2) {
      method = "SetMapsRem";
      formats::exchange::NewRotation rotation{6, 25, 12, {}};
      rotation.rotation = {{"Mean Streets B", "TDMM_01B.BMS", 1, false},
                           {"Walled In", "DMM_01G.BMS", 0, false},
                           {"Dust Devil A", "TKHM_01G.BMS", 3, false},
                           {"Bloodball A", "FBM_01K.BMS", 8, false}};
      rotation.rotation.resize(2 + random() % 3);
      answer = plugin->SetMapsRem(p, pdat, Variant(formats::exchange::buildSetMapsData(rotation)));
    } else if (kind == 3 || pendingRemote[p].empty()) {
      // A task for later today, in a minute no other task of the profile holds.
      int minute = minuteNow() + 3 + static_cast<int>(random() % 60);
      while (taskMinutes[p].count(minute) != 0) ++minute;
      if (minute >= 1440) return;
      const std::string file = "r" + std::to_string(remoteTaskFiles++) + ".mpl";
      writeList(file, remoteTaskFiles);
      const std::string section = std::string(kToday) + " " + hhmm(minute) + ":00";
      method = "AddTaskRem";
      answer =
          plugin->AddTaskRem(p, pdat, Variant(host.memory->Enc64(section + "|" + file + "|Once")));
      taskMinutes[p].insert(minute);
      expectedReads[file] = 1;
      pendingRemote[p].push_back({minute, file});
    } else {
      // Deletes a task added remotely that is not due before the next minute.
      auto& pending = pendingRemote[p];
      auto found = std::find_if(pending.begin(), pending.end(),
                                [&](const auto& task) { return task.first > minuteNow() + 1; });
      if (found == pending.end()) return;
      method = "DeleteTaskRem";
      answer = plugin->DeleteTaskRem(
          p, pdat, Variant(std::string(kToday) + " " + hhmm(found->first) + ":00"));
      expectedReads[found->second] = 0;
      taskMinutes[p].erase(found->first);
      pending.erase(found);
    }
    ++figures.remoteCalls[method];
    if (answer == 1) ++figures.remoteDone[method];
    ++figures.remoteTotal;
    ++remoteCallsOf[p];
  }

  int64_t logLinesOf(int32_t p, const std::string& administrator, DayFigures& figures) {
    const std::filesystem::path folder = std::filesystem::path(host.scratch.path()) / "profiles" /
                                         ("profile" + std::to_string(p)) / "adminlogs";
    int64_t lines = 0;
    if (!std::filesystem::exists(folder)) return 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      std::ifstream log(entry.path());
      std::string line;
      while (std::getline(log, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        ++lines;
        if (line.front() != '[' || line.size() < administrator.size() ||
            line.compare(line.size() - administrator.size(), administrator.size(), administrator) !=
                0) {
          figures.failures.push_back("profile " + std::to_string(p) + ": admin-log line \"" + line +
                                     "\"");
        }
      }
    }
    return lines;
  }

  // The profile's history lines; each must be a whole JSON object naming the profile.
  int64_t historyLinesOf(int32_t p, DayFigures& figures) {
    const std::filesystem::path folder = std::filesystem::path(host.scratch.path()) / "logs" /
                                         "history" / HistoryEvents::folderOf(p);
    int64_t lines = 0;
    if (!std::filesystem::exists(folder)) return 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      std::ifstream file(entry.path());
      std::string line;
      while (std::getline(file, line)) {
        ++lines;
        const nlohmann::json game = nlohmann::json::parse(line, nullptr, false);
        if (!game.is_object() || game.value("profile", 0) != p || game.value("map", "").empty()) {
          figures.failures.push_back("profile " + std::to_string(p) + ": history line " + line);
        }
      }
    }
    return lines;
  }

  void check(DayFigures& figures) {
    auto fail = [&](const std::string& what) { figures.failures.push_back(what); };
    for (int32_t p = 1; p <= kProfiles; ++p) {
      const sim::ServerModel& server = host.memory->server(1000 + p);
      const sim::GameCounts& games = server.gameCounts();
      const std::string name = "profile " + std::to_string(p) + ": ";
      figures.games.ended += games.ended;
      figures.games.started += games.started;
      figures.games.wrongType += games.wrongType;
      figures.games.typeChanges += games.typeChanges;
      figures.games.typeChangesFromClient += games.typeChangesFromClient;
      figures.games.displaysCut += games.displaysCut;
      figures.games.longestEndOfGameMs =
          std::max(figures.games.longestEndOfGameMs, games.longestEndOfGameMs);
      figures.rotationViolations += server.rotationViolations();
      // The last end of the day may still be running: at most one end without its start.
      if (games.ended < 200 || games.ended - games.started > 1 || games.started > games.ended) {
        fail(name + std::to_string(games.ended) + " games ended, " + std::to_string(games.started) +
             " started");
      }
      if (games.wrongType != 0) {
        fail(name + std::to_string(games.wrongType) + " games of another type than their map");
      }
      if (games.typeChangesFromClient != games.typeChanges) {
        fail(name + std::to_string(games.typeChanges - games.typeChangesFromClient) +
             " changes of game type without the game-type update");
      }
      if (games.displaysCut < games.started || games.displaysCut > games.ended) {
        fail(name + std::to_string(games.displaysCut) + " displays cut of " +
             std::to_string(games.ended) + " ends");
      }
      if (games.longestEndOfGameMs > kLongestEndMs) {
        fail(name + "an end of game lasted " + std::to_string(games.longestEndOfGameMs) + " ms");
      }
      if (server.rotationViolations() != 0) fail(name + "rotation violations");
      // An end of game in the day's last monitor tick is not seen yet: the server still shows it.
      const int64_t history = historyLinesOf(p, figures);
      figures.historyLines += history;
      const bool endInFlight = server.state() == sim::kStateEndOfGame;
      if (history != games.ended && !(endInFlight && history == games.ended - 1)) {
        fail(name + std::to_string(games.ended) + " games ended, " + std::to_string(history) +
             " history lines");
      }
      const int64_t lines = logLinesOf(p, "Admin" + std::to_string(p), figures);
      figures.logLines += lines;
      if (lines != remoteCallsOf[p]) {
        fail(name + std::to_string(remoteCallsOf[p]) + " remote changes, " + std::to_string(lines) +
             " admin-log lines");
      }
    }
    for (const auto& [file, expected] : expectedReads) {
      const int reads = listReads.count(file) != 0 ? listReads.at(file) : 0;
      figures.dueTasks += expected;
      figures.tasksRun += std::min(reads, 1);
      if (reads != expected) {
        fail("the task of " + file + " ran " + std::to_string(reads) + " times, expected " +
             std::to_string(expected));
      }
    }
    for (const auto& [file, reads] : listReads) {
      if (expectedReads.count(file) == 0) fail(file + " was loaded by no task");
    }
    for (const auto& box : host.dialogs.boxes()) fail("box \"" + box.title + "\": " + box.text);
    for (const std::string& problem : events->problems) fail("history: " + problem);
    if (figures.rssKb.size() != 24) {
      fail("no hourly memory figures");
    } else {
      const int64_t hourTwo = figures.rssKb[1];
      const int64_t after = *std::max_element(figures.rssKb.begin() + 2, figures.rssKb.end());
      if (hourTwo <= 0 || after - hourTwo > kFlatSlackKb) {
        fail("resident memory grew from " + std::to_string(hourTwo) + " kB at hour 2 to " +
             std::to_string(after) + " kB");
      }
    }
  }
};

// The same servers advanced through the same day in the monitor's steps, with nobody reading.
void bareServersThroughTheDay() {
  gravik::SimulatedMemory servers;
  for (int32_t p = 1; p <= kProfiles; ++p) servers.addServer(1000 + p, serverOptions(p));
  for (int64_t at = 0; at < kDayMs; at += kMonitorMs) servers.advanceAll(kMonitorMs);
  benchmark::DoNotOptimize(servers.server(1001).gameCounts().ended);
}

}  // namespace
}  // namespace rotaryn

int main(int argc, char** argv) {
  using namespace rotaryn;
  benchmark::Initialize(&argc, argv);
  DayFigures figures;
  bool ran = false;
  // The day's time is that of its 24 hours, without writing the profiles' files beforehand.
  benchmark::RegisterBenchmark("DayOfLoad",
                               [&](benchmark::State& state) {
                                 for (auto _ : state) {
                                   Day day;
                                   figures = day.run();
                                   state.SetIterationTime(figures.realSeconds);
                                   ran = true;
                                 }
                               })
      ->Iterations(1)
      ->UseManualTime()
      ->Unit(benchmark::kSecond);
  benchmark::RegisterBenchmark("BareServersThroughTheDay",
                               [](benchmark::State& state) {
                                 for (auto _ : state) bareServersThroughTheDay();
                               })
      ->Iterations(1)
      ->Repetitions(3)
      ->Unit(benchmark::kSecond);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  benchmark::Shutdown();
  if (!ran) {
    std::printf("day_of_load: the day did not run\n");
    return 1;
  }

  const sim::GameCounts& games = figures.games;
  std::printf("day_of_load: %d profiles, 24 h virtual in %.1f s real\n", kProfiles,
              figures.realSeconds);
  std::printf(
      "  ends of game %lld, map starts %lld, game-type changes %lld (%lld updated by the "
      "plug-in), wrong types %lld, displays cut %lld, longest end %.1f s\n",
      static_cast<long long>(games.ended), static_cast<long long>(games.started),
      static_cast<long long>(games.typeChanges),
      static_cast<long long>(games.typeChangesFromClient), static_cast<long long>(games.wrongType),
      static_cast<long long>(games.displaysCut), games.longestEndOfGameMs / 1000);
  std::printf("  match history lines %lld\n", static_cast<long long>(figures.historyLines));
  std::printf("  tasks due %lld, run %lld; rotation violations %lld\n",
              static_cast<long long>(figures.dueTasks), static_cast<long long>(figures.tasksRun),
              static_cast<long long>(figures.rotationViolations));
  std::printf(
      "  remote changes %lld, admin-log lines %lld:", static_cast<long long>(figures.remoteTotal),
      static_cast<long long>(figures.logLines));
  for (const auto& [method, calls] : figures.remoteCalls) {
    std::printf(" %s %d (%d answered 1)", method.c_str(), calls, figures.remoteDone[method]);
  }
  std::printf("\n");
  if (figures.rssKb.size() == 24) {
    std::printf(
        "  memory: RSS %lld kB after hour 1, %lld kB after hour 2, %lld kB after hour 24, "
        "peak (VmHWM) %lld kB\n",
        static_cast<long long>(figures.rssKb[0]), static_cast<long long>(figures.rssKb[1]),
        static_cast<long long>(figures.rssKb[23]), static_cast<long long>(figures.peakKb));
  }
  for (size_t i = 0; i < figures.failures.size() && i < 20; ++i) {
    std::printf("  FAILED: %s\n", figures.failures[i].c_str());
  }
  if (figures.failures.size() > 20) {
    std::printf("  ... %zu failures in all\n", figures.failures.size());
  }

  // Both benchmarks report in seconds.
  const double day = reporter.fastestNs["DayOfLoad"];
  const double bare = reporter.fastestNs["BareServersThroughTheDay"];
  if (day > 0 && bare > 0) {
    std::printf("day_of_load: %.1f s real per simulated day, the bare servers %.2f s\n", day, bare);
    std::printf("RATIO day_of_load %.1f target %.0f\n", day / bare, kTargetRatio);
  }
  return figures.failures.empty() && day > 0 && bare > 0 ? 0 : 1;
}
