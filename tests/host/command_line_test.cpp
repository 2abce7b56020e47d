#include "host/config/command_line.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/support/scratch_folder.h"
#include "tests/support/thrown.h"

namespace rotaryn::host {
namespace {

using ::testing::HasSubstr;

HostCommandLine parse(std::initializer_list<const char*> words, bool displayPresent = false) {
  QStringList arguments{"rotaryn-host"};
  for (const char* word : words) arguments.append(word);
  return parseCommandLine(arguments, displayPresent);
}

TEST(HostCommandLine, RefusesWhatItCannotDoNamingTheProblem) {
  struct Case {
    std::initializer_list<const char*> words;
    const char* problem;
  };
  const Case cases[] = {
      {{"--headless", "--colour", "red"}, "unknown option --colour"},
      {{"--headless", "--duration", "0"}, "--duration needs a positive number of seconds"},
      {{"--headless", "--duration", "soon"}, "not \"soon\""},
      {{"--headless", "--duration", "3000000"}, "up to 2147483"},
      {{"--headless", "--watch", "2.5"}, "--watch needs a whole number of milliseconds"},
      {{"--headless", "--watch", "0"}, "from 1 to 86400000, not \"0\""},
      {{"--window", "--headless"},
       "choose one of --window, --headless, --script, --init-root or --add-admin"},
      {{"--headless", "--headless"}, "--headless is given more than once"},
      {{"--headless", "--root", "a", "--root", "b"}, "--root is given more than once"},
      {{"--root", "--headless"}, "--root needs DIR, not \"--headless\""},
      {{"--script"}, "Missing value after '--script'"},
      {{"--window", "--watch", "100"}, "--watch goes with --headless"},
      {{"--headless", "--keep-root"}, "--keep-root goes with --script"},
      {{"--headless", "--screenshot", "a.png"}, "--screenshot goes with --window"},
      {{"--script", "s", "--duration", "5"}, "--duration goes with --window or --headless"},
      {{"--init-root", "a", "--root", "b"},
       "--root goes with --window, --headless, --script or --add-admin"},
      {{"--headless", "root"}, "unexpected argument \"root\""},
      {{"--root", "r"}, "no display: say --headless"},
  };
  for (const Case& c : cases) {
    EXPECT_THAT(thrownBy<UsageError>([&] { parse(c.words); }), HasSubstr(c.problem))
        << *c.words.begin() << " ... (" << c.words.size() << " words)";
  }
}

TEST(HostCommandLine, HelpIsAskedForAnywhere) {
  EXPECT_TRUE(parse({"--help"}).help);
  EXPECT_TRUE(parse({"--headless", "-h"}).help);
  EXPECT_TRUE(parse({"--window", "--headless", "--help"}).help);
}

TEST(WindowDisplay, NeedsADisplayUnlessQtIsToldToDrawWithoutOne) {
  struct Case {
    DisplayEnvironment environment;
    bool opens;
  };
  const Case cases[] = {
      {{"", "", ""}, false},
      {{":0", "", ""}, true},
      {{"", "wayland-0", ""}, true},
      {{"", "", "offscreen"}, true},
      {{"", "", "vnc:size=1280x800:port=5900"}, true},
      {{"", "wayland-0", "xcb"}, false},
      {{":0", "", "wayland"}, false},
      {{":1", "", "wayland;xcb"}, true},
  };
  for (const Case& c : cases) {
    const std::string problem = windowDisplayProblem(c.environment);
    EXPECT_EQ(problem.empty(), c.opens)
        << "QT_QPA_PLATFORM=" << c.environment.qpaPlatform << " DISPLAY=" << c.environment.display
        << " WAYLAND_DISPLAY=" << c.environment.waylandDisplay;
  }
  EXPECT_THAT(windowDisplayProblem({}),
              HasSubstr("--window needs a display: neither DISPLAY nor WAYLAND_DISPLAY is set"));
  EXPECT_THAT(windowDisplayProblem({"", "wayland-0", "xcb"}),
              HasSubstr("DISPLAY is not set (QT_QPA_PLATFORM=xcb)"));
}

TEST(ScriptFile, IsReadWholeOrRefusedWithTheReason) {
  ScratchFolder folder;
  folder.write("s.jsonl", std::string("{\"a\":1}\n\xE9\0x", 12));
  EXPECT_EQ(readScriptFile(folder / "s.jsonl"), std::string("{\"a\":1}\n\xE9\0x", 12));

  const struct {
    std::string path;
    const char* reason;
  } refused[] = {
      {folder.path(), "it is a folder"},
      {folder / "missing.jsonl", "No such file"},
      // Opens, then fails to read (address 0 is not mapped): a read error, even for root.
      {"/proc/self/mem", "Input/output error"},
  };
  for (const auto& c : refused) {
    EXPECT_THAT(thrownBy<std::runtime_error>([&] { readScriptFile(c.path); }),
                HasSubstr("cannot read the script " + c.path + ": " + c.reason));
  }
}

}  // namespace
}  // namespace rotaryn::host
