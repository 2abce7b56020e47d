#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

// The HTTP/1.1 framing of the remote API's requests, without sockets: where a head ends, what
// it says, and the chunked body as it arrives. Strict on purpose: a request two readers could
// frame differently (two lengths, a length and a coding, a folded line) is refused, never
// guessed at.
namespace rotaryn::host::api::http {

inline constexpr size_t kMaxHead = 64 * 1024;

// What one connection and the server as a whole may hold, and for how long.
struct Limits {
  uint64_t bodyLimit = 32ull * 1024 * 1024;
  int maxConnections = 64;         // open at once, every peer together
  int maxConnectionsPerPeer = 16;  // open at once from one address
  int headTimeoutMs = 10000;       // from the connection (or the head's first byte) to its end
  uint64_t minBodyRate = 4096;     // bytes a second, once the body had headTimeoutMs to start
  int keepAliveIdleMs = 30000;     // between an answer and the next request's first byte
};

// Why a head or body cannot be served: the status to answer and the reason for the audit.
struct Problem {
  int status = 400;
  std::string reason;
};

struct RequestHead {
  std::string method;
  std::string target;  // origin form: the path and any query
  int minorVersion = 1;
  std::vector<std::pair<std::string, std::string>> headers;  // names as sent, values trimmed
  std::optional<uint64_t> contentLength;
  bool chunked = false;
  bool keepAlive = true;
  bool expectContinue = false;
  // Set by the server: tells this request from every other of the run (0: none).
  uint64_t serial = 0;

  // The target without its query.
  std::string_view path() const;
  // What follows the target's "?"; empty without one.
  std::string_view query() const;
  // The first value of a header (case-insensitive name); empty when absent.
  std::string_view header(std::string_view name) const;
  bool hasBody() const { return chunked || contentLength.value_or(0) > 0; }
};

// The offset just past the blank line that ends a head in these bytes, looking from `from`
// (the bytes before it are known not to hold the end); npos while the head goes on. Lines end
// with CRLF or a bare LF.
size_t headEnd(std::string_view bytes, size_t from = 0);

// Reads one head: the request line and the header lines up to (and with) the blank line.
std::variant<RequestHead, Problem> parseRequestHead(std::string_view head);

// A chunked body read as it arrives; the data is appended, never held beyond the limit.
class ChunkedBody {
 public:
  explicit ChunkedBody(uint64_t limit) : limit_(limit) {}
  enum class Step { kMore, kDone, kFailed };
  // Consumes what it can of the input (it may stop before the end only once done), appending
  // the data to body.
  Step feed(std::string_view& input, std::string& body);
  const Problem& problem() const { return problem_; }

 private:
  enum class State { kSize, kData, kDataEnd, kTrailer, kDone, kFailed };
  Step fail(int status, std::string reason);

  uint64_t limit_;
  State state_ = State::kSize;
  std::string line_;  // a size or trailer line in progress
  uint64_t left_ = 0;
  uint64_t total_ = 0;
  size_t trailerBytes_ = 0;
  Problem problem_;
};

}  // namespace rotaryn::host::api::http
