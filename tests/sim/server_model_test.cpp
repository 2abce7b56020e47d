#include "sim/model/server_model.h"

#include <gtest/gtest.h>
#include <sys/mman.h>

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

TEST(ServerModel, TheNextGameTypeComesFromGTUpdate1) {
  ServerModel server = makeServer(quickOptions());
  EXPECT_EQ(server.longAt("GameType"), 0);
  server.endGame();
  server.setLong("GTUpdate1", 3);
  server.advance(11000);
  EXPECT_EQ(server.longAt("GameType"), 3);
  for (const char* key : {"GTUpdate2", "GTUpdate3", "GTUpdate4", "GTUpdate5"}) {
    EXPECT_EQ(server.longAt(key), 3) << key;
  }
  // Unwritten (or not a game type): the type played so far stays.
  server.endGame();
  server.setLong("GTUpdate1", 99);
  server.advance(11000);
  EXPECT_EQ(server.longAt("GameType"), 3);
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
  auto entries = parseRotation("# mine\r\n\r\n1[-]0[-]TDMM_01A.BMS[-]Mean Streets A\r\n"
                               "; custom\n2[-]1[-]COOP.BMS\n");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0], (RotationEntry{1, false, "TDMM_01A.BMS", "Mean Streets A"}));
  EXPECT_EQ(entries[1], (RotationEntry{2, true, "COOP.BMS", "COOP"}));
  EXPECT_EQ(formatRotationLine(entries[0]), "1[-]0[-]TDMM_01A.BMS[-]Mean Streets A");
}

TEST(RotationFile, NamesTheLineOfABadEntry) {
  try {
    parseRotation("1[-]0[-]A.BMS\n9[-]0[-]B.BMS\n");
    FAIL();
  } catch (const std::invalid_argument& error) {
    EXPECT_NE(std::string(error.what()).find("line 2"), std::string::npos);
  }
  EXPECT_THROW(parseRotation("1[-]2[-]A.BMS"), std::invalid_argument);
  EXPECT_THROW(parseRotation("A.BMS"), std::invalid_argument);
}

TEST(MappedMemory, FailsLoudlyWhenTheRangeIsTaken) {
  // A low page of this test process, away from the server's addresses.
  auto* taken = static_cast<std::byte*>(mmap(reinterpret_cast<void*>(0x1F00000), 4096,
                                             PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED_NOREPLACE,
                                             -1, 0));
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
