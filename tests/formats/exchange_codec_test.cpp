#include "formats/exchange_codec.h"

#include <gtest/gtest.h>

#include <string>

#include "formats/base64.h"

namespace rotaryn::formats::exchange {
namespace {

MapsAnswer sampleAnswer() {
  MapsAnswer answer;
  answer.settings = {"1", "9", "Rolling Thunder", 10, 500, 20, 255};
  answer.catalogue = {{"Rolling Thunder", "DMR_01A.BMS", 0, false},
                      {"Canyon At Night", "canyon.night.bms", 3, true}};
  answer.rotation = {{"Canyon At Night", "canyon.night.bms", 3, true},
                     {"Rolling Thunder", "DMR_01A.BMS", 1, false}};
  answer.tasks = {{"25/12/2026 20:00:00", {"File=my_list.mpl", "Frequency=Every Day"}},
                  {"01/01/2027 00:00:00", {"File=Random", "Frequency=Once"}}};
  return answer;
}

ExchangeError::Kind kindOf(const std::function<void()>& call) {
  try {
    call();
  } catch (const ExchangeError& error) {
    return error.kind();
  }
  ADD_FAILURE() << "no ExchangeError";
  return ExchangeError::Kind::ServerNotRunning;
}

TEST(ExchangeCodec, MapsAnswerRoundTripsWithItsExactLayout) {
  const MapsAnswer answer = sampleAnswer();
  const std::string body = buildMapsBody(answer);
  EXPECT_EQ(body.substr(0, body.find("[-]|")),
            "1_9_" + formats::encodeBase64("Rolling Thunder") + "_10_500_20_255");
  EXPECT_NE(body.find("\r\n[CurMaps]\r\n" + formats::encodeBase64("Canyon At Night") +
                      "|canyon.night.bms|3|1\r\n"),
            std::string::npos);
  const std::string wire = buildMapsAnswer(answer);
  EXPECT_EQ(wire.substr(0, wire.find('[')), std::to_string(body.size()));
  EXPECT_EQ(unwrapMapsAnswer(wire), body);
  // A value holding "_" comes back whole.
  EXPECT_EQ(parseMapsAnswer(wire), answer);
}

TEST(ExchangeCodec, SetMapsDataRoundTripsAndSendsBlanksAsPercent20) {
  NewRotation rotation{
      7, 300, 15, {{"Rolling Thunder", "DMR_01A.BMS", 1, false}, {"", "x.bms", 0, true}}};
  const std::string text = setMapsText(rotation);
  EXPECT_EQ(text, "0_7_300_15_" + formats::encodeBase64("Rolling%20Thunder") + "|" +
                      formats::encodeBase64("DMR_01A.BMS") + "|1|0_|" +
                      formats::encodeBase64("x.bms") + "|0|1");
  const std::string data = buildSetMapsData(rotation);
  EXPECT_EQ(data.substr(0, data.find('|')), std::to_string(text.size()));
  EXPECT_EQ(unwrapSetMapsData(data), text);
  EXPECT_EQ(parseSetMapsData(data), rotation);
  EXPECT_TRUE(parseSetMapsText("x_1_2_3").rotation.empty());
}

TEST(ExchangeCodec, ErrorsNameTheFault) {
  using K = ExchangeError::Kind;
  const std::string wire = buildMapsAnswer(sampleAnswer());
  const std::string afterLength = wire.substr(wire.find('['));
  const std::string body = buildMapsBody(sampleAnswer());
  struct Case {
    std::string name;
    std::function<void()> call;
    K kind;
  };
  const std::vector<Case> cases = {
      {"failed", [] { parseMapsAnswer("Failed"); }, K::ServerNotRunning},
      {"no marker", [] { parseMapsAnswer("12abc"); }, K::MissingSection},
      {"length off by one", [&] { parseMapsAnswer(std::to_string(body.size() + 1) + afterLength); },
       K::LengthMismatch},
      {"length not a number", [&] { parseMapsAnswer("x" + afterLength); }, K::LengthMismatch},
      {"bad base 64", [] { parseMapsAnswer("3[-]Tarnwick[-]ab*d"); }, K::BadBase64},
      {"not zlib", [] { parseMapsAnswer("3[-]Tarnwick[-]" + formats::encodeBase64("abc")); },
       K::BadCompression},
      {"six settings",
       [] { parseMapsBody("1__1_2_3_4[-]|[-]Tarnwick[-]|[-][CurMaps][-]|[-]Tarnwick[-]|[-]"); },
       K::MissingSection},
      {"limit not a number",
       [] { parseMapsBody("1_9__1_2x_3_4[-]|[-]Tarnwick[-]|[-][CurMaps][-]|[-]Tarnwick[-]|[-]"); },
       K::NotANumber},
      {"no [CurMaps]",
       [] { parseMapsBody("1_9__1_2_3_4[-]|[-]Tarnwick[-]|[-][-]|[-]Tarnwick[-]|[-]"); },
       K::MissingSection},
      {"map line game type",
       [] {
         parseMapsBody(
             "1_9__1_2_3_4[-]|[-]Tarnwick[-]|[-]QQ==|a.bms|t|0\r\n[CurMaps][-]|[-]Tarnwick[-]|[-]");
       },
       K::NotANumber},
      {"map line fields",
       [] {
         parseMapsBody(
             "1_9__1_2_3_4[-]|[-]Tarnwick[-]|[-]QQ==|0|0\r\n[CurMaps][-]|[-]Tarnwick[-]|[-]");
       },
       K::MissingSection},
      {"set data bad base 64", [] { parseSetMapsData("12|@@@@"); }, K::BadBase64},
      {"set text limits", [] { parseSetMapsText("0_1_2"); }, K::MissingSection},
      {"set text limit", [] { parseSetMapsText("0_1_x_3"); }, K::NotANumber},
      {"set entry parts", [] { parseSetMapsText("0_1_2_3_QQ==|QQ==|1"); }, K::MissingSection},
      {"set entry flag", [] { parseSetMapsText("0_1_2_3_QQ==|QQ==|1|2"); }, K::NotANumber},
      {"set data length",
       [] {
         const std::string data = buildSetMapsData({});
         parseSetMapsData("99" + data.substr(data.find('|')));
       },
       K::LengthMismatch},
  };
  for (const Case& c : cases) EXPECT_EQ(kindOf(c.call), c.kind) << c.name;
  // Tasks that cannot be read leave the maps readable and say why.
  const MapsAnswer tasksBroken =
      parseMapsBody("1_9__1_2_3_4[-]|[-]Tarnwick[-]|[-][CurMaps][-]|[-]Tarnwick[-]|[-]%%");
  EXPECT_TRUE(tasksBroken.tasks.empty());
  EXPECT_NE(tasksBroken.tasksProblem.find("the tasks"), std::string::npos)
      << tasksBroken.tasksProblem;
  try {
    parseSetMapsText("0_1_2_3_QQ==|QQ==|x|0");
  } catch (const ExchangeError& error) {
    EXPECT_STREQ(error.what(), "map entry 0 (field 4), game type: \"x\" is not a number");
  }
}

TEST(ExchangeCodec, NumbersAreWholeDecimalsWithinThirtyTwoBits) {
  EXPECT_EQ(parseNumber("-12", "n"), -12);
  EXPECT_EQ(parseNumber("+7", "n"), 7);
  EXPECT_EQ(parseNumber("2147483647", "n"), 2147483647);
  for (const char* bad : {"", "+", "+-1", " 1", "1.5", "2147483648", "1e3", "&H10"}) {
    EXPECT_THROW(parseNumber(bad, "n"), ExchangeError) << bad;
  }
}

}  // namespace
}  // namespace rotaryn::formats::exchange
