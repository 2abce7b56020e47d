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

TEST(ServerModel, ResetgamesEndsTheGameAndStartsTheCountdownAtTheDisplayLength) {
  ServerModel server = makeServer(quickOptions());
  server.postCommand("resetgames");
  EXPECT_EQ(server.state(), 2) << "nothing happens before the server runs";
  server.advance(0);
  EXPECT_EQ(server.state(), 4);
  EXPECT_EQ(server.longAt("RestartTmr"), 620);
  EXPECT_EQ(server.longAt("MsgTypeAdd"), 0);
}

TEST(ServerModel, CountdownFalls62PerSecondThenState1ThenTheNextMap) {
  ServerModel server = makeServer(quickOptions());
  server.endGame();
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
}

TEST(ServerModel, ACountdownWrittenFromOutsideIsTakenAsIs) {
  ServerModel server = makeServer(quickOptions());
  server.endGame();
  server.advance(100);
  server.setLong("RestartTmr", 31);  // half a second
  server.advance(499);
  EXPECT_EQ(server.state(), 4);
  server.advance(1);
  EXPECT_EQ(server.state(), 1);
}

TEST(ServerModel, SpeedCompressesTime) {
  ServerOptions options = quickOptions();
  options.speed = 20;
  ServerModel server = makeServer(options);
  server.endGame();
  server.advance(550);  // 11 server seconds: display over, loading done
  EXPECT_EQ(server.state(), 2);
  EXPECT_EQ(server.currentPosition(), 1);
}

TEST(ServerModel, AGameEndsByItselfAfterTheGameLength) {
  ServerOptions options = quickOptions();
  options.gameLengthSeconds = 60;
  ServerModel server = makeServer(options);
  server.advance(59999);
  EXPECT_EQ(server.state(), 2);
  server.advance(1);
  EXPECT_EQ(server.state(), 4);
  server.advance(11000);
  EXPECT_EQ(server.state(), 2);
  EXPECT_EQ(server.currentPosition(), 1);
}

TEST(ServerModel, TheRotationWrapsAfterTheLastEntryAndForPositionsOutsideIt) {
  ServerModel server = makeServer(quickOptions());
  server.setCurrentPosition(3);
  server.endGame();
  server.advance(11000);
  EXPECT_EQ(server.currentPosition(), 0);
  EXPECT_EQ(server.textAt("CurMap"), "City Madness");
  server.setCurrentPosition(255);  // what a remote play-next of position 0 writes
  server.endGame();
  server.advance(11000);
  EXPECT_EQ(server.currentPosition(), 0);
  server.setCurrentPosition(1);  // play-next chose entry 2
  server.endGame();
  server.advance(11000);
  EXPECT_EQ(server.currentPosition(), 2);
  EXPECT_EQ(server.textAt("CurMap"), "House of Pain A");
}

TEST(ServerModel, TheRotationCountInTheServerDecidesTheWrap) {
  ServerModel server = makeServer(quickOptions());
  server.setRotation({{1, false, "TDMM_02A.BMS", "Hornets Nest A"}, {1, true, "X.BMS", "X"}});
  EXPECT_EQ(server.rotationCount(), 2);
  EXPECT_EQ(server.longAt("MaxMaps"), 2);
  server.setCurrentPosition(1);
  server.endGame();
  server.advance(11000);
  EXPECT_EQ(server.currentPosition(), 0);
  EXPECT_EQ(server.textAt("CurMap"), "Hornets Nest A");
}

void writeGameTypeFields(ServerModel& server, int32_t type, int fields = 5) {
  for (int i = 1; i <= fields; ++i) server.setLong("GTUpdate" + std::to_string(i), type);
}

TEST(ServerModel, TheNextGameTypeIsTheOneTheFiveGameTypeFieldsAgreeOn) {
  for (ServerBuild build : {ServerBuild::kStandard, ServerBuild::kAffiliate}) {
    ServerOptions options = quickOptions();
    options.build = build;
    ServerModel server = makeServer(options);
    EXPECT_EQ(server.longAt("GameType"), 0);
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
    // Not a game type.
    server.endGame();
    writeGameTypeFields(server, 99);
    server.advance(11000);
    EXPECT_EQ(server.longAt("GameType"), 3);
  }
}

TEST(ServerModel, TheActiveLimitsAreTheServersOwnAtTheStartOfAGame) {
  ServerOptions options = quickOptions();
  options.maxKills = 25;
  options.kothLimit = 6;
  ServerModel standard = makeServer(options);
  EXPECT_EQ(standard.longAt("Score1a"), 25);
  EXPECT_EQ(standard.longAt("Score2a"), 6);
  EXPECT_EQ(standard.longAt("KothLimit"), 6);

  options.build = ServerBuild::kAffiliate;
  options.rotation = {{3, false, "TKHM_01A.BMS", "House of Pain A"}};
  ServerModel affiliate = makeServer(options);
  EXPECT_EQ(affiliate.longAt("Score1a"), 6) << "one field; the koth limit for a koth game";
  EXPECT_FALSE(affiliate.layout().has("MaxKills"));
  EXPECT_THROW(affiliate.longAt("CMaxKills"), std::out_of_range);
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

TEST(ServerModel, CommandsStayInTheMailboxWhenConsumingIsOff) {
  ServerOptions options = quickOptions();
  options.consumeCommands = false;
  ServerModel server = makeServer(options);
  server.postCommand("resetgames");
  server.advance(1000);
  EXPECT_EQ(server.longAt("MsgTypeAdd"), 1);
  EXPECT_EQ(server.state(), 2);
}

TEST(ServerModel, AnIdleStateStaysPut) {
  ServerOptions options = quickOptions();
  options.initialState = 0;
  ServerModel server = makeServer(options);
  server.advance(100000);
  EXPECT_EQ(server.state(), 0);
}

TEST(ServerModel, ReadsBackTheRotationItHolds) {
  ServerOptions options = quickOptions();
  options.build = ServerBuild::kAffiliate;
  options.rotation = {{8, false, "FBM_02A.BMS", "Sky Fire A"}, {5, true, "MYSD.BMS", "My SD"}};
  options.resourcePack = "mod.pff";
  ServerModel server = makeServer(options);
  EXPECT_EQ(server.rotation(), options.rotation);
  EXPECT_EQ(server.resourcePack(), "mod.pff");
  EXPECT_EQ(server.longAt("GameType"), 8);
  EXPECT_EQ(server.longAt("GTUpdate4"), 8);
}

TEST(ServerModel, RawAccessOutsideTheServerNamesTheAddress) {
  ServerModel server = makeServer();
  try {
    server.readLong(0x1234);
    FAIL();
  } catch (const std::out_of_range& error) {
    EXPECT_NE(std::string(error.what()).find("0x1234"), std::string::npos);
  }
}

TEST(ServerModel, RefusesTextsTooLongForTheirFieldsAndWritesNothing) {
  auto refusal = [](ServerOptions options) {
    try {
      makeServer(std::move(options));
    } catch (const std::invalid_argument& error) {
      return std::string(error.what());
    }
    return std::string("accepted");
  };
  ServerOptions options = quickOptions();
  options.rotation = {{0, false, "DMM_01A.BMS", "City Madness"},
                      {1, false, "TDMM_01A.BMS", std::string(64, 'n')}};
  EXPECT_NE(refusal(options).find("rotation map 1: display name \"nnn"), std::string::npos)
      << refusal(options);
  EXPECT_NE(refusal(options).find("has 64 characters; the server holds at most 63"),
            std::string::npos);
  options.rotation = {{0, false, std::string(28, 'M') + ".BMS", "Long File"}};
  EXPECT_NE(refusal(options).find("mission file"), std::string::npos) << refusal(options);
  options.rotation = {{0, false, std::string(27, 'M') + ".BMS", std::string(63, 'n')}};
  EXPECT_EQ(refusal(options), "accepted");
  options.resourcePack = std::string(220, 'p');
  EXPECT_NE(refusal(options).find("resource pack"), std::string::npos) << refusal(options);
  options.resourcePack = std::string(219, 'p');
  EXPECT_EQ(refusal(options), "accepted");

  ServerModel server = makeServer(quickOptions());
  std::vector<RotationEntry> before = server.rotation();
  EXPECT_THROW(
      server.setRotation({{0, false, "A.BMS", "A"}, {0, false, "B.BMS", std::string(70, 'b')}}),
      std::invalid_argument);
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

TEST(ServerModelRotation, PlaysAWrittenRotationInOrderAndWrapsWithoutViolations) {
  ServerModel server = makeServer(quickOptions());
  server.setRotation(numberedMaps(6, "NEW"));
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
  EXPECT_EQ(played[4], "NEW map 5");
  EXPECT_EQ(played[5], "NEW map 0") << "wrapped after the last entry";
  EXPECT_EQ(server.rotationChecks(), 8);
  EXPECT_EQ(server.rotationViolations(), 0);
  EXPECT_EQ(std::string(server.readText(server.layout().simInfoBlock())), kSimInfoMarker);
  EXPECT_EQ(infoLong(server, kSimInfoChecksOffset), 8);
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
  server.endGame();
  server.advance(11000);
  server.endGame();
  server.advance(11000);
  EXPECT_EQ(server.rotationChecks(), 2);
  EXPECT_EQ(server.rotationViolations(), 6);
  EXPECT_EQ(infoLong(server, kSimInfoViolationsOffset), 6);
  EXPECT_NE(std::find_if(log.begin(), log.end(),
                         [](const std::string& line) {
                           return line.find("rotation check: 3 violations: counts") == 0 &&
                                  line.find(
                                      "entry 2 (slot file \"NEW2.BMS\", entry file "
                                      "\"OLD2.BMS\")") != std::string::npos;
                         }),
            log.end());

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

TEST(ServerModelClientWrites, RecordsWhatClientsWroteInOrderButNotTheServersOwnUpdates) {
  ServerModel server = makeServer(quickOptions());
  uint32_t timer = server.layout().at("RestartTmr");
  uint32_t slot = server.layout().slotAddress(2);
  int32_t skip = 500;
  uint8_t flagball = 8;
  const char file[] = "FBM_02A.BMS";
  int16_t twoBytes = -1;
  ASSERT_TRUE(server.clientWrite(timer, &skip, sizeof skip));
  ASSERT_TRUE(server.clientWrite(slot + kSlotGameTypeOffset, &flagball, 1));
  ASSERT_TRUE(server.clientWrite(slot, file, sizeof file));
  ASSERT_TRUE(server.clientWrite(timer, &twoBytes, sizeof twoBytes));
  int32_t minusOne = -1;
  EXPECT_FALSE(server.clientWrite(0x100, &minusOne, 4)) << "unmapped: not written, not logged";
  ASSERT_TRUE(server.clientWrite(timer, &minusOne, 4));
  // Not clients: a setter, the end of a game, the countdown, the next map.
  server.setLong("GTUpdate1", 1);
  server.endGame();
  server.advance(11000);
  ASSERT_EQ(server.state(), 2);

  const std::deque<ClientWrite>& writes = server.clientWrites();
  ASSERT_EQ(writes.size(), 5u);
  EXPECT_EQ(writes[0].address, timer);
  EXPECT_EQ(writes[0].size(), 4u);
  EXPECT_EQ(writes[0].number(), 500);
  EXPECT_EQ(writes[1].address, slot + kSlotGameTypeOffset);
  EXPECT_EQ(writes[1].size(), 1u);
  EXPECT_EQ(writes[1].number(), 8);
  EXPECT_EQ(writes[2].size(), sizeof file);
  EXPECT_EQ(writes[2].text(), "FBM_02A.BMS");
  EXPECT_EQ(writes[3].number(), 0xFFFF) << "fewer than 4 bytes are unsigned";
  EXPECT_EQ(writes[4].number(), -1) << "4 bytes are signed, as WriteLong was given them";

  server.clearClientWrites();
  EXPECT_TRUE(server.clientWrites().empty());
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
  EXPECT_EQ(server.droppedClientWrites(), 0u);
}

TEST(ServerModelCommandDelay, ACommandWaitsForClientReadsMadeWhileItWaits) {
  ServerOptions options = quickOptions();
  options.commandDelayReads = 2;
  ServerModel server = makeServer(options);
  uint32_t state = server.layout().at("GameState");
  int32_t value = 0;
  for (int i = 0; i < 3; ++i) server.clientRead(state, &value, sizeof value);  // nothing waits yet
  server.postCommand("resetgames");
  server.advance(1000);
  EXPECT_EQ(server.state(), 2);
  EXPECT_EQ(server.readsWhileCommandWaits(), 0);

  ASSERT_TRUE(server.clientRead(state, &value, sizeof value));
  EXPECT_FALSE(server.clientRead(0x100, &value, sizeof value)) << "a failed read is no read";
  EXPECT_FALSE(server.clientReadText(0x100, 10).has_value());
  server.advance(1000);
  EXPECT_EQ(server.state(), 2);
  EXPECT_EQ(server.readsWhileCommandWaits(), 1);

  EXPECT_EQ(server.clientReadText(server.layout().at("CurMap"), 4096), "City Madness");
  server.advance(0);
  EXPECT_EQ(server.state(), 4);
  EXPECT_EQ(server.longAt("MsgTypeAdd"), 0);
  EXPECT_EQ(server.readsWhileCommandWaits(), 0);
}

TEST(ServerModelCommandDelay, TheDelayChangesForACommandAlreadyWaiting) {
  ServerOptions options = quickOptions();
  options.commandDelayReads = 5;
  ServerModel server = makeServer(options);
  server.postCommand("resetgames");
  int32_t value = 0;
  server.clientRead(server.layout().at("GameState"), &value, sizeof value);
  server.clientRead(server.layout().at("GameState"), &value, sizeof value);
  server.advance(0);
  EXPECT_EQ(server.state(), 2);
  server.setCommandDelayReads(2);
  server.advance(0);
  EXPECT_EQ(server.state(), 4);

  EXPECT_THROW(server.setCommandDelayReads(-1), std::invalid_argument);
  EXPECT_EQ(server.options().commandDelayReads, 2);
  options.commandDelayReads = -1;
  EXPECT_THROW(makeServer(options), std::invalid_argument);
}

TEST(ServerLayout, RoomAtEndsAtTheNextFieldTheServerKeeps) {
  ServerLayout standard(ServerBuild::kStandard);
  EXPECT_EQ(standard.roomAt(standard.at("CurMap")), 64u) << "GameType follows";
  EXPECT_EQ(standard.roomAt(standard.at("CurMap") + 10), 54u);
  EXPECT_EQ(standard.roomAt(standard.at("GameState")), 4u);
  EXPECT_EQ(standard.roomAt(standard.at("MsgStrAdd")), 100u);
  uint32_t slot = standard.slotAddress(3);
  EXPECT_EQ(standard.roomAt(slot), 527u);
  EXPECT_EQ(standard.roomAt(slot + kSlotNameOffset), 773u);
  EXPECT_EQ(standard.roomAt(slot + kSlotMarkerOffset), 1u);
  EXPECT_EQ(standard.roomAt(slot + kSlotCustomOffset - 8), 8u);
  // The configured limits lie inside map slot 0 of the standard build.
  EXPECT_EQ(standard.roomAt(standard.slotAddress(0) + 1310), 3u);
  ServerLayout affiliate(ServerBuild::kAffiliate);
  EXPECT_EQ(affiliate.roomAt(affiliate.slotAddress(0) + 1310), 498u);
  EXPECT_EQ(standard.roomAt(standard.entryAddress(2)), 32u);
  EXPECT_EQ(standard.roomAt(standard.rotationHeader() + kHeaderCountOffset), 4u);
  EXPECT_EQ(standard.roomAt(standard.packBlock() + kPackNameOffset), kPackNameCapacity + 1);
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

TEST(RotationFile, ParsesEntriesAndSkipsCommentsAndBlankLines) {
  auto entries = parseRotation(
      "# mine\r\n\r\n1[-]0[-]TDMM_01A.BMS[-]Mean Streets A\r\n"
      "; custom\n2[-]1[-]COOP.BMS\n");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0], (RotationEntry{1, false, "TDMM_01A.BMS", "Mean Streets A"}));
  EXPECT_EQ(entries[1], (RotationEntry{2, true, "COOP.BMS", "COOP"}));
  EXPECT_EQ(formatRotationLine(entries[0]), "1[-]0[-]TDMM_01A.BMS[-]Mean Streets A");
}

TEST(RotationFile, NamesTheLineOfABadEntry) {
  for (const std::string& second :
       {std::string("9[-]0[-]B.BMS"), "1[-]0[-]B.BMS[-]" + std::string(64, 'b')}) {
    try {
      parseRotation("1[-]0[-]A.BMS\n" + second + "\n");
      FAIL() << second;
    } catch (const std::invalid_argument& error) {
      EXPECT_NE(std::string(error.what()).find("line 2"), std::string::npos) << error.what();
    }
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
  try {
    memory.map(pages);
    FAIL();
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string(error.what()).find("0x1F00000"), std::string::npos) << error.what();
    EXPECT_NE(std::string(error.what()).find("already occupies"), std::string::npos);
  }
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
