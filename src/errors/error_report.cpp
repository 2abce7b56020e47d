#include "errors/error_report.h"

#include <vector>

#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "plugin/version.h"
#include "store/profile_paths.h"

namespace rotaryn {
namespace {

constexpr const char* kCrLf = "\r\n";

const char* titleOf(uint8_t kind) {
  switch (kind) {
    case kReportError:
      return "Error!";
    case kReportSuccess:
      return "Success";
    case kReportFailed:
      return "Failed!";
    case kReportActionRequired:
      return "Action Required!";
    default:
      return "DLL Error!";
  }
}

bool reportsWanted(Module& module) {
  try {
    std::string config = hostConfigPath(module);
    std::string value = module.utility().GetIniKey("Settings", "ReportErrors", config);
    return vb::IsNumeric(value) && vb::CDbl(Variant(value)) == 1.0;
  } catch (...) {
    return false;
  }
}

bool isAffiliate(const Module& module, int32_t profile) {
  try {
    return module.profile(profile).IsAffiliate;
  } catch (...) {
    return false;
  }
}

// "Yes" / "Failed!": a report component that raises counts as a report not sent.
std::string sendReport(Module& module, const VbError* error, const std::string& procedure,
                       int32_t line, int32_t profile) {
  std::vector<Variant> values{
      Variant(std::to_string(error ? error->number() : 0)),
      Variant(error ? error->description() : std::string()),
      Variant(std::string(kModuleFileName) + " " + kPluginVersion.text()),
      Variant(procedure),
      Variant(isAffiliate(module, profile)),
      Variant(line),
  };
  try {
    return module.utility().SendErrorReport(values) ? "Yes" : "Failed!";
  } catch (...) {
    return "Failed!";
  }
}

}  // namespace

std::string failureText(const VbError& error, int32_t line, const std::string& procedure) {
  return "Error " + std::to_string(error.number()) + ": " + error.description() + kCrLf +
         "Error Line: " + std::to_string(line) + kCrLf + "DLL: " + kModuleFileName + kCrLf +
         "Function/Sub: " + procedure;
}

void ErrorReport(Module& module, uint8_t kind, const std::string& text, const VbError* error,
                 int32_t line, int32_t profile) {
  std::string failure;
  if (error) {
    failure = failureText(*error, line, text);
    try {
      std::string procedure = text;
      int32_t failingLine = line;
      module.utility().LogError(kModuleFileName, procedure, *error, failingLine);
    } catch (...) {
      // The report never reports on itself.
    }
  }
  try {
    if (kind <= kReportActionRequired) {
      module.ports.dialogs.messageBox(text, titleOf(kind), MessageButtons::Ok);
    } else if (kind == kReportFailure) {
      std::string outcome =
          reportsWanted(module) ? sendReport(module, error, text, line, profile) : "No";
      failure += std::string(kCrLf) + kCrLf + "Error Report Sent: " + outcome;
      module.ports.dialogs.messageBox(failure, titleOf(kind), MessageButtons::Ok);
    }
  } catch (...) {
    // A box that cannot be shown is not reported again.
  }
}

IniFailureSink iniFailureLog(Module& module) {
  return [&module](const IniWriteFailure& failure) {
    try {
      std::string procedure = "WritePrivateProfileString";
      int32_t line = 0;
      module.utility().LogError(kModuleFileName, procedure, failure.reason, line);
    } catch (...) {
      logIniFailureToStandardError(failure);
    }
  };
}

}  // namespace rotaryn
