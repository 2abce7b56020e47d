#pragma once

#include <string>

#include "platform/variant.h"

namespace rotaryn {

struct Module;

// The texts after the time of the admin log's lines, one per remote operation that changes
// something; the administrator's name (PDAT 10) follows each.
namespace adminlog {
inline constexpr const char* kSkipMap = "][Rotaryn] Skip Map from ";
inline constexpr const char* kScoreMap = "][Rotaryn] Score Map from ";
inline constexpr const char* kPlayMap = "][Rotaryn] Play Map from ";
inline constexpr const char* kChangeMapList = "][Rotaryn] Change Map List from ";
}  // namespace adminlog

// "][Rotaryn] Add Task (Task: 25/12/2026 20:00:00) from ": an operation's text with its value.
std::string adminLogText(const std::string& action, const std::string& label,
                         const std::string& value);

// The admin log of day "yyyy-mm-dd": the profile's (PDAT 7) or, with PDAT 11 true, the host's.
std::string adminLogFileOf(const Module& module, const Variant& PDAT, const std::string& day);

// Appends "[hh:mm:ss" + text + the administrator's name to the day's admin log of the profile
// (PDAT 7) or of the whole host (PDAT 11 true), creating the log folder's last level and the
// day's file when missing. Raises on failure; the caller reports it under its own name, after
// its own change has been made. Dates and times come from the clock port.
void AdminLog(Module& module, const Variant& PDAT, const std::string& text);

}  // namespace rotaryn
