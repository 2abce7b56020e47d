#include "formats/deflate.h"

#include <zlib.h>

#include <array>
#include <memory>

namespace rotaryn::formats {

std::string deflateBytes(std::string_view bytes) {
  uLongf size = compressBound(static_cast<uLong>(bytes.size()));
  std::string stream(size, '\0');
  const int status = compress2(reinterpret_cast<Bytef*>(stream.data()), &size,
                               reinterpret_cast<const Bytef*>(bytes.data()),
                               static_cast<uLong>(bytes.size()), Z_BEST_COMPRESSION);
  if (status != Z_OK) {
    throw ZlibError("zlib failed with status " + std::to_string(status));
  }
  stream.resize(size);
  return stream;
}

Inflated inflateExactly(std::string_view stream, int64_t length) {
  auto wrong = [length](size_t got, bool over) {
    return Inflated{"",
                    "the text is " + std::string(over ? "over " : "") + std::to_string(got) +
                        " characters long, not the " + std::to_string(length) + " carried with it",
                    true};
  };
  if (length < 0) return Inflated{"", "negative length " + std::to_string(length), true};
  z_stream z{};
  if (inflateInit(&z) != Z_OK) throw ZlibError("zlib could not start inflating");
  std::unique_ptr<z_stream, int (*)(z_stream*)> guard(&z, inflateEnd);
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(stream.data()));
  z.avail_in = static_cast<uInt>(stream.size());
  std::string out;
  std::array<char, 16384> chunk;
  int status = Z_OK;
  while (status != Z_STREAM_END) {
    z.next_out = reinterpret_cast<Bytef*>(chunk.data());
    z.avail_out = static_cast<uInt>(chunk.size());
    status = inflate(&z, Z_NO_FLUSH);
    if (status == Z_BUF_ERROR && z.avail_in == 0) {
      return Inflated{"", "the compressed text is cut short"};
    }
    if (status != Z_OK && status != Z_STREAM_END) {
      return Inflated{"", "the compressed text is corrupt"};
    }
    out.append(chunk.data(), chunk.size() - z.avail_out);
    // Past the carried length the text is wrong whatever follows: no need to inflate the rest.
    if (out.size() > static_cast<uint64_t>(length)) return wrong(out.size(), true);
  }
  if (z.avail_in != 0) return Inflated{"", "data follows the compressed text"};
  if (out.size() != static_cast<uint64_t>(length)) return wrong(out.size(), false);
  return Inflated{std::move(out), ""};
}

}  // namespace rotaryn::formats
