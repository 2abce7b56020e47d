#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/civil_time.h"
#include "host/history/kept_file.h"

// The match history: one JSON line per game of each monitored profile, in
// ROOT/logs/history/<profile folder>/<yyyy-mm-dd>.jsonl (the local date the game ended). Free of
// Qt, so that benchmarks that drive the plug-in in-process keep the same history.
namespace rotaryn::host::history {

inline constexpr int kDefaultHistoryDays = 90;

// One moment, as the wall clock shows it and in UTC.
struct Moment {
  formats::CivilTime local;
  formats::CivilTime utc;
};

// The system's clock.
Moment systemMoment();

// "ROOT/logs/history".
std::string historyFolderIn(const std::string& rootPosix);

class MatchHistory {
 public:
  using Now = std::function<Moment()>;

  // keepDays 0: no history is kept (nothing is written or removed).
  MatchHistory(std::string folderPosix, int keepDays, Now now);

  bool enabled() const { return keepDays_ > 0; }
  // The profile's folder name (UTF-8, as the system names it); events of profiles without one
  // are dropped. The folder and the day's file are made now, so that a game's end only appends.
  void setProfileFolder(int32_t profile, std::string folder);

  // One event of the plug-in (game_started, game_ended, game_command; others are ignored).
  // Returns why a line could not be written; empty when it was, or none was due.
  std::string onEvent(int32_t profile, std::string_view name, const nlohmann::json& detail);

  // Removes the files older than the days kept; also done by onEvent when the local date
  // changed since. Returns what could not be removed, empty when all went.
  std::string prune();
  // prune() when the local date changed since the last one (a host checks every hour).
  std::string pruneIfNewDay();

  int64_t linesWritten() const { return linesWritten_; }

 private:
  // What a game_started or game_ended event says of the game.
  struct Seen {
    bool known = false;  // false: no event described the game
    std::string map, mission;
    int64_t gameType = -1, position = -1;
  };
  struct Game {
    std::optional<Moment> start;  // none: the game ran before monitoring began
    Seen seen;
    std::string ended = "on its own";
    std::string admin;
  };
  // A profile's file of the day, kept open between its games.
  struct DayFile {
    formats::CivilTime day{0, 0, 0};
    std::string path;
    KeptAppendFile file;
  };
  static Seen seenIn(const nlohmann::json& detail);
  std::string finish(int32_t profile, const std::string& folder, Game game,
                     const nlohmann::json& endDetail);
  std::string pruneIfNewDay(const formats::CivilTime& now);
  // The profile's file of that day, opened (made) when it is not the one held; -1 and why.
  int dayFile(int32_t profile, const std::string& folder, const formats::CivilTime& day,
              std::string& problem);

  std::string folder_;
  int keepDays_;
  Now now_;
  std::map<int32_t, std::string> profileFolders_;
  std::map<int32_t, Game> running_;
  std::optional<formats::CivilTime> prunedOn_;
  int64_t linesWritten_ = 0;
  std::map<int32_t, DayFile> files_;
};

// Appends the line and its newline to the file in one writev(2); a short write is undone, so the
// file never holds half a line. Returns why it failed, empty when it worked.
std::string appendLine(const std::string& path, std::string_view line);
// The same on an open file (O_APPEND); path names it in the message.
std::string appendLine(int fd, const std::string& path, std::string_view line);

// "yyyy-mm-dd" of a moment, and that text parsed (nullopt for anything else).
std::string dateText(const formats::CivilTime& when);
std::optional<formats::CivilTime> parseDate(std::string_view text);

// The dates a history request asks for: its query "from=yyyy-mm-dd&to=yyyy-mm-dd" (to defaults to
// today, from to to), at most kMaxRangeDays apart, from not after to. A key other than from and
// to, a repeated key or a date that is not yyyy-mm-dd gives why in `problem`.
inline constexpr int kMaxRangeDays = 366;
struct HistoryRange {
  formats::CivilTime from, to;
  std::string problem;  // empty when the range is good
};
HistoryRange parseHistoryRange(std::string_view query, const formats::CivilTime& today);

// The games of a profile folder whose file dates lie from `from` to `to` (both "yyyy-mm-dd",
// inclusive), oldest first. A line that is not a JSON object is skipped.
std::vector<nlohmann::json> readHistory(const std::string& folderPosix,
                                        const std::string& profileFolder,
                                        const formats::CivilTime& from,
                                        const formats::CivilTime& to);

}  // namespace rotaryn::host::history
