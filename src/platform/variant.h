#pragma once

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace rotaryn {

// The VB Variant subset the system passes around: PDAT, component arguments, remote data.
// Arrays are indexed from 0.
class Variant {
 public:
  enum class Type { Empty, Boolean, Integer, Long, Double, String, Array };
  using Array = std::vector<Variant>;

  Variant() = default;
  Variant(bool value) : value_(value) {}                      // NOLINT: implicit like VB
  Variant(int16_t value) : value_(value) {}                   // NOLINT
  Variant(int32_t value) : value_(value) {}                   // NOLINT
  Variant(double value) : value_(value) {}                    // NOLINT
  Variant(std::string value) : value_(std::move(value)) {}    // NOLINT
  Variant(const char* value) : value_(std::string(value)) {}  // NOLINT
  Variant(Array value) : value_(std::move(value)) {}          // NOLINT

  Type type() const { return static_cast<Type>(value_.index()); }
  bool isEmpty() const { return type() == Type::Empty; }
  bool isArray() const { return type() == Type::Array; }

  // Raw access; raises error 13 when the Variant holds another type.
  bool asBoolean() const;
  int16_t asInteger() const;
  int32_t asLong() const;
  double asDouble() const;
  const std::string& asString() const;
  const Array& asArray() const;
  Array& asArray();

  // Array element; raises error 9 when out of bounds, 13 when not an array.
  const Variant& at(long index) const;
  // Upper bound of an array (-1 when empty); raises 13 when not an array.
  long upperBound() const;

  friend bool operator==(const Variant&, const Variant&) = default;

 private:
  std::variant<std::monostate, bool, int16_t, int32_t, double, std::string, Array> value_;
};

}  // namespace rotaryn
