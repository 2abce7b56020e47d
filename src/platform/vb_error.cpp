#include "platform/vb_error.h"

#include <algorithm>
#include <array>
#include <utility>

namespace rotaryn {
namespace {

struct Description {
  int number;
  std::string_view text;
};

// VB6's own texts for its trappable errors, sorted by number.
constexpr std::array<Description, 58> kDescriptions{{
    {3, "Return without GoSub"},
    {5, "Invalid procedure call or argument"},
    {6, "Overflow"},
    {7, "Out of memory"},
    {9, "Subscript out of range"},
    {10, "This array is fixed or temporarily locked"},
    {11, "Division by zero"},
    {13, "Type mismatch"},
    {14, "Out of string space"},
    {16, "Expression too complex"},
    {17, "Can't perform requested operation"},
    {18, "User interrupt occurred"},
    {20, "Resume without error"},
    {28, "Out of stack space"},
    {35, "Sub or Function not defined"},
    {47, "Too many DLL application clients"},
    {48, "Error in loading DLL"},
    {49, "Bad DLL calling convention"},
    {51, "Internal error"},
    {52, "Bad file name or number"},
    {53, "File not found"},
    {54, "Bad file mode"},
    {55, "File already open"},
    {57, "Device I/O error"},
    {58, "File already exists"},
    {59, "Bad record length"},
    {61, "Disk full"},
    {62, "Input past end of file"},
    {63, "Bad record number"},
    {67, "Too many files"},
    {68, "Device unavailable"},
    {70, "Permission denied"},
    {71, "Disk not ready"},
    {74, "Can't rename with different drive"},
    {75, "Path/File access error"},
    {76, "Path not found"},
    {91, "Object variable or With block variable not set"},
    {92, "For loop not initialized"},
    {93, "Invalid pattern string"},
    {94, "Invalid use of Null"},
    {321, "Invalid file format"},
    {322, "Can't create necessary temporary file"},
    {340, "Control array element does not exist"},
    {360, "Object already loaded"},
    {380, "Invalid property value"},
    {381, "Invalid property array index"},
    {382, "Set not supported at runtime"},
    {383, "Set not supported (read-only property)"},
    {424, "Object required"},
    {429, "ActiveX component can't create object"},
    {430, "Class does not support Automation or does not support expected interface"},
    {438, "Object doesn't support this property or method"},
    {440, "Automation error"},
    {445, "Object doesn't support this action"},
    {449, "Argument not optional"},
    {450, "Wrong number of arguments or invalid property assignment"},
    {457, "This key is already associated with an element of this collection"},
    {462, "The remote server machine does not exist or is unavailable"},
}};

static_assert(std::is_sorted(kDescriptions.begin(), kDescriptions.end(),
                             [](const Description& a, const Description& b) {
                               return a.number < b.number;
                             }));

}  // namespace

std::string_view vbErrorDescription(int number) {
  auto it = std::lower_bound(kDescriptions.begin(), kDescriptions.end(), number,
                             [](const Description& d, int n) { return d.number < n; });
  if (it != kDescriptions.end() && it->number == number) return it->text;
  return "Application-defined or object-defined error";
}

VbError::VbError(int number) : VbError(number, std::string(vbErrorDescription(number))) {}

VbError::VbError(int number, std::string description)
    : std::runtime_error(description), number_(number), description_(std::move(description)) {}

void raiseVbError(int number) {
  throw VbError(number);
}

void raiseVbError(int number, std::string description) {
  throw VbError(number, std::move(description));
}

}  // namespace rotaryn
