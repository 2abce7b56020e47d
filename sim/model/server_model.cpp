#include "sim/model/server_model.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <stdexcept>

namespace rotaryn::sim {
namespace {

[[noreturn]] void notMapped(uint32_t address) {
  throw std::out_of_range("server memory at " + hexAddress(address) + " is not mapped");
}

template <class T>
T readValue(const ServerMemory& memory, uint32_t address) {
  T value = 0;
  if (!memory.read(address, &value, sizeof value)) notMapped(address);
  return value;
}

template <class T>
void writeValue(ServerMemory& memory, uint32_t address, T value) {
  if (!memory.write(address, &value, sizeof value)) notMapped(address);
}

bool isRunning(int32_t state) {
  return state == kStateRunning || state == kStateRunningToo;
}

constexpr const char* kGameTypeFields[] = {"GTUpdate1", "GTUpdate2", "GTUpdate3", "GTUpdate4",
                                           "GTUpdate5"};
constexpr double kNever = std::numeric_limits<double>::infinity();
// Violations named one by one in the log line of a rotation check; the rest are counted.
constexpr size_t kViolationsLogged = 5;

int32_t clampedLong(int64_t value) {
  return static_cast<int32_t>(std::min<int64_t>(value, std::numeric_limits<int32_t>::max()));
}

std::string folded(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\r' || text.front() == '\n')) {
    text.remove_prefix(1);
  }
  while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n')) {
    text.remove_suffix(1);
  }
  std::string out(text);
  for (char& c : out) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
  }
  return out;
}

}  // namespace

int64_t ClientWrite::number() const {
  uint32_t value = 0;
  for (size_t i = 0; i < bytes.size() && i < 4; ++i) {
    value |= uint32_t{static_cast<uint8_t>(bytes[i])} << (8 * i);
  }
  if (bytes.size() >= 4) return static_cast<int32_t>(value);
  return value;
}

std::string ClientWrite::text() const {
  return bytes.substr(0, bytes.find('\0'));
}

void ServerModel::checkOptions(const ServerOptions& options) {
  if (options.rotation.size() > static_cast<size_t>(kRotationCapacity)) {
    throw std::invalid_argument("a rotation holds at most " + std::to_string(kRotationCapacity) +
                                " maps, not " + std::to_string(options.rotation.size()));
  }
  for (size_t k = 0; k < options.rotation.size(); ++k) {
    try {
      checkRotationEntry(options.rotation[k]);
    } catch (const std::invalid_argument& error) {
      throw std::invalid_argument("rotation map " + std::to_string(k) + ": " + error.what());
    }
  }
  if (options.resourcePack.size() > kPackNameCapacity) {
    throw std::invalid_argument("the resource pack \"" + options.resourcePack + "\" has " +
                                std::to_string(options.resourcePack.size()) +
                                " characters; the server holds at most " +
                                std::to_string(kPackNameCapacity));
  }
  if (options.commandDelayReads < 0) {
    throw std::invalid_argument("the command delay is a number of reads, 0 or more");
  }
  if (!std::isfinite(options.scoringRate) || options.scoringRate < 0) {
    throw std::invalid_argument("the scoring rate is a number of points per second, 0 or more");
  }
}

ServerModel::ServerModel(std::unique_ptr<ServerMemory> memory, ServerOptions options)
    : layout_(options.build), memory_(std::move(memory)), options_(std::move(options)) {
  checkOptions(options_);
  std::vector<AddressRange> regions = layout_.regions();
  memory_->map(pageRanges(regions));

  writeLong(layout_.at("MapPointer"), static_cast<int32_t>(layout_.rotationHeader()));
  writeLong(layout_.at("ModAdd"), static_cast<int32_t>(layout_.packBlock()));
  setResourcePack(options_.resourcePack);
  setRotation(options_.rotation);
  if (layout_.has("MaxKills")) setLong("MaxKills", options_.maxKills);
  if (layout_.has("KothLimit")) setLong("KothLimit", options_.kothLimit);

  int32_t count = static_cast<int32_t>(options_.rotation.size());
  int32_t position = count > 0 && options_.startPosition >= 0 && options_.startPosition < count
                         ? options_.startPosition
                         : 0;
  setCurrentPosition(position);
  int32_t gameType = count > 0 ? options_.rotation[static_cast<size_t>(position)].gameType : 0;
  setText("CurMap",
          count > 0 ? options_.rotation[static_cast<size_t>(position)].displayName : std::string());
  setLong("GameType", gameType);
  for (const char* key : kGameTypeFields) setLong(key, gameType);
  playedType_ = gameType;
  setActiveLimits(gameType);
  setLong("GameState", options_.initialState);
  knownState_ = options_.initialState;
  writeText(layout_.simInfoBlock() + kSimInfoMarkerOffset, kSimInfoMarker);
  publishInfo();
}

int32_t ServerModel::readLong(uint32_t address) const {
  return readValue<int32_t>(*memory_, address);
}

void ServerModel::writeLong(uint32_t address, int32_t value) {
  writeValue(*memory_, address, value);
}

uint8_t ServerModel::readByte(uint32_t address) const {
  return readValue<uint8_t>(*memory_, address);
}

void ServerModel::writeByte(uint32_t address, uint8_t value) {
  writeValue(*memory_, address, value);
}

std::string ServerModel::readText(uint32_t address, size_t maxLength) const {
  std::string text;
  for (size_t i = 0; i < maxLength; ++i) {
    char c = 0;
    if (!memory_->read(address + static_cast<uint32_t>(i), &c, 1)) {
      if (i == 0) notMapped(address);
      break;
    }
    if (c == '\0') break;
    text.push_back(c);
  }
  return text;
}

void ServerModel::writeText(uint32_t address, std::string_view text) {
  std::string bytes(text);
  bytes.push_back('\0');
  if (!memory_->write(address, bytes.data(), bytes.size())) notMapped(address);
}

int32_t ServerModel::rotationCount() const {
  return readLong(rotationPointer() + kHeaderCountOffset);
}

int32_t ServerModel::currentPosition() const {
  return readLong(rotationPointer() + kHeaderPositionOffset);
}

void ServerModel::setCurrentPosition(int32_t position) {
  writeLong(rotationPointer() + kHeaderPositionOffset, position);
}

void ServerModel::setRotationCount(int32_t count) {
  writeLong(rotationPointer() + kHeaderCountOffset, count);
  writeLong(rotationPointer() + kHeaderCountCopyOffset, count);
}

void ServerModel::setSlot(int32_t k, const RotationEntry& entry) {
  if (k < 0 || k >= kRotationCapacity) throw std::out_of_range("map slot out of range");
  checkRotationEntry(entry);
  uint32_t slot = layout_.slotAddress(k);
  writeText(slot, entry.missionFile);
  writeText(slot + kSlotNameOffset, entry.displayName);
  writeText(slot + kSlotMarkerOffset, "S");
  writeByte(slot + kSlotGameTypeOffset, static_cast<uint8_t>(entry.gameType));
  writeLong(slot + kSlotConstantOffset, kSlotConstant);
  writeLong(slot + kSlotCustomOffset, entry.custom ? 1 : 0);
}

void ServerModel::setEntry(int32_t k, const RotationEntry& entry) {
  if (k < 0 || k >= kRotationCapacity) throw std::out_of_range("rotation entry out of range");
  checkRotationEntry(entry);
  uint32_t at = rotationPointer() + kEntriesOffset + static_cast<uint32_t>(k) * kEntryStride;
  writeText(at, entry.missionFile);
  writeLong(at + kEntryCustomOffset, entry.custom ? 1 : 0);
}

void ServerModel::setRotation(const std::vector<RotationEntry>& entries) {
  ServerOptions check;
  check.rotation = entries;
  checkOptions(check);
  int32_t k = 0;
  for (const RotationEntry& entry : entries) {
    setSlot(k, entry);
    setEntry(k, entry);
    ++k;
  }
  setRotationCount(k);
  setLong("MaxMaps", k);
}

std::vector<RotationEntry> ServerModel::rotation() const {
  int32_t count = std::clamp(rotationCount(), 0, kRotationCapacity);
  std::vector<RotationEntry> entries;
  for (int32_t k = 0; k < count; ++k) {
    uint32_t at = rotationPointer() + kEntriesOffset + static_cast<uint32_t>(k) * kEntryStride;
    uint32_t slot = layout_.slotAddress(k);
    RotationEntry entry;
    entry.missionFile = readText(at, kEntryCustomOffset);
    entry.custom = readLong(at + kEntryCustomOffset) == 1;
    entry.displayName = readText(slot + kSlotNameOffset, kSlotConstantOffset - kSlotNameOffset);
    bool marked = readText(slot + kSlotMarkerOffset, 1) == "S";
    entry.gameType = marked ? readByte(slot + kSlotGameTypeOffset) : byteAt("GameType");
    entries.push_back(std::move(entry));
  }
  return entries;
}

std::string ServerModel::resourcePack() const {
  return readText(static_cast<uint32_t>(longAt("ModAdd")) + kPackNameOffset);
}

void ServerModel::setResourcePack(std::string_view pack) {
  ServerOptions check;
  check.resourcePack = pack;
  checkOptions(check);
  writeText(static_cast<uint32_t>(longAt("ModAdd")) + kPackNameOffset, pack);
}

void ServerModel::postCommand(std::string_view command) {
  if (command.size() > kCommandCapacity) command = command.substr(0, kCommandCapacity);
  setText("MsgStrAdd", command);
  setLong("MsgTypeAdd", 1);
}

void ServerModel::setCommandDelayReads(int32_t reads) {
  ServerOptions check;
  check.commandDelayReads = reads;
  checkOptions(check);
  options_.commandDelayReads = reads;
}

void ServerModel::setScoringRate(double pointsPerSecond) {
  ServerOptions check;
  check.scoringRate = pointsPerSecond;
  checkOptions(check);
  options_.scoringRate = pointsPerSecond;
}

int32_t ServerModel::activeLimit() const {
  int32_t limit = 0;
  if (playedType_ == 0 || playedType_ == 1 || playedType_ == 8) {
    limit = longAt("Score1a");
  } else if (playedType_ == 3 || playedType_ == 4) {
    limit = longAt("Score2a");
  }
  return std::max(limit, 0);
}

std::vector<RotationViolation> ServerModel::checkRotation() const {
  std::vector<RotationViolation> found;
  uint32_t header = rotationPointer();
  int32_t count = readLong(header + kHeaderCountOffset);
  int32_t copy = readLong(header + kHeaderCountCopyOffset);
  if (copy != count) {
    found.push_back(
        {-1, "the count is " + std::to_string(count) + ", its copy " + std::to_string(copy)});
  }
  int32_t checked = std::clamp(count, 0, kRotationCapacity);
  for (int32_t k = 0; k < checked; ++k) {
    uint32_t slot = layout_.slotAddress(k);
    uint32_t entry = header + kEntriesOffset + static_cast<uint32_t>(k) * kEntryStride;
    std::string slotFile = readText(slot, kSlotNameOffset);
    std::string entryFile = readText(entry, kEntryCustomOffset);
    int32_t constant = readLong(slot + kSlotConstantOffset);
    std::string what;
    if (slotFile != entryFile) {
      what = "slot file \"" + slotFile + "\", entry file \"" + entryFile + "\"";
    }
    if (constant != kSlotConstant) {
      if (!what.empty()) what += ", ";
      what += "slot constant " + hexAddress(static_cast<uint32_t>(constant));
    }
    if (!what.empty()) found.push_back({k, std::move(what)});
  }
  return found;
}

void ServerModel::recordRotationCheck() {
  std::vector<RotationViolation> found = checkRotation();
  ++rotationChecks_;
  rotationViolations_ += static_cast<int64_t>(found.size());
  publishInfo();
  if (found.empty()) return;
  std::string line = "rotation check: " + std::to_string(found.size()) + " violation" +
                     (found.size() == 1 ? "" : "s");
  for (size_t i = 0; i < found.size() && i < kViolationsLogged; ++i) {
    line += (i == 0 ? ": " : "; ");
    line += found[i].entry < 0 ? "counts" : "entry " + std::to_string(found[i].entry);
    line += " (" + found[i].what + ")";
  }
  if (found.size() > kViolationsLogged) line += "; ...";
  log(line);
}

void ServerModel::publishInfo() {
  uint32_t block = layout_.simInfoBlock();
  writeLong(block + kSimInfoViolationsOffset, clampedLong(rotationViolations_));
  writeLong(block + kSimInfoChecksOffset, clampedLong(rotationChecks_));
  writeLong(block + kSimInfoScoreOffset,
            static_cast<int32_t>(std::min<double>(std::floor(score_), INT32_MAX)));
  writeLong(block + kSimInfoEndedOffset, clampedLong(gameCounts_.ended));
  writeLong(block + kSimInfoDisplaysCutOffset, clampedLong(gameCounts_.displaysCut));
}

bool ServerModel::clientRead(uint32_t address, void* out, size_t size) {
  if (!memory_->read(address, out, size)) return false;
  noteClientRead();
  return true;
}

std::optional<std::string> ServerModel::clientReadText(uint32_t address, size_t maxLength) {
  std::string text;
  for (size_t i = 0; i < maxLength; ++i) {
    char c = 0;
    if (!memory_->read(address + static_cast<uint32_t>(i), &c, 1)) {
      if (i == 0) return std::nullopt;
      break;
    }
    if (c == '\0') break;
    text.push_back(c);
  }
  noteClientRead();
  return text;
}

void ServerModel::noteClientRead() {
  if (longAt("MsgTypeAdd") != 0) ++readsWhileCommandWaits_;
}

bool ServerModel::clientWrite(uint32_t address, const void* in, size_t size) {
  const bool endOfGame = state() == kStateEndOfGame;
  const int32_t countdownBefore = endOfGame ? longAt("RestartTmr") : 0;
  if (!memory_->write(address, in, size)) return false;
  if (endOfGame) noteClientWrite(address, size, countdownBefore);
  if (clientWrites_.size() >= kClientWriteLogCapacity) {
    clientWrites_.pop_front();
    ++droppedClientWrites_;
  }
  clientWrites_.push_back({address, std::string(static_cast<const char*>(in), size)});
  return true;
}

// Marks what a client did to the end of game now running: which game-type fields it wrote, and
// whether it lowered the countdown.
void ServerModel::noteClientWrite(uint32_t address, size_t size, int32_t countdownBefore) {
  for (uint32_t k = 0; k < std::size(kGameTypeFields); ++k) {
    if (layout_.at(kGameTypeFields[k]) == address) gameTypeWrites_ |= 1u << k;
  }
  const uint32_t timer = layout_.at("RestartTmr");
  if (address < timer + 4 && address + size > timer && readLong(timer) < countdownBefore) {
    displayCut_ = true;
  }
}

void ServerModel::clearClientWrites() {
  clientWrites_.clear();
  droppedClientWrites_ = 0;
}

void ServerModel::log(const std::string& line) const {
  if (logger_) logger_(line);
}

void ServerModel::enterState(int32_t state) {
  setLong("GameState", state);
  knownState_ = state;
  phaseMs_ = 0;
  countdownCarryMs_ = 0;
}

void ServerModel::endGame() {
  if (!isRunning(state())) return;
  enterState(kStateEndOfGame);
  ++gameCounts_.ended;
  publishInfo();
  gameTypeWrites_ = 0;
  displayCut_ = false;
  endOfGameMs_ = 0;
  int32_t countdown =
      static_cast<int32_t>(std::lround(options_.displayLengthSeconds * kCountdownUnitsPerSecond));
  setLong("RestartTmr", countdown);
  lastCountdown_ = countdown;
  log("state 4: game over, RestartTmr " + std::to_string(countdown));
}

void ServerModel::setActiveLimits(int32_t gameType) {
  int32_t kills = layout_.has("MaxKills") ? longAt("MaxKills") : options_.maxKills;
  int32_t koth = layout_.has("KothLimit") ? longAt("KothLimit") : options_.kothLimit;
  // In the affiliate build Score1x and Score2x are the same fields: the limit of the type
  // being played is written last.
  bool kingOfTheHill = gameType == 3 || gameType == 4;
  auto writeKills = [&] {
    setLong("Score1a", kills);
    setLong("Score1b", kills);
  };
  auto writeKoth = [&] {
    setLong("Score2a", koth);
    setLong("Score2b", koth);
  };
  if (kingOfTheHill) {
    writeKills();
    writeKoth();
  } else {
    writeKoth();
    writeKills();
  }
}

int32_t ServerModel::nextGameType() const {
  int32_t type = longAt(kGameTypeFields[0]);
  for (const char* key : kGameTypeFields) {
    if (longAt(key) != type) {
      log("the game-type fields disagree (" + std::string(kGameTypeFields[0]) + " " +
          std::to_string(type) + ", " + key + " " + std::to_string(longAt(key)) +
          "): the type played so far stays");
      return playedType_;
    }
  }
  return type >= 0 && type <= 8 ? type : playedType_;
}

void ServerModel::startNextGame() {
  recordRotationCheck();
  int32_t count = rotationCount();
  int32_t current = currentPosition();
  int32_t next = current >= -1 && current < count - 1 ? current + 1 : 0;
  if (next >= kRotationCapacity) next = 0;
  setCurrentPosition(next);
  std::string name =
      readText(layout_.slotAddress(next) + kSlotNameOffset, kSlotConstantOffset - kSlotNameOffset);
  if (name.size() > kCurMapCapacity) name.resize(kCurMapCapacity);
  setText("CurMap", name);
  int32_t gameType = nextGameType();
  ++gameCounts_.started;
  uint32_t slot = layout_.slotAddress(next);
  if (readText(slot + kSlotMarkerOffset, 1) == "S" &&
      readByte(slot + kSlotGameTypeOffset) != static_cast<uint8_t>(gameType)) {
    ++gameCounts_.wrongType;
  }
  if (gameType != playedType_) {
    ++gameCounts_.typeChanges;
    constexpr uint32_t kAllFields = (1u << std::size(kGameTypeFields)) - 1;
    if (gameTypeWrites_ == kAllFields) ++gameCounts_.typeChangesFromClient;
  }
  playedType_ = gameType;
  setLong("GameType", gameType);
  for (const char* key : kGameTypeFields) setLong(key, gameType);
  setActiveLimits(gameType);
  score_ = 0;
  publishInfo();
  enterState(kStateRunning);
  log("state 2: map " + std::to_string(next) + " \"" + name + "\", " +
      formats::gameTypeName(gameType) + " (" + std::to_string(gameType) + ")");
}

void ServerModel::pollMailbox() {
  if (longAt("MsgTypeAdd") == 0) {
    readsWhileCommandWaits_ = 0;
    return;
  }
  if (!options_.consumeCommands || readsWhileCommandWaits_ < options_.commandDelayReads) return;
  std::string command = readText(layout_.at("MsgStrAdd"), kCommandCapacity);
  setLong("MsgTypeAdd", 0);
  readsWhileCommandWaits_ = 0;
  if (folded(command) != "resetgames") {
    log("console command ignored: \"" + command + "\"");
    return;
  }
  if (!isRunning(state())) {
    log("console command \"resetgames\" ignored in state " + std::to_string(state()));
    return;
  }
  log("console command \"resetgames\"");
  endGame();
}

void ServerModel::advance(int64_t elapsedMs) {
  pollMailbox();
  double serverMs = std::max<double>(0, static_cast<double>(elapsedMs) * options_.speed);
  int32_t state = this->state();
  if (state != knownState_) {
    knownState_ = state;
    phaseMs_ = 0;
    countdownCarryMs_ = 0;
  }
  // Bounded, so a game length of almost nothing cannot spin forever.
  for (int phases = 0; phases < 100000; ++phases) {
    bool phaseEnded = false;
    if (isRunning(state)) {
      phaseEnded = runGame(serverMs);
    } else if (state == kStateEndOfGame) {
      phaseEnded = countDownDisplay(serverMs);
    } else if (state == kStateBetweenGames) {
      phaseEnded = loadNextGame(serverMs);
    }
    if (!phaseEnded) return;
    state = this->state();
  }
}

bool ServerModel::runGame(double& serverMs) {
  double lengthMs = options_.gameLengthSeconds * 1000;
  double untilLengthMs = lengthMs > 0 ? std::max(0.0, lengthMs - phaseMs_) : kNever;
  // The limit is read every step: the plug-in's monitor may impose another one.
  double rate = options_.scoringRate;
  int32_t limit = activeLimit();
  double untilLimitMs =
      rate > 0 && limit > 0 ? std::max(0.0, (limit - score_) * 1000 / rate) : kNever;
  double untilEndMs = std::min(untilLengthMs, untilLimitMs);
  if (serverMs + 1e-6 < untilEndMs) {  // within rounding of the score arithmetic
    phaseMs_ += serverMs;
    if (rate > 0) {
      score_ += rate * serverMs / 1000;
      publishInfo();
    }
    return false;
  }
  serverMs = std::max(0.0, serverMs - untilEndMs);
  phaseMs_ += untilEndMs;
  if (untilLimitMs <= untilLengthMs) {
    score_ = std::max<double>(score_, limit);
    publishInfo();
    log("score limit " + std::to_string(limit) + " reached");
  } else {
    score_ += rate * untilEndMs / 1000;
    publishInfo();
    log("game length reached");
  }
  endGame();
  return true;
}

bool ServerModel::countDownDisplay(double& serverMs) {
  uint32_t timerAddress = layout_.at("RestartTmr");
  int32_t timer = readLong(timerAddress);
  // A countdown written from outside starts afresh: our part-unit of time was for the old one.
  if (timer != lastCountdown_) countdownCarryMs_ = 0;
  // Lowered from outside: also seen by a server whose clients write its memory directly.
  if (timer < lastCountdown_) displayCut_ = true;
  if (timer > 0) {
    double msToZero = timer * 1000.0 / kCountdownUnitsPerSecond - countdownCarryMs_;
    if (serverMs + 1e-6 < msToZero) {  // within rounding of the unit arithmetic
      countdownCarryMs_ += serverMs;
      endOfGameMs_ += serverMs;
      auto units = static_cast<int32_t>(countdownCarryMs_ * kCountdownUnitsPerSecond / 1000);
      if (units > 0) {
        countdownCarryMs_ -= units * 1000.0 / kCountdownUnitsPerSecond;
        // Lost to a write from outside (a skip's 500) when the value changed meanwhile.
        if (memory_->compareExchangeLong(timerAddress, timer, timer - units)) {
          lastCountdown_ = timer - units;
        }
      }
      return false;
    }
    serverMs -= std::max(0.0, msToZero);
    endOfGameMs_ += std::max(0.0, msToZero);
    if (!memory_->compareExchangeLong(timerAddress, timer, 0)) return false;
  }
  if (displayCut_) ++gameCounts_.displaysCut;
  publishInfo();
  gameCounts_.longestEndOfGameMs = std::max(gameCounts_.longestEndOfGameMs, endOfGameMs_);
  enterState(kStateBetweenGames);
  log("state 1: loading the next map");
  return true;
}

bool ServerModel::loadNextGame(double& serverMs) {
  double loadingMs = options_.loadingSeconds * 1000;
  if (phaseMs_ + serverMs < loadingMs) {
    phaseMs_ += serverMs;
    return false;
  }
  serverMs -= std::max(0.0, loadingMs - phaseMs_);
  startNextGame();
  return true;
}

}  // namespace rotaryn::sim
