#include "host/windows_programs.h"

#include <gtest/gtest.h>

#include "tests/support/scratch_folder.h"

namespace rotaryn::host {
namespace {

using Words = std::vector<std::string>;

TEST(WindowsPrograms, TellsWhichProcessRunsTheProgram) {
  struct Case {
    Words commandLine;
    bool runs;
  };
  const Case cases[] = {
      {{"C:\\dfbhd\\DFBHD.EXE", "/w"}, true},          // as Wine rewrites it
      {{"Z:\\srv\\dfbhd.exe"}, true},                  //
      {{"/usr/lib/wine/wine64", "dfbhd.exe"}, true},   // before Wine has rewritten it
      {{"wine", "C:\\games\\dfbhd.exe", "/w"}, true},  //
      {{"/usr/bin/dfbhd.exe"}, true},                  //
      {{"C:\\windows\\system32\\start.exe", "dfbhd.exe"}, false},
      {{"/bin/sh", "-c", "wine dfbhd.exe"}, false},
      {{"C:\\dfbhd\\dfbhd.exe.bak"}, false},
      {{"xdfbhd.exe"}, false},
      {{}, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(runsWindowsProgram(c.commandLine, "dfbhd.exe"), c.runs) << c.commandLine.size();
  }
  EXPECT_EQ(windowsProgramOf({"wine64", "Z:\\srv\\DFBHD.exe", "/w"}), "DFBHD.exe");
  EXPECT_EQ(windowsProgramOf({"./run-server.sh", "--fast"}), std::nullopt);
  EXPECT_EQ(splitCommandLine(std::string("wine\0\0a b\0\0", 11)), (Words{"wine", "", "a b"}));
}

// A fake /proc: the host (1), a wrapper (10) that started Wine (11) running the server, and a
// second server (20) elsewhere; Wine's own services are no server.
TEST(WindowsPrograms, FindsTheServersAndTheOneUnderAProcess) {
  ScratchFolder proc;
  auto process = [&proc](int pid, int parent, const std::string& cmdline) {
    proc.write(std::to_string(pid) + "/cmdline", cmdline);
    proc.write(std::to_string(pid) + "/stat",
               std::to_string(pid) + " (odd) name) S " + std::to_string(parent) + " 1 1\n");
  };
  process(1, 0, std::string("rotaryn-host\0--headless\0", 24));
  process(10, 1, std::string("/bin/sh\0run.sh\0", 15));
  process(11, 10, std::string("C:\\dfbhd\\dfbhd.exe\0/w\0", 22));
  process(20, 1, std::string("Z:\\other\\DFBHD.EXE\0", 19));
  process(30, 1, std::string("C:\\windows\\system32\\services.exe\0", 33));
  process(40, 1, "");  // a zombie
  proc.write("self/cmdline", "not a pid");

  const std::vector<ProcessInfo> all = listProcesses(proc.path());
  ASSERT_EQ(all.size(), 5u);
  EXPECT_EQ(all[2].parent, 10);

  const std::vector<ProcessInfo> running = processesRunning(all, "Dfbhd.exe");
  ASSERT_EQ(running.size(), 2u);
  EXPECT_EQ(describeProcess(running[0]), "11 (C:\\dfbhd\\dfbhd.exe /w)");
  EXPECT_EQ(running[1].pid, 20);

  EXPECT_EQ(runningUnder(all, 10, "dfbhd.exe"), 11);
  EXPECT_EQ(runningUnder(all, 20, "dfbhd.exe"), 20);
  EXPECT_EQ(runningUnder(all, 30, "dfbhd.exe"), std::nullopt);
}

}  // namespace
}  // namespace rotaryn::host
