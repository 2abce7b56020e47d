#include "host/history/match_history.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>

#include "host/history/wall_clock.h"

namespace rotaryn::host::history {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

bool sameDay(const formats::CivilTime& a, const formats::CivilTime& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day;
}

// A folder name that stays inside the history folder.
bool safeFolder(const std::string& name) {
  return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
         name.find('\0') == std::string::npos;
}

}  // namespace

Moment systemMoment() {
  const WallClock now = wallClockNow();
  std::tm utc{};
  gmtime_r(&now.at.tv_sec, &utc);
  return Moment{civilTimeOf(now.local), civilTimeOf(utc)};
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

std::string appendLine(const std::string& path, std::string_view line) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) return "cannot open " + path + ": " + std::strerror(errno);
  std::string problem = appendLine(fd, path, line);
  ::close(fd);
  return problem;
}

std::string appendLine(int fd, const std::string& path, std::string_view line) {
  char newline = '\n';
  const iovec parts[2] = {{const_cast<char*>(line.data()), line.size()}, {&newline, 1}};
  const ssize_t whole = static_cast<ssize_t>(line.size() + 1);
  const ssize_t written = ::writev(fd, parts, 2);
  if (written == whole) return "";
  std::string problem = "cannot write " + path + ": " +
                        (written < 0 ? std::strerror(errno) : std::string("short write"));
  // Nothing of the line stays: a reader never meets half of one. Appending, the part written
  // is the end of the file.
  struct stat after {};
  if (written > 0 && (::fstat(fd, &after) != 0 || ::ftruncate(fd, after.st_size - written) != 0)) {
    problem += "; the partial line could not be removed";
  }
  return problem;
}

MatchHistory::MatchHistory(std::string folderPosix, int keepDays, Now now)
    : folder_(std::move(folderPosix)), keepDays_(keepDays), now_(std::move(now)) {}

void MatchHistory::setProfileFolder(int32_t profile, std::string folder) {
  if (!safeFolder(folder)) return;
  if (enabled()) {
    // The day's file is made, folder and all, as monitoring starts, not at the first game's end.
    // One that cannot be made now is tried again, and reported, then.
    std::string problem;
    dayFile(profile, folder, now_().local, problem);
  }
  profileFolders_[profile] = std::move(folder);
}

int MatchHistory::dayFile(int32_t profile, const std::string& folder, const formats::CivilTime& day,
                          std::string& problem) {
  DayFile& file = files_[profile];
  if (!sameDay(file.day, day) || file.path.empty()) {
    file.day = day;
    file.path = (fs::path(folder_) / folder / (dateText(day) + ".jsonl")).string();
  }
  return file.file.open(file.path, 0644, problem);
}

namespace {

std::string stringIn(const json& detail, const char* key) {
  auto found = detail.find(key);
  return found != detail.end() && found->is_string() ? found->get<std::string>() : "";
}

int64_t numberIn(const json& detail, const char* key) {
  auto found = detail.find(key);
  return found != detail.end() && found->is_number() ? found->get<int64_t>() : -1;
}

// A JSON string, as the library writes one (bytes that are not UTF-8 replaced).
void appendQuoted(std::string& out, std::string_view text) {
  out += json(text).dump(-1, ' ', false, json::error_handler_t::replace);
}

// "yyyy-mm-ddThh:mm:ss", with a "Z" for UTC, quoted.
void appendTime(std::string& out, const formats::CivilTime& when, bool utc) {
  std::string text = formats::formatCivilTime(when);
  text[10] = 'T';
  out += '"';
  out += text;
  if (utc) out += 'Z';
  out += '"';
}

}  // namespace

MatchHistory::Seen MatchHistory::seenIn(const json& detail) {
  return Seen{true, stringIn(detail, "map"), stringIn(detail, "mission"),
              numberIn(detail, "gameType"), numberIn(detail, "position")};
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
    game.seen = seenIn(detail);
    running_[profile] = std::move(game);
    return "";
  }
  if (name == "game_command") {
    const std::string kind = stringIn(detail, "kind");
    if (kind != "skip" && kind != "score") return "";
    Game& game = running_[profile];
    game.ended = kind == "skip" ? "skipped" : "scored";
    game.admin = stringIn(detail, "admin");
    return "";
  }
  if (name != "game_ended") return "";
  Game game = std::move(running_[profile]);
  // The next game's start is known from now on.
  running_[profile] = Game{};
  running_[profile].seen.known = true;
  return finish(profile, folder->second, std::move(game), detail);
}

std::string MatchHistory::finish(int32_t profile, const std::string& folder, Game game,
                                 const json& endDetail) {
  const Moment end = now_();
  std::string problem = pruneIfNewDay(end.local);
  // The start's view of the game wins: a play-next during the game moves the rotation position
  // the end would read.
  // An end seen only after it (the next map loading) names no map: the game is the one started.
  const auto endMap = endDetail.find("map");
  const bool sameGame = game.seen.known && (endMap == endDetail.end() ||
                                            (endMap->is_string() && *endMap == game.seen.map));
  const Seen seen = sameGame ? std::move(game.seen) : seenIn(endDetail);
  // In the order a reader scans a line: what was played, when, how it ended.
  std::string line = "{\"profile\":" + std::to_string(profile) + ",\"map\":";
  appendQuoted(line, seen.map);
  line += ",\"mission\":";
  appendQuoted(line, seen.mission);
  line += ",\"gameType\":" + std::to_string(seen.gameType) +
          ",\"position\":" + std::to_string(seen.position) + ",\"startLocal\":";
  if (game.start && sameGame) {
    appendTime(line, game.start->local, false);
    line += ",\"startUtc\":";
    appendTime(line, game.start->utc, true);
  } else {
    line += "null,\"startUtc\":null";
  }
  line += ",\"endLocal\":";
  appendTime(line, end.local, false);
  line += ",\"endUtc\":";
  appendTime(line, end.utc, true);
  line += ",\"ended\":";
  appendQuoted(line, game.ended);
  line += ",\"admin\":";
  if (game.admin.empty()) {
    line += "null";
  } else {
    appendQuoted(line, game.admin);
  }
  line += '}';

  std::string opened;
  const int fd = dayFile(profile, folder, end.local, opened);
  if (fd < 0) return opened;
  const std::string written = appendLine(fd, files_[profile].path, line);
  if (written.empty()) ++linesWritten_;
  return written.empty() ? problem : written;
}

std::string MatchHistory::pruneIfNewDay() {
  return pruneIfNewDay(now_().local);
}

std::string MatchHistory::pruneIfNewDay(const formats::CivilTime& now) {
  if (prunedOn_ && sameDay(*prunedOn_, now)) return "";
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
