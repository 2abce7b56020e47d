#include "host/api/http_parser.h"

#include <algorithm>

namespace rotaryn::host::api::http {
namespace {

constexpr size_t kMaxChunkLine = 1024;
constexpr size_t kMaxTrailer = 8 * 1024;

bool isTokenChar(char c) {
  if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
  return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

bool isToken(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), isTokenChar);
}

// A request target's characters: visible ASCII that a URI may hold as it is.
bool isTargetChar(char c) {
  const auto byte = static_cast<unsigned char>(c);
  if (byte <= 0x20 || byte >= 0x7F) return false;
  return std::string_view("\"<>\\^`{|}").find(c) == std::string_view::npos;
}

// A field value's characters: visible, blanks and bytes above ASCII; no control character.
bool isValueChar(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte == '\t' || byte >= 0x20 ? byte != 0x7F : false;
}

char lowerChar(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return lowerChar(x) == lowerChar(y);
         });
}

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// Whether a comma-separated header value lists this token.
bool listsToken(std::string_view value, std::string_view token) {
  while (!value.empty()) {
    const size_t comma = std::min(value.find(','), value.size());
    if (equalNoCase(trimBlanks(value.substr(0, comma)), token)) return true;
    value.remove_prefix(std::min(comma + 1, value.size()));
  }
  return false;
}

// Splits the next line off the text: the line without its ending, or nullopt when a CR stands
// anywhere but before the LF.
std::optional<std::string_view> nextLine(std::string_view& text) {
  const size_t lf = text.find('\n');
  std::string_view line = text.substr(0, lf);
  text.remove_prefix(lf == std::string_view::npos ? text.size() : lf + 1);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.find('\r') != std::string_view::npos) return std::nullopt;
  return line;
}

Problem bad(std::string reason) {
  return Problem{400, std::move(reason)};
}

}  // namespace

std::string_view RequestHead::path() const {
  const std::string_view whole(target);
  return whole.substr(0, whole.find('?'));
}

std::string_view RequestHead::query() const {
  const size_t mark = target.find('?');
  return mark == std::string::npos ? std::string_view() : std::string_view(target).substr(mark + 1);
}

std::string_view RequestHead::header(std::string_view name) const {
  for (const auto& [key, value] : headers) {
    if (equalNoCase(key, name)) return value;
  }
  return {};
}

size_t headEnd(std::string_view bytes, size_t from) {
  for (size_t at = bytes.find('\n', from); at != std::string_view::npos;
       at = bytes.find('\n', at + 1)) {
    if (at + 1 < bytes.size() && bytes[at + 1] == '\n') return at + 2;
    if (at + 2 < bytes.size() && bytes[at + 1] == '\r' && bytes[at + 2] == '\n') return at + 3;
  }
  return std::string_view::npos;
}

std::variant<RequestHead, Problem> parseRequestHead(std::string_view head) {
  if (head.size() > kMaxHead) return Problem{431, "the request head is above 64 KiB"};
  RequestHead request;
  auto requestLine = nextLine(head);
  if (!requestLine) return bad("a CR inside the request line");
  const size_t firstSpace = requestLine->find(' ');
  const size_t secondSpace = requestLine->find(' ', firstSpace + 1);
  if (firstSpace == std::string_view::npos || secondSpace == std::string_view::npos ||
      requestLine->find(' ', secondSpace + 1) != std::string_view::npos) {
    return bad("the request line is not METHOD TARGET HTTP/1.1");
  }
  const std::string_view method = requestLine->substr(0, firstSpace);
  const std::string_view target = requestLine->substr(firstSpace + 1, secondSpace - firstSpace - 1);
  const std::string_view version = requestLine->substr(secondSpace + 1);
  if (!isToken(method)) return bad("the method is not a token");
  if (target.empty() || target.front() != '/') return bad("the target is not a path from /");
  if (!std::all_of(target.begin(), target.end(), isTargetChar)) {
    return bad("the target holds a character a URI does not have");
  }
  if (version.size() != 8 || version.substr(0, 7) != "HTTP/1.") {
    if (version.substr(0, 5) == "HTTP/") return Problem{505, "only HTTP/1.1 and 1.0 are served"};
    return bad("the request line does not end with the HTTP version");
  }
  if (version[7] != '0' && version[7] != '1') {
    return Problem{505, "only HTTP/1.1 and 1.0 are served"};
  }
  request.method = method;
  request.target = target;
  request.minorVersion = version[7] - '0';

  int lengths = 0;
  int codings = 0;
  std::string_view connection;
  while (!head.empty()) {
    auto line = nextLine(head);
    if (!line) return bad("a CR inside a header line");
    if (line->empty()) break;
    if (line->front() == ' ' || line->front() == '\t') return bad("a folded header line");
    const size_t colon = line->find(':');
    if (colon == std::string_view::npos) return bad("a header line without a colon");
    const std::string_view name = line->substr(0, colon);
    if (!isToken(name))
      return bad("a header name that is not a token (or a blank before its colon)");
    const std::string_view value = trimBlanks(line->substr(colon + 1));
    if (!std::all_of(value.begin(), value.end(), isValueChar)) {
      return bad("a control character in the value of " + std::string(name));
    }
    if (equalNoCase(name, "Content-Length")) {
      ++lengths;
      if (value.empty() || value.size() > 19 ||
          !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return bad("Content-Length is not a number");
      }
      uint64_t length = 0;
      for (char c : value) length = length * 10 + static_cast<uint64_t>(c - '0');
      request.contentLength = length;
    } else if (equalNoCase(name, "Transfer-Encoding")) {
      ++codings;
      if (!equalNoCase(value, "chunked")) {
        return bad("the only transfer coding served is chunked, alone");
      }
      request.chunked = true;
    } else if (equalNoCase(name, "Connection")) {
      connection = value;
    } else if (equalNoCase(name, "Expect")) {
      if (!equalNoCase(value, "100-continue"))
        return Problem{417, "the only Expect is 100-continue"};
      request.expectContinue = true;
    }
    request.headers.emplace_back(name, value);
  }
  if (lengths > 1) return bad("Content-Length is given more than once");
  if (codings > 1) return bad("Transfer-Encoding is given more than once");
  if (lengths > 0 && codings > 0) return bad("both Content-Length and Transfer-Encoding are given");
  request.keepAlive = request.minorVersion == 1 ? !listsToken(connection, "close")
                                                : listsToken(connection, "keep-alive");
  return request;
}

ChunkedBody::Step ChunkedBody::fail(int status, std::string reason) {
  state_ = State::kFailed;
  problem_ = Problem{status, std::move(reason)};
  return Step::kFailed;
}

ChunkedBody::Step ChunkedBody::feed(std::string_view& input, std::string& body) {
  while (!input.empty()) {
    switch (state_) {
      case State::kDone:
        return Step::kDone;
      case State::kFailed:
        return Step::kFailed;
      case State::kData: {
        const auto take = static_cast<size_t>(std::min<uint64_t>(left_, input.size()));
        body.append(input.substr(0, take));
        input.remove_prefix(take);
        left_ -= take;
        if (left_ == 0) state_ = State::kDataEnd;
        break;
      }
      case State::kSize:
      case State::kDataEnd:
      case State::kTrailer: {
        const size_t lf = input.find('\n');
        line_.append(input.substr(0, lf));
        input.remove_prefix(lf == std::string_view::npos ? input.size() : lf + 1);
        const size_t most = state_ == State::kTrailer ? kMaxTrailer : kMaxChunkLine;
        if (line_.size() > most) return fail(400, "a chunk size or trailer line is too long");
        if (lf == std::string_view::npos) return Step::kMore;
        std::string_view line(line_);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.find('\r') != std::string_view::npos) return fail(400, "a CR inside a chunk line");
        if (state_ == State::kDataEnd) {
          if (!line.empty()) return fail(400, "a chunk's data is longer than its size");
          state_ = State::kSize;
        } else if (state_ == State::kTrailer) {
          trailerBytes_ += line.size();
          if (trailerBytes_ > kMaxTrailer) return fail(400, "the trailer is above 8 KiB");
          if (line.empty()) state_ = State::kDone;
        } else {
          const std::string_view size = trimBlanks(line.substr(0, line.find(';')));
          if (size.empty() || size.size() > 15)
            return fail(400, "a chunk size is not a hex number");
          uint64_t value = 0;
          for (char c : size) {
            const char low = lowerChar(c);
            int digit = -1;
            if (low >= '0' && low <= '9') digit = low - '0';
            if (low >= 'a' && low <= 'f') digit = low - 'a' + 10;
            if (digit < 0) return fail(400, "a chunk size is not a hex number");
            value = value * 16 + static_cast<uint64_t>(digit);
          }
          total_ += value;
          if (total_ > limit_) {
            return fail(413, "the chunked body goes above the limit of " + std::to_string(limit_) +
                                 " bytes");
          }
          left_ = value;
          state_ = value == 0 ? State::kTrailer : State::kData;
        }
        line_.clear();
        break;
      }
    }
  }
  if (state_ == State::kDone) return Step::kDone;
  return state_ == State::kFailed ? Step::kFailed : Step::kMore;
}

}  // namespace rotaryn::host::api::http
