// The plug-in's side of PDAT: a JSON text as a host passes it through the C interface, turned
// into a Variant and registered as profile 1. Conversions are stable (Variant -> JSON -> Variant
// gives the same Variant), texts survive UTF-8 -> Windows-1252 -> UTF-8, a registered record
// holds exactly the elements it was given, and a PDAT that is refused leaves the old record.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/vb_error.h"
#include "platform/vb_runtime.h"
#include "plugin/json_values.h"
#include "plugin_harness.h"

namespace {

bool sameRecord(const rotaryn::ProfileRecord& a, const rotaryn::ProfileRecord& b) {
  return a.GameFolder == b.GameFolder && a.ServerType == b.ServerType &&
         a.ServerProcess == b.ServerProcess && a.HostText0 == b.HostText0 &&
         a.HostText3 == b.HostText3 && a.HostText4 == b.HostText4 &&
         a.MessageTarget == b.MessageTarget && a.ProfileFolder == b.ProfileFolder &&
         a.IsAffiliate == b.IsAffiliate;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace rotaryn;
  const std::string text(reinterpret_cast<const char*>(data), size);

  // Any text as one string element: accepted exactly when it is UTF-8 the code page can hold.
  try {
    if (jsonText(fromJsonText(text)) != text) std::abort();
  } catch (const VbError& error) {
    if (error.number() != vberr::kInvalidCall) std::abort();
  }

  const Json json = Json::parse(text, nullptr, false);
  if (json.is_discarded()) return 0;
  Variant PDAT;
  try {
    PDAT = jsonVariant(json);
  } catch (const VbError& error) {
    if (error.number() != vberr::kInvalidCall && error.number() != vberr::kTypeMismatch) {
      std::abort();
    }
    return 0;
  }
  if (jsonVariant(variantJson(PDAT)) != PDAT) std::abort();

  fuzz::PluginHarness host;
  const ProfileRecord before = host.module.profile(1);
  try {
    RegisterProfile(host.module, 1, PDAT);
  } catch (const VbError&) {
    if (!sameRecord(host.module.profile(1), before)) std::abort();
    return 0;
  }
  const ProfileRecord& record = host.module.profile(1);
  if (record.HostText0 != vb::CStr(PDAT.at(0)) || record.ServerType != vb::CStr(PDAT.at(1)) ||
      record.ServerProcess != vb::CLng(PDAT.at(2)) || record.GameFolder != vb::CStr(PDAT.at(5)) ||
      record.MessageTarget != vb::CLng(PDAT.at(6)) ||
      record.ProfileFolder != vb::CStr(PDAT.at(7)) ||
      record.IsAffiliate != record.ServerType.ends_with("_AFF") ||
      host.module.CurrentProfile != 1) {
    std::abort();
  }
  return 0;
}
