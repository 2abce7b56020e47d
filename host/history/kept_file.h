#pragma once

#include <sys/types.h>

#include <string>

namespace rotaryn::host {

// (Beside the history, which is free of Qt, so that the audit and the history share it.)
// A file appended to and kept open between lines while its path stays the same and it is still
// in its folder; removed (pruned, or by hand), it is made again, folder and all.
class KeptAppendFile {
 public:
  KeptAppendFile() = default;
  KeptAppendFile(const KeptAppendFile&) = delete;
  KeptAppendFile& operator=(const KeptAppendFile&) = delete;
  ~KeptAppendFile() { close(); }

  // The descriptor of path (O_APPEND), opened now if it is not the one held; -1 when it cannot
  // be, with problem saying why.
  int open(const std::string& path, mode_t mode, std::string& problem);
  void close();

 private:
  std::string path_;
  int fd_ = -1;
};

}  // namespace rotaryn::host
