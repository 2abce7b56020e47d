#include "host/plugin_description.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QJsonArray>

#include "host/plugin_library.h"
#include "tests/support/thrown.h"

namespace rotaryn::host {
namespace {

using ::testing::HasSubstr;

std::string loadProblem(const std::function<void()>& load) {
  return thrownBy<PluginLoadError>(load);
}

// The host refuses a plug-in whose operations need a privilege it does not offer, whether its
// description or its GetPrivis leaves the privilege out.
TEST(PluginDescription, RefusesAnOperationWhosePrivilegeIsNotOffered) {
  const PluginDescription built = PluginHandle::describe(ROTARYN_PLUGIN_BUILD_FILE);
  QJsonArray offered{"Rotaryn"};
  for (const std::string& name : built.privileges)
    offered.append(QString::fromStdString(name + "|1"));
  EXPECT_EQ(loadProblem([&] { built.checkOffered(offered); }), "");

  QJsonArray withoutDeleteTasks;
  for (const QJsonValue& item : offered) {
    if (item.toString() != "Delete Tasks|1") withoutDeleteTasks.append(item);
  }
  EXPECT_THAT(loadProblem([&] { built.checkOffered(withoutDeleteTasks); }),
              HasSubstr("DeleteTaskRem needs the privilege \"Delete Tasks\""));

  const QByteArray unlisted =
      R"({"result":{"privileges":["Skip Maps"],"operations":[{"name":"SkipMapRem","arguments":[],)"
      R"("remote":{"privilege":"Root","data":false,"readOnly":false}}]}})";
  EXPECT_THAT(loadProblem([&] { PluginDescription::parse(unlisted); }),
              HasSubstr("SkipMapRem needs the privilege \"Root\", which is not listed"));
  EXPECT_THAT(loadProblem([&] { PluginDescription::parse(R"({"result":{}})"); }),
              HasSubstr("lists no operation"));
}

}  // namespace
}  // namespace rotaryn::host
