#include "host/history/kept_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace rotaryn::host {

int KeptAppendFile::open(const std::string& path, mode_t mode, std::string& problem) {
  struct stat status {};
  if (fd_ >= 0 && (path != path_ || ::fstat(fd_, &status) != 0 || status.st_nlink == 0)) close();
  if (fd_ >= 0) return fd_;
  const int flags = O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC;
  fd_ = ::open(path.c_str(), flags, mode);
  if (fd_ < 0 && errno == ENOENT) {
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), error);
    fd_ = ::open(path.c_str(), flags, mode);
  }
  if (fd_ < 0) {
    problem = "cannot open " + path + ": " + std::strerror(errno);
    return -1;
  }
  path_ = path;
  return fd_;
}

void KeptAppendFile::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

}  // namespace rotaryn::host
