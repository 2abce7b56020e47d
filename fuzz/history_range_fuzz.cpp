// The query of a history request over any text: a range it accepts runs from a real date to a
// real date no later and at most the longest span after it; a refusal says why.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "host/history/match_history.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace rotaryn;
  const std::string_view query(reinterpret_cast<const char*>(data), size);
  const formats::CivilTime today{2026, 12, 7, 21, 40, 0};
  const host::history::HistoryRange range = host::history::parseHistoryRange(query, today);
  if (!range.problem.empty()) return 0;
  const formats::CivilTime& from = range.from;
  const formats::CivilTime& to = range.to;
  if (!formats::isCalendarDate(from.year, from.month, from.day) ||
      !formats::isCalendarDate(to.year, to.month, to.day) || to < from ||
      formats::addSeconds(from, int64_t{host::history::kMaxRangeDays} * 86400) < to) {
    std::abort();
  }
  return 0;
}
