#include "admin/upload_body.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "admin/maps_view.h"

namespace rotaryn::admin {
namespace {

constexpr std::string_view kTail = "\"}";

// "0/" ... "255/": the text of each byte value.
const std::array<std::string, 256>& byteTexts() {
  static const std::array<std::string, 256> texts = [] {
    std::array<std::string, 256> made;
    for (int value = 0; value < 256; ++value) made[value] = std::to_string(value) + "/";
    return made;
  }();
  return texts;
}

}  // namespace

UploadBody::UploadBody(const std::string& name, QByteArray bytes) : bytes_(std::move(bytes)) {
  // The JSON writer escapes the name; the digits and "/" after it need no escaping.
  head_ = QJsonDocument(QJsonObject{{"data", fromWindows1252(name + "|")}})
              .toJson(QJsonDocument::Compact);
  head_.chop(static_cast<qsizetype>(kTail.size()));
  size_ = head_.size() + static_cast<qint64>(kTail.size());
  const auto& texts = byteTexts();
  for (char c : std::as_const(bytes_))
    size_ += static_cast<qint64>(texts[static_cast<uint8_t>(c)].size());
  open(QIODevice::ReadOnly | QIODevice::Unbuffered);
}

bool UploadBody::seek(qint64 position) {
  if (position < 0 || position > size_ || !QIODevice::seek(position)) return false;
  if (position < at_) {
    at_ = 0;
    byte_ = 0;
    offset_ = 0;
  }
  advance(nullptr, position - at_);
  return true;
}

qint64 UploadBody::readData(char* data, qint64 maxSize) {
  return advance(data, maxSize);
}

qint64 UploadBody::advance(char* out, qint64 count) {
  const auto& texts = byteTexts();
  qint64 done = 0;
  while (done < count && at_ < size_) {
    std::string_view piece;
    if (at_ < head_.size()) {
      piece = std::string_view(head_.constData(), static_cast<size_t>(head_.size()));
    } else if (byte_ < bytes_.size()) {
      piece = texts[static_cast<uint8_t>(bytes_[byte_])];
    } else {
      piece = kTail;
    }
    const qint64 take = std::min<qint64>(count - done, static_cast<qint64>(piece.size()) - offset_);
    if (out) std::memcpy(out + done, piece.data() + offset_, static_cast<size_t>(take));
    done += take;
    at_ += take;
    offset_ += static_cast<int>(take);
    if (offset_ == static_cast<int>(piece.size())) {
      offset_ = 0;
      if (at_ > head_.size() && byte_ < bytes_.size()) ++byte_;
    }
  }
  return done;
}

}  // namespace rotaryn::admin
