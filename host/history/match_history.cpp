#include "host/history/match_history.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>

namespace rotaryn::host::history {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

formats::CivilTime civilOf(const std::tm& t) {
  return formats::CivilTime{t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                            t.tm_hour,        t.tm_min,     t.tm_sec};
}

std::string localText(const formats::CivilTime& when) {
  std::string text = formats::formatCivilTime(when);
  text[10] = 'T';
  return text;
}

std::string utcText(const formats::CivilTime& when) {
  return localText(when) + "Z";
}

// A folder name that stays inside the history folder.
bool safeFolder(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

}  // namespace

Moment systemMoment() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  std::tm utc{};
  localtime_r(&now, &local);
  gmtime_r(&now, &utc);
  return Moment{civilOf(local), civilOf(utc)};
}

std::string historyFolderIn(const std::string& rootPosix) {
  return rootPosix + "/logs/history";
}

std::string dateText(const formats::CivilTime& when) {
  return formats::formatCivilTime(when).substr(0, 10);
}

std::optional<formats::CivilTime> parseDate(std::string_view text) {
  if (text.size() != 10) return std::nullopt;
  return formats::parseCivilTime(text);
}

std::string appendLine(const std::string& path, const std::string& line) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return "cannot open " + path + ": " + std::strerror(errno);
  std::string problem = appendLine(fd, path, line);
  ::close(fd);
  return problem;
}

std::string appendLine(int fd, const std::string& path, const std::string& line) {
  const std::string text = line + "\n";
  struct stat before {};
  const bool sized = ::fstat(fd, &before) == 0;
  const ssize_t written = ::write(fd, text.data(), text.size());
  std::string problem;
  if (written != static_cast<ssize_t>(text.size())) {
    problem = "cannot write " + path + ": " +
              (written < 0 ? std::strerror(errno) : std::string("short write"));
    // Nothing of the line stays: a reader never meets half of one.
    if (written > 0 && sized && ::ftruncate(fd, before.st_size) != 0) {
      problem += "; the partial line could not be removed";
    }
  }
  return problem;
}

MatchHistory::MatchHistory(std::string folderPosix, int keepDays, Now now)
    : folder_(std::move(folderPosix)), keepDays_(keepDays), now_(std::move(now)) {}

void MatchHistory::setProfileFolder(int32_t profile, std::string folder) {
  if (safeFolder(folder)) profileFolders_[profile] = std::move(folder);
}

std::string MatchHistory::onEvent(int32_t profile, std::string_view name, const json& detail) {
  if (!enabled()) return "";
  auto folder = profileFolders_.find(profile);
  if (folder == profileFolders_.end()) return "";
  if (name == "game_started") {
    // The first game seen after monitoring began may have started long before.
    const bool firstSeen = running_.count(profile) == 0;
    Game game;
    if (!firstSeen) game.start = now_();
    game.detail = detail;
    running_[profile] = std::move(game);
    return "";
  }
  if (name == "game_command") {
    const std::string kind = detail.value("kind", "");
    if (kind != "skip" && kind != "score") return "";
    Game& game = running_[profile];
    game.ended = kind == "skip" ? "skipped" : "scored";
    game.admin = detail.value("admin", "");
    return "";
  }
  if (name != "game_ended") return "";
  Game game = std::move(running_[profile]);
  // The next game's start is known from now on.
  running_[profile] = Game{};
  running_[profile].detail = json::object();
  return finish(profile, folder->second, std::move(game), detail);
}

std::string MatchHistory::finish(int32_t profile, const std::string& folder, Game game,
                                 const json& endDetail) {
  const Moment end = now_();
  std::string problem = pruneIfNewDay();
  // The start's view of the game wins: a play-next during the game moves the rotation position
  // the end would read.
  // An end seen only after it (the next map loading) names no map: the game is the one started.
  const bool sameGame = game.detail.is_object() &&
                        (!endDetail.contains("map") ||
                         game.detail.value("map", "") == endDetail.value("map", std::string("?")));
  const json& seen = sameGame ? game.detail : endDetail;
  // In the order a reader scans a line: what was played, when, how it ended.
  nlohmann::ordered_json line = nlohmann::ordered_json::object();
  line["profile"] = profile;
  line["map"] = seen.value("map", "");
  line["mission"] = seen.value("mission", "");
  line["gameType"] = seen.value("gameType", -1);
  line["position"] = seen.value("position", -1);
  if (game.start && sameGame) {
    line["startLocal"] = localText(game.start->local);
    line["startUtc"] = utcText(game.start->utc);
  } else {
    line["startLocal"] = nullptr;
    line["startUtc"] = nullptr;
  }
  line["endLocal"] = localText(end.local);
  line["endUtc"] = utcText(end.utc);
  line["ended"] = game.ended;
  line["admin"] =
      game.admin.empty() ? nlohmann::ordered_json(nullptr) : nlohmann::ordered_json(game.admin);
  const fs::path dir = fs::path(folder_) / folder;
  const std::string path = (dir / (dateText(end.local) + ".jsonl")).string();
  std::string opened;
  const int fd = files_[profile].open(path, 0644, opened);
  if (fd < 0) return opened;
  const std::string written = appendLine(
      fd, path, line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace));
  if (written.empty()) ++linesWritten_;
  return written.empty() ? problem : written;
}

std::string MatchHistory::pruneIfNewDay() {
  if (prunedOn_ && dateText(*prunedOn_) == dateText(now_().local)) return "";
  return prune();
}

std::string MatchHistory::prune() {
  if (!enabled()) return "";
  const Moment now = now_();
  prunedOn_ = now.local;
  formats::CivilTime today = now.local;
  today.hour = today.minute = today.second = 0;
  const std::string oldest = dateText(formats::addSeconds(today, -int64_t{keepDays_} * 86400));
  std::error_code error;
  std::string problem;
  for (const auto& profile : fs::directory_iterator(folder_, error)) {
    std::error_code inner;
    for (const auto& file : fs::directory_iterator(profile.path(), inner)) {
      const std::string name = file.path().filename().string();
      if (name.size() != 16 || name.substr(10) != ".jsonl" || !parseDate(name.substr(0, 10))) {
        continue;
      }
      if (name.substr(0, 10) >= oldest) continue;
      std::error_code removed;
      if (!fs::remove(file.path(), removed) && removed) {
        problem = "cannot remove " + file.path().string() + ": " + removed.message();
      }
    }
  }
  return problem;
}

HistoryRange parseHistoryRange(std::string_view query, const formats::CivilTime& today) {
  HistoryRange range;
  std::optional<std::string_view> from;
  std::optional<std::string_view> to;
  while (!query.empty()) {
    const size_t end = std::min(query.find('&'), query.size());
    const std::string_view item = query.substr(0, end);
    query.remove_prefix(std::min(end + 1, query.size()));
    if (item.empty()) continue;
    const size_t equals = item.find('=');
    const std::string_view key = item.substr(0, equals);
    const std::string_view value =
        equals == std::string_view::npos ? std::string_view() : item.substr(equals + 1);
    std::optional<std::string_view>* slot = key == "from" ? &from : key == "to" ? &to : nullptr;
    if (slot == nullptr) {
      range.problem = "the history takes from and to, not \"" + std::string(key) + "\"";
      return range;
    }
    if (slot->has_value()) {
      range.problem = std::string(key) + " is given twice";
      return range;
    }
    *slot = value;
  }
  formats::CivilTime day = today;
  day.hour = day.minute = day.second = 0;
  const std::optional<formats::CivilTime> toDate = to ? parseDate(*to) : day;
  const std::optional<formats::CivilTime> fromDate = from ? parseDate(*from) : toDate;
  if (!fromDate || !toDate) {
    range.problem = "from and to are dates: yyyy-mm-dd";
  } else if (*fromDate > *toDate) {
    range.problem = "from comes after to";
  } else if (formats::addSeconds(*fromDate, int64_t{kMaxRangeDays} * 86400) < *toDate) {
    range.problem = "one request reads at most " + std::to_string(kMaxRangeDays) + " days";
  } else {
    range.from = *fromDate;
    range.to = *toDate;
  }
  return range;
}

std::vector<json> readHistory(const std::string& folderPosix, const std::string& profileFolder,
                              const formats::CivilTime& from, const formats::CivilTime& to) {
  std::vector<json> games;
  if (!safeFolder(profileFolder)) return games;
  std::error_code error;
  std::vector<std::string> names;
  for (const auto& file : fs::directory_iterator(fs::path(folderPosix) / profileFolder, error)) {
    const std::string name = file.path().filename().string();
    if (name.size() != 16 || name.substr(10) != ".jsonl") continue;
    const std::optional<formats::CivilTime> date = parseDate(name.substr(0, 10));
    if (date && *date >= from && *date <= to) names.push_back(file.path().string());
  }
  std::sort(names.begin(), names.end());
  for (const std::string& path : names) {
    std::ifstream in(path);
    std::string text;
    while (std::getline(in, text)) {
      json game = json::parse(text, nullptr, false);
      if (game.is_object()) games.push_back(std::move(game));
    }
  }
  return games;
}

}  // namespace rotaryn::host::history
