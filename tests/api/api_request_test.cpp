#include "host/api/api_request.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace rotaryn::host::api {
namespace {

using ::testing::HasSubstr;

std::variant<ApiRequest, ApiRefusal> parse(const char* method, const char* path,
                                           const char* body = "") {
  return parseApiRequest(method, path, body);
}

TEST(ApiRequest, RoutesTheProfileListAndEachOperationWithItsData) {
  EXPECT_EQ(std::get<ApiRequest>(parse("GET", "/api/v1/profiles")).kind,
            ApiRequest::Kind::kProfiles);

  const auto skip = std::get<ApiRequest>(parse("POST", "/api/v1/profiles/12/SkipMapRem"));
  EXPECT_STREQ(skip.operation->name, "SkipMapRem");
  EXPECT_EQ(skip.profile, 12);
  EXPECT_FALSE(skip.data);

  const auto maps = std::get<ApiRequest>(parse("GET", "/api/v1/profiles/1/GetMapsRem"));
  EXPECT_STREQ(maps.operation->name, "GetMapsRem");

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

TEST(ApiRequest, EveryChangeNeedsItsPrivilegeAndOnlyReadsNeedNone) {
  for (const ApiOperation& operation : kOperations) {
    EXPECT_EQ(operation.privilege == nullptr, std::string_view(operation.name) == "GetMapsRem")
        << operation.name;
  }
  EXPECT_STREQ(findOperation("SetDisplayTimer")->privilege, "Change Map List");
  EXPECT_STREQ(findOperation("PlayMapRem")->privilege, "Skip Maps");
  EXPECT_STREQ(findOperation("DeleteFileRem")->privilege, "Delete Maps");
  EXPECT_STREQ(findOperation("EditTaskRem")->privilege, "Add New Tasks");
  EXPECT_STREQ(findOperation("DeleteTaskRem")->privilege, "Delete Tasks");
}

TEST(ApiRequest, ReadsBearerTokensOnly) {
  EXPECT_EQ(bearerToken("Bearer abc"), QByteArray("abc"));
  EXPECT_EQ(bearerToken("  bearer   abc  "), QByteArray("abc"));
  EXPECT_FALSE(bearerToken("Basic abc"));
  EXPECT_FALSE(bearerToken("Bearer "));
  EXPECT_FALSE(bearerToken(""));
}

TEST(RequestStreamGuard, JudgesEachRequestOfAConnectionFromItsHeadInAnyPieces) {
  const QByteArray small = "POST /a HTTP/1.1\r\nContent-Length: 5\r\n\r\nhello";
  const QByteArray large = "POST /b HTTP/1.1\r\ncontent-length: 11\r\n\r\n";
  const QByteArray stream = small + small + large;
  // Byte by byte, as a slow client sends it, and all at once give the same verdict.
  RequestStreamGuard pieces(10);
  RequestStreamGuard::Verdict verdict = RequestStreamGuard::Verdict::kPass;
  for (qsizetype i = 0; i < stream.size(); ++i) {
    verdict = pieces.feed(QByteArrayView(stream).sliced(i, 1));
    if (i + 1 < stream.size()) {
      ASSERT_EQ(verdict, RequestStreamGuard::Verdict::kPass) << i;
    }
  }
  EXPECT_EQ(verdict, RequestStreamGuard::Verdict::kTooLarge);
  EXPECT_TRUE(pieces.head().startsWith("POST /b"));
  RequestStreamGuard whole(10);
  EXPECT_EQ(whole.feed(stream), RequestStreamGuard::Verdict::kTooLarge);
  EXPECT_EQ(whole.declaredLength(), 11u);

  // A body's bytes that look like a head are skipped as body.
  RequestStreamGuard body(100);
  EXPECT_EQ(body.feed("POST / HTTP/1.1\r\nContent-Length: 40\r\n\r\n"
                      "GET / HTTP/1.1\r\nContent-Length: 999\r\n\r\n"),
            RequestStreamGuard::Verdict::kPass);

  EXPECT_EQ(RequestStreamGuard(10).feed("POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n"),
            RequestStreamGuard::Verdict::kLengthRequired);
  EXPECT_EQ(RequestStreamGuard(10).feed("POST / HTTP/1.1\r\nContent-Length: 1x\r\n\r\n"),
            RequestStreamGuard::Verdict::kMalformed);
  EXPECT_EQ(RequestStreamGuard(10).feed("GET / HTTP/1.1\r\nX: " +
                                        QByteArray(RequestStreamGuard::kMaxHead, 'a')),
            RequestStreamGuard::Verdict::kHeadTooLarge);
}

}  // namespace
}  // namespace rotaryn::host::api
