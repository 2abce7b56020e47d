#include "sim/model/server_model.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

#include <algorithm>

#include "sim/model/mapped_memory.h"

namespace rotaryn::sim {
namespace {

ServerModel makeServer(ServerOptions options = {}) {
  return ServerModel(std::make_unique<SparseMemory>(), std::move(options));
}

ServerOptions quickOptions() {
  ServerOptions options;
  options.displayLengthSeconds = 10;
  options.loadingSeconds = 1;
  return options;
}

// The text of what the call throws as E, or "accepted".
template <class E = std::exception, class Call>
std::string refusal(Call call) {
  try {
    call();
  } catch (const E& error) {
    return error.what();
  }
  return "accepted";
}

void writeGameTypeFields(ServerModel& server, int32_t type, int fields = 5) {
  for (int i = 1; i <= fields; ++i) server.setLong("GTUpdate" + std::to_string(i), type);
}

TEST(ServerModel, ResetgamesStartsACountdownThatFalls62PerSecondThenLoadsTheNextMap) {
  ServerModel server = makeServer(quickOptions());
  server.postCommand("resetgames");
  EXPECT_EQ(server.state(), 2) << "nothing happens before the server runs";
  server.advance(0);
  EXPECT_EQ(server.state(), 4);
  EXPECT_EQ(server.longAt("RestartTmr"), 620);
  EXPECT_EQ(server.longAt("MsgTypeAdd"), 0);
  server.advance(1000);
  EXPECT_EQ(server.longAt("RestartTmr"), 558);
  server.advance(500);
  EXPECT_EQ(server.longAt("RestartTmr"), 527);
  server.advance(8500);
  EXPECT_EQ(server.state(), 1);
  EXPECT_EQ(server.currentPosition(), 0);
  server.advance(999);
  EXPECT_EQ(server.state(), 1);
  server.advance(1);
  EXPECT_EQ(server.state(), 2);
  EXPECT_EQ(server.currentPosition(), 1);
  EXPECT_EQ(server.textAt("CurMap"), "Mean Streets A");

  // A countdown written from outside is taken as is.
  server.endGame();
  server.advance(100);
  server.setLong("RestartTmr", 31);  // half a second
  server.advance(499);
  EXPECT_EQ(server.state(), 4);
  server.advance(1);
  EXPECT_EQ(server.state(), 1);
}

TEST(ServerModel, OptionsSetTheSpeedTheGameLengthTheStateAndWhetherCommandsAreTaken) {
  ServerOptions options = quickOptions();
  options.speed = 20;
  ServerModel fast = makeServer(options);
  fast.endGame();
  fast.advance(550);  // 11 server seconds: display over, loading done
  EXPECT_EQ(fast.state(), 2);
  EXPECT_EQ(fast.currentPosition(), 1);

  options = quickOptions();
  options.gameLengthSeconds = 60;
  ServerModel timed = makeServer(options);
  timed.advance(59999);
  EXPECT_EQ(timed.state(), 2);
  timed.advance(1);
  EXPECT_EQ(timed.state(), 4);

  options = quickOptions();
  options.initialState = 0;
  ServerModel idle = makeServer(options);
  idle.advance(100000);
  EXPECT_EQ(idle.state(), 0);

  options = quickOptions();
  options.consumeCommands = false;
  ServerModel deaf = makeServer(options);
  deaf.postCommand("resetgames");
  deaf.advance(1000);
  EXPECT_EQ(deaf.longAt("MsgTypeAdd"), 1);
  EXPECT_EQ(deaf.state(), 2);
}

TEST(ServerModel, OtherCommandsAndCommandsOutsideAGameAreIgnored) {
  ServerModel server = makeServer(quickOptions());
  std::vector<std::string> log;
  server.setLogger([&](const std::string& line) { log.push_back(line); });
  server.postCommand("say hello");
  server.advance(0);
  EXPECT_EQ(server.state(), 2);
  EXPECT_EQ(server.longAt("MsgTypeAdd"), 0);
  server.setLong("GameState", 0);
  server.postCommand("RESETGAMES");
  server.advance(0);
  EXPECT_EQ(server.state(), 0);
  ASSERT_EQ(log.size(), 2u);
  EXPECT_NE(log[0].find("say hello"), std::string::npos);
}

TEST(ServerModel, TheNextGameTypeIsTheOneTheFiveGameTypeFieldsAgreeOn) {
  for (ServerBuild build : {ServerBuild::kStandard, ServerBuild::kAffiliate}) {
    ServerOptions options = quickOptions();
    options.build = build;
    ServerModel server = makeServer(options);
    server.endGame();
    writeGameTypeFields(server, 3);
    server.advance(11000);
    EXPECT_EQ(server.longAt("GameType"), 3);
    // Only some fields written (a write that failed half-way): the type played so far stays.
    // GameType shares its address with one of the fields, so it is not what decides.
    server.endGame();
    writeGameTypeFields(server, 8, 4);
    server.advance(11000);
    EXPECT_EQ(server.longAt("GameType"), 3);
    for (const char* key : {"GTUpdate1", "GTUpdate2", "GTUpdate3", "GTUpdate4", "GTUpdate5"}) {
      EXPECT_EQ(server.longAt(key), 3) << key << " is reset to the type played";
    }
    server.endGame();
    writeGameTypeFields(server, 99);  // not a game type
    server.advance(11000);
    EXPECT_EQ(server.longAt("GameType"), 3);
  }
}

TEST(ServerModel, AGameStartsWithTheTypeOfItsEntryAndTheServersOwnLimits) {
  ServerOptions options = quickOptions();
  options.maxKills = 25;
  options.kothLimit = 6;
  ServerModel standard = makeServer(options);
  EXPECT_EQ(standard.longAt("GameType"), 0);
  EXPECT_EQ(standard.longAt("Score1a"), 25);
  EXPECT_EQ(standard.longAt("Score2a"), 6);
  EXPECT_EQ(standard.longAt("KothLimit"), 6);

  options.build = ServerBuild::kAffiliate;
  options.rotation = {{3, false, "TKHM_01A.BMS", "House of Pain A"}};
  ServerModel affiliate = makeServer(options);
  EXPECT_EQ(affiliate.longAt("GameType"), 3);
  EXPECT_EQ(affiliate.longAt("GTUpdate4"), 3);
  EXPECT_EQ(affiliate.longAt("Score1a"), 6) << "one field; the koth limit for a koth game";
  EXPECT_FALSE(affiliate.layout().has("MaxKills"));
  EXPECT_THROW(affiliate.longAt("CMaxKills"), std::out_of_range);
  EXPECT_NE(refusal([&] { affiliate.readLong(0x1234); }).find("0x1234"), std::string::npos);
}

TEST(ServerModel, RefusesTextsTooLongForTheirFieldsAndWritesNothing) {
  struct Case {
    std::vector<RotationEntry> rotation;
    std::string pack;
    std::string says;
  };
  const std::vector<Case> cases = {
      {{{0, false, "DMM_01A.BMS", "City Madness"},
        {1, false, "TDMM_01A.BMS", std::string(64, 'n')}},
       kBasePack,
       "rotation map 1: display name \"nnn"},
      {{{0, false, std::string(28, 'M') + ".BMS", "Long File"}}, kBasePack, "mission file"},
      {{{0, false, std::string(27, 'M') + ".BMS", std::string(63, 'n')}},
       std::string(219, 'p'),
       "accepted"},
      {{{0, false, "A.BMS", "A"}}, std::string(220, 'p'), "resource pack"},
  };
  for (const Case& c : cases) {
    ServerOptions options = quickOptions();
    options.rotation = c.rotation;
    options.resourcePack = c.pack;
    std::string got = refusal<std::invalid_argument>([&] { makeServer(options); });
    EXPECT_NE(got.find(c.says), std::string::npos) << got;
  }

  ServerModel server = makeServer(quickOptions());
  std::vector<RotationEntry> before = server.rotation();
  EXPECT_NE(
      refusal<std::invalid_argument>([&] {
        server.setRotation({{0, false, "A.BMS", "A"}, {0, false, "B.BMS", std::string(64, 'b')}});
      }).find("has 64 characters; the server holds at most 63"),
      std::string::npos);
  EXPECT_EQ(server.rotation(), before);
  EXPECT_THROW(server.setResourcePack(std::string(220, 'p')), std::invalid_argument);
  EXPECT_EQ(server.resourcePack(), kBasePack);
}

std::vector<RotationEntry> numberedMaps(int count, const std::string& prefix) {
  std::vector<RotationEntry> maps;
  for (int k = 0; k < count; ++k) {
    maps.push_back({k % 2 == 0 ? 1 : 3, k % 3 == 0, prefix + std::to_string(k) + ".BMS",
                    prefix + " map " + std::to_string(k)});
  }
  return maps;
}

int32_t infoLong(const ServerModel& server, uint32_t offset) {
  return server.readLong(server.layout().simInfoBlock() + offset);
}

// The count the server holds decides the wrap, and a position outside the rotation (what a
// remote play-next of entry 0 writes) starts it again.
TEST(ServerModelRotation, PlaysAWrittenRotationInOrderAndWrapsWithoutViolations) {
  ServerModel server = makeServer(quickOptions());
  server.setRotation(numberedMaps(6, "NEW"));
  EXPECT_EQ(server.longAt("MaxMaps"), 6);
  EXPECT_TRUE(server.checkRotation().empty());
  std::vector<std::string> played;
  for (int game = 0; game < 8; ++game) {
    server.endGame();
    server.advance(11000);
    ASSERT_EQ(server.state(), 2);
    played.push_back(server.textAt("CurMap"));
    EXPECT_EQ(server.currentPosition(), (game + 1) % 6);
  }
  EXPECT_EQ(played.front(), "NEW map 1");
  EXPECT_EQ(played[5], "NEW map 0") << "wrapped after the last entry";
  EXPECT_EQ(server.rotationChecks(), 8);
  EXPECT_EQ(server.rotationViolations(), 0);
  EXPECT_EQ(std::string(server.readText(server.layout().simInfoBlock())), kSimInfoMarker);
  EXPECT_EQ(infoLong(server, kSimInfoChecksOffset), 8);

  for (auto [from, to] : {std::pair{255, 0}, {3, 4}}) {
    server.setCurrentPosition(from);
    server.endGame();
    server.advance(11000);
    EXPECT_EQ(server.currentPosition(), to) << from;
    EXPECT_EQ(server.textAt("CurMap"), "NEW map " + std::to_string(to));
  }
}

TEST(ServerModelRotation, EachMapStartCountsTheEntriesThatDoNotMatchTheirSlots) {
  ServerModel server = makeServer(quickOptions());
  std::vector<std::string> log;
  server.setLogger([&](const std::string& line) { log.push_back(line); });
  server.setRotation(numberedMaps(5, "OLD"));
  // An update that stopped in map 2, after its slot and before its entry.
  std::vector<RotationEntry> update = numberedMaps(5, "NEW");
  for (int32_t k = 0; k < 2; ++k) {
    server.setSlot(k, update[static_cast<size_t>(k)]);
    server.setEntry(k, update[static_cast<size_t>(k)]);
  }
  server.setSlot(2, update[2]);
  std::vector<RotationViolation> found = server.checkRotation();
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].entry, 2);
  EXPECT_NE(found[0].what.find("NEW2.BMS"), std::string::npos) << found[0].what;

  // A missing slot constant, and count fields that disagree.
  server.writeLong(server.layout().slotAddress(4) + kSlotConstantOffset, 0);
  server.writeLong(server.rotationPointer() + kHeaderCountCopyOffset, 3);
  found = server.checkRotation();
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0].entry, -1);
  EXPECT_EQ(found[2].entry, 4);
  EXPECT_NE(found[2].what.find("slot constant 0x0"), std::string::npos) << found[2].what;
  EXPECT_EQ(server.rotationViolations(), 0) << "looking counts nothing";

  // Slots beyond the count are not the server's business.
  server.writeText(server.layout().slotAddress(5), "STRAY.BMS");
  for (int game = 0; game < 2; ++game) {
    server.endGame();
    server.advance(11000);
  }
  EXPECT_EQ(server.rotationChecks(), 2);
  EXPECT_EQ(server.rotationViolations(), 6);
  EXPECT_EQ(infoLong(server, kSimInfoViolationsOffset), 6);
  EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& line) {
    return line.find("rotation check: 3 violations: counts") == 0 &&
           line.find("entry 2 (slot file \"NEW2.BMS\", entry file \"OLD2.BMS\")") !=
               std::string::npos;
  }));

  // A complete update repairs it: nothing more is counted.
  server.setRotation(update);
  server.endGame();
  server.advance(11000);
  EXPECT_EQ(server.rotationChecks(), 3);
  EXPECT_EQ(server.rotationViolations(), 6);
}

TEST(ServerModelScoring, AGameEndsWhenTheScoreReachesTheLimitOfItsType) {
  ServerOptions options = quickOptions();
  options.scoringRate = 2;
  options.maxKills = 30;
  options.kothLimit = 10;
  options.rotation = {{1, false, "TDMM_01A.BMS", "Mean Streets A"},
                      {3, false, "TKHM_01A.BMS", "House of Pain A"},
                      {7, false, "CTFM_01A.BMS", "Rocky Mountain A"}};
  ServerModel server = makeServer(options);
  EXPECT_EQ(server.activeLimit(), 30) << "Team Deathmatch: Score1a";
  server.advance(14999);
  EXPECT_EQ(server.state(), 2);
  EXPECT_EQ(infoLong(server, kSimInfoScoreOffset), 29);
  server.advance(1);
  EXPECT_EQ(server.state(), 4);
  EXPECT_DOUBLE_EQ(server.score(), 30);

  // King of the hill: Score2a, read as it stands (a limit the monitor imposes mid-game).
  writeGameTypeFields(server, 3);
  server.advance(11000);
  ASSERT_EQ(server.longAt("GameType"), 3);
  EXPECT_EQ(server.score(), 0) << "a new game starts from nothing";
  EXPECT_EQ(server.activeLimit(), 10);
  server.advance(2000);
  server.setLong("Score2a", 6);
  server.advance(0);
  EXPECT_EQ(server.state(), 2);
  server.advance(1000);
  EXPECT_EQ(server.state(), 4);

  // A game length shorter than the time to the limit ends it first.
  server.setGameLengthSeconds(4);
  server.advance(11000);
  server.advance(4000);
  EXPECT_EQ(server.state(), 4);
  EXPECT_DOUBLE_EQ(server.score(), 8);

  // Capture the flag has no limit; nor has a limit of 0.
  server.setGameLengthSeconds(0);
  writeGameTypeFields(server, 7);
  server.advance(11000);
  EXPECT_EQ(server.activeLimit(), 0);
  server.advance(600000);
  EXPECT_EQ(server.state(), 2);
  writeGameTypeFields(server, 1);
  server.endGame();
  server.advance(11000);
  server.setLong("Score1a", 0);
  server.advance(600000);
  EXPECT_EQ(server.state(), 2);

  EXPECT_THROW(server.setScoringRate(-1), std::invalid_argument);
  server.setScoringRate(0);
  server.setLong("Score1a", 1);
  server.advance(600000);
  EXPECT_EQ(server.state(), 2) << "nobody scores";
}

TEST(ServerModelClientWrites, AFullLogDropsTheOldestWritesAndCountsThem) {
  ServerModel server = makeServer();
  uint32_t timer = server.layout().at("RestartTmr");
  for (int32_t value = 0; value < static_cast<int32_t>(kClientWriteLogCapacity) + 2; ++value) {
    server.clientWrite(timer, &value, sizeof value);
  }
  EXPECT_EQ(server.clientWrites().size(), kClientWriteLogCapacity);
  EXPECT_EQ(server.clientWrites().front().number(), 2);
  EXPECT_EQ(server.droppedClientWrites(), 2u);
  server.clearClientWrites();
  EXPECT_TRUE(server.clientWrites().empty());
  EXPECT_EQ(server.droppedClientWrites(), 0u);
}

TEST(ServerLayout, RoomAtEndsAtTheNextFieldTheServerKeeps) {
  ServerLayout standard(ServerBuild::kStandard);
  ServerLayout affiliate(ServerBuild::kAffiliate);
  uint32_t slot = standard.slotAddress(3);
  const std::pair<uint32_t, uint32_t> rooms[] = {
      {standard.at("CurMap"), 64},  // GameType follows
      {standard.at("CurMap") + 10, 54},
      {standard.at("GameState"), 4},
      {standard.at("MsgStrAdd"), 100},
      {slot, 527},
      {slot + kSlotNameOffset, 773},
      {slot + kSlotMarkerOffset, 1},
      {slot + kSlotCustomOffset - 8, 8},
      {standard.slotAddress(0) + 1310, 3},  // the configured limits lie inside map slot 0
      {standard.entryAddress(2), 32},
      {standard.rotationHeader() + kHeaderCountOffset, 4},
      {standard.packBlock() + kPackNameOffset, kPackNameCapacity + 1},
  };
  for (auto [address, room] : rooms) EXPECT_EQ(standard.roomAt(address), room) << address;
  EXPECT_EQ(affiliate.roomAt(affiliate.slotAddress(0) + 1310), 498u);
  EXPECT_FALSE(standard.roomAt(0x100).has_value());
  EXPECT_FALSE(standard.roomAt(standard.packBlock() + 4096).has_value());
}

TEST(PageRanges, RoundsOutAndMergesTouchingPages) {
  std::vector<AddressRange> ranges = {{0x5000, 4}, {0x1FFE, 4}, {0x3000, 1}, {0x2100, 8}};
  std::vector<AddressRange> pages = pageRanges(ranges);
  ASSERT_EQ(pages.size(), 2u);
  EXPECT_EQ(pages[0].address, 0x1000u);
  EXPECT_EQ(pages[0].size, 0x3000u);
  EXPECT_EQ(pages[1].address, 0x5000u);
  EXPECT_EQ(pages[1].size, 0x1000u);
}

TEST(RotationFile, ParsesEntriesSkipsCommentsAndNamesTheLineOfABadEntry) {
  auto entries = parseRotation(
      "# mine\r\n\r\n1[-]0[-]TDMM_01A.BMS[-]Mean Streets A\r\n"
      "; custom\n2[-]1[-]COOP.BMS\n");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0], (RotationEntry{1, false, "TDMM_01A.BMS", "Mean Streets A"}));
  EXPECT_EQ(entries[1], (RotationEntry{2, true, "COOP.BMS", "COOP"}));
  EXPECT_EQ(formatRotationLine(entries[0]), "1[-]0[-]TDMM_01A.BMS[-]Mean Streets A");

  for (const std::string& second :
       {std::string("9[-]0[-]B.BMS"), "1[-]0[-]B.BMS[-]" + std::string(64, 'b')}) {
    std::string got =
        refusal<std::invalid_argument>([&] { parseRotation("1[-]0[-]A.BMS\n" + second); });
    EXPECT_NE(got.find("line 2"), std::string::npos) << got;
  }
  EXPECT_THROW(parseRotation("1[-]2[-]A.BMS"), std::invalid_argument);
  EXPECT_THROW(parseRotation("A.BMS"), std::invalid_argument);
}

TEST(MappedMemory, FailsLoudlyWhenTheRangeIsTaken) {
  // A low page of this test process, away from the server's addresses.
  auto* taken =
      static_cast<std::byte*>(mmap(reinterpret_cast<void*>(0x1F00000), 4096, PROT_READ,
                                   MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE, -1, 0));
  ASSERT_EQ(taken, reinterpret_cast<std::byte*>(0x1F00000));
  MappedMemory memory;
  std::vector<AddressRange> pages = {{0x1EFF000, 4096}, {0x1F00000, 4096}};
  std::string got = refusal<std::runtime_error>([&] { memory.map(pages); });
  EXPECT_NE(got.find("0x1F00000"), std::string::npos) << got;
  EXPECT_NE(got.find("already occupies"), std::string::npos) << got;
  EXPECT_FALSE(memory.isMapped(0x1EFF000, 4)) << "the part mapped before the failure is released";
  munmap(taken, 4096);

  memory.map(pages);
  int32_t value = 42;
  EXPECT_TRUE(memory.write(0x1EFFFFE, &value, sizeof value));
  EXPECT_TRUE(memory.compareExchangeLong(0x1EFF000, 0, 7));
  EXPECT_FALSE(memory.compareExchangeLong(0x1EFF000, 0, 8));
  int32_t back = 0;
  EXPECT_TRUE(memory.read(0x1EFFFFE, &back, sizeof back));
  EXPECT_EQ(back, 42);
  EXPECT_FALSE(memory.read(0x1F01000, &back, 1));
}

}  // namespace
}  // namespace rotaryn::sim
