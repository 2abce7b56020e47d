#include "platform/adapters/windows_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <optional>
#include <system_error>
#include <utility>

#include "formats/windows_1252.h"
#include "platform/vb_error.h"
#include "platform/vb_runtime.h"

namespace rotaryn {

namespace {

struct ParsedPath {
  char drive = 0;  // upper case; 0 when the path has none
  std::vector<std::string> parts;
};

bool isSeparator(char c) {
  return c == '\\' || c == '/';
}

char asciiUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

[[noreturn]] void fail(int number, const std::string& path, const std::string& detail = "") {
  std::string text = std::string(vbErrorDescription(number)) + ": " + path;
  if (!detail.empty()) text += " (" + detail + ")";
  raiseVbError(number, std::move(text));
}

int vbNumberOfErrno(int err, int notFound) {
  switch (err) {
    case ENOENT:
      return notFound;
    case ENOTDIR:
      return vberr::kPathNotFound;
    case EEXIST:
      return vberr::kFileAlreadyExists;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY:
    case EISDIR:
      return vberr::kPermissionDenied;
    case ENOSPC:
    case EDQUOT:
    case EFBIG:
      return vberr::kDiskFull;
    default:
      return vberr::kPathFileAccess;
  }
}

[[noreturn]] void failErrno(int err, const std::string& path, int notFound = vberr::kFileNotFound) {
  fail(vbNumberOfErrno(err, notFound), path, std::generic_category().message(err));
}

bool isAscii(std::string_view name) {
  for (char c : name) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// A component of a core path as the system names it.
std::string systemName(const std::string& windowsName) {
  return isAscii(windowsName) ? windowsName : formats::utf8FromWindows1252(windowsName);
}

// A name from the system as the core spells it; nullopt when Windows-1252 cannot.
std::optional<std::string> coreName(const std::string& name) {
  if (isAscii(name)) return name;
  return formats::windows1252FromUtf8(name);
}

// A system name for a log line: UTF-8 as it is, other bytes and control characters as \xNN.
std::string printable(std::string_view name) {
  std::string out;
  for (size_t pos = 0; pos < name.size();) {
    size_t start = pos;
    std::optional<char32_t> code = formats::nextUtf8Character(name, pos);
    if (code && *code >= 0x20 && *code != 0x7F && !(*code >= 0x80 && *code < 0xA0)) {
      out.append(name.substr(start, pos - start));
      continue;
    }
    for (size_t i = start; i < pos; ++i) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(name[i]));
      out += hex;
    }
  }
  return out;
}

// An absolute Windows path's drive (upper case; 0 for one from "/"); pos is set past it.
char driveOf(const std::string& path, size_t& pos) {
  pos = 0;
  if (path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]))) {
    pos = 2;
    // "C:" alone is the drive's root; "C:x" is relative to a per-drive folder we do not have.
    if (pos < path.size() && !isSeparator(path[pos])) {
      fail(vberr::kPathNotFound, path, "not an absolute path");
    }
    return asciiUpper(path[0]);
  }
  if (path.empty() || !isSeparator(path[0]))
    fail(vberr::kPathNotFound, path, "not an absolute path");
  return 0;
}

// The components from pos on, in order, to push; "." skipped and each ".." a pop of the last
// one pushed (none above the root). Returns how many stay pushed.
template <class Push, class Pop>
size_t walkParts(const std::string& path, size_t pos, Push&& push, Pop&& pop) {
  size_t depth = 0;
  while (pos < path.size()) {
    while (pos < path.size() && isSeparator(path[pos])) ++pos;
    size_t end = pos;
    while (end < path.size() && !isSeparator(path[end])) ++end;
    const std::string_view part(path.data() + pos, end - pos);
    pos = end;
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (depth > 0) {
        --depth;
        pop();
      }
      continue;
    }
    ++depth;
    push(part);
  }
  return depth;
}

// Windows path -> drive and components; "." and ".." resolved by name.
ParsedPath parseWindowsPath(const std::string& path) {
  ParsedPath parsed;
  size_t pos = 0;
  parsed.drive = driveOf(path, pos);
  walkParts(
      path, pos, [&](std::string_view part) { parsed.parts.emplace_back(part); },
      [&] { parsed.parts.pop_back(); });
  return parsed;
}

std::string joinPosix(const std::string& folder, const std::string& name) {
  if (folder.empty() || folder.back() == '/') return folder + name;
  return folder + "/" + name;
}

bool statPath(const std::string& posix, struct stat& st) {
  return ::stat(posix.c_str(), &st) == 0;
}

bool isDirectory(const std::string& posix) {
  struct stat st;
  return statPath(posix, st) && S_ISDIR(st.st_mode);
}

int64_t nanoseconds(const struct timespec& time) {
  return static_cast<int64_t>(time.tv_sec) * 1000000000 + time.tv_nsec;
}

FileIdentity identityOf(const struct stat& st) {
  return FileIdentity{static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino),
                      static_cast<int64_t>(st.st_size), nanoseconds(st.st_mtim),
                      nanoseconds(st.st_ctim)};
}

// What a folder watch reports: names coming and going (the folder is read again), and writes and
// touches of its files (those files are looked at again).
constexpr uint32_t kNamesChanged = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                   IN_DELETE_SELF | IN_MOVE_SELF | IN_IGNORED;
constexpr uint32_t kWatchMask = kNamesChanged | IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_ONLYDIR;

// False on file systems whose changes made elsewhere (another machine, a user-space server)
// reach no watch: network file systems and FUSE.
bool watchSeesEveryChange(const std::string& posix) {
  struct statfs fs;
  if (::statfs(posix.c_str(), &fs) != 0) return false;
  switch (static_cast<uint32_t>(fs.f_type)) {
    case 0x6969u:      // NFS
    case 0x517Bu:      // SMB
    case 0xFF534D42u:  // CIFS
    case 0xFE534D42u:  // SMB2
    case 0x65735546u:  // FUSE
    case 0x01021997u:  // 9P
    case 0x00C36400u:  // Ceph
    case 0x5346414Fu:  // AFS
    case 0x73757245u:  // Coda
    case 0x01161970u:  // GFS2
    case 0x7461636Fu:  // OCFS2
    case 0x0BD00BD0u:  // Lustre
      return false;
    default:
      return true;
  }
}

bool isReadOnly(mode_t mode) {
  return (mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// The on-disk name in folder of the core's name, without regard to case; exact case wins, then
// the lowest name in byte order so that the choice does not depend on listing order. name is
// the system's spelling of it and becomes the one found.
bool findEntry(const std::string& folder, const std::string& windowsName, std::string& name) {
  struct stat st;
  if (::lstat(joinPosix(folder, name).c_str(), &st) == 0) return true;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return false;
  std::string best;
  bool found = false;
  while (dirent* entry = ::readdir(dir)) {
    std::string candidate = entry->d_name;
    if (found && candidate >= best) continue;
    std::optional<std::string> spelled = coreName(candidate);
    if (spelled && vb::EqualsText(*spelled, windowsName)) {
      best = std::move(candidate);
      found = true;
    }
  }
  ::closedir(dir);
  if (found) name = std::move(best);
  return found;
}

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  int get() const { return fd_; }
  // Closes now so that a failing close (a late write error) is seen; returns errno or 0.
  int close() {
    int result = ::close(fd_) == 0 ? 0 : errno;
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

// Writes everything at offset (or at the current position when offset < 0); errno or 0.
int writeFully(int fd, const std::string& bytes, off_t offset = -1) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = offset < 0 ? ::write(fd, bytes.data() + done, bytes.size() - done)
                           : ::pwrite(fd, bytes.data() + done, bytes.size() - done,
                                      offset + static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    done += static_cast<size_t>(n);
  }
  return 0;
}

// Up to count bytes from offset; fewer at the end of the file. errno or 0.
int readFully(int fd, off_t offset, size_t count, std::string& out) {
  out.clear();
  char buffer[65536];
  while (out.size() < count) {
    size_t want = std::min(sizeof buffer, count - out.size());
    ssize_t n = ::pread(fd, buffer, want, offset + static_cast<off_t>(out.size()));
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    if (n == 0) break;
    out.append(buffer, static_cast<size_t>(n));
  }
  return 0;
}

}  // namespace

struct WindowsFileSystem::Resolved {
  std::string windows;  // as given, for messages
  std::string posix;
  std::string parent;  // POSIX folder holding the last component
  std::string name;    // last component as the system names it, on-disk case when it exists
  bool parentFound = false;
  bool found = false;

  // Where a file is about to be written: either nothing, in a folder that exists, or a file that
  // may be replaced (not a folder, overwrite allowed, not read-only). The existing file's status.
  std::optional<struct stat> requireWritable(bool overwrite = true) const {
    if (!parentFound) fail(vberr::kPathNotFound, windows);
    if (!found) return std::nullopt;
    struct stat st;
    if (!statPath(posix, st)) failErrno(errno, windows);
    if (S_ISDIR(st.st_mode)) fail(vberr::kPermissionDenied, windows, "is a folder");
    if (!overwrite) fail(vberr::kFileAlreadyExists, windows);
    if (isReadOnly(st.st_mode)) fail(vberr::kPermissionDenied, windows, "file is read-only");
    return st;
  }
};

WindowsFileSystem::~WindowsFileSystem() {
  if (watchFd_ >= 0) ::close(watchFd_);
}

void WindowsFileSystem::logToStandardError(const std::string& line) {
  std::fprintf(stderr, "rotaryn: %s\n", line.c_str());
}

WindowsFileSystem::WindowsFileSystem() : WindowsFileSystem(DriveMap{{'C', "/"}}) {}

WindowsFileSystem::WindowsFileSystem(DriveMap drives, LogLine log) : log_(std::move(log)) {
  for (auto& [letter, folder] : drives) drives_[asciiUpper(letter)] = folder;
}

std::string WindowsFileSystem::toWindowsPath(const std::string& posixPath) {
  std::string result;
  if (!posixPath.empty() && posixPath[0] == '/') result = "C:";
  for (char c : formats::windows1252FromUtf8(posixPath, '?')) {
    if (c != '/') {
      result += c;
    } else if (result.empty() || result.back() != '\\') {
      result += '\\';
    }
  }
  return result;
}

std::string WindowsFileSystem::toPosix(const std::string& windowsPath) {
  ParsedPath parsed = parseWindowsPath(windowsPath);
  if (parsed.drive != 0 && parsed.drive != 'C') {
    fail(vberr::kPathNotFound, windowsPath, "drive not mapped");
  }
  std::string result;
  for (const auto& part : parsed.parts) {
    result += '/';  // not "/" + name: GCC 12 at -O3 falsely warns (-Wrestrict) on that
    result += systemName(part);
  }
  return result.empty() ? "/" : result;
}

std::optional<std::string> WindowsFileSystem::exactPosix(const std::string& windowsPath) const {
  // parseWindowsPath and joinPosix in one string: map scans call this once per file, and a
  // string per component was most of a header read's own time.
  size_t pos = 0;
  std::string current = "/";
  if (const char drive = driveOf(windowsPath, pos)) {
    auto it = drives_.find(drive);
    if (it == drives_.end()) return std::nullopt;
    current = it->second;
  }
  const size_t root = current.size();
  const size_t parts = walkParts(
      windowsPath, pos,
      [&](std::string_view part) {
        if (current.empty() || current.back() != '/') current += '/';
        if (isAscii(part)) {
          current += part;
        } else {
          current += formats::utf8FromWindows1252(part);
        }
      },
      [&] { current.resize(std::max(current.rfind('/'), root)); });
  if (parts == 0) return std::nullopt;
  return current;
}

WindowsFileSystem::Resolved WindowsFileSystem::resolve(const std::string& windowsPath) const {
  ParsedPath parsed = parseWindowsPath(windowsPath);
  std::string current = "/";
  if (parsed.drive != 0) {
    auto it = drives_.find(parsed.drive);
    if (it == drives_.end()) {
      fail(vberr::kPathNotFound, windowsPath,
           std::string("drive ") + parsed.drive + ": is not mapped");
    }
    current = it->second;
  }
  Resolved resolved;
  resolved.windows = windowsPath;
  // Fast path: a path whose every component exists in the given case needs one lstat, not one
  // per component (exact case wins anyway).
  std::vector<std::string> names;
  for (const std::string& part : parsed.parts) names.push_back(systemName(part));
  if (!names.empty()) {
    std::string exact = current;
    for (const std::string& name : names) exact = joinPosix(exact, name);
    struct stat st;
    if (::lstat(exact.c_str(), &st) == 0) {
      resolved.posix = exact;
      resolved.found = resolved.parentFound = true;
      resolved.name = names.back();
      resolved.parent = exact.substr(0, exact.size() - resolved.name.size());
      if (resolved.parent.size() > 1 && resolved.parent.back() == '/') resolved.parent.pop_back();
      return resolved;
    }
  }
  bool existing = isDirectory(current);
  if (parsed.parts.empty()) {
    resolved.parent = resolved.posix = current;
    resolved.parentFound = resolved.found = existing;
    return resolved;
  }
  for (size_t i = 0; i < parsed.parts.size(); ++i) {
    std::string name = names[i];
    if (i + 1 == parsed.parts.size()) {
      resolved.parent = current;
      resolved.parentFound = existing && isDirectory(current);
    }
    if (existing) existing = findEntry(current, parsed.parts[i], name);
    current = joinPosix(current, name);
    resolved.name = name;
  }
  resolved.posix = current;
  resolved.found = existing;
  return resolved;
}

std::string WindowsFileSystem::posixPathOf(const std::string& windowsPath) const {
  return resolve(windowsPath).posix;
}

bool WindowsFileSystem::FileExists(const std::string& path) {
  try {
    struct stat st;
    Resolved target = resolve(path);
    return target.found && statPath(target.posix, st) && S_ISREG(st.st_mode);
  } catch (const VbError&) {
    return false;
  }
}

bool WindowsFileSystem::FolderExists(const std::string& path) {
  try {
    Resolved target = resolve(path);
    return target.found && isDirectory(target.posix);
  } catch (const VbError&) {
    return false;
  }
}

void WindowsFileSystem::CreateFolder(const std::string& path) {
  Resolved target = resolve(path);
  if (target.found) fail(vberr::kFileAlreadyExists, path);
  if (!target.parentFound) fail(vberr::kPathNotFound, path, "parent folder missing");
  if (::mkdir(target.posix.c_str(), 0777) != 0) failErrno(errno, path, vberr::kPathNotFound);
}

void WindowsFileSystem::DeleteFile(const std::string& path, bool force) {
  Resolved target = resolve(path);
  if (!target.parentFound) fail(vberr::kPathNotFound, path);
  struct stat st;
  if (!target.found || ::lstat(target.posix.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) {
    fail(vberr::kFileNotFound, path);
  }
  if (!S_ISLNK(st.st_mode) && isReadOnly(st.st_mode)) {
    if (!force) fail(vberr::kPermissionDenied, path, "file is read-only");
    if (::chmod(target.posix.c_str(), (st.st_mode & 07777) | S_IWUSR) != 0) {
      failErrno(errno, path);
    }
  }
  if (::unlink(target.posix.c_str()) != 0) failErrno(errno, path);
}

void WindowsFileSystem::CopyFile(const std::string& source, const std::string& destination,
                                 bool overwrite) {
  Resolved from = resolve(source);
  if (!from.parentFound) fail(vberr::kPathNotFound, source);
  struct stat sourceStat;
  if (!from.found || !statPath(from.posix, sourceStat) || !S_ISREG(sourceStat.st_mode)) {
    fail(vberr::kFileNotFound, source);
  }
  // A destination ending with a separator is a folder to copy into, under the source's name.
  Resolved to = (!destination.empty() && isSeparator(destination.back()))
                    ? resolve(destination + formats::windows1252FromUtf8(from.name, '?'))
                    : resolve(destination);
  std::optional<struct stat> existing = to.requireWritable(overwrite);
  if (existing && existing->st_dev == sourceStat.st_dev && existing->st_ino == sourceStat.st_ino) {
    fail(vberr::kPermissionDenied, destination, "source and destination are the same file");
  }
  std::string bytes = ReadAll(source);
  // Windows copies the attributes, read-only included.
  writeReplacing(to, bytes, static_cast<int>(sourceStat.st_mode & 07777));
}

std::vector<std::string> WindowsFileSystem::FilesOf(const std::string& folder) {
  std::vector<std::string> names;
  for (ListedFile& file : listFiles(folder, false)) names.push_back(std::move(file.name));
  return names;
}

Listing WindowsFileSystem::FilesWithIdentityOf(const std::string& folder) {
  Resolved target = resolve(folder);
  if (!target.found || !isDirectory(target.posix)) fail(vberr::kPathNotFound, folder);
  auto fresh = [&](WatchedFolder* record = nullptr) {
    return std::make_shared<const std::vector<ListedFile>>(listFiles(folder, true, record));
  };
  if (!drainWatch()) return fresh();
  auto it = watched_.find(target.posix);
  if (it == watched_.end()) {
    if (!watchSeesEveryChange(target.posix)) return fresh();
    it = watched_.emplace(target.posix, WatchedFolder{}).first;
  }
  WatchedFolder& watched = it->second;
  if (watched.watch < 0) {
    // Watched before it is listed, so that no change after the listing goes unseen.
    watched.watch = ::inotify_add_watch(watchFd_, target.posix.c_str(), kWatchMask);
    if (watched.watch < 0) {
      watched_.erase(it);
      return fresh();
    }
    watched.relist = true;
  }
  if (!watched.relist) {
    std::vector<size_t> again = watched.restatAlways;
    for (const std::string& name : watched.touched) {
      auto found = watched.indexOf.find(name);
      if (found != watched.indexOf.end()) again.push_back(found->second);
    }
    // Unchanged: the same listing again. Otherwise a new one, as listings are never changed.
    std::shared_ptr<std::vector<ListedFile>> changed;
    for (size_t index : again) {
      struct stat st;
      const ListedFile& file = (*watched.listing)[index];
      if (!statPath(joinPosix(target.posix, systemName(file.name)), st) || !S_ISREG(st.st_mode)) {
        watched.relist = true;  // no longer a file: the folder is read again
        break;
      }
      if (file.identity == identityOf(st)) continue;
      if (!changed) changed = std::make_shared<std::vector<ListedFile>>(*watched.listing);
      (*changed)[index].identity = identityOf(st);
    }
    if (changed && !watched.relist) watched.listing = std::move(changed);
  }
  watched.touched.clear();
  if (watched.relist) {
    watched.listing = fresh(&watched);
    watched.relist = false;
  }
  return watched.listing;
}

bool WindowsFileSystem::drainWatch() {
  if (watchFd_ == -2) watchFd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (watchFd_ < 0) return false;
  alignas(struct inotify_event) char buffer[16384];
  for (;;) {
    const ssize_t got = ::read(watchFd_, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return true;  // nothing more reported
    for (ssize_t at = 0; at < got;) {
      struct inotify_event event;
      std::memcpy(&event, buffer + at, sizeof event);
      const char* name = buffer + at + sizeof event;
      at += static_cast<ssize_t>(sizeof event + event.len);
      for (auto& [path, folder] : watched_) {
        if ((event.mask & IN_Q_OVERFLOW) != 0) {
          folder.relist = true;
          continue;
        }
        if (folder.watch != event.wd) continue;
        if ((event.mask & IN_IGNORED) != 0) folder.watch = -1;
        if ((event.mask & kNamesChanged) != 0) {
          folder.relist = true;
        } else if (event.len > 0) {
          folder.touched.emplace(name);
        }
      }
    }
  }
}

std::vector<ListedFile> WindowsFileSystem::listFiles(const std::string& folder, bool identities,
                                                     WatchedFolder* record) {
  Resolved target = resolve(folder);
  if (!target.found || !isDirectory(target.posix)) fail(vberr::kPathNotFound, folder);
  DIR* dir = ::opendir(target.posix.c_str());
  if (dir == nullptr) failErrno(errno, folder, vberr::kPathNotFound);
  std::vector<ListedFile> files;
  std::vector<std::string> unspellable;
  if (record) {
    record->indexOf.clear();
    record->restatAlways.clear();
  }
  while (dirent* entry = ::readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    bool regular = entry->d_type == DT_REG;
    std::optional<FileIdentity> identity;
    bool elsewhere = entry->d_type == DT_LNK;
    if (identities || entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
      // Relative to the open folder: one lookup, not a walk of the whole path.
      struct stat st;
      regular = ::fstatat(::dirfd(dir), entry->d_name, &st, 0) == 0 && S_ISREG(st.st_mode);
      if (regular && identities) identity = identityOf(st);
      elsewhere = elsewhere || (regular && st.st_nlink > 1);
    }
    if (!regular) continue;
    if (std::optional<std::string> name = coreName(entry->d_name)) {
      if (record) {
        record->indexOf.emplace(entry->d_name, files.size());
        if (elsewhere) record->restatAlways.push_back(files.size());
      }
      files.push_back({std::move(*name), identity});
    } else {
      unspellable.emplace_back(entry->d_name);
    }
  }
  ::closedir(dir);
  for (const std::string& name : unspellable) {
    if (!log_) break;
    log_(formats::utf8FromWindows1252(folder) + ": left out the file \"" + printable(name) +
         "\": Windows-1252 cannot spell its name");
  }
  return files;
}

void WindowsFileSystem::CreateTextFile(const std::string& path, bool overwrite) {
  Resolved target = resolve(path);
  target.requireWritable(overwrite);
  writeReplacing(target, "", -1);
}

int64_t WindowsFileSystem::FileSize(const std::string& path) {
  Resolved target = resolve(path);
  if (!target.parentFound) fail(vberr::kPathNotFound, path);
  struct stat st;
  if (!target.found || !statPath(target.posix, st) || S_ISDIR(st.st_mode)) {
    fail(vberr::kFileNotFound, path);
  }
  return static_cast<int64_t>(st.st_size);
}

std::string WindowsFileSystem::ReadAll(const std::string& path) {
  return ReadAt(path, 0, INT64_MAX);
}

void WindowsFileSystem::ReplaceAll(const std::string& path, const std::string& bytes) {
  Resolved target = resolve(path);
  target.requireWritable();
  writeReplacing(target, bytes, -1);
}

void WindowsFileSystem::ReplaceScratch(const std::string& path, const std::string& bytes) {
  Resolved target = resolve(path);
  target.requireWritable();
  writeReplacing(target, bytes, -1, false);
}

void WindowsFileSystem::writeReplacing(const Resolved& target, const std::string& bytes, int mode,
                                       bool durable) {
  struct stat st;
  if (mode < 0 && target.found && statPath(target.posix, st)) {
    mode = static_cast<int>(st.st_mode & 07777);
  }
  // Hidden, so listings never show it; the name is cut to stay within NAME_MAX.
  std::string temp;
  int fd = -1;
  for (int attempt = 0; fd < 0; ++attempt) {
    // Appended piece by piece: GCC 12 at -O3 falsely warns (-Wrestrict) on "." + std::string.
    std::string name = ".";
    name.append(target.name, 0, 200);
    name += ".tmp" + std::to_string(::getpid()) + "." + std::to_string(++tempCounter_);
    temp = joinPosix(target.parent, name);
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && (errno != EEXIST || attempt > 100)) {
      failErrno(errno, target.windows, vberr::kPathNotFound);
    }
  }
  FileDescriptor file(fd);
  auto abandon = [&](int err) {
    file.close();
    ::unlink(temp.c_str());
    failErrno(err, target.windows, vberr::kPathNotFound);
  };
  if (int err = writeFully(file.get(), bytes)) abandon(err);
  if (mode >= 0 && ::fchmod(file.get(), static_cast<mode_t>(mode)) != 0) abandon(errno);
  if (durable && ::fsync(file.get()) != 0) abandon(errno);
  if (int err = file.close()) abandon(err);
  if (::rename(temp.c_str(), target.posix.c_str()) != 0) abandon(errno);
  if (!durable) return;
  // Makes the rename itself durable; a failure here loses nothing already written.
  int folder = ::open(target.parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder >= 0) {
    ::fsync(folder);
    ::close(folder);
  }
}

void WindowsFileSystem::Append(const std::string& path, const std::string& bytes) {
  writeInPlace(path, 0, true, bytes);
}

std::string WindowsFileSystem::ReadAt(const std::string& path, int64_t offset, int64_t count) {
  if (offset < 0 || count < 0) fail(vberr::kInvalidCall, path, "negative offset or count");
  // Fast path: a path that opens as given needs no resolution; map scans read thousands.
  if (std::optional<std::string> exact = exactPosix(path)) {
    FileDescriptor file(::open(exact->c_str(), O_RDONLY | O_CLOEXEC));
    if (file.get() >= 0) {
      std::string bytes;
      int err = readFully(file.get(), static_cast<off_t>(offset),
                          static_cast<size_t>(std::min<int64_t>(count, SIZE_MAX >> 1)), bytes);
      if (err == EISDIR) fail(vberr::kPermissionDenied, path, "is a folder");
      if (err != 0) failErrno(err, path);
      return bytes;
    }
  }
  Resolved target = resolve(path);
  if (!target.parentFound) fail(vberr::kPathNotFound, path);
  if (!target.found) fail(vberr::kFileNotFound, path);
  FileDescriptor file(::open(target.posix.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) failErrno(errno, path);
  struct stat st;
  if (::fstat(file.get(), &st) != 0) failErrno(errno, path);
  if (S_ISDIR(st.st_mode)) fail(vberr::kPermissionDenied, path, "is a folder");
  std::string bytes;
  if (offset >= st.st_size && S_ISREG(st.st_mode)) return bytes;
  // Sized by what can be there, not by the request, so a huge count allocates nothing extra.
  int64_t available = S_ISREG(st.st_mode) ? st.st_size - offset : count;
  bytes.reserve(static_cast<size_t>(std::min(count, std::min<int64_t>(available, 1 << 26))));
  if (int err = readFully(file.get(), static_cast<off_t>(offset),
                          static_cast<size_t>(std::min<int64_t>(count, SIZE_MAX >> 1)), bytes)) {
    failErrno(err, path);
  }
  return bytes;
}

void WindowsFileSystem::WriteAt(const std::string& path, int64_t offset, const std::string& bytes) {
  if (offset < 0) fail(vberr::kInvalidCall, path, "negative offset");
  writeInPlace(path, offset, false, bytes);
}

void WindowsFileSystem::writeInPlace(const std::string& path, int64_t offset, bool atEnd,
                                     const std::string& bytes) {
  Resolved target = resolve(path);
  target.requireWritable();
  int flags = O_RDWR | O_CREAT | O_CLOEXEC | (target.found ? 0 : O_EXCL) | (atEnd ? O_APPEND : 0);
  FileDescriptor file(::open(target.posix.c_str(), flags, 0666));
  if (file.get() < 0) failErrno(errno, path, vberr::kPathNotFound);
  struct stat st;
  if (::fstat(file.get(), &st) != 0) failErrno(errno, path);
  off_t oldSize = st.st_size;
  off_t at = atEnd ? oldSize : static_cast<off_t>(offset);
  std::string oldBytes;
  if (at < oldSize) {
    if (int err = readFully(file.get(), at, bytes.size(), oldBytes)) failErrno(err, path);
  }
  int err = writeFully(file.get(), bytes, atEnd ? -1 : at);
  if (err == 0) return;
  // Puts the file back as it was: old bytes, old size, or no file at all.
  if (!target.found) {
    ::unlink(target.posix.c_str());
  } else {
    writeFully(file.get(), oldBytes, at);
    if (::ftruncate(file.get(), oldSize) != 0) {
      // Nothing more can be done; the write error below is what the caller needs.
    }
  }
  failErrno(err, path);
}

}  // namespace rotaryn
