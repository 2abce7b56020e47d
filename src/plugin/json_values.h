#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "platform/variant.h"
#include "platform/vb_date.h"

namespace rotaryn {

using Json = nlohmann::json;

// Text crosses the plug-in's C interface as UTF-8; inside it is Windows-1252.
std::string jsonText(std::string_view windows1252);
// UTF-8 as Windows-1252. A character the code page lacks raises error 5 naming it, or becomes
// the replacement when one is given; malformed UTF-8 raises error 5.
std::string fromJsonText(std::string_view utf8, std::optional<char> replacement = std::nullopt);

// Empty is null, arrays are arrays, texts are texts.
Json variantJson(const Variant& value);
// null is Empty; whole numbers in the Long range are Longs, other numbers Doubles; an object
// raises error 13 (PDAT and Data are arrays or single values).
Variant jsonVariant(const Json& value);

// "yyyy-mm-dd hh:mm:ss".
std::string formatDateTime(const DateTime& when);
// The same, or a date alone; nullopt when it is not a valid one.
std::optional<DateTime> parseDateTime(std::string_view text);

}  // namespace rotaryn
