#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace rotaryn {

// The file-system port on a POSIX file system, addressed with Windows paths.
//
// Path mapping: "X:\a\b" maps to the POSIX folder configured for drive X followed by "a/b";
// a path that starts with "\" or "/" and has no drive maps from "/". Both separators are
// accepted, repeated separators collapse, "." and ".." are resolved by name as Windows does.
// Relative paths and unmapped drives are "path not found" (76). Every existing component is
// found without regard to ASCII case, preferring an exact match; components that do not exist
// keep the case they were given. Hidden means a name starting with '.'.
//
// Read-only means "no write permission bit set" in the file's mode, whoever runs the process.
//
// Names: the core's paths are Windows-1252, the system's names UTF-8; components are converted
// both ways (a byte the code page leaves unassigned stands for the control character of the same
// number). Existing names also match without regard to the case of Windows-1252 letters. A name
// on disk that Windows-1252 cannot spell (or that is not UTF-8) cannot be reached: a listing
// leaves it out and says so in one line to its log.
class WindowsFileSystem final : public FileSystem {
 public:
  // Drive letter (either case) -> POSIX folder.
  using DriveMap = std::map<char, std::string>;
  // Takes one line of UTF-8 text, without its line end.
  using LogLine = std::function<void(const std::string& line)>;

  // Writes the line to standard error, prefixed "rotaryn: ".
  static void logToStandardError(const std::string& line);

  // "C:" -> "/".
  WindowsFileSystem();
  explicit WindowsFileSystem(DriveMap drives, LogLine log = logToStandardError);
  ~WindowsFileSystem() override;

  // "/opt/host/Plugins" -> "C:\opt\host\Plugins"; the inverse of toPosix under the default
  // drive map. A relative POSIX path only has its separators turned. A character Windows-1252
  // lacks becomes "?", as in Windows' ANSI names.
  static std::string toWindowsPath(const std::string& posixPath);
  // "C:\opt\host" or "\opt\host" -> "/opt/host" (UTF-8), by name only (no case resolution),
  // under the default drive map. Raises 76 for another drive or a relative path.
  static std::string toPosix(const std::string& windowsPath);

  // The POSIX path a Windows path resolves to now, existing components in their on-disk case.
  std::string posixPathOf(const std::string& windowsPath) const;

  bool FileExists(const std::string& path) override;
  bool FolderExists(const std::string& path) override;
  void CreateFolder(const std::string& path) override;
  void DeleteFile(const std::string& path, bool force) override;
  void CopyFile(const std::string& source, const std::string& destination, bool overwrite) override;
  std::vector<std::string> FilesOf(const std::string& folder) override;
  // Identities from the system's stat of each file (symbolic links followed). A folder listed
  // this way is watched (inotify) from then on, so that listing it again while nothing in it
  // changed costs no call per file: only the files the watch saw written, touched or (through a
  // link) possibly changed elsewhere are looked at again, and the folder is read again when
  // names came or went. Folders on network or FUSE file systems, whose remote changes no watch
  // sees, and any folder the system will not watch, are listed in full each time.
  Listing FilesWithIdentityOf(const std::string& folder) override;
  void CreateTextFile(const std::string& path, bool overwrite) override;
  int64_t FileSize(const std::string& path) override;
  std::string ReadAll(const std::string& path) override;
  void ReplaceAll(const std::string& path, const std::string& bytes) override;
  void ReplaceScratch(const std::string& path, const std::string& bytes) override;
  void Append(const std::string& path, const std::string& bytes) override;
  std::string ReadAt(const std::string& path, int64_t offset, int64_t count) override;
  // Creates the file when missing (as VB's Open For Binary does); writing past the end extends
  // it. On a failure the file's old bytes and size are put back.
  void WriteAt(const std::string& path, int64_t offset, const std::string& bytes) override;

 private:
  struct Resolved;
  Resolved resolve(const std::string& windowsPath) const;
  // The POSIX path with every component in the given case; nullopt for an unmapped drive.
  std::optional<std::string> exactPosix(const std::string& windowsPath) const;
  // Temporary file beside the target, fsync (unless not durable), rename over. mode < 0 keeps
  // the target's mode (or the process default for a new file).
  void writeReplacing(const Resolved& target, const std::string& bytes, int mode,
                      bool durable = true);
  // Writes at offset, or at the end; on a failure the old bytes and size are put back.
  void writeInPlace(const std::string& path, int64_t offset, bool atEnd, const std::string& bytes);

  // A folder under watch: its last listing and what the watch reported since.
  struct WatchedFolder {
    int watch = -1;
    Listing listing;
    std::map<std::string, size_t> indexOf;  // system name -> position in the listing
    // Symbolic links and files with other names elsewhere: a change through another path
    // reaches no watch of this folder, so they are looked at every time.
    std::vector<size_t> restatAlways;
    std::set<std::string> touched;  // system names written or touched since the listing
    bool relist = true;             // names came or went, or the watch lost track
  };
  // Reads what the watch reported so far into the watched folders; false when there is no watch.
  bool drainWatch();
  // The listing; with record, also what a watched folder keeps of it.
  std::vector<ListedFile> listFiles(const std::string& folder, bool identities,
                                    WatchedFolder* record = nullptr);

  DriveMap drives_;
  LogLine log_;
  uint64_t tempCounter_ = 0;
  int watchFd_ = -2;  // -2: not opened yet; -1: the system has none for us
  std::map<std::string, WatchedFolder> watched_;  // by POSIX path
};

}  // namespace rotaryn
