#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace rotaryn::formats {

// The zlib pair behind the utility component's CompressString / DecompressString and the
// exchange codec, which must agree byte for byte. zlib's best compression; throws ZlibError when
// zlib itself fails (it runs out of memory).
class ZlibError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};
std::string deflateBytes(std::string_view bytes);

// What inflating a stream that must give exactly `length` bytes came to: the text, or what is
// wrong (cut short, corrupt, data after the stream, or a length other than the one carried).
struct Inflated {
  std::string text;
  std::string problem;  // empty when the stream gave exactly `length` bytes
  bool wrongLength = false;
};
Inflated inflateExactly(std::string_view stream, int64_t length);

}  // namespace rotaryn::formats
