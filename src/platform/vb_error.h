#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace rotaryn {

// VB run-time error numbers the system raises or traps.
namespace vberr {
inline constexpr int kInvalidCall = 5;
inline constexpr int kOverflow = 6;
inline constexpr int kOutOfMemory = 7;
inline constexpr int kSubscriptOutOfRange = 9;
inline constexpr int kDivisionByZero = 11;
inline constexpr int kTypeMismatch = 13;
inline constexpr int kInternalError = 51;
inline constexpr int kBadFileName = 52;
inline constexpr int kFileNotFound = 53;
inline constexpr int kBadFileMode = 54;
inline constexpr int kFileAlreadyOpen = 55;
inline constexpr int kDeviceIo = 57;
inline constexpr int kFileAlreadyExists = 58;
inline constexpr int kDiskFull = 61;
inline constexpr int kInputPastEnd = 62;
inline constexpr int kPermissionDenied = 70;
inline constexpr int kPathFileAccess = 75;
inline constexpr int kPathNotFound = 76;
inline constexpr int kObjectNotSet = 91;
inline constexpr int kControlArrayElementMissing = 340;
inline constexpr int kObjectAlreadyLoaded = 360;
inline constexpr int kInvalidPropertyValue = 380;
inline constexpr int kCantCreateObject = 429;
inline constexpr int kNotSupported = 438;
inline constexpr int kKeyAlreadyAssociated = 457;
}  // namespace vberr

// VB's own description of a trappable error number; "Application-defined or object-defined
// error" for numbers VB does not describe.
std::string_view vbErrorDescription(int number);

// A VB run-time error: the one exception type of the core. The description defaults to VB's
// text for the number; components may give a more precise one an operator can act on.
class VbError : public std::runtime_error {
 public:
  explicit VbError(int number);
  VbError(int number, std::string description);

  int number() const { return number_; }
  const std::string& description() const { return description_; }

 private:
  int number_;
  std::string description_;
};

[[noreturn]] void raiseVbError(int number);
[[noreturn]] void raiseVbError(int number, std::string description);

}  // namespace rotaryn
