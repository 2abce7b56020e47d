#include "host/api/api_request.h"
#include "host/api/http_parser.h"
#include "tests/api/built_plugin.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace rotaryn::host::api {
namespace {

using ::testing::HasSubstr;

std::variant<ApiRequest, ApiRefusal> parse(const char* method, const char* path,
                                           const char* body = "") {
  return parseApiRequest(builtPlugin(), method, path, body);
}

TEST(ApiRequest, RoutesTheProfileListAndEachOperationWithItsData) {
  EXPECT_EQ(std::get<ApiRequest>(parse("GET", "/api/v1/profiles")).kind,
            ApiRequest::Kind::kProfiles);

  const auto skip = std::get<ApiRequest>(parse("POST", "/api/v1/profiles/12/SkipMapRem"));
  EXPECT_EQ(skip.operation->name, "SkipMapRem");
  EXPECT_EQ(skip.profile, 12);
  EXPECT_FALSE(skip.data);

  const auto maps = std::get<ApiRequest>(parse("GET", "/api/v1/profiles/1/GetMapsRem"));
  EXPECT_EQ(maps.operation->name, "GetMapsRem");

  const auto play =
      std::get<ApiRequest>(parse("POST", "/api/v1/profiles/2/PlayMapRem", R"({"data": 3})"));
  EXPECT_EQ(play.data->toInt(), 3);
  const auto upload = std::get<ApiRequest>(
      parse("POST", "/api/v1/profiles/2/AddFileRem", R"({"data":"a b.bms|66/77/"})"));
  EXPECT_EQ(upload.data->toString(), "a b.bms|66/77/");
}

TEST(ApiRequest, RefusesWhatIsMalformedWithItsStatusAndReason) {
  struct Case {
    const char* method;
    const char* path;
    const char* body;
    int status;
    const char* reason;
  };
  const Case cases[] = {
      {"GET", "/api/v2/profiles", "", 404, "start with /api/v1/"},
      {"POST", "/api/v1/profiles", "", 405, "GET"},
      {"POST", "/api/v1/profiles/1/Format", "", 404, "no operation \"Format\""},
      {"POST", "/api/v1/profiles/1/SkipMapRem/x", "", 404, "no such endpoint"},
      {"POST", "/api/v1/profiles/0/SkipMapRem", "", 400, "from 1 to 2147483647"},
      {"POST", "/api/v1/profiles/01/SkipMapRem", "", 400, "from 1"},
      {"POST", "/api/v1/profiles/2147483648/SkipMapRem", "", 400, "from 1"},
      {"GET", "/api/v1/profiles/1/SkipMapRem", "", 405, "POST"},
      {"POST", "/api/v1/whoami", "", 405, "GET"},
      {"POST", "/api/v1/profiles/1/tasks", "", 405, "GET"},
      {"POST", "/api/v1/profiles/1/PlayMapRem", "", 400, "needs its data"},
      {"POST", "/api/v1/profiles/1/PlayMapRem", "{\"data\":", 400, "not JSON"},
      {"POST", "/api/v1/profiles/1/PlayMapRem", "[1]", 400, "JSON object"},
      {"POST", "/api/v1/profiles/1/PlayMapRem", R"({"data":1,"x":2})", 400, "not \"x\""},
      {"POST", "/api/v1/profiles/1/PlayMapRem", R"({"data":1.5})", 400, "text or a whole"},
      {"POST", "/api/v1/profiles/1/PlayMapRem", R"({"data":[1]})", 400, "text or a whole"},
      {"POST", "/api/v1/profiles/1/PlayMapRem", R"({"data":"two"})", 400, "rotation position"},
      {"POST", "/api/v1/profiles/1/SkipMapRem", R"({"data":1})", 400, "takes no data"},
      {"POST", "/api/v1/profiles/1/SetAutoLoad", R"({"data":"2"})", 400, "0 or 1"},
      {"POST", "/api/v1/profiles/1/SetDisplayTimer", R"({"data":0})", 400, "from 1 to 9"},
      {"POST", "/api/v1/profiles/1/SetMapsRem", R"({"data":5})", 400, "is a text"},
      {"POST", "/api/v1/profiles/1/AddFileRem", R"({"data":"x.bms"})", 400, "\"|\""},
      {"POST", "/api/v1/profiles/1/AddFileRem", R"({"data":"../x.bms|1/"})", 400, "no path"},
      {"POST", "/api/v1/profiles/1/AddFileRem", R"({"data":"..\\x.bms|1/"})", 400, "no path"},
      {"POST", "/api/v1/profiles/1/AddFileRem", R"({"data":"..|1/"})", 400, "no path"},
      {"POST", "/api/v1/profiles/1/DeleteFileRem", R"({"data":"Li4veA=="})", 400, "no path"},
      {"POST", "/api/v1/profiles/1/DeleteFileRem", R"({"data":"*not*"})", 400, "base 64"},
  };
  for (const Case& c : cases) {
    auto result = parse(c.method, c.path, c.body);
    ASSERT_TRUE(std::holds_alternative<ApiRefusal>(result)) << c.path << " " << c.body;
    const ApiRefusal& refusal = std::get<ApiRefusal>(result);
    EXPECT_EQ(refusal.status, c.status) << c.path << " " << c.body;
    EXPECT_THAT(refusal.message.toStdString(), HasSubstr(c.reason)) << c.path << " " << c.body;
  }
}

// A chunked body reads alike at once and a byte at a time, and stops at its limit as it comes.
TEST(ChunkedBody, ReadsInAnyPiecesAndStopsAtTheLimit) {
  const std::string stream = "5;ext=1\r\nhello\r\n6\r\n world\r\n0\r\nTrailer: x\r\n\r\nNEXT";
  for (size_t piece : {stream.size(), size_t{1}}) {
    http::ChunkedBody chunks(11);
    std::string body;
    http::ChunkedBody::Step step = http::ChunkedBody::Step::kMore;
    size_t at = 0;
    while (step == http::ChunkedBody::Step::kMore && at < stream.size()) {
      std::string_view input = std::string_view(stream).substr(at, piece);
      const size_t before = input.size();
      step = chunks.feed(input, body);
      at += before - input.size();
    }
    EXPECT_EQ(step, http::ChunkedBody::Step::kDone) << piece;
    EXPECT_EQ(body, "hello world");
    EXPECT_EQ(stream.substr(at), "NEXT") << "the next request is left unread";
  }
  const struct {
    const char* stream;
    int status;
  } refused[] = {{"B\r\nhello world\r\n", 413}, {"zz\r\n", 400}, {"3\r\nabcd\r\n", 400}};
  for (const auto& c : refused) {
    http::ChunkedBody chunks(10);
    std::string body;
    std::string_view input(c.stream);
    EXPECT_EQ(chunks.feed(input, body), http::ChunkedBody::Step::kFailed) << c.stream;
    EXPECT_EQ(chunks.problem().status, c.status) << c.stream;
    EXPECT_LE(body.size(), 10u);
  }
}

}  // namespace
}  // namespace rotaryn::host::api
