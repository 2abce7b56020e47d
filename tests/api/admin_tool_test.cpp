#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QJsonArray>
#include <sstream>

#include "admin/admin_client.h"
#include "admin/admin_commands.h"
#include "admin/maps_view.h"
#include "admin/upload_body.h"

namespace rotaryn::admin {
namespace {

using ::testing::HasSubstr;

formats::exchange::MapsAnswer sampleAnswer() {
  formats::exchange::MapsAnswer answer;
  answer.settings = {"1", "4", "City Madness", 10, 30, 20, 255};
  answer.catalogue = {{"Road Rage", "DMK_01A.BMS", 0, false},
                      {"Pigskin A", "FBM_01A.BMS", 8, false},
                      {"Caf\xE9 Night", "cafe.bms", 1, true}};
  answer.rotation = {answer.catalogue[1], answer.catalogue[2]};
  answer.tasks = {{"25/12/2026 20:00:00", {"File=mylist.mpl", "Frequency=Every Day"}}};
  return answer;
}

TEST(AdminMaps, ShowsSettingsMapsByTypeRotationAndTasks) {
  const std::string text = mapsText(sampleAnswer()).toStdString();
  EXPECT_THAT(text, HasSubstr("display time            4 (20 s)"));
  EXPECT_THAT(text, HasSubstr("Stock maps (2)\n  Deathmatch\n    Road Rage <DMK_01A.BMS>\n"
                              "  Flagball\n    Pigskin A <FBM_01A.BMS>\n"));
  EXPECT_THAT(text, HasSubstr("Custom maps (1)\n  Team Deathmatch\n    Café Night <cafe.bms>"));
  EXPECT_THAT(text, HasSubstr("  1    Café Night  cafe.bms      Team Deathmatch  custom\n"));
  EXPECT_THAT(text, HasSubstr("25/12/2026 20:00:00  Every Day  mylist.mpl"));

  const QJsonObject json = mapsJson(sampleAnswer());
  EXPECT_EQ(json["rotation"].toArray()[0].toObject()["gameTypeName"].toString(), "Flagball");
  EXPECT_EQ(json["custom"].toArray().size(), 1);
}

TEST(AdminMaps, ReadsAMapListAgainstTheServersCatalogue) {
  std::vector<std::string> problems;
  const auto rotation = readMapList(
      "8[-]0[-]FBM_01A.BMS\r\n1[-]1[-] cafe.bms \r\n\r\n0[-]1[-]DMK_01A.BMS\r\nx[-]0[-]A\r\n"
      "0[-]0\r\n",
      sampleAnswer().catalogue, problems);
  ASSERT_EQ(rotation.size(), 2u);
  EXPECT_EQ(rotation[1].displayName, "Caf\xE9 Night");
  ASSERT_EQ(problems.size(), 3u);
  EXPECT_THAT(problems[0], HasSubstr("line 4: DMK_01A.BMS (Deathmatch, custom) is not among"));
  EXPECT_THAT(problems[1], HasSubstr("line 5:"));
  EXPECT_THAT(problems[2], HasSubstr("line 6: not type[-]flag[-]mission file"));
}

TEST(AdminMaps, SaysWhatRotationTheServerHoldsAfterASet) {
  const formats::exchange::MapsAnswer before = sampleAnswer();
  const formats::exchange::MapLine road = before.catalogue[0];
  const formats::exchange::MapLine pigskin = before.catalogue[1];
  const formats::exchange::NewRotation sent{10, 30, 20, {road, pigskin}};
  auto after = [&](std::vector<formats::exchange::MapLine> rotation, int32_t kills = 30) {
    formats::exchange::MapsAnswer answer = before;
    answer.rotation = std::move(rotation);
    answer.settings.killLimit = kills;
    return answer;
  };
  formats::exchange::MapLine lowerCase = road;
  lowerCase.missionFile = "dmk_01a.bms";
  lowerCase.custom = true;  // the flag read back follows display names, not what was sent
  struct Case {
    formats::exchange::MapsAnswer held;
    bool same;
    const char* says;
  };
  const Case cases[] = {
      {after({lowerCase, pigskin}), true,
       "the server plays the new rotation of 2 maps, limits "
       "10, 30, 20"},
      {after({road, pigskin}, 99), false, "but its limits 10, 99, 20, not the limits 10, 30, 20"},
      {after(before.rotation), false, "kept its old rotation of 2 maps"},
      {after({road}), false,
       "1 maps were dropped as unknown to the server: FBM_01A.BMS (Flagball)"},
  };
  for (const Case& c : cases) {
    const RotationCheck check = checkRotation(sent, before, c.held);
    EXPECT_EQ(check.held, c.same) << c.says;
    EXPECT_THAT(check.text.toStdString(), HasSubstr(c.says));
  }
}

// The body is made as it is read, in pieces of any size and from any position.
TEST(AdminData, UploadBodyIsTheJsonOfTheUploadData) {
  UploadBody body("m\"\xE9.bms", QByteArray("BM\0\xFF", 4));
  const QByteArray expected = "{\"data\":\"m\\\"\xC3\xA9.bms|66/77/0/255/\"}";
  EXPECT_EQ(body.size(), expected.size());
  EXPECT_EQ(body.readAll(), expected);
  ASSERT_TRUE(body.seek(0));
  QByteArray oneByOne;
  while (!body.atEnd()) oneByOne += body.read(1);
  EXPECT_EQ(oneByOne, expected);
  for (qint64 from : {qint64{20}, qint64{3}, qint64{26}}) {
    ASSERT_TRUE(body.seek(from));
    EXPECT_EQ(body.read(5), expected.mid(from, 5)) << from;
  }
  EXPECT_FALSE(body.seek(expected.size() + 1));
}

TEST(AdminData, BuildsTheTextsThePluginReads) {
  EXPECT_EQ(taskSection("03/03/2027", "07:05:09"), "03/03/2027 07:05:09");
  EXPECT_THROW(taskSection("3/3/2027", "07:05:09"), std::invalid_argument);
  EXPECT_THROW(taskSection("03/13/2027", "07:05:09"), std::invalid_argument);
  EXPECT_THROW(taskSection("31/02/2027", "07:05:09"), std::invalid_argument);
  EXPECT_THROW(taskSection("03/03/2027", "24:00:00"), std::invalid_argument);
  EXPECT_EQ(taskFrequency("every week"), "Every Week");
  EXPECT_THROW(taskFrequency("daily"), std::invalid_argument);
  EXPECT_EQ(toWindows1252(fromWindows1252("\x80 \xE9 \x9F")), "\x80 \xE9 \x9F");
  EXPECT_THROW(toWindows1252(QString::fromUtf8("\xE2\x98\x83")), std::invalid_argument);
}

TEST(AdminCommandLine, RefusesBadUsageWithExitTwoBeforeSendingAnything) {
  static int argc = 1;
  static char name[] = "api_tests";
  static char* argv[] = {name, nullptr};
  static QCoreApplication app(argc, argv);
  auto run = [](QStringList words, std::optional<std::string> token = "t") {
    std::ostringstream out;
    std::ostringstream err;
    // Port 1 on loopback: were anything sent, the answer would be "unreachable" (4).
    words.prepend("http://127.0.0.1:1");
    words.prepend("--host");
    const int code = runAdmin(words, out, err, [token](const char*) { return token; });
    return std::make_pair(code, err.str());
  };
  EXPECT_EQ(run({"profiles"}, std::nullopt).first, kExitUsage);
  // A missing token is told first, whatever else is wrong.
  EXPECT_THAT(run({"reboot"}, std::nullopt).second, HasSubstr("ROTARYN_TOKEN"));
  // What each wrong line is told; options count anywhere on the line.
  const std::pair<QStringList, const char*> wrong[] = {
      {{}, "no command given"},
      {{"skip"}, "usage: skip P"},
      {{"skip", "1", "2"}, "usage: skip P"},
      {{"skip", "x"}, "a profile is a whole number from 1"},
      {{"play", "1", "-1"}, "POS is a rotation position from 0"},
      {{"display-time", "1", "10"}, "display-time is 1 to 9"},
      {{"task", "add", "1", "25/12/2026", "20:00", "Random", "Once"}, "hh:mm:ss"},
      {{"task", "move", "1"}, "usage: task add|edit|delete P ..."},
      {{"maps", "set", "1"}, "maps set needs a map-list file"},
      {{"maps", "set", "1", "--scores", "1,2"}, "--scores is three limits"},
      {{"--scores", "1,2", "maps", "set", "1"}, "--scores is three limits"},
      {{"maps", "list", "1"}, "unknown command \"maps list 1\""},
      {{"reboot"}, "unknown command \"reboot\""},
      {{"skip", "1", "--colour"}, "unknown option --colour"},
      {{"skip", "1", "--token-file"}, "--token-file needs a value"},
  };
  for (const auto& [words, says] : wrong) {
    const auto [code, err] = run(words);
    EXPECT_EQ(code, kExitUsage) << says;
    EXPECT_THAT(err, HasSubstr(says));
  }
  EXPECT_EQ(run({"skip", "1"}).first, kExitUnreachable);
  EXPECT_EQ(run({"skip", "1", "--json"}).first, kExitUnreachable);
}

}  // namespace
}  // namespace rotaryn::admin
