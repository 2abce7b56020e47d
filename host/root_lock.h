#pragma once

#include <sys/types.h>

#include <optional>
#include <stdexcept>
#include <string>

namespace rotaryn::host {

inline constexpr const char* kRootLockFileName = "host.lock";

// Another host holds the root.
class RootBusy : public std::runtime_error {
 public:
  RootBusy(const std::string& what, pid_t holder) : std::runtime_error(what), holder_(holder) {}
  pid_t holder() const { return holder_; }

 private:
  pid_t holder_;
};

// A lock on ROOT/host.lock, held until destroyed (or the process ends, however it ends). The
// host's part keeps two hosts from running one root's servers, tasks and settings files; the
// administrators' part keeps two --add-admin from writing administrators.ini at once. They are
// record locks on different bytes of one file, so --add-admin runs beside a host.
class RootLock {
 public:
  enum class Part { kHost, kAdministrators };

  // The host's part is taken at once or not at all (RootBusy naming the holder's pid); the
  // administrators' part is waited for. Throws std::runtime_error when the file cannot be used.
  static RootLock take(const std::string& rootPosix, Part part);

  RootLock(RootLock&& other) noexcept;
  RootLock& operator=(RootLock&&) = delete;
  RootLock(const RootLock&) = delete;
  ~RootLock();

  // The pid of the host holding the root, when another process does.
  std::optional<pid_t> host() const;

 private:
  RootLock(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}

  int fd_ = -1;
  std::string path_;
};

}  // namespace rotaryn::host
