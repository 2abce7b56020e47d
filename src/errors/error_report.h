#pragma once

#include <cstdint>
#include <string>

#include "platform/ini_file.h"
#include "platform/vb_error.h"

namespace rotaryn {

struct Module;

// What ErrorReport shows: kinds 0-3 are user messages, 4 a failure report.
enum ReportKind : uint8_t {
  kReportError = 0,           // "Error!"
  kReportSuccess = 1,         // "Success"
  kReportFailed = 2,          // "Failed!"
  kReportActionRequired = 3,  // "Action Required!"
  kReportFailure = 4,         // "DLL Error!"
};

inline constexpr const char* kModuleFileName = "twkRotaryn.dll";

// Shows a user message (kinds 0-3) or records and reports a failure (kind 4, with an error).
// Never raises; failures inside the report itself are not reported again.
void ErrorReport(Module& module, uint8_t kind, const std::string& text, const VbError* error,
                 int32_t line, int32_t profile);

// Where the INI functions tell of a write they could not do: one line in the utility
// component's error log (procedure "WritePrivateProfileString", line 0), or on standard error
// when that log cannot be written. No box: the caller goes on as Windows' callers do.
IniFailureSink iniFailureLog(Module& module);

// The kind-4 box text before its report outcome line.
std::string failureText(const VbError& error, int32_t line, const std::string& procedure);

}  // namespace rotaryn
