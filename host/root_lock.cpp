#include "host/root_lock.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>

namespace rotaryn::host {
namespace {

// The byte of the lock file each part locks. Record locks belong to the process, are not
// inherited by the servers it starts, and go with it when it dies, even by SIGKILL.
off_t byteOf(RootLock::Part part) {
  return part == RootLock::Part::kHost ? 0 : 1;
}

struct flock lockOf(RootLock::Part part) {
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = byteOf(part);
  lock.l_len = 1;
  return lock;
}

// The pid the holder wrote into the file, for when the lock's own answer has none (a holder in
// another pid namespace).
pid_t writtenPid(int fd) {
  char text[16] = {};
  const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
  return n > 0 ? static_cast<pid_t>(std::atol(text)) : 0;
}

}  // namespace

RootLock RootLock::take(const std::string& rootPosix, Part part) {
  std::string path = rootPosix + "/" + kRootLockFileName;
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644);
  if (fd < 0) {
    throw std::runtime_error("cannot open the root's lock file " + path + ": " +
                             std::strerror(errno));
  }
  RootLock lock(fd, std::move(path));
  struct flock wanted = lockOf(part);
  const int command = part == Part::kHost ? F_SETLK : F_SETLKW;
  while (::fcntl(fd, command, &wanted) != 0) {
    if (errno == EINTR) continue;
    if (part == Part::kHost && (errno == EAGAIN || errno == EACCES)) {
      const pid_t holder = lock.host().value_or(0);
      throw RootBusy("the root " + rootPosix + " is in use by another rotaryn-host" +
                         (holder > 0 ? " (pid " + std::to_string(holder) + ")" : "") +
                         ", which holds " + lock.path_ + "; stop it first, or give this one " +
                         "a root of its own",
                     holder);
    }
    throw std::runtime_error("cannot lock " + lock.path_ + ": " + std::strerror(errno));
  }
  if (part == Part::kHost) {
    // For people and for a holder the lock cannot name; the lock itself is what counts.
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) != 0 ||
        ::pwrite(fd, pid.data(), pid.size(), 0) != static_cast<ssize_t>(pid.size())) {
      throw std::runtime_error("cannot write " + lock.path_ + ": " + std::strerror(errno));
    }
  }
  return lock;
}

RootLock::RootLock(RootLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), path_(std::move(other.path_)) {}

RootLock::~RootLock() {
  if (fd_ >= 0) ::close(fd_);
}

std::optional<pid_t> RootLock::host() const {
  struct flock probe = lockOf(Part::kHost);
  if (::fcntl(fd_, F_GETLK, &probe) != 0 || probe.l_type == F_UNLCK) return std::nullopt;
  return probe.l_pid > 0 ? probe.l_pid : writtenPid(fd_);
}

}  // namespace rotaryn::host
