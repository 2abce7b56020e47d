// The remote API's reading of a request without a socket: the route and envelope of a request
// (first line the method, second the path, the rest the body), and the stream guard over the
// same bytes fed in pieces. A request accepted is one the API may forward, so it must be sound:
// a known operation, a profile from 1, data of the kinds the plug-in takes.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include <QList>

#include "host/api/api_request.h"

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
    auto parsed = parseApiRequest(QByteArrayView(method.data(), method.size()),
                                  QByteArrayView(path.data(), path.size()),
                                  QByteArrayView(body.data(), body.size()));
    if (auto* request = std::get_if<ApiRequest>(&parsed)) {
      if (request->kind == ApiRequest::Kind::kOperation) {
        if (request->operation == nullptr || request->profile < 1) std::abort();
        if (request->operation->readsData != request->data.has_value()) std::abort();
        if (request->data && !request->data->isString() && !request->data->isDouble()) {
          std::abort();
        }
        if (request->data) soundData(request->operation->name, *request->data);
      }
    } else if (std::get<ApiRefusal>(parsed).message.isEmpty()) {
      std::abort();  // every refusal says why
    }
    (void)bearerToken(QByteArrayView(body.data(), body.size()));
  }
  // The guard judges the same bytes alike whether they come at once or in pieces.
  RequestStreamGuard whole(64);
  RequestStreamGuard pieces(64);
  const auto verdict = whole.feed(QByteArrayView(input.data(), input.size()));
  auto piecewise = RequestStreamGuard::Verdict::kPass;
  for (size_t at = 0; at < size; at += 7) {
    piecewise = pieces.feed(QByteArrayView(input.data() + at, std::min<size_t>(7, size - at)));
  }
  // A head too large is seen at different points, so only the other verdicts must agree.
  if (verdict != RequestStreamGuard::Verdict::kHeadTooLarge &&
      piecewise != RequestStreamGuard::Verdict::kHeadTooLarge && verdict != piecewise) {
    std::abort();
  }
  return 0;
}
