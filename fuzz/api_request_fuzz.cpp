// The remote API's reading of a request without a socket: the route and envelope of a request
// (first line the method, second the path, the rest the body), and the HTTP framing of the same
// bytes (the head and a chunked body), at once and in pieces. A request accepted is one the API may
// forward, so it must be sound: a known operation, a profile from 1, data of the kinds the plug-in
// takes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <QList>

#include "described_plugin.h"
#include "host/api/api_request.h"
#include "host/api/http_parser.h"

namespace {

// Data the API passes on: a task's file stays in its settings folder, an upload is bytes.
void soundData(std::string_view operation, const QJsonValue& data) {
  const QByteArray text = data.toString().toUtf8();
  if (operation == "AddTaskRem" || operation == "EditTaskRem") {
    const QList<QByteArray> fields = QByteArray::fromBase64(text).split('|');
    const QByteArray& file = fields[operation == "AddTaskRem" ? 1 : 2];
    if (file.contains("..") || file.contains('/') || file.contains('\\')) std::abort();
  }
  if (operation == "AddFileRem") {
    for (char c : text.mid(text.indexOf('|') + 1)) {
      if ((c < '0' || c > '9') && c != '/') std::abort();
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace rotaryn::host::api;
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const size_t first = input.find('\n');
  const size_t second = first == std::string_view::npos ? first : input.find('\n', first + 1);
  if (second != std::string_view::npos) {
    const std::string_view method = input.substr(0, first);
    const std::string_view path = input.substr(first + 1, second - first - 1);
    const std::string_view body = input.substr(second + 1);
    auto parsed = parseApiRequest(describedPlugin(), QByteArrayView(method.data(), method.size()),
                                  QByteArrayView(path.data(), path.size()),
                                  QByteArrayView(body.data(), body.size()));
    if (auto* request = std::get_if<ApiRequest>(&parsed)) {
      if (isConsoleRead(request->kind) && request->data) std::abort();
      if (request->kind == ApiRequest::Kind::kOperation) {
        if (request->operation == nullptr || request->profile < 1) std::abort();
        if (request->operation->readsData != request->data.has_value()) std::abort();
        if (request->data && !request->data->isString() && !request->data->isDouble()) {
          std::abort();
        }
        if (request->data) soundData(request->operation->name.toStdString(), *request->data);
      }
    } else if (std::get<ApiRefusal>(parsed).message.isEmpty()) {
      std::abort();  // every refusal says why
    }
    (void)bearerToken(QByteArrayView(body.data(), body.size()));
    // A console read's day is a real date written yyyy-mm-dd, or none.
    if (const size_t mark = path.find('?'); mark != std::string_view::npos) {
      const std::string_view query = path.substr(mark + 1);
      if (auto day = consoleDay(QByteArrayView(query.data(), query.size()))) {
        if (!day->isValid() || day->year() < 0 || day->year() > 9999) std::abort();
      }
      // A status list's wait is whole seconds within its bounds, none, or refused.
      if (auto wait = statusWait(QByteArrayView(query.data(), query.size()))) {
        if (*wait < 0 || *wait > kMostStatusWait || (*wait == 0 && !query.empty())) std::abort();
      }
    }
  }
  // The request head: what is accepted is framed one way only.
  const size_t end = http::headEnd(input);
  size_t piecewiseEnd = std::string_view::npos;
  for (size_t at = 0; at < size && piecewiseEnd == std::string_view::npos; at += 7) {
    piecewiseEnd = http::headEnd(input.substr(0, std::min(size, at + 7)), at >= 3 ? at - 3 : 0);
  }
  if (end != piecewiseEnd) std::abort();
  auto head = http::parseRequestHead(input.substr(0, end));
  if (auto* request = std::get_if<http::RequestHead>(&head)) {
    if (request->method.empty() || request->target.empty() || request->target[0] != '/') {
      std::abort();
    }
    if (request->chunked && request->contentLength) std::abort();
    for (const auto& [name, value] : request->headers) {
      if (name.empty() || value.find_first_of("\r\n") != std::string::npos) std::abort();
    }
  } else if (std::get<http::Problem>(head).reason.empty()) {
    std::abort();
  }
  // A chunked body reads alike at once and in pieces, and never beyond its limit.
  http::ChunkedBody whole(64);
  http::ChunkedBody pieces(64);
  std::string wholeBody;
  std::string piecesBody;
  std::string_view rest = input;
  const auto step = whole.feed(rest, wholeBody);
  auto piecewise = http::ChunkedBody::Step::kMore;
  size_t at = 0;
  while (piecewise == http::ChunkedBody::Step::kMore && at < size) {
    std::string_view piece = input.substr(at, 7);
    const size_t before = piece.size();
    piecewise = pieces.feed(piece, piecesBody);
    at += before - piece.size();
  }
  if (step != piecewise || wholeBody != piecesBody || wholeBody.size() > 64) std::abort();
  if (step == http::ChunkedBody::Step::kDone && rest.size() != size - at) std::abort();
  return 0;
}
