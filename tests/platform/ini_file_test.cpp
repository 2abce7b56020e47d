#include "platform/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/adapters/windows_file_system.h"
#include "platform/vb_error.h"
#include "tests/platform/vb_error_of.h"
#include "tests/support/scratch_folder.h"

namespace rotaryn {
namespace {

constexpr const char* kPath = "C:\\settings\\config.ini";

// Counts whole-file rewrites and can make them fail like a full disk; any other kind of write
// would bypass the torn-file protection, so it fails the test.
class WriteWatcher : public FileSystemWrapper {
 public:
  using FileSystemWrapper::FileSystemWrapper;
  int replaceCalls = 0;
  bool failReplace = false;

  void ReplaceAll(const std::string& path, const std::string& bytes) override {
    ++replaceCalls;
    if (failReplace) raiseVbError(vberr::kDiskFull);
    FileSystemWrapper::ReplaceAll(path, bytes);
  }
  void Append(const std::string&, const std::string&) override { ADD_FAILURE() << "Append"; }
  void WriteAt(const std::string&, int64_t, const std::string&) override {
    ADD_FAILURE() << "WriteAt";
  }
};

class IniFileTest : public ::testing::Test {
 protected:
  ScratchFolder root;
  WindowsFileSystem disk{{{'C', root.path()}}};
  WriteWatcher files{disk};
  std::vector<IniWriteFailure> failures;
  IniFile ini{files, [this](const IniWriteFailure& failure) { failures.push_back(failure); }};

  void SetUp() override { std::filesystem::create_directory(root / "settings"); }
  void givenFile(const std::string& bytes) { root.write("settings/config.ini", bytes); }
  std::string fileBytes() { return root.read("settings/config.ini"); }
};

TEST_F(IniFileTest, ReadsHandEditedFiles) {
  givenFile(
      "; top comment\n"
      "[ Settings ]\n"
      "\n"
      "  ReportErrors =  1  \n"
      "; note=not a key\n"
      "Quoted=\"  spaced  \"\n"
      "Single='x'\n"
      "Half=\"open\n"
      "Empty=\n"
      "NoEquals\n"
      "Trail=a ; not a comment\n"
      "reporterrors=second\n"
      "[settings]\n"
      "Later=hidden\n"
      "[Other]\r\n"
      "key=crlf\r\n");
  EXPECT_EQ(ini.read(kPath, "SETTINGS", " reportErrors "), "1");
  EXPECT_EQ(ini.read(kPath, "Settings", "Quoted"), "  spaced  ");
  EXPECT_EQ(ini.read(kPath, "Settings", "Single"), "x");
  EXPECT_EQ(ini.read(kPath, "Settings", "Half"), "\"open");
  EXPECT_EQ(ini.read(kPath, "Settings", "Empty", "dflt"), "");
  EXPECT_EQ(ini.read(kPath, "Settings", "NoEquals", "dflt"), "dflt");
  EXPECT_EQ(ini.read(kPath, "Settings", "; note", "dflt"), "dflt");
  EXPECT_EQ(ini.read(kPath, "Settings", "Trail"), "a ; not a comment");
  EXPECT_EQ(ini.read(kPath, "Settings", "Later", "dflt"), "dflt");  // first section wins
  EXPECT_EQ(ini.read(kPath, "other", "KEY"), "crlf");

  EXPECT_EQ(ini.sectionNames(kPath), (std::vector<std::string>{"Settings", "Other"}));
  EXPECT_EQ(ini.sectionLines(kPath, "settings"),
            (std::vector<std::string>{"ReportErrors=1", "Quoted=\"  spaced  \"", "Single='x'",
                                      "Half=\"open", "Empty=", "NoEquals",
                                      "Trail=a ; not a comment", "reporterrors=second"}));
  // The listing of every section at once agrees with the two listings.
  std::vector<IniFile::Section> listed;
  for (const std::string& name : ini.sectionNames(kPath)) {
    listed.push_back({name, ini.sectionLines(kPath, name)});
  }
  EXPECT_EQ(ini.sections(kPath), listed);
}

// Names match as Windows matches them: letters in any case, Windows-1252's accented ones too,
// and blanks around a name passed in are not part of it, for reads, listings and deletes alike.
TEST_F(IniFileTest, NamesMatchWithoutCaseOrSurroundingBlanks) {
  givenFile(
      "[Main Window]\r\nLeft=10\r\n[\xDC"
      "bersicht]\r\n\xC4nderung=1\r\n");
  struct Case {
    const char* section;
    const char* key;
    const char* value;
  };
  for (const Case& c :
       {Case{" main window", "left", "10"}, Case{"mAin WInDow ", " LEFT\t", "10"},
        Case{"\xFC"
             "BERSICHT",
             "\xE4NDERUNG", "1"},
        Case{"\t\xDC"
             "bersicht ",
             "\xC4nderung", "1"},
        Case{"Main  Window", "Left", "none"}, Case{"Main Window", "Le ft", "none"}}) {
    EXPECT_EQ(ini.read(kPath, c.section, c.key, "none"), c.value) << c.section << "/" << c.key;
  }
  EXPECT_EQ(ini.sectionLines(kPath,
                             " \xFC"
                             "bersicht "),
            std::vector<std::string>{"\xC4nderung=1"});
  EXPECT_TRUE(ini.deleteKey(kPath, "mAin WInDow ", " left"));
  EXPECT_TRUE(ini.deleteSection(kPath,
                                " \xFC"
                                "BERSICHT"));
  EXPECT_EQ(fileBytes(), "[Main Window]\r\n");
}

// The same settings with each kind of line end (mixed ones leave blank lines between): every
// reader gives the same answers.
TEST_F(IniFileTest, EveryLineEndReadsAlike) {
  for (const std::string end : {"\r\n", "\n", "\r", "\n\r", "\r\r\n"}) {
    SCOPED_TRACE(testing::PrintToString(end));
    givenFile("[A]" + end + "k=1" + end + " [B] " + end + "x = 2" + end + "y" + end + "[a]" + end +
              "k=3");
    EXPECT_EQ(ini.read(kPath, "a", "K"), "1");
    EXPECT_EQ(ini.read(kPath, "B", "x"), "2");
    EXPECT_EQ(ini.read(kPath, "B", "y", "d"), "d");
    EXPECT_EQ(ini.sectionLines(kPath, "b"), (std::vector<std::string>{"x=2", "y"}));
    EXPECT_EQ(ini.sectionNames(kPath), (std::vector<std::string>{"A", "B"}));
    EXPECT_EQ(ini.sections(kPath),
              (std::vector<IniFile::Section>{{"A", {"k=1"}}, {"B", {"x=2", "y"}}}));
  }
}

TEST_F(IniFileTest, MissingThingsGiveTheDefaultCutTo254) {
  EXPECT_EQ(ini.read(kPath, "Settings", "ReportErrors", "0  "), "0");
  EXPECT_TRUE(ini.sectionNames(kPath).empty());
  EXPECT_TRUE(ini.sectionLines(kPath, "Settings").empty());
  EXPECT_TRUE(ini.sections(kPath).empty());
  EXPECT_EQ(ini.read(kPath, "S", "k", std::string(300, 'd')), std::string(254, 'd'));

  givenFile("[S]\r\nlong=" + std::string(300, 'v') + "\r\nq=\"" + std::string(300, 'w') + "\"\r\n");
  EXPECT_EQ(ini.read(kPath, "S", "long"), std::string(254, 'v'));
  EXPECT_EQ(ini.read(kPath, "S", "q"), std::string(254, 'w'));
  EXPECT_EQ(ini.read(kPath, "T", "k", "d"), "d");
  EXPECT_EQ(ini.read(kPath, "S", "k", "d"), "d");
}

TEST_F(IniFileTest, WritesTheLayoutWindowsWrites) {
  ini.write(kPath, " App1 ", "key1", "string1");
  EXPECT_EQ(fileBytes(), "[App1]\r\nkey1=string1\r\n");
  ini.write(kPath, "App2", "key3", "");
  ini.write(kPath, "app1", "key2", "string2");
  ini.write(kPath, "App3", "key5", "string5");
  EXPECT_EQ(fileBytes(),
            "[App1]\r\nkey1=string1\r\nkey2=string2\r\n[App2]\r\nkey3=\r\n"
            "[App3]\r\nkey5=string5\r\n");
  ini.write(kPath, "APP1", "KEY1", "changed");
  EXPECT_EQ(ini.read(kPath, "App1", "key1"), "changed");
  EXPECT_EQ(fileBytes().substr(0, 24), "[App1]\r\nkey1=changed\r\nke");
}

TEST_F(IniFileTest, WritesKeepHandEditedTextAsItWas) {
  givenFile("; mine\n[A]\nx = 1\n; about b\n\n[B]\ny=2");
  ini.write(kPath, "a", "z", "3");
  ini.write(kPath, "B", "w", "4");
  ini.write(kPath, "C", "v", "5");
  EXPECT_EQ(fileBytes(),
            "; mine\n[A]\nx = 1\nz=3\r\n; about b\n\n[B]\ny=2\r\nw=4\r\n[C]\r\nv=5\r\n");
}

// A group of keys leaves the bytes its key-by-key writes leave, with one replace at most; values
// already there rewrite nothing.
TEST_F(IniFileTest, AGroupOfKeysWritesWhatTheSingleWritesWrite) {
  const std::string handEdited = "; mine\n[b]\nx = 1\n; about b\n\n[C]\ny=2";
  const std::vector<std::pair<std::string, std::string>> keys = {
      {"x", "1"}, {"z", "3 "},  {"X", "9"},   {"new", ""}, {"a=b", "5"},
      {"a", "6"}, {"; c", "7"}, {"[s]", "8"}, {"z", "4"},  {"w", "0"}};
  for (const char* section : {"B", "C", "D"}) {
    SCOPED_TRACE(section);
    givenFile(handEdited);
    for (const auto& [key, value] : keys) ini.write(kPath, section, key, value);
    const std::string oneByOne = fileBytes();
    givenFile(handEdited);
    files.replaceCalls = 0;
    EXPECT_TRUE(ini.write(kPath, section, keys));
    EXPECT_EQ(fileBytes(), oneByOne);
    EXPECT_EQ(files.replaceCalls, 1);
  }
  EXPECT_TRUE(ini.write(kPath, "c", {{"Y", "2"}, {"y", "2"}}));
  EXPECT_TRUE(ini.write(kPath, "C", "Y", "2"));
  EXPECT_EQ(files.replaceCalls, 1);
}

TEST_F(IniFileTest, DeletesKeysAndSections) {
  givenFile("[A]\r\nk1=1\r\nk2=2\r\n; keep\r\n[B]\r\nb=1\r\n\r\n[C]\r\nc=1\r\n");
  ini.deleteKey(kPath, "a", "K1");
  EXPECT_EQ(fileBytes(), "[A]\r\nk2=2\r\n; keep\r\n[B]\r\nb=1\r\n\r\n[C]\r\nc=1\r\n");
  ini.deleteSection(kPath, "b");
  EXPECT_EQ(fileBytes(), "[A]\r\nk2=2\r\n; keep\r\n[C]\r\nc=1\r\n");

  ini.deleteKey(kPath, "A", "nothing");
  ini.deleteKey(kPath, "Nothing", "k2");
  ini.deleteSection(kPath, "Nothing");
  EXPECT_EQ(files.replaceCalls, 2);

  ini.deleteKey("C:\\settings\\none.ini", "A", "k");
  ini.deleteSection("C:\\nofolder\\none.ini", "A");
  EXPECT_FALSE(root.exists("settings/none.ini"));
}

TEST_F(IniFileTest, LinesEndingInACarriageReturnAloneAreLines) {
  givenFile("[A]\rk=old\rother=1\r[B]\rb=2");
  EXPECT_EQ(ini.read(kPath, "A", "other"), "1");
  EXPECT_EQ(ini.read(kPath, "B", "b"), "2");
  EXPECT_EQ(ini.sectionNames(kPath), (std::vector<std::string>{"A", "B"}));

  ini.write(kPath, "A", "k", "new");
  ini.write(kPath, "A", "added", "3");
  EXPECT_EQ(fileBytes(), "[A]\rk=new\rother=1\radded=3\r\n[B]\rb=2");
}

// Nothing raised, the old file as it was, and the sink told once with the file and the reason;
// only line breaks in names or values raise (5), before anything is written or told.
TEST_F(IniFileTest, RefusedWritesTellTheSinkAndLeaveTheOldFile) {
  EXPECT_EQ(errorOf([&] { ini.write(kPath, "A", "k", "two\r\nlines"); }), 5);
  EXPECT_EQ(errorOf([&] { ini.write(kPath, "A\nB", "k", "v"); }), 5);
  EXPECT_FALSE(root.exists("settings/config.ini"));
  EXPECT_TRUE(failures.empty());

  EXPECT_FALSE(ini.write("C:\\nofolder\\x.ini", "A", "k", "v"));
  EXPECT_FALSE(root.exists("nofolder"));
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_EQ(failures[0].path, "C:\\nofolder\\x.ini");
  EXPECT_EQ(failures[0].reason.number(), 76);
  EXPECT_NE(failures[0].reason.description().find("C:\\nofolder\\x.ini"), std::string::npos);

  givenFile("[A]\r\nk=old\r\n");
  files.failReplace = true;  // a disk error whose text does not name the file
  EXPECT_FALSE(ini.write(kPath, "A", "k", "new"));
  EXPECT_FALSE(ini.deleteKey(kPath, "A", "k"));
  EXPECT_FALSE(ini.deleteSection(kPath, "A"));
  EXPECT_EQ(fileBytes(), "[A]\r\nk=old\r\n");
  ASSERT_EQ(failures.size(), 4u);
  EXPECT_EQ(failures[1].reason.number(), 61);
  EXPECT_EQ(failures[1].reason.description(), "Disk full: " + std::string(kPath));

  // The real adapter refusing a read-only file.
  files.failReplace = false;
  ::chmod((root / "settings/config.ini").c_str(), 0444);
  EXPECT_FALSE(ini.write(kPath, "A", "k", "new"));
  EXPECT_EQ(fileBytes(), "[A]\r\nk=old\r\n");
  ASSERT_EQ(failures.size(), 5u);
  EXPECT_EQ(failures[4].reason.number(), 70);
  EXPECT_NE(failures[4].reason.description().find("read-only"), std::string::npos);

  EXPECT_TRUE(ini.write(kPath, "A", "k", "old"));  // nothing to change: nothing refused
  EXPECT_EQ(failures.size(), 5u);
}

}  // namespace
}  // namespace rotaryn
