#include "host/config/host_root.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QFile>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <regex>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "host/host_text.h"

namespace rotaryn::host {
namespace {

namespace fs = std::filesystem;

// The host.ini --init-root writes: one simulated server, and the other kinds commented out.
constexpr std::string_view kStarterHostIni =
    R"(; rotaryn-host's profiles: one [Profile N] section per game server (docs/host.md).
;
; Encoding: this file is read as Windows-1252 (ANSI), one byte a character, like every text the
; plug-in keeps. Save it as Windows-1252 or plain ASCII; a UTF-8 byte-order mark is refused.
; Lines starting with ; or # are comments; a comment cannot follow a value on its line.
; Relative folders are taken from the folder of this file.

[Host]
; The dfbhd-sim to start for simulated servers (default: beside rotaryn-host, ../sim/, PATH).
; Simulator = /path/to/dfbhd-sim
; The plug-in area in twips.
; AreaWidth = 11040
; AreaHeight = 8400

[Profile 1]
; A simulated server: a dfbhd-sim child with these options (dfbhd-sim --help lists them).
Server = simulated --build standard --pack localres.pff
; The server's game folder (custom .bms maps go here); made for a simulated server.
GameFolder = games/alpha
; The profile's folder under profiles/: one folder name, unique among the profiles.
ProfileFolder = alpha
HostText0 = Alpha (simulated)

; A server that already runs, by its process id. Its game folder must exist.
; [Profile 2]
; Server = pid 4242
; ServerType = DFBHD
; GameFolder = /srv/dfbhd/
; ProfileFolder = bravo

; A server the host starts and stops. Its game folder must exist.
; [Profile 3]
; Server = command wine dfbhd.exe /w
; ServerType = DFBHD
; GameFolder = /srv/dfbhd3/
; ProfileFolder = charlie
; Seconds before the profile is loaded.
; StartupSeconds = 10
)";

// Writes the file unless it exists, without a window in which another writer could be
// overwritten. Returns whether it was written.
bool createExclusively(const fs::path& file, std::string_view bytes) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
  if (fd < 0 && errno == EEXIST) return false;
  if (fd < 0) {
    throw std::runtime_error("cannot create " + file.string() + ": " + std::strerror(errno));
  }
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int writeError = errno;
      ::close(fd);
      ::unlink(file.c_str());  // a half file would be kept as the user's next time
      throw std::runtime_error("cannot write " + file.string() + ": " + std::strerror(writeError));
    }
    written += static_cast<size_t>(n);
  }
  if (::close(fd) != 0) {
    ::unlink(file.c_str());
    throw std::runtime_error("cannot write " + file.string() + ": " + std::strerror(errno));
  }
  return true;
}

void makeFolder(const fs::path& folder) {
  std::error_code error;
  fs::create_directories(folder, error);
  if (error) {
    throw std::runtime_error("cannot create the folder " + folder.string() + ": " +
                             error.message());
  }
}

void writeIfMissing(const fs::path& file, const std::string& bytes) {
  if (fs::exists(file)) return;
  std::ofstream out(file, std::ios::binary);
  out << bytes;
  if (!out.flush()) throw std::runtime_error("cannot write " + file.string());
}

std::string resource(const char* name) {
  QFile file(QString(":/rotaryn/imgs/") + name);
  if (!file.open(QIODevice::ReadOnly)) {
    throw std::runtime_error(std::string("the host was built without its picture ") + name);
  }
  QByteArray bytes = file.readAll();
  return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

}  // namespace

void layOutRoot(const std::string& rootPosix, const std::vector<ProfileConfig>& profiles) {
  const fs::path root(rootPosix);
  for (const char* folder : {"Plugins", "profiles", "settings", "imgs", "adminlogs"}) {
    makeFolder(root / folder);
  }
  writeIfMissing(root / "settings" / "config.ini", "[Settings]\r\nReportErrors=0\r\n");
  for (const char* picture : {"butup.gif", "butdown.gif"}) {
    writeIfMissing(root / "imgs" / picture, resource(picture));
  }
  for (const ProfileConfig& profile : profiles) {
    makeFolder(root / "profiles" / utf8FromWindows1252(profile.profileFolder) / "settings");
    // A real server's folder is the server's own; only a simulated one gets it made.
    if (profile.server.kind == ServerSource::Kind::kSimulated) makeFolder(profile.gameFolderPosix);
  }
}

bool initRoot(const std::string& rootPosix) {
  const fs::path file = fs::path(rootPosix) / kHostIniName;
  makeFolder(rootPosix);
  if (!createExclusively(file, kStarterHostIni)) {
    layOutRoot(rootPosix, {});
    return false;
  }
  layOutRoot(rootPosix, parseHostConfig(kStarterHostIni, file.string(), rootPosix).profiles);
  return true;
}

void installPlugin(const std::string& libraryFile, const std::string& rootPosix) {
  const fs::path target = fs::path(rootPosix) / "Plugins" / kPluginFileName;
  makeFolder(target.parent_path());
  // Named as the plug-in's own temporaries are, so a host removes one a killed copy left.
  const fs::path temporary = target.parent_path() / ("." + std::string(kPluginFileName) + ".tmp" +
                                                     std::to_string(::getpid()) + ".0");
  auto fail = [&](const std::string& what, int error) {
    throw std::runtime_error("cannot install the plug-in " + libraryFile + " as " +
                             target.string() + ": " + what + ": " + std::strerror(error) +
                             (fs::exists(target) ? " (the plug-in there is kept)" : ""));
  };
  const int source = ::open(libraryFile.c_str(), O_RDONLY | O_CLOEXEC);
  if (source < 0) fail("cannot read it", errno);
  ::unlink(temporary.c_str());  // only a dead process of the same pid can have left it
  const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0755);
  if (fd < 0) {
    const int error = errno;
    ::close(source);
    fail("cannot create " + temporary.string(), error);
  }
  auto abandon = [&](int error) {
    ::close(source);
    ::close(fd);
    ::unlink(temporary.c_str());
    fail("cannot write " + temporary.string(), error);
  };
  char buffer[1 << 16];
  for (;;) {
    const ssize_t n = ::read(source, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) abandon(errno);
    if (n == 0) break;
    for (ssize_t done = 0; done < n;) {
      const ssize_t written = ::write(fd, buffer + done, static_cast<size_t>(n - done));
      if (written < 0 && errno == EINTR) continue;
      if (written < 0) abandon(errno);
      done += written;
    }
  }
  if (::fsync(fd) != 0) abandon(errno);
  ::close(source);
  if (::close(fd) != 0 || ::rename(temporary.c_str(), target.c_str()) != 0) {
    const int error = errno;
    ::unlink(temporary.c_str());
    fail("cannot put it in place", error);
  }
}

std::string pluginPathIn(const std::string& rootPosix) {
  return (fs::path(rootPosix) / "Plugins" / kPluginFileName).string();
}

int removeStaleTemporaries(const std::string& rootPosix) {
  // The plug-in's file writes go to ".<name>.tmp<pid>.<n>" beside their target and are renamed
  // into place; a host killed in between leaves the temporary. Only those of processes that no
  // longer run are removed: a live writer's file may be renamed any moment.
  static const std::regex temporary(R"(\..+\.tmp([0-9]{1,9})\.[0-9]+)");
  int removed = 0;
  std::error_code error;
  for (fs::recursive_directory_iterator it(rootPosix, error), end; !error && it != end;
       it.increment(error)) {
    std::smatch match;
    const std::string name = it->path().filename().string();
    if (!it->is_regular_file(error) || !std::regex_match(name, match, temporary)) continue;
    const pid_t writer = static_cast<pid_t>(std::stol(match[1].str()));
    if (writer == ::getpid() || ::kill(writer, 0) == 0 || errno != ESRCH) continue;
    std::error_code removing;
    if (fs::remove(it->path(), removing)) ++removed;
  }
  return removed;
}

std::optional<LoadedRoot> loadRoot(const std::string& rootPosix, int& exitCode) {
  try {
    HostConfig config = readHostConfig(rootPosix + "/" + kHostIniName, rootPosix);
    // Before anything under the root is touched: another host may be writing it.
    RootLock lock = RootLock::take(rootPosix, RootLock::Part::kHost);
    layOutRoot(rootPosix, config.profiles);
    if (int removed = removeStaleTemporaries(rootPosix)) {
      std::cerr << "rotaryn-host: removed " << removed
                << " temporary files left by writes that were cut off\n";
    }
    return LoadedRoot{std::move(config), std::move(lock)};
  } catch (const HostConfigError& error) {
    std::cerr << "rotaryn-host: " << error.what() << "\nrotaryn-host: nothing was started\n";
    exitCode = 2;
  } catch (const RootBusy& error) {
    std::cerr << "rotaryn-host: " << error.what() << "\nrotaryn-host: nothing was started\n";
    exitCode = 2;
  } catch (const std::exception& error) {
    std::cerr << "rotaryn-host: " << error.what() << "\n";
    exitCode = 3;
  }
  return std::nullopt;
}

}  // namespace rotaryn::host
