#include "plugin/json_values.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "formats/civil_time.h"
#include "formats/windows_1252.h"
#include "platform/vb_error.h"

namespace rotaryn {

std::string jsonText(std::string_view windows1252) {
  return formats::utf8FromWindows1252(windows1252);
}

std::string fromJsonText(std::string_view utf8, std::optional<char> replacement) {
  std::string out;
  out.reserve(utf8.size());
  for (size_t i = 0; i < utf8.size();) {
    // ASCII is its own Windows-1252 byte: copied a run at a time, as an upload is megabytes of it.
    const size_t run = i;
    while (i < utf8.size() && static_cast<unsigned char>(utf8[i]) < 0x80) ++i;
    out.append(utf8.substr(run, i - run));
    if (i == utf8.size()) break;
    std::optional<char32_t> character = formats::nextUtf8Character(utf8, i);
    if (!character) raiseVbError(vberr::kInvalidCall, "the text is not UTF-8");
    const char32_t code = *character;
    if (std::optional<char> byte = formats::windows1252ByteOf(code)) {
      out += *byte;
    } else if (replacement) {
      out += *replacement;
    } else {
      char hex[16];
      std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(code));
      raiseVbError(vberr::kInvalidCall, std::string("the character ") + hex +
                                            " has no Windows-1252 byte (the plug-in's text is "
                                            "single-byte)");
    }
  }
  return out;
}

Json variantJson(const Variant& value) {
  switch (value.type()) {
    case Variant::Type::Empty:
      return nullptr;
    case Variant::Type::Boolean:
      return value.asBoolean();
    case Variant::Type::Integer:
      return value.asInteger();
    case Variant::Type::Long:
      return value.asLong();
    case Variant::Type::Double:
      return value.asDouble();
    case Variant::Type::String:
      return jsonText(value.asString());
    case Variant::Type::Array: {
      Json array = Json::array();
      for (const Variant& element : value.asArray()) array.push_back(variantJson(element));
      return array;
    }
  }
  return nullptr;
}

Variant jsonVariant(const Json& value) {
  switch (value.type()) {
    case Json::value_t::null:
    case Json::value_t::discarded:
      return Variant();
    case Json::value_t::boolean:
      return Variant(value.get<bool>());
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float: {
      double number = value.get<double>();
      if (std::floor(number) == number && number >= std::numeric_limits<int32_t>::min() &&
          number <= std::numeric_limits<int32_t>::max()) {
        return Variant(static_cast<int32_t>(number));
      }
      return Variant(number);
    }
    case Json::value_t::string:
      return Variant(fromJsonText(value.get_ref<const std::string&>()));
    case Json::value_t::array: {
      Variant::Array array;
      for (const Json& element : value) array.push_back(jsonVariant(element));
      return Variant(std::move(array));
    }
    case Json::value_t::object:
    case Json::value_t::binary:
      break;
  }
  raiseVbError(vberr::kTypeMismatch, "an object cannot be passed to the plug-in; use an array");
}

std::string formatDateTime(const DateTime& when) {
  return formats::formatCivilTime(
      {when.year, when.month, when.day, when.hour, when.minute, when.second});
}

std::optional<DateTime> parseDateTime(std::string_view view) {
  const std::optional<formats::CivilTime> when = formats::parseCivilTime(view);
  if (!when) return std::nullopt;
  return DateTime{when->year, when->month, when->day, when->hour, when->minute, when->second};
}

}  // namespace rotaryn
