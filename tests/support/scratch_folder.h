#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <system_error>

namespace rotaryn {

// A fresh folder under /tmp, removed with everything in it when the test ends.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = "/tmp/rotaryn-test-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& relative) const { return path_ + "/" + relative; }

  // Direct access for arranging and checking, bypassing the code under test.
  void write(const std::string& relative, const std::string& bytes) const {
    std::filesystem::path file = path_ + "/" + relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
  }
  std::string read(const std::string& relative) const {
    std::ifstream in(path_ + "/" + relative, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  bool exists(const std::string& relative) const {
    return std::filesystem::exists(path_ + "/" + relative);
  }

 private:
  std::string path_;
};

}  // namespace rotaryn
