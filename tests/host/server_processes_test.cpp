#include "host/server_processes.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <map>
#include <optional>

#include "host/windows_programs.h"
#include "tests/host/qt_test_app.h"

namespace rotaryn::host {
namespace {

using ::testing::HasSubstr;

// What the servers of a test reported, by profile index.
struct Reports {
  std::map<int32_t, int32_t> ready;
  std::map<int32_t, std::string> ended;
  std::map<int32_t, std::string> failed;

  ServerProcesses::Events events() {
    return {[this](int32_t index, int32_t pid) { ready[index] = pid; },
            [this](int32_t index, int32_t, const std::string& how) { ended[index] = how; },
            [this](int32_t index, const std::string& problem) { failed[index] = problem; }};
  }
};

ProfileConfig profileOf(int32_t index, ServerSource::Kind kind, std::vector<std::string> arguments,
                        int32_t pid = 0) {
  ProfileConfig profile;
  profile.index = index;
  profile.server.kind = kind;
  profile.server.arguments = std::move(arguments);
  profile.server.pid = pid;
  profile.startupSeconds = 0;
  return profile;
}

// host.ini's command lines are Windows-1252; the program is given them in UTF-8.
TEST(ServerProcesses, ReportsWhenEachServerIsReadyEndsOrCannotStart) {
  qtTestApp();
  QProcess other;  // a server the host did not start
  other.start("sleep", {"0.4"});
  ASSERT_TRUE(other.waitForStarted(5000));
  const auto pid = static_cast<int32_t>(other.processId());

  Reports reports;
  ServerProcesses servers("", "/tmp", reports.events());
  servers.start(profileOf(1, ServerSource::Kind::kCommand, {"sh", "-c", "sleep 0.3; exit 3"}));
  servers.start(profileOf(2, ServerSource::Kind::kCommand, {"/nonexistent/dfbhd.exe"}));
  servers.start(profileOf(3, ServerSource::Kind::kSimulated, {}));  // no simulator known
  servers.start(profileOf(4, ServerSource::Kind::kPid, {}, pid));
  servers.start(profileOf(5, ServerSource::Kind::kPid, {}, 0x7ffffff0));
  servers.start(
      profileOf(7, ServerSource::Kind::kCommand,
                {"sh", "-c", "sleep 0.2; [ \"$1\" = \"$(printf 'caf\\303\\251')\" ] || exit 9",
                 "sh", "caf\xE9"}));

  ASSERT_TRUE(runEventsUntil(
      [&] { return reports.ended.size() == 3 && reports.failed.size() == 3; }, 10000));
  EXPECT_GT(reports.ready.at(1), 0);
  EXPECT_EQ(reports.ended.at(1), "exited with code 3");
  EXPECT_THAT(reports.failed.at(2), HasSubstr("cannot start /nonexistent/dfbhd.exe"));
  EXPECT_THAT(reports.failed.at(3), HasSubstr("cannot find dfbhd-sim"));
  EXPECT_FALSE(reports.ready.count(2));
  EXPECT_EQ(reports.ready.at(4), pid);
  EXPECT_EQ(reports.ended.at(4), "ended");
  EXPECT_THAT(reports.failed.at(5), HasSubstr("no process with pid"));
  EXPECT_EQ(reports.ended.at(7), "exited with code 0");
  other.waitForFinished(1000);
}

TEST(ServerProcesses, StoppingEndsChildrenWithoutReportingThem) {
  qtTestApp();
  Reports reports;
  ServerProcesses servers("", "/tmp", reports.events());
  servers.start(profileOf(6, ServerSource::Kind::kCommand, {"sleep", "30"}));
  ASSERT_TRUE(runEventsUntil([&] { return reports.ready.count(6) != 0; }, 10000));
  EXPECT_EQ(servers.childrenRunning(), 1);
  servers.stopAll(2000);
  EXPECT_EQ(servers.childrenRunning(), 0);
  EXPECT_TRUE(reports.ended.empty());
}

// A process that has ended, reaped or not (a grandchild is reaped by whoever adopted it).
bool ended(int32_t pid) {
  QFile stat(QString("/proc/%1/stat").arg(pid));
  if (!stat.open(QIODevice::ReadOnly)) return true;
  const QByteArray text = stat.readAll();
  return text.mid(text.lastIndexOf(')') + 2, 1) == "Z";
}

// A command naming a Windows program: the server is the process running it, the child itself
// (as Wine's loader becomes the program) or one a wrapper started; the wrapper's end is not the
// server's, and stopping stops the program too.
TEST(ServerProcesses, ServesTheProcessRunningTheWindowsProgramTheCommandNames) {
  qtTestApp();
  Reports reports;
  ServerProcesses servers("", "/tmp", reports.events());
  auto command = [](int32_t index, std::vector<std::string> words) {
    ProfileConfig profile = profileOf(index, ServerSource::Kind::kCommand, std::move(words));
    profile.server.windowsProgram = *windowsProgramOf(profile.server.arguments);
    profile.startupSeconds = 0.3;
    return profile;
  };
  servers.start(command(1, {"bash", "-c", "exec -a 'C:\\srv\\OWN.EXE' sleep 30", "own.exe"}));
  servers.start(command(
      2, {"bash", "-c", "(exec -a 'Z:\\w\\wrapped.exe' sleep 30) & sleep 1", "wrapped.exe"}));
  servers.start(command(3, {"sh", "-c", "exec sleep 30", "absent.exe"}));
  ASSERT_TRUE(runEventsUntil(
      [&] { return reports.ready.size() == 2 && reports.failed.size() == 1; }, 10000));
  for (int32_t index : {1, 2}) {
    const std::string program = index == 1 ? "own.exe" : "wrapped.exe";
    EXPECT_EQ(runningUnder(listProcesses(), reports.ready.at(index), program),
              reports.ready.at(index));
  }
  EXPECT_THAT(reports.failed.at(3), HasSubstr("runs no process of absent.exe after 0.3 s"));
  runEventsUntil([] { return false; }, 1500);  // the wrapper ends meanwhile
  EXPECT_TRUE(reports.ended.empty());
  const int32_t wrapped = reports.ready.at(2);
  servers.stopAll(2000);
  EXPECT_TRUE(runEventsUntil([&] { return ended(wrapped); }, 5000));
}

}  // namespace
}  // namespace rotaryn::host
