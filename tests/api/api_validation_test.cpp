#include "host/api/api_validation.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "formats/exchange_codec.h"
#include "host/api/api_request.h"
#include "tests/api/built_plugin.h"

namespace rotaryn::host::api {
namespace {

using ::testing::HasSubstr;

struct Case {
  const char* data;
  const char* problem;  // empty: accepted
};

void expectProblems(QString (*check)(QByteArrayView), std::initializer_list<Case> cases) {
  for (const Case& c : cases) {
    const std::string problem = check(QByteArrayView(c.data)).toStdString();
    if (*c.problem == '\0') {
      EXPECT_EQ(problem, "") << c.data;
    } else {
      EXPECT_THAT(problem, HasSubstr(c.problem)) << c.data;
    }
  }
}

TEST(ApiValidation, ATaskIsARealDateAFrequencyOfTheListAndRandomOrAPlainListFile) {
  expectProblems(addTaskProblem,
                 {
                     {"29/02/2028 20:00:00|weekend.MPL|Every Day", ""},
                     {"31/12/2030 23:59:59|Random|Once", ""},
                     {"29/02/2027 20:00:00|Random|Once", "no calendar date"},
                     {"31/04/2027 20:00:00|Random|Once", "no calendar date"},
                     {"00/01/2027 20:00:00|Random|Once", "no calendar date"},
                     {"25/12/2030 24:00:00|Random|Once", "no time of day"},
                     {"25/12/2030 20:00|Random|Once", "dd/mm/yyyy hh:mm:ss"},
                     {"2/12/2030 20:00:00 |Random|Once", "dd/mm/yyyy hh:mm:ss"},
                     {"25/12/2030 20:00:00|Random|daily", "not one of Once"},
                     {"25/12/2030 20:00:00|Random|every day", "not one of Once"},
                     {"25/12/2030 20:00:00|..\\..\\games\\alpha\\evil.mpl|Once", "neither Random"},
                     {"25/12/2030 20:00:00|lists/a.mpl|Once", "neither Random"},
                     {"25/12/2030 20:00:00|a..b.mpl|Once", "neither Random"},
                     {"25/12/2030 20:00:00|list.txt|Once", "neither Random"},
                     {"25/12/2030 20:00:00|li\x01st.mpl|Once", "li\\x01st.mpl"},
                     {"25/12/2030 20:00:00|Random", "2 fields, not 3"},
                     {"25/12/2030 20:00:00|Random|Once|x", "4 fields, not 3"},
                 });
  // The old task of an edit is only named: a broken one may be replaced by a good one.
  expectProblems(editTaskProblem, {
                                      {"garbage|26/12/2030 20:00:00|Random|Once", ""},
                                      {"a|30/02/2031 20:00:00|Random|Once", "no calendar date"},
                                      {"|26/12/2030 20:00:00|Random|Once", "cannot be a task"},
                                      {"a\nb|26/12/2030 20:00:00|Random|Once", "cannot be a"},
                                      {"a|b|c", "3 fields, not 4"},
                                  });
}

TEST(ApiValidation, AnUploadIsWholeBytesEachEndedBySlash) {
  expectProblems(byteListProblem, {
                                      {"66/77/0/255/007/", ""},
                                      {"", "holds no bytes"},
                                      {"66/77", "ends with \"/\""},
                                      {"66//", "byte 2 "},
                                      {"256/", "byte 1 of the upload is \"256\""},
                                      {"1/-1/", "byte 2"},
                                      {" 1/", "byte 1"},
                                      {"1.5/", "byte 1"},
                                      {"1000/", "byte 1"},
                                  });
}

TEST(ApiValidation, RefusesWithFourHundredBeforeThePluginAndKeepsWhatTheDataNamed) {
  auto refusal = [](const char* operation, const QString& data) {
    const QByteArray body = "{\"data\":\"" + data.toUtf8() + "\"}";
    return std::get<ApiRefusal>(parseApiRequest(
        builtPlugin(), "POST", QByteArray("/api/v1/profiles/1/") + operation, body));
  };
  const QString traversal = QByteArray("25/12/2030 20:00:00|..\\..\\x.mpl|Once").toBase64();
  const ApiRefusal task = refusal("AddTaskRem", traversal);
  EXPECT_EQ(task.status, 400);
  ASSERT_NE(task.operation, nullptr);
  const QJsonObject target = auditTarget(*task.operation, *task.data);
  EXPECT_EQ(target["task"].toString(), "25/12/2030 20:00:00");
  EXPECT_EQ(target["taskFile"].toString(), "..\\..\\x.mpl");
  EXPECT_THAT(refusal("EditTaskRem", "%%").message.toStdString(), HasSubstr("in base 64"));
  EXPECT_THAT(refusal("DeleteTaskRem", "a\\nb").message.toStdString(), HasSubstr("cannot be"));
  EXPECT_THAT(refusal("AddFileRem", "m.bms|66/300/").message.toStdString(), HasSubstr("byte 2"));
  // A character the plug-in's code page lacks: 400, not a failed call.
  const ApiRefusal snowman = refusal("DeleteTaskRem", QString::fromUtf8("\xE2\x98\x83"));
  EXPECT_EQ(snowman.status, 400);
  EXPECT_THAT(snowman.message.toStdString(), HasSubstr("U+2603"));
  EXPECT_EQ(windows1252Problem(QString::fromUtf8("Caf\xC3\xA9 \xE2\x82\xAC")), "");

  formats::exchange::NewRotation rotation{1, 2, 3, {{"Road Rage", "DMK_01A.BMS", 0, false}}};
  const QString data = QString::fromStdString(formats::exchange::buildSetMapsData(rotation));
  EXPECT_EQ(auditTarget(*builtPlugin().findRemote("SetMapsRem"), data)["rotationLength"].toInt(),
            1);
  const QJsonObject upload =
      auditTarget(*builtPlugin().findRemote("AddFileRem"), QString("m.bms|1/2/"));
  EXPECT_EQ(upload["file"].toString(), "m.bms");
  EXPECT_EQ(upload["bytes"].toInt(), 2);
}

}  // namespace
}  // namespace rotaryn::host::api
