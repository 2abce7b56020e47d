// A custom map file's header over any bytes, read as the folder scan and the single-file
// routines read it: nothing fails, a file counts only with its signature, the scan's rows are
// the types the file's code announces under the name GetMapName gives, and an empty name field
// is filled from the file name once.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "catalogue/map_files.h"
#include "platform/vb_runtime.h"
#include "plugin_harness.h"

namespace {

// Short, long, blank-padded and extension-only names reach the fallback name's cuts.
const char* const kFileNames[] = {"Fuzz.bms", " Padded Name .BMS",
                                  "An_Extremely_Long_Custom_Map_File_Name_Indeed.bms", ".bms"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace rotaryn;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  // One plug-in for the whole run, as a host keeps it; each input starts from no files.
  static fuzz::PluginHarness host;
  host.files.files.clear();
  host.dialogs.clearRecords();
  Module& module = host.module;
  const std::string file = kFileNames[size % std::size(kFileNames)];
  const std::string folder = fuzz::PluginHarness::gameFolder();
  const std::string path = folder + file;
  host.files.files[path] = bytes;

  GetCustomMaps(module, folder);
  const bool valid = bytes.rfind("BMS", 0) == 0;
  if (IsValidMap(module, path) != valid) std::abort();
  const CatalogueTables& tables = module.catalogue;
  const long rows = tables.custom.count();

  const std::string code = GetMapCode(module, path);
  const std::string types = SetCode(module, code);
  std::string scanned;
  for (long row = 1; row <= rows; ++row) scanned += tables.custom.item(row).type + ",";
  if (scanned != (valid ? types : "")) std::abort();

  const std::string name = GetMapName(module, path);
  const std::string bare = vb::Trim(vb::Replace(name, std::string(1, '\0'), ""));
  for (long row = 1; row <= rows; ++row) {
    if (tables.custom.item(row).name != bare) std::abort();
    if (tables.custom.item(row).file != vb::Trim(file)) std::abort();
    if (FindMapName(module, file, tables.custom.item(row).type, true) != bare) std::abort();
  }
  // A valid file whose name field held only NULs now holds the file's own name.
  const std::string field = bytes.size() > 4 ? bytes.substr(4, 32) : "";
  if (valid && field.find_first_not_of('\0') == std::string::npos) {
    const std::string fallback = vb::Left(file.substr(0, file.size() - 4), 31);
    if (host.files.files[path].compare(4, fallback.size(), fallback) != 0) std::abort();
    if (bare != vb::Trim(fallback)) std::abort();
  }
  if (host.failures() != 0) std::abort();
  return 0;
}
