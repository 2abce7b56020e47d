#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "formats/game_names.h"
#include "sim/model/rotation_file.h"
#include "sim/model/server_layout.h"
#include "sim/model/server_memory.h"

namespace rotaryn::sim {

using formats::kStateBetweenGames;
using formats::kStateEndOfGame;
using formats::kStateRunning;
using formats::kStateRunningToo;

struct ServerOptions {
  ServerBuild build = ServerBuild::kStandard;
  std::string resourcePack = kBasePack;
  std::vector<RotationEntry> rotation = defaultRotation();
  int32_t startPosition = 0;  // rotation entry playing at start
  int32_t initialState = kStateRunning;
  double gameLengthSeconds = 0;      // 0: a game runs until "resetgames"
  double displayLengthSeconds = 60;  // end-of-game display; RestartTmr starts at this x 62
  double loadingSeconds = 3;         // time in state 1 between games
  double speed = 1;                  // server seconds per elapsed second
  // The server's own limits: MaxKills and KothLimit of the standard build, and what both
  // builds enforce at the start of a game (the affiliate build has no field for them).
  int32_t maxKills = 30;
  int32_t kothLimit = 10;
  // Whether advance() consumes console commands from the mailbox. A test that wants to look
  // at the mailbox after AddMsg turns it off.
  bool consumeCommands = true;
  // A slow server: a command waits in the mailbox until clients have read the server's memory
  // this many times while it was there (ServerModel::clientRead). 0: the next advance() takes it.
  int32_t commandDelayReads = 0;
  // Points per server second the leading side scores while a game runs; the game ends when the
  // score reaches the active limit of its type. 0: nobody scores.
  double scoringRate = 0;
};

// What the server found wrong with one rotation entry when it started a map.
struct RotationViolation {
  int32_t entry = 0;  // k; -1 when the two count fields differ
  std::string what;
  bool operator==(const RotationViolation&) const = default;
};

// One write a client made to the server's memory (ServerModel::clientWrite).
struct ClientWrite {
  uint32_t address = 0;
  std::string bytes;  // as written: a long's lowest bytes little-endian, a text with its NUL

  size_t size() const { return bytes.size(); }
  // The bytes as a little-endian integer, a 4-byte one signed: what WriteLong was given, cut to
  // its byte count. Only meaningful for 1 to 4 bytes.
  int64_t number() const;
  // The bytes up to the first NUL: what WriteStr was given.
  std::string text() const;
  bool operator==(const ClientWrite&) const = default;
};

// What a server saw of its games, for long runs that must miss no end of game.
struct GameCounts {
  int64_t ended = 0;    // games that entered state 4
  int64_t started = 0;  // map starts after an end of game
  // Map starts whose game type is not the one of the slot started (its "S"-marked byte).
  int64_t wrongType = 0;
  // Map starts whose game type differs from the game before, and those of them before which a
  // client had written all five game-type fields during the end of game.
  int64_t typeChanges = 0;
  int64_t typeChangesFromClient = 0;
  // Ends of game during which a client lowered RestartTmr (the display cut, or a skip).
  int64_t displaysCut = 0;
  double longestEndOfGameMs = 0;  // server time in state 4, the longest so far
  bool operator==(const GameCounts&) const = default;
};

// The client write log keeps the most recent writes; older ones are dropped (and counted).
inline constexpr size_t kClientWriteLogCapacity = 65536;

// One DFBHD server: its fields in a ServerMemory, laid out as one build lays them out, and the
// life cycle of design.md ("The simulated server"):
//   2 (or 3) while a game runs. The game ends after gameLengthSeconds, when the simulated score
//   (scoringRate) reaches the active limit of the game type (activeLimit), or at once on the
//   console command "resetgames": state 4, RestartTmr = displayLengthSeconds x 62.
//   4: RestartTmr falls by 62 per server second (it is read back each step, so a value the
//   plug-in writes - 500 for a skip, a display-time cut - takes effect). At <= 0: state 1.
//   1: for loadingSeconds, then the next map. First the rotation check (checkRotation), whose
//   findings add to rotationViolations. Then the entry after the current position (P+12), 0
//   after the last (count at P+8) or for a position outside the rotation; P+12 = that entry;
//   CurMap = its slot's display name; the game type is the one the five GTUpdate fields agree
//   on when it is a game type (0..8), else the type played so far; GameType and all five
//   GTUpdate fields are set to it, the active limits (Score1a/1b, Score2a/2b) to the server's
//   limits, the score to 0; state 2.
//   Any other state (0, or a value a test writes): the server idles.
// A state written from outside restarts the clock of that phase. Time is server time: elapsed
// time x speed. The rotation check's counts and the score are also kept in the info block
// (kSimInfoBlock), for tools that only see the server's memory.
class ServerModel {
 public:
  using Logger = std::function<void(const std::string& line)>;

  // Maps the layout's pages in memory and writes the initial server. Throws std::runtime_error
  // when the memory cannot be mapped, std::invalid_argument for options that do not fit the
  // server (checkOptions).
  ServerModel(std::unique_ptr<ServerMemory> memory, ServerOptions options);
  ServerModel(const ServerModel&) = delete;
  ServerModel& operator=(const ServerModel&) = delete;

  const ServerLayout& layout() const { return layout_; }
  ServerMemory& memory() { return *memory_; }
  const ServerMemory& memory() const { return *memory_; }
  const ServerOptions& options() const { return options_; }
  void setLogger(Logger logger) { logger_ = std::move(logger); }

  // Runs the server for elapsedMs of outside time (0 still consumes a pending command).
  void advance(int64_t elapsedMs);
  // What "resetgames" does: a running game ends (state 4). Ignored in other states.
  void endGame();
  // Puts a console command in the mailbox as AddMsg does (text at MsgStrAdd, then 1 at
  // MsgTypeAdd); the next advance() consumes it.
  void postCommand(std::string_view command);
  void setSpeed(double speed) { options_.speed = speed; }
  void setGameLengthSeconds(double seconds) { options_.gameLengthSeconds = seconds; }
  void setDisplayLengthSeconds(double seconds) { options_.displayLengthSeconds = seconds; }
  void setLoadingSeconds(double seconds) { options_.loadingSeconds = seconds; }
  // Throws std::invalid_argument for a negative count. Applies to a command already waiting.
  void setCommandDelayReads(int32_t reads);
  // Throws std::invalid_argument for a negative or non-finite rate. Applies to the running game.
  void setScoringRate(double pointsPerSecond);

  // The leading side's score in the running game (0 when nobody scores), and the limit the game
  // ends at: Score1a for Deathmatch, Team Deathmatch and Flagball, Score2a for (Team) King of
  // the Hill, read as it stands now; 0 (no limit) for the other types or a limit of 0 or less.
  double score() const { return score_; }
  int32_t activeLimit() const;

  // The rotation check made at each map start: every entry k below the count at P+8 must match
  // map slot k (same mission file, the slot constant at offset 1300), and the count copy at P+4
  // must equal P+8. checkRotation() looks now without counting anything.
  std::vector<RotationViolation> checkRotation() const;
  int64_t rotationViolations() const { return rotationViolations_; }  // found so far, in total
  int64_t rotationChecks() const { return rotationChecks_; }          // map starts checked

  // The server as its clients reach it: the in-process Gravik component goes through these
  // (dfbhd-sim's clients are other processes, whose access it cannot see). Unlike memory(),
  // the server notices each call: writes go to the client write log, and reads made while a
  // command waits in the mailbox count towards commandDelayReads. False when a byte of the
  // range is not mapped; nothing is then read, written, logged or counted.
  bool clientRead(uint32_t address, void* out, size_t size);
  bool clientWrite(uint32_t address, const void* in, size_t size);
  // One read of a text: up to its NUL, at most maxLength bytes, ending early where the mapping
  // ends. Nothing when its first byte is not mapped.
  std::optional<std::string> clientReadText(uint32_t address, size_t maxLength);

  // Client writes in the order they were made, oldest first. The model's own updates (the
  // countdown, the next map, consuming a command) and the setters below are not clients.
  const std::deque<ClientWrite>& clientWrites() const { return clientWrites_; }
  // Writes dropped from the front of a full log since the last clear.
  uint64_t droppedClientWrites() const { return droppedClientWrites_; }
  void clearClientWrites();
  const GameCounts& gameCounts() const { return gameCounts_; }
  // Client reads made while the command now in the mailbox waited; 0 when none waits.
  int64_t readsWhileCommandWaits() const { return readsWhileCommandWaits_; }

  // Fields by address-table key (case-insensitive); a key the build lacks throws
  // std::out_of_range. Longs are 32-bit little-endian.
  int32_t longAt(std::string_view key) const { return readLong(layout_.at(key)); }
  void setLong(std::string_view key, int32_t value) { writeLong(layout_.at(key), value); }
  uint8_t byteAt(std::string_view key) const { return readByte(layout_.at(key)); }
  void setByte(std::string_view key, uint8_t value) { writeByte(layout_.at(key), value); }
  std::string textAt(std::string_view key) const { return readText(layout_.at(key)); }
  void setText(std::string_view key, std::string_view text) { writeText(layout_.at(key), text); }
  int32_t state() const { return longAt("GameState"); }

  // Raw access by absolute address; unmapped memory throws std::out_of_range with the address.
  int32_t readLong(uint32_t address) const;
  void writeLong(uint32_t address, int32_t value);
  uint8_t readByte(uint32_t address) const;
  void writeByte(uint32_t address, uint8_t value);
  // Text up to its NUL, at most maxLength bytes.
  std::string readText(uint32_t address, size_t maxLength = 4096) const;
  // The text and its NUL.
  void writeText(uint32_t address, std::string_view text);

  // The rotation as the server holds it: P is the value at MapPointer.
  uint32_t rotationPointer() const { return static_cast<uint32_t>(longAt("MapPointer")); }
  int32_t rotationCount() const;    // P+8
  int32_t currentPosition() const;  // P+12
  void setCurrentPosition(int32_t position);
  // Entries 0..count-1 (count clamped to the capacity): mission file and custom flag of the
  // entry, display name and game type of the slot (its own byte when the slot carries the "S"
  // marker, else GameType).
  std::vector<RotationEntry> rotation() const;
  // Writes slots, entries and both counts as the plug-in's "Update Maps" does ("S" marker, slot
  // constant, ...) and MaxMaps; does not move the current position. The entries are checked first
  // (checkRotationEntry); nothing is written when one does not fit.
  void setRotation(const std::vector<RotationEntry>& entries);
  // Map slot k only, rotation entry k only; std::invalid_argument as setRotation.
  void setSlot(int32_t k, const RotationEntry& entry);
  void setEntry(int32_t k, const RotationEntry& entry);
  void setRotationCount(int32_t count);  // P+8 and P+4

  std::string resourcePack() const;
  // Throws std::invalid_argument for a name longer than kPackNameCapacity.
  void setResourcePack(std::string_view pack);

  // Throws std::invalid_argument naming the first option the server cannot hold: a rotation
  // longer than kRotationCapacity, a text too long for its field (checkRotationEntry), a
  // negative commandDelayReads.
  static void checkOptions(const ServerOptions& options);

 private:
  // One phase's share of advance(): each spends what it can of serverMs and says whether its
  // phase ended, leaving the rest for the next phase.
  bool runGame(double& serverMs);
  bool countDownDisplay(double& serverMs);
  bool loadNextGame(double& serverMs);
  void startNextGame();
  void enterState(int32_t state);
  void pollMailbox();
  void noteClientRead();
  void setActiveLimits(int32_t gameType);
  int32_t nextGameType() const;
  void recordRotationCheck();
  void publishInfo();
  void log(const std::string& line) const;
  void noteClientWrite(uint32_t address, size_t size, int32_t countdownBefore);

  ServerLayout layout_;
  std::unique_ptr<ServerMemory> memory_;
  ServerOptions options_;
  Logger logger_;
  int32_t knownState_ = 0;       // the state the phase clock belongs to
  double phaseMs_ = 0;           // server time spent in the current phase
  double countdownCarryMs_ = 0;  // server time not yet taken off RestartTmr
  int32_t lastCountdown_ = 0;    // RestartTmr as we last left it
  int32_t playedType_ = 0;       // GameType may share its address with a GTUpdate field
  double score_ = 0;
  int64_t rotationViolations_ = 0;
  int64_t rotationChecks_ = 0;
  int64_t readsWhileCommandWaits_ = 0;
  GameCounts gameCounts_;
  uint32_t gameTypeWrites_ = 0;  // bit k: a client wrote game-type field k in this end of game
  bool displayCut_ = false;      // a client lowered RestartTmr in this end of game
  double endOfGameMs_ = 0;       // server time in state 4 so far
  std::deque<ClientWrite> clientWrites_;
  uint64_t droppedClientWrites_ = 0;
};

}  // namespace rotaryn::sim
