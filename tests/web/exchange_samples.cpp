// Texts built by the shared exchange codec, with what the codec reads from them, for the web
// console's test to hand to the page's own reader: both must read every text alike.
//   exchange_samples                 prints the samples as JSON
//   exchange_samples --set-maps DATA prints what the codec reads from SetMapsRem data
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>

#include "formats/exchange_codec.h"
#include "formats/windows_1252.h"

namespace ex = rotaryn::formats::exchange;
using nlohmann::json;

namespace {

std::string utf8(const std::string& text) {
  return rotaryn::formats::utf8FromWindows1252(text);
}

json mapsJson(const std::vector<ex::MapLine>& lines) {
  json out = json::array();
  for (const ex::MapLine& m : lines) {
    out.push_back({{"displayName", utf8(m.displayName)},
                   {"missionFile", utf8(m.missionFile)},
                   {"gameType", m.gameType},
                   {"custom", m.custom}});
  }
  return out;
}

const char* kindName(ex::ExchangeError::Kind kind) {
  using Kind = ex::ExchangeError::Kind;
  switch (kind) {
    case Kind::ServerNotRunning:
      return "ServerNotRunning";
    case Kind::LengthMismatch:
      return "LengthMismatch";
    case Kind::MissingSection:
      return "MissingSection";
    case Kind::BadBase64:
      return "BadBase64";
    case Kind::BadCompression:
      return "BadCompression";
    case Kind::NotANumber:
      return "NotANumber";
  }
  return "?";
}

// What the codec reads from a GetMapsRem answer, or the kind of error it raises.
json readAnswer(const std::string& answer) {
  try {
    const ex::MapsAnswer a = ex::parseMapsAnswer(answer);
    const ex::ServerSettings& s = a.settings;
    json tasks = json::array();
    for (const ex::Task& t : a.tasks) {
      json lines = json::array();
      for (const std::string& line : t.lines) lines.push_back(utf8(line));
      tasks.push_back({{"section", utf8(t.section)}, {"lines", lines}});
    }
    return {{"settings",
             {{"autoload", s.autoload},
              {"displayTime", s.displayTime},
              {"mapPlaying", utf8(s.mapPlaying)},
              {"kothLimit", s.kothLimit},
              {"killLimit", s.killLimit},
              {"gameScoreLimit", s.gameScoreLimit},
              {"mapLimit", s.mapLimit}}},
            {"catalogue", mapsJson(a.catalogue)},
            {"rotation", mapsJson(a.rotation)},
            {"tasks", tasks},
            {"tasksProblem", !a.tasksProblem.empty()}};
  } catch (const ex::ExchangeError& error) {
    return {{"error", kindName(error.kind())}};
  }
}

ex::MapsAnswer fullAnswer() {
  ex::MapsAnswer a;
  a.settings = {"1", "4", "Caf\xe9 \xdcnter \x96 Nord", 15, 40, 25, 255};
  a.catalogue = {{"City Madness", "DMK_01A.BMS", 0, false},
                 {"Mean Streets A", "DMR_01A.BMS", 0, false},
                 {"Flag Day", "FBM_01B.BMS", 8, false},
                 {"Canyon \x80 run", "canyon.bms", 1, true},
                 {"Odd", "odd|name.bms", 7, true}};
  a.rotation = {a.catalogue[2], a.catalogue[0], a.catalogue[3]};
  a.tasks = {{"25/12/2026 20:00:00", {"File=my_list.mpl", "Frequency=Every Day"}},
             {"01/01/2027 08:30:00", {"File=Random", "Frequency=Once"}}};
  return a;
}

json samples() {
  json out = json::array();
  auto add = [&out](const std::string& name, const std::string& answer) {
    out.push_back({{"name", name}, {"answer", answer}, {"expect", readAnswer(answer)}});
  };
  ex::MapsAnswer full = fullAnswer();
  add("full", ex::buildMapsAnswer(full));
  ex::MapsAnswer bare;
  bare.settings = {"", "", "", 0, 0, 0, 255};
  bare.catalogue = {full.catalogue[0]};
  add("bare, no tasks", ex::buildMapsAnswer(bare));
  const std::string maps = "QQ==|A.BMS|0|0\r\n[CurMaps]\r\nQQ==|A.BMS|0|0";
  auto wrapped = [](const std::string& body) { return ex::lengthPrefixed(body); };
  add("display time with _", wrapped(ex::joinMapsBody("1_4_x_QQ==_1_2_3_255", maps, "")));
  add("unreadable tasks", wrapped(ex::joinMapsBody("1_4_QQ==_1_2_3_255", maps, "!!")));
  add("failed", "Failed");
  add("no marker", "12abc");
  add("wrong length", "5" + std::string(ex::kLengthMarker) + ex::compressText("abcdef"));
  add("bad base 64", "6" + std::string(ex::kLengthMarker) + "ab$d");
  add("bad compression", "6" + std::string(ex::kLengthMarker) + "YWJjZGVm");
  add("no rotation marker", wrapped(ex::joinMapsBody("1_4_QQ==_1_2_3_255", "QQ==|A|0|0", "")));
  add("game type not a number",
      wrapped(ex::joinMapsBody("1_4_QQ==_1_2_3_255", "QQ==|A|x|0\r\n[CurMaps]", "")));
  add("custom flag 2",
      wrapped(ex::joinMapsBody("1_4_QQ==_1_2_3_255", "QQ==|A|0|2\r\n[CurMaps]", "")));
  add("two sections", wrapped("1_4_QQ==_1_2_3_255" + std::string(ex::kSectionSeparator) + maps));
  ex::NewRotation rotation{10, 50, 20, full.rotation};
  return {{"answers", out},
          {"setMaps",
           {{"rotation",
             {{"kothLimit", 10},
              {"killLimit", 50},
              {"gameScoreLimit", 20},
              {"rotation", mapsJson(rotation.rotation)}}},
            {"text", utf8(ex::setMapsText(rotation))}}}};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--set-maps") {
    try {
      const ex::NewRotation r = ex::parseSetMapsData(argv[2]);
      std::cout << json{{"kothLimit", r.kothLimit},
                        {"killLimit", r.killLimit},
                        {"gameScoreLimit", r.gameScoreLimit},
                        {"rotation", mapsJson(r.rotation)}}
                << "\n";
    } catch (const ex::ExchangeError& error) {
      std::cout << json{{"error", kindName(error.kind())}, {"message", error.what()}} << "\n";
    }
    return 0;
  }
  std::cout << samples().dump() << "\n";
  return 0;
}
