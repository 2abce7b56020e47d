// The match history as the plug-in's events build it: one whole line per game, how it ended and
// who ended it, the start as the game began, the retention, and the dates a request may ask for.
#include "host/history/match_history.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>
#include <fstream>
#include <vector>

namespace rotaryn::host::history {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

class MatchHistoryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = fs::temp_directory_path() /
             ("rotaryn-history-" + std::to_string(::getpid()) + "-" +
              ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(folder);
  }
  void TearDown() override { fs::remove_all(folder); }

  MatchHistory make(int keepDays = 90) {
    MatchHistory history(folder.string(), keepDays, [this] { return Moment{clock, utc()}; });
    history.setProfileFolder(2, "beta");
    return history;
  }
  formats::CivilTime utc() const { return formats::addSeconds(clock, -3600); }
  void later(int seconds) { clock = formats::addSeconds(clock, seconds); }
  std::vector<json> lines() const {
    return readHistory(folder.string(), "beta", {2000, 1, 1}, {2100, 1, 1});
  }

  fs::path folder;
  formats::CivilTime clock{2026, 12, 7, 21, 30, 0};
};

json game(const char* map, int position) {
  return json{{"map", map},
              {"mission", std::string(map) + ".BMS"},
              {"gameType", 1},
              {"position", position}};
}

TEST_F(MatchHistoryTest, OneLinePerGameWithHowItEndedAndWho) {
  MatchHistory history = make();
  // Monitoring begins during a game: its start is unknown.
  history.onEvent(2, "game_started", game("A", 0));
  later(60);
  EXPECT_EQ(history.onEvent(2, "game_ended", game("A", 0)), "");
  later(10);
  history.onEvent(2, "game_started", game("B", 1));
  later(100);
  history.onEvent(2, "game_command", {{"kind", "play"}, {"origin", "remote"}, {"admin", "x"}});
  history.onEvent(2, "game_command", {{"kind", "skip"}, {"origin", "remote"}, {"admin", "Ann"}});
  // A play-next moved the position the end reads: the start's view wins.
  history.onEvent(2, "game_ended", game("B", 5));
  later(10);
  history.onEvent(2, "game_started", game("C", 2));
  history.onEvent(2, "game_command", {{"kind", "score"}, {"origin", "window"}});
  later(30);
  history.onEvent(2, "game_ended", game("C", 2));
  history.onEvent(9, "game_ended", game("X", 0));  // a profile without a folder: dropped

  const std::vector<json> got = lines();
  ASSERT_EQ(got.size(), 3u);
  EXPECT_TRUE(got[0]["startLocal"].is_null());
  EXPECT_EQ(got[0]["ended"], "on its own");
  EXPECT_TRUE(got[0]["admin"].is_null());
  EXPECT_EQ(got[1]["map"], "B");
  EXPECT_EQ(got[1]["position"], 1);
  EXPECT_EQ(got[1]["startLocal"], "2026-12-07T21:31:10");
  EXPECT_EQ(got[1]["startUtc"], "2026-12-07T20:31:10Z");
  EXPECT_EQ(got[1]["endLocal"], "2026-12-07T21:32:50");
  EXPECT_EQ(got[1]["ended"], "skipped");
  EXPECT_EQ(got[1]["admin"], "Ann");
  EXPECT_EQ(got[2]["ended"], "scored");
  EXPECT_TRUE(got[2]["admin"].is_null());
  EXPECT_EQ(history.linesWritten(), 3);

  // The day's file is kept open between games: removed, the next game makes it again; a new
  // day goes to its own file. Quotes, backslashes, control characters and non-ASCII in a name
  // come back as they went in.
  fs::remove_all(folder / "beta");
  const std::string odd = "D \"q\" \\ \x01\t\u00e9";
  history.onEvent(2, "game_ended", game(odd.c_str(), 3));
  later(24 * 3600);
  history.onEvent(2, "game_ended", game("E", 4));
  const std::vector<json> after = lines();
  ASSERT_EQ(after.size(), 2u);
  EXPECT_EQ(after[0]["map"], odd);
  EXPECT_EQ(after[0]["mission"], odd + ".BMS");
  EXPECT_EQ(after[1]["map"], "E");
  EXPECT_TRUE(fs::exists(folder / "beta" / "2026-12-08.jsonl"));
}

TEST_F(MatchHistoryTest, FilesOlderThanTheDaysKeptGoAndNoneAreWrittenWhenOff) {
  fs::create_directories(folder / "beta");
  for (const char* name : {"2026-09-07.jsonl", "2026-09-08.jsonl", "notes.txt"}) {
    std::ofstream(folder / "beta" / name) << "{}\n";
  }
  MatchHistory history = make(90);
  EXPECT_EQ(history.prune(), "");
  EXPECT_FALSE(fs::exists(folder / "beta" / "2026-09-07.jsonl"));
  EXPECT_TRUE(fs::exists(folder / "beta" / "2026-09-08.jsonl"));
  EXPECT_TRUE(fs::exists(folder / "beta" / "notes.txt"));

  // Kept, the day's file is made as monitoring starts; off, nothing is made.
  EXPECT_TRUE(fs::exists(folder / "beta" / "2026-12-07.jsonl"));
  MatchHistory off(folder.string(), 0, [this] { return Moment{clock, utc()}; });
  off.setProfileFolder(3, "gamma");
  off.onEvent(3, "game_started", game("A", 0));
  off.onEvent(3, "game_ended", game("A", 0));
  EXPECT_FALSE(fs::exists(folder / "gamma"));
}

TEST_F(MatchHistoryTest, AFailedAppendIsReportedAndLeavesNoHalfLine) {
  fs::create_directories(folder / "beta");
  const fs::path file = folder / "beta" / "2026-12-07.jsonl";
  ASSERT_EQ(appendLine(file.string(), "{\"a\":1}"), "");
  // A file-size limit 5 bytes past the end: the write comes up short and is cut back.
  struct sigaction ignore {};
  struct sigaction before {};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGXFSZ, &ignore, &before);
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = fs::file_size(file) + 5;
  ::setrlimit(RLIMIT_FSIZE, &small);
  const std::string problem = appendLine(file.string(), "{\"b\":\"a longer line\"}");
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::sigaction(SIGXFSZ, &before, nullptr);
  EXPECT_NE(problem.find("short write"), std::string::npos) << problem;
  std::ifstream in(file);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "{\"a\":1}\n");

  // A day's file that cannot be opened: said, and the next game is written again.
  fs::create_directories(folder / "beta" / "2026-12-08.jsonl");
  clock = {2026, 12, 8, 10, 0, 0};
  MatchHistory history = make();
  history.onEvent(2, "game_started", game("A", 0));
  EXPECT_NE(history.onEvent(2, "game_ended", game("A", 0)).find("cannot open"), std::string::npos);
  EXPECT_EQ(history.linesWritten(), 0);
}

TEST(HistoryRange, QueriesGiveADayRangeOrWhyNot) {
  const formats::CivilTime today{2026, 12, 7, 21, 40, 0};
  struct Case {
    const char* query;
    const char* from;  // nullptr: refused
    const char* to;
  };
  const Case cases[] = {
      {"", "2026-12-07", "2026-12-07"},
      {"from=2026-12-01", "2026-12-01", "2026-12-07"},
      {"from=2026-11-01&to=2026-11-30", "2026-11-01", "2026-11-30"},
      {"to=2026-11-30", "2026-11-30", "2026-11-30"},
      {"from=2026-02-30", nullptr, nullptr},
      {"from=2026-12-08&to=2026-12-01", nullptr, nullptr},
      {"from=2020-01-01", nullptr, nullptr},
      {"from=2026-12-01&from=2026-12-02", nullptr, nullptr},
      {"since=2026-12-01", nullptr, nullptr},
      {"from=2026-12-01T00:00:00", nullptr, nullptr},
  };
  for (const Case& c : cases) {
    const HistoryRange range = parseHistoryRange(c.query, today);
    if (c.from == nullptr) {
      EXPECT_FALSE(range.problem.empty()) << c.query;
      continue;
    }
    EXPECT_EQ(range.problem, "") << c.query;
    EXPECT_EQ(dateText(range.from), c.from) << c.query;
    EXPECT_EQ(dateText(range.to), c.to) << c.query;
  }
}

}  // namespace
}  // namespace rotaryn::host::history
