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

// A 10-second end-of-game display and a second of loading.
ServerModel quickServer(ServerOptions options = {}) {
  options.displayLengthSeconds = 10;
  options.loadingSeconds = 1;
  return makeServer(std::move(options));
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

TEST(ServerModel, TheNextGameTypeIsTheOneTheFiveGameTypeFieldsAgreeOn) {
  for (ServerBuild build : {ServerBuild::kStandard, ServerBuild::kAffiliate}) {
    ServerModel server = quickServer({.build = build});
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
  ServerModel standard = quickServer({.maxKills = 25, .kothLimit = 6});
  EXPECT_EQ(standard.longAt("GameType"), 0);
  EXPECT_EQ(standard.longAt("Score1a"), 25);
  EXPECT_EQ(standard.longAt("Score2a"), 6);
  EXPECT_EQ(standard.longAt("KothLimit"), 6);

  ServerModel affiliate = quickServer({.build = ServerBuild::kAffiliate,
                                       .rotation = {{3, false, "TKHM_01A.BMS", "House of Pain A"}},
                                       .maxKills = 25,
                                       .kothLimit = 6});
  EXPECT_EQ(affiliate.longAt("GameType"), 3);
  EXPECT_EQ(affiliate.longAt("GTUpdate4"), 3);
  EXPECT_EQ(affiliate.longAt("Score1a"), 6) << "one field; the koth limit for a koth game";
  EXPECT_FALSE(affiliate.layout().has("MaxKills"));
  EXPECT_THROW(affiliate.longAt("CMaxKills"), std::out_of_range);
  EXPECT_NE(refusal([&] { affiliate.readLong(0x1234); }).find("0x1234"), std::string::npos);
}

// At start the command line's test refuses them; on a running server nothing is written.
TEST(ServerModel, RefusesTextsTooLongForTheirFieldsAndWritesNothing) {
  ServerModel server = quickServer();
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
  ServerModel server = quickServer();
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
  ServerModel server = quickServer();
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
  ServerModel server = quickServer({.rotation = {{1, false, "TDMM_01A.BMS", "Mean Streets A"},
                                                 {3, false, "TKHM_01A.BMS", "House of Pain A"},
                                                 {7, false, "CTFM_01A.BMS", "Rocky Mountain A"}},
                                    .maxKills = 30,
                                    .kothLimit = 10,
                                    .scoringRate = 2});
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

  // Capture the flag has no limit; nor has a limit of 0.
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
