#include "platform/adapters/windows_file_system.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "platform/vb_error.h"
#include "tests/platform/vb_error_of.h"
#include "tests/support/scratch_folder.h"

namespace rotaryn {
namespace {

class WindowsFileSystemTest : public ::testing::Test {
 protected:
  ScratchFolder root;
  WindowsFileSystem files{{{'c', root.path()}}};

  void makeReadOnly(const std::string& relative) { ::chmod((root / relative).c_str(), 0444); }
  // Every entry of a folder, hidden ones included.
  std::vector<std::string> entriesOf(const std::string& relative) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(root / relative)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }
};

TEST_F(WindowsFileSystemTest, ExistingComponentsMatchWithoutRegardToCase) {
  root.write("Host/Profiles/x.til", "tile");
  EXPECT_TRUE(files.FileExists("C:\\host\\PROFILES\\X.TIL"));
  EXPECT_TRUE(files.FolderExists("c:/HOST/profiles/"));
  EXPECT_EQ(files.ReadAll("C:\\HOST\\profiles\\x.Til"), "tile");
  EXPECT_FALSE(files.FileExists("C:\\Host\\Profiles"));
  EXPECT_FALSE(files.FolderExists("C:\\Host\\Profiles\\x.til"));

  // New trailing components keep their given case under the folder already there.
  files.CreateFolder("C:\\HOST\\profiles\\NewOne");
  files.ReplaceAll("C:\\host\\PROFILES\\NewOne\\Last.INI", "x");
  EXPECT_EQ(root.read("Host/Profiles/NewOne/Last.INI"), "x");
  EXPECT_EQ(entriesOf("Host").size(), 1u);

  // Exact case wins over another spelling; else the lowest in byte order.
  root.write("dir/Name.txt", "upper");
  root.write("dir/name.txt", "lower");
  EXPECT_EQ(files.ReadAll("C:\\dir\\name.txt"), "lower");
  EXPECT_EQ(files.ReadAll("C:\\dir\\Name.txt"), "upper");
  EXPECT_EQ(files.ReadAll("C:\\dir\\NAME.TXT"), "upper");
}

TEST_F(WindowsFileSystemTest, MapsDrivesRootedAndDottedPaths) {
  root.write("a/b.txt", "b");
  EXPECT_EQ(files.posixPathOf("C:\\a\\.\\x\\..\\b.txt"), root / "a/b.txt");
  // Reads take the path as given first: the same dots, and ".." at the drive's root stays there.
  // A ".." taken too far or not at all would find these instead.
  root.write("b.txt", "top");
  root.write("a/x/b.txt", "x");
  EXPECT_EQ(files.ReadAll("C:\\a\\.\\x\\..\\b.txt"), "b");
  EXPECT_EQ(files.ReadAll("C:\\..\\..\\a\\\\b.txt"), "b");
  EXPECT_EQ(files.posixPathOf(root.path() + "/A/B.TXT"), root / "a/b.txt");  // no drive: from /
  EXPECT_EQ(errorOf([&] { files.ReadAll("D:\\a\\b.txt"); }), 76);
  EXPECT_EQ(errorOf([&] { files.ReadAll("a\\b.txt"); }), 76);
  EXPECT_EQ(errorOf([&] { files.ReadAll("C:a\\b.txt"); }), 76);
  EXPECT_FALSE(files.FileExists(""));

  EXPECT_EQ(WindowsFileSystem::toWindowsPath("/opt/host/Plugins"), "C:\\opt\\host\\Plugins");
  EXPECT_EQ(WindowsFileSystem::toPosix("\\opt\\host"), "/opt/host");
  EXPECT_EQ(WindowsFileSystem::toPosix(WindowsFileSystem::toWindowsPath("/")), "/");
}

TEST_F(WindowsFileSystemTest, CreateFolderMakesOneLevelOnlyAndErrorsNameThePath) {
  files.CreateFolder("C:\\logs");
  EXPECT_TRUE(files.FolderExists("C:\\Logs"));
  EXPECT_EQ(errorOf([&] { files.CreateFolder("C:\\LOGS"); }), 58);
  root.write("file", "");
  EXPECT_EQ(errorOf([&] { files.CreateFolder("C:\\file"); }), 58);
  EXPECT_EQ(errorOf([&] { files.CreateFolder("C:\\missing\\child"); }), 76);
  EXPECT_FALSE(root.exists("missing"));
  // Errors name the path.
  EXPECT_NE(errorTextOf([&] { files.ReadAll("C:\\nowhere\\x.ini"); }).find("C:\\nowhere\\x.ini"),
            std::string::npos);
}

TEST_F(WindowsFileSystemTest, DeleteFileRespectsReadOnlyUnlessForced) {
  root.write("ro.txt", "keep");
  makeReadOnly("ro.txt");
  EXPECT_EQ(errorOf([&] { files.DeleteFile("C:\\RO.txt", false); }), 70);
  EXPECT_EQ(root.read("ro.txt"), "keep");
  files.DeleteFile("C:\\RO.txt", true);
  EXPECT_FALSE(root.exists("ro.txt"));

  root.write("rw.txt", "");
  files.DeleteFile("C:\\rw.txt", false);
  EXPECT_FALSE(root.exists("rw.txt"));

  EXPECT_EQ(errorOf([&] { files.DeleteFile("C:\\rw.txt", true); }), 53);
  EXPECT_EQ(errorOf([&] { files.DeleteFile("C:\\gone\\rw.txt", true); }), 76);
  files.CreateFolder("C:\\sub");
  EXPECT_EQ(errorOf([&] { files.DeleteFile("C:\\sub", true); }), 53);
}

TEST_F(WindowsFileSystemTest, FilesOfListsPlainVisibleFilesOnly) {
  root.write("maps/a.bms", "");
  root.write("maps/B.bms", "");
  root.write("maps/.hidden", "");
  root.write("maps/folder/inner.bms", "");
  auto names = files.FilesOf("C:\\MAPS\\");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"B.bms", "a.bms"}));
  EXPECT_EQ(errorOf([&] { files.FilesOf("C:\\nomaps"); }), 76);
  EXPECT_EQ(errorOf([&] { files.FilesOf("C:\\maps\\a.bms"); }), 76);
}

// The core's names are Windows-1252, the disk's UTF-8: "Café", "€.bms", "naïve.ini".
// A listing with identities lists what FilesOf lists; while the folder is unchanged the same
// listing comes back, and every kind of change shows: a file rewritten with its size kept, one
// touched, one added, removed or renamed, and files changed through another name (a symbolic
// link's target, a hard link in another folder).
TEST_F(WindowsFileSystemTest, ListingsWithIdentitiesFollowEveryChange) {
  root.write("maps/a.bms", "aaaa");
  root.write("maps/b.bms", "bbbb");
  root.write("maps/.hidden", "h");
  root.write("elsewhere/target.bms", "tttt");
  root.write("elsewhere/linked.bms", "llll");
  std::filesystem::create_symlink(root / "elsewhere/target.bms", root / "maps/sym.bms");
  std::filesystem::create_hard_link(root / "elsewhere/linked.bms", root / "maps/hard.bms");
  const std::string folder = "C:\\maps";
  auto identityOf = [&](const Listing& listing, const std::string& name) {
    for (const ListedFile& file : *listing) {
      if (file.name == name) return file.identity;
    }
    return std::optional<FileIdentity>();
  };
  auto names = [](const Listing& listing) {
    std::vector<std::string> found;
    for (const ListedFile& file : *listing) found.push_back(file.name);
    return found;
  };
  Listing first = files.FilesWithIdentityOf(folder);
  EXPECT_EQ(names(first), files.FilesOf(folder));
  ASSERT_TRUE(identityOf(first, "a.bms").has_value());
  EXPECT_EQ(files.FilesWithIdentityOf(folder), first);

  struct Change {
    const char* what;
    std::function<void()> make;
    const char* changed;  // the file whose identity moves, or "" when names come or go
  };
  const Change changes[] = {
      {"rewritten, same size", [&] { root.write("maps/a.bms", "AAAA"); }, "a.bms"},
      {"link target", [&] { root.write("elsewhere/target.bms", "TTTT"); }, "sym.bms"},
      {"other name", [&] { root.write("elsewhere/linked.bms", "LLLL"); }, "hard.bms"},
      {"added", [&] { root.write("maps/c.bms", "c"); }, ""},
      {"renamed", [&] { std::filesystem::rename(root / "maps/b.bms", root / "maps/d.bms"); }, ""},
  };
  Listing before = first;
  for (const Change& change : changes) {
    SCOPED_TRACE(change.what);
    ::usleep(20000);  // past the file system's clock tick, so that times move
    change.make();
    Listing after = files.FilesWithIdentityOf(folder);
    EXPECT_NE(after, before);
    EXPECT_EQ(names(after), files.FilesOf(folder));
    if (*change.changed != '\0') {
      EXPECT_NE(identityOf(after, change.changed), identityOf(before, change.changed));
    }
    before = after;
  }
}

TEST_F(WindowsFileSystemTest, NamesConvertBetweenWindows1252AndUtf8) {
  root.write("Caf\xC3\xA9/\xE2\x82\xAC.bms", "euro");
  EXPECT_EQ(files.ReadAll("C:\\CAF\xC9\\\x80.BMS"), "euro");  // folded as NTFS folds case
  files.ReplaceAll("C:\\caf\xE9\\na\xEFve.ini", "x");
  files.ReplaceAll("C:\\caf\xE9\\odd\x81.txt", "y");  // an unassigned byte comes back the same
  EXPECT_EQ(root.read("Caf\xC3\xA9/na\xC3\xAFve.ini"), "x");
  auto names = files.FilesOf("C:\\Caf\xE9");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"na\xEFve.ini", "odd\x81.txt", "\x80.bms"}));
  files.CopyFile("C:\\Caf\xE9\\\x80.bms", "C:\\", true);
  EXPECT_EQ(root.read("\xE2\x82\xAC.bms"), "euro");

  EXPECT_EQ(WindowsFileSystem::toWindowsPath("/opt/Caf\xC3\xA9/x"), "C:\\opt\\Caf\xE9\\x");
  EXPECT_EQ(WindowsFileSystem::toPosix("C:\\opt\\Caf\xE9"), "/opt/Caf\xC3\xA9");
  EXPECT_EQ(WindowsFileSystem::toWindowsPath("/opt/\xE4\xB8\xAD/x"), "C:\\opt\\?\\x");
}

TEST_F(WindowsFileSystemTest, NamesWindows1252CannotSpellAreLeftOutWithOneLogLineEach) {
  std::vector<std::string> lines;
  WindowsFileSystem logged({{'C', root.path()}},
                           [&](const std::string& line) { lines.push_back(line); });
  root.write("maps/a.bms", "");
  root.write("maps/\xE4\xB8\xAD.bms", "");  // a CJK character
  root.write("maps/bad\xFF.bms", "");       // not UTF-8 at all
  EXPECT_EQ(logged.FilesOf("C:\\maps"), std::vector<std::string>{"a.bms"});
  std::sort(lines.begin(), lines.end());
  EXPECT_EQ(lines, (std::vector<std::string>{
                       "C:\\maps: left out the file \"bad\\xFF.bms\": Windows-1252 cannot "
                       "spell its name",
                       "C:\\maps: left out the file \"\xE4\xB8\xAD.bms\": Windows-1252 cannot "
                       "spell its name"}));
}

// The content is swapped whole, keeping the mode; a refused swap leaves the old file and no
// temporary. A scratch file is swapped in the same way.
TEST_F(WindowsFileSystemTest, ReplaceAllSwapsContentOrKeepsTheOldFile) {
  using Replace = void (WindowsFileSystem::*)(const std::string&, const std::string&);
  const std::pair<std::string, Replace> writers[] = {{"s", &WindowsFileSystem::ReplaceAll},
                                                     {"u", &WindowsFileSystem::ReplaceScratch}};
  for (const auto& [folder, replace] : writers) {
    auto write = [&, replace = replace](const std::string& path, const std::string& bytes) {
      (files.*replace)(path, bytes);
    };
    const std::string windows = "C:\\" + folder + "\\";
    root.write(folder + "/x.ini", "old");
    ::chmod((root / (folder + "/x.ini")).c_str(), 0640);
    write(windows + "X.ini", std::string("new\0bytes", 9));
    EXPECT_EQ(root.read(folder + "/x.ini"), std::string("new\0bytes", 9));
    EXPECT_EQ(std::filesystem::status(root / (folder + "/x.ini")).permissions(),
              std::filesystem::perms(0640));

    makeReadOnly(folder + "/x.ini");
    EXPECT_EQ(errorOf([&] { write(windows + "x.ini", "new"); }), 70);
    EXPECT_EQ(root.read(folder + "/x.ini"), std::string("new\0bytes", 9));
    files.CreateFolder(windows + "dir");
    EXPECT_EQ(errorOf([&] { write(windows + "dir", "new"); }), 70);
    EXPECT_EQ(errorOf([&] { write("C:\\t\\x.ini", "new"); }), 76);
    auto names = entriesOf(folder);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"dir", "x.ini"}));
  }
}

// A file-size limit makes the kernel refuse a write half way, as a full disk would.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    ::getrlimit(RLIMIT_FSIZE, &saved_);
    previous_ = ::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved_;
    limit.rlim_cur = bytes;
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    ::setrlimit(RLIMIT_FSIZE, &saved_);
    ::signal(SIGXFSZ, previous_);
  }

 private:
  rlimit saved_{};
  sighandler_t previous_;
};

TEST_F(WindowsFileSystemTest, WriteFailingHalfWayLeavesTheOldBytes) {
  root.write("s/x.ini", "old");
  root.write("s/map.bms", "0123456789");
  {
    FileSizeLimit limit(8);
    EXPECT_EQ(errorOf([&] { files.ReplaceAll("C:\\s\\x.ini", std::string(64, 'n')); }), 61);
    EXPECT_EQ(errorOf([&] { files.Append("C:\\s\\x.ini", std::string(64, 'n')); }), 61);
    EXPECT_EQ(errorOf([&] { files.WriteAt("C:\\s\\map.bms", 4, "abcdefgh"); }), 61);
    EXPECT_EQ(errorOf([&] { files.Append("C:\\s\\new.txt", std::string(64, 'n')); }), 61);
  }
  EXPECT_EQ(root.read("s/x.ini"), "old");
  EXPECT_EQ(root.read("s/map.bms"), "0123456789");
  auto names = entriesOf("s");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"map.bms", "x.ini"}));
}

TEST_F(WindowsFileSystemTest, CreateTextFileAndCopyFileRefuseWhatTheyMustNotOverwrite) {
  root.write("a.txt", "a");
  root.write("b.txt", "b");
  EXPECT_EQ(errorOf([&] { files.CreateTextFile("C:\\A.TXT", false); }), 58);
  EXPECT_EQ(errorOf([&] { files.CreateTextFile("C:\\no\\a.txt", true); }), 76);
  EXPECT_EQ(errorOf([&] { files.CopyFile("C:\\a.txt", "C:\\B.txt", false); }), 58);
  EXPECT_EQ(errorOf([&] { files.CopyFile("C:\\none.txt", "C:\\c.txt", true); }), 53);
  EXPECT_EQ(root.read("b.txt"), "b");

  files.CopyFile("C:\\a.txt", "C:\\B.txt", true);
  EXPECT_EQ(root.read("b.txt"), "a");
  files.CreateFolder("C:\\into");
  files.CopyFile("C:\\A.txt", "C:\\INTO\\", true);
  EXPECT_EQ(root.read("into/a.txt"), "a");

  makeReadOnly("b.txt");
  EXPECT_EQ(errorOf([&] { files.CopyFile("C:\\a.txt", "C:\\b.txt", true); }), 70);
  files.CreateTextFile("C:\\a.txt", true);
  EXPECT_EQ(files.FileSize("C:\\a.txt"), 0);
}

TEST_F(WindowsFileSystemTest, AppendAndBinaryAccess) {
  files.Append("C:\\log.txt", "one\r\n");
  files.Append("C:\\LOG.txt", "two\r\n");
  EXPECT_EQ(root.read("log.txt"), "one\r\ntwo\r\n");
  EXPECT_EQ(errorOf([&] { files.Append("C:\\no\\log.txt", "x"); }), 76);

  files.WriteAt("C:\\map.bms", 4, "AB");
  EXPECT_EQ(root.read("map.bms"), std::string("\0\0\0\0AB", 6));
  files.WriteAt("C:\\map.bms", 1, "z");
  EXPECT_EQ(files.ReadAt("C:\\map.bms", 0, 100), std::string("\0z\0\0AB", 6));
  EXPECT_EQ(files.ReadAt("C:\\map.bms", 4, 1), "A");
  EXPECT_EQ(files.ReadAt("C:\\map.bms", 50, 1), "");
  EXPECT_EQ(errorOf([&] { files.ReadAt("C:\\map.bms", -1, 1); }), 5);
  EXPECT_EQ(errorOf([&] { files.WriteAt("C:\\map.bms", -1, "x"); }), 5);
  EXPECT_EQ(errorOf([&] { files.ReadAt("C:\\none.bms", 0, 1); }), 53);
}

// Two processes sharing one root append to one log: every line arrives whole, none is lost.
TEST_F(WindowsFileSystemTest, AppendsFromTwoProcessesNeverInterleaveWithinALine) {
  files.CreateTextFile("c:\\log.txt", false);
  constexpr int kLines = 400;
  auto appendLines = [this](char writer) {
    for (int i = 0; i < kLines; ++i) {
      files.Append("c:\\log.txt",
                   std::string(1, writer) + std::to_string(i) + std::string(120, writer) + "\r\n");
    }
  };
  pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    appendLines('b');
    ::_exit(0);
  }
  appendLines('a');
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  std::string text = files.ReadAll("c:\\log.txt");
  int whole = 0;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    std::string line = text.substr(start, end - start);
    const char writer = line[0];
    const size_t digits = line.find_first_not_of("0123456789", 1);
    EXPECT_EQ(line.substr(digits), std::string(120, writer)) << "a torn line: " << line;
    ++whole;
    start = end + 2;
  }
  EXPECT_EQ(whole, 2 * kLines);
}

}  // namespace
}  // namespace rotaryn
