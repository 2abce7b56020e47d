#include "host/script/runner.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>

#include "tests/host/qt_test_app.h"
#include "tests/support/scratch_folder.h"

namespace rotaryn::host {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;

struct ScriptRun {
  int exitCode = 0;
  std::string transcript;
  std::string errors;
};

ScriptRun runLines(const std::string& script, const std::string& root = "") {
  qtTestApp();
  std::istringstream in(script);
  std::ostringstream transcript;
  std::ostringstream errors;
  int code = runScript(in, {"story.jsonl", root, false}, transcript, errors);
  return {code, transcript.str(), errors.str()};
}

constexpr const char* kLoadedProfile = R"({"op":"server","pid":900}
{"op":"profile","index":1,"server":900}
{"op":"call","name":"LoadInterface","index":1}
)";

// Every kind of bad line stops the run at that line, after what came before it was done.
TEST(ScriptRunner, ABadLineStopsTheRunWithItsLineNumber) {
  struct Case {
    std::string line;
    const char* reason;
  };
  const Case cases[] = {
      {"{\"op\":\"call\",\"name\":\"GetData\"", "not JSON"},
      {"[1,2]", "a line is one JSON object"},
      {"{\"name\":\"GetData\"}", "every line needs \"op\""},
      {"{\"op\":\"launch\"}", "unknown op \"launch\""},
      {"{\"op\":\"advance\",\"minutes\":3}", "\"advance\" has no key \"minutes\""},
      {"{\"op\":\"advance\",\"ms\":-5}", "\"ms\" needs a whole number"},
      {"{\"op\":\"press\",\"control\":\"cmdLaunch\"}", "no control \"cmdLaunch\""},
      {"{\"op\":\"dblClick\",\"control\":\"txtTdm\"}", "txtTdm has no dblClick event"},
      {"{\"op\":\"call\",\"name\":\"Frobnicate\"}", "no operation \"Frobnicate\""},
      {"{\"op\":\"call\",\"name\":\"LoadInterface\",\"index\":2}", "profile 2"},
      {"{\"op\":\"file\",\"path\":\"../outside.txt\",\"text\":\"x\"}", "inside the host root"},
      {"{\"op\":\"file\",\"path\":\"a.txt\",\"text\":\"\\u4e2d\"}", "no Windows-1252 byte"},
      {"{\"op\":\"change\",\"pid\":901,\"state\":4}", "no running simulated server"},
      {"{\"op\":\"change\",\"pid\":900,\"long\":{\"NoSuchField\":1}}", "NoSuchField"},
      {"{\"op\":\"clock\",\"set\":\"2026-02-30 10:00:00\"}", "a date and time"},
      {"{\"op\":\"expect\",\"window\":true,\"server\":900,\"equals\":1}", "one of control"},
      {"{\"op\":\"expect\",\"window\":true}", "checks one of equals"},
      {"{\"op\":\"server\",\"pid\":900}", "pid 900 is used already"},
      {"{\"op\":\"profile\",\"index\":2,\"server\":777}", "no server with pid 777"},
      {"{\"op\":\"change\",\"pid\":900,\"byte\":{\"MaxKills\":300}}", "a byte is 0 to 255"},
  };
  for (const Case& c : cases) {
    ScriptRun run = runLines(std::string(kLoadedProfile) + "\n# the line below is wrong\n" +
                             c.line + "\n{\"op\":\"call\",\"name\":\"GetData\"}\n");
    EXPECT_EQ(run.exitCode, kScriptStopped) << c.line;
    EXPECT_THAT(run.errors, HasSubstr("story.jsonl:6: ")) << c.line;
    EXPECT_THAT(run.errors, HasSubstr(c.reason)) << c.line;
    EXPECT_THAT(run.transcript, HasSubstr("{\"line\":6,\"error\":")) << c.line;
    EXPECT_THAT(run.transcript, HasSubstr("\"call\":\"LoadInterface\"")) << c.line;
    EXPECT_THAT(run.transcript, Not(HasSubstr("\"call\":\"GetData\""))) << c.line;
  }
}

// A failed expectation, and an operation that fails to the host (recorded with the plug-in's
// error), are reported and the run goes on.
TEST(ScriptRunner, FailedExpectationsAndOperationsAreReportedAndTheRunGoesOn) {
  ScriptRun run = runLines(std::string(kLoadedProfile) + R"(
{"op":"expect","control":"txtTdm","at":"/text","equals":"31"}
{"op":"expect","control":"txtTdm","at":"/text","equals":"30"}
{"op":"expect","currentList":true,"at":"/9","exists":true}
{"op":"call","name":"SetScore","index":7,"tk":1,"dm":1,"fb":1}
{"op":"call","name":"GetData"}
)");
  EXPECT_EQ(run.exitCode, kScriptExpectationFailed);
  for (const char* line :
       {R"({"line":5,"at":"/text","expect":"FAILED","got":"30","wanted":"31"})",
        R"({"line":6,"expect":"ok"})", R"({"line":7,"at":"/9","expect":"FAILED")",
        R"({"line":8,"call":"SetScore","error":{)", R"("number":9)",
        R"({"line":9,"call":"GetData","result":{)",
        R"("summary":{"expectations":3,"failed":2,"stopped":false})"}) {
    EXPECT_THAT(run.transcript, HasSubstr(line));
  }
  EXPECT_THAT(run.errors, HasSubstr("2 of 3 expectations failed"));
}

TEST(ScriptRunner, RecordsBoxesInOrderWithTheAnswersGiven) {
  // A wrong PDAT makes LoadInterface report a failure; the box comes before the call's result.
  ScriptRun run = runLines(R"({"op":"call","name":"LoadInterface","index":3,"pdat":["too short"]}
{"op":"expect","boxes":true,"at":"/-1/title","equals":"DLL Error!"}
)");
  EXPECT_EQ(run.exitCode, kScriptPassed) << run.transcript;
  size_t box = run.transcript.find(R"({"line":1,"box":{"answer":"Ok","buttons":"Ok")");
  size_t result = run.transcript.find(R"({"line":1,"call":"LoadInterface")");
  ASSERT_NE(box, std::string::npos) << run.transcript;
  ASSERT_NE(result, std::string::npos);
  EXPECT_LT(box, result);
  EXPECT_THAT(run.transcript, HasSubstr("Function/Sub: LoadInterface"));

  // An answer the box does not offer stops the run.
  run = runLines(R"({"op":"answer","box":"No"}
{"op":"call","name":"LoadInterface","index":3,"pdat":[]}
)");
  EXPECT_EQ(run.exitCode, kScriptStopped);
  EXPECT_THAT(run.errors, HasSubstr("story.jsonl:2: the queued answer No is not a button"));
}

// Server memory by key, key plus offset or address; the plug-in's writes in the server's log:
// loading the window raised the server's map limit to 255, its last write.
TEST(ScriptRunner, ReadsAndWritesServerMemoryAndShowsThePluginsWrites) {
  ScriptRun run = runLines(std::string(kLoadedProfile) + R"(
{"op":"change","pid":900,"long":{"0xA34494":40,"BaseAdd+1840":7},"byte":{"KothLimit":9}}
{"op":"expect","server":900,"fields":{"MaxKills":"long"},"at":"/fields/MaxKills","equals":40}
{"op":"expect","server":900,"fields":{"BaseAdd+1840":"long"},"at":"/fields/BaseAdd+1840","equals":7}
{"op":"expect","server":900,"fields":{"KothLimit":"byte"},"at":"/fields/KothLimit","equals":9}
{"op":"expect","server":900,"at":"/writes/-1/value","equals":255}
{"op":"expect","boxes":true,"notContains":{"title":"Error!"}}
)");
  EXPECT_EQ(run.exitCode, kScriptPassed) << run.errors << run.transcript;
}

TEST(ScriptRunner, LaysOutFilesAndServersAndDumpsThem) {
  ScratchFolder scratch;
  const std::string root = scratch.path() + "/root";
  ScriptRun run = runLines(
      R"({"op":"file","path":"games\\Maps\\ONE.bms","bms":{"name":"One","typeA":0,"typeB":34}}
{"op":"file","path":"notes.txt","lines":["caf\u00e9","\u20ac 5"]}
{"op":"expect","file":"NOTES.TXT","as":"lines","at":"/lines","equals":["caf\u00e9","\u20ac 5"]}
{"op":"expect","file":"notes.txt","at":"/size","equals":11}
{"op":"server","pid":77,"build":"affiliate","pack":"mod.pff","gameLength":10,"rotation":[{"type":1,"file":"TDMM_01A.BMS","name":"Mean Streets A"},"8[-]1[-]ONE.bms[-]One"]}
{"op":"advance","seconds":11}
{"op":"expect","server":77,"at":"/state","equals":4}
{"op":"change","pid":77,"state":2,"text":{"CurMap":"Elsewhere"}}
{"op":"expect","server":77,"fields":{"CurMap":"text","GameState":"long"},"at":"/fields","equals":{"CurMap":"Elsewhere","GameState":2}}
{"op":"expect","server":77,"at":"/rotation/1","equals":{"type":8,"custom":true,"file":"ONE.bms","name":"One"}}
{"op":"expect","server":77,"at":"/pack","equals":"mod.pff"}
)",
      root);
  EXPECT_EQ(run.exitCode, kScriptPassed) << run.transcript << run.errors;
  std::string map = scratch.read("root/games/Maps/ONE.bms");
  ASSERT_EQ(map.size(), 512u);
  EXPECT_EQ(map.substr(0, 3), "BMS");
  EXPECT_EQ(map.substr(4, 4), std::string("One\0", 4));
  EXPECT_EQ(map[139], 34);
  EXPECT_EQ(scratch.read("root/notes.txt"), "caf\xE9\r\n\x80 5\r\n");
  EXPECT_TRUE(scratch.exists("root/imgs/butdown.gif"));
  EXPECT_THAT(run.transcript, HasSubstr("\"root\":\"" + root + "\""));

  // A root that holds anything already is not a fresh one.
  ScriptRun again = runLines(R"({"op":"advance","ms":1})", root);
  EXPECT_EQ(again.exitCode, kScriptCannotStart);
  EXPECT_THAT(again.errors, HasSubstr("is not empty"));
}

}  // namespace
}  // namespace rotaryn::host
