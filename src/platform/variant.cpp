#include "platform/variant.h"

#include "platform/vb_error.h"

namespace rotaryn {
namespace {

template <class T, class Value>
const T& holding(const Value& value) {
  const T* held = std::get_if<T>(&value);
  if (!held) raiseVbError(vberr::kTypeMismatch);
  return *held;
}

}  // namespace

bool Variant::asBoolean() const {
  return holding<bool>(value_);
}
int16_t Variant::asInteger() const {
  return holding<int16_t>(value_);
}
int32_t Variant::asLong() const {
  return holding<int32_t>(value_);
}
double Variant::asDouble() const {
  return holding<double>(value_);
}
const std::string& Variant::asString() const {
  return holding<std::string>(value_);
}
const Variant::Array& Variant::asArray() const {
  return holding<Array>(value_);
}

Variant::Array& Variant::asArray() {
  Array* held = std::get_if<Array>(&value_);
  if (!held) raiseVbError(vberr::kTypeMismatch);
  return *held;
}

const Variant& Variant::at(long index) const {
  const Array& array = asArray();
  if (index < 0 || static_cast<size_t>(index) >= array.size()) {
    raiseVbError(vberr::kSubscriptOutOfRange);
  }
  return array[static_cast<size_t>(index)];
}

long Variant::upperBound() const {
  return static_cast<long>(asArray().size()) - 1;
}

}  // namespace rotaryn
