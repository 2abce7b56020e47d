#include "store/map_list.h"

#include "catalogue/map_files.h"
#include "errors/error_report.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "store/profile_paths.h"
#include "ui/frm_rotaryn_maps.h"

namespace rotaryn {
namespace {

constexpr const char* kCrLf = "\r\n";

frmRotarynMaps& windowOf(Module& module) {
  if (!module.window) raiseVbError(vberr::kObjectNotSet);
  return *module.window;
}

// The window disabled and the hourglass shown while a file is read or written, both restored
// however the work ends.
class WindowBusy {
 public:
  explicit WindowBusy(Module& module) : window_(windowOf(module)), dialogs_(module.ports.dialogs) {
    window_.setEnabled(false);
    dialogs_.setBusy(true);
  }
  ~WindowBusy() {
    window_.setEnabled(true);
    try {
      dialogs_.setBusy(false);
    } catch (...) {
    }
  }
  WindowBusy(const WindowBusy&) = delete;
  WindowBusy& operator=(const WindowBusy&) = delete;

 private:
  frmRotarynMaps& window_;
  Dialogs& dialogs_;
};

// The dialog of both buttons; the chosen Windows path, or nothing when cancelled.
std::optional<std::string> askForMapList(Module& module, bool save) {
  const std::string folder = settingsFolderOf(module, module.CurrentProfile);
  if (!module.ports.files.FolderExists(folder)) module.ports.files.CreateFolder(folder);
  FileDialogRequest request;
  request.title = save ? kMapListSaveTitle : kMapListLoadTitle;
  request.filter = kMapListFilter;
  request.initialDir = folder;
  std::optional<std::string> chosen =
      save ? module.ports.dialogs.saveFile(request) : module.ports.dialogs.openFile(request);
  if (!chosen || chosen->empty()) return std::nullopt;
  return chosen;
}

}  // namespace

MapListParse parseMapList(std::string_view bytes) {
  MapListParse parse;
  size_t start = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(start, end - start);
    start = end + 1;
    if (end < bytes.size() && bytes[end] == '\r' && start < bytes.size() && bytes[start] == '\n') {
      ++start;
    }
    // The separator has to start at the third character or later: "0[-]0" is no listing.
    if (line.empty() || vb::InStr(3, line, formats::kRotationEntrySeparator) == 0) continue;
    std::optional<formats::RotationEntryFields> entry = formats::splitRotationEntry(line);
    if (!entry) {
      ++parse.unparsable;
      continue;
    }
    parse.lines.push_back(std::move(*entry));
  }
  return parse;
}

std::string mapListLine(int32_t gameType, bool custom, const std::string& file) {
  return formats::rotationEntryText(std::to_string(gameType), custom ? "1" : "0", file) + kCrLf;
}

void LoadMapList(Module& module, const std::string& path) {
  ErrorTrap trap = module.trap("LoadFile", module.CurrentProfile);
  trap.run([&] {
    trap.at(1);
    CurrentListTables list;
    long loaded = 0;
    std::string missing;

    trap.at(2);
    MapListParse parse = parseMapList(module.ports.files.ReadAll(path));
    for (const MapListLine& line : parse.lines) {
      trap.at(3);
      const bool custom = vb::CBool(Variant(line.customFlag));
      std::string name = FindMapName(module, line.file, line.gameType, custom);
      trap.at(4);
      if (name.empty()) {
        missing += line.file + kCrLf;
        continue;
      }
      list.append({vb::Trim(name), line.file, line.gameType, line.customFlag == "1" ? "1" : "0"});
      ++loaded;
    }

    trap.at(5);
    module.currentList = std::move(list);
    frmRotarynMaps& window = windowOf(module);
    if (module.currentList.maps.empty()) {
      ErrorReport(module, kReportError, kMapListInvalid, nullptr, 0, 0);
    } else {
      window.FillCurrentGrid();
    }

    trap.at(6);
    if (parse.unparsable > 0) {
      const std::string count = std::to_string(parse.unparsable);
      if (!missing.empty()) {
        missing += std::string(kCrLf) + "Unable to parse " + count + " other map listings!";
      } else {
        missing = "Unable to parse " + count + " map listings!";
      }
    }
    trap.at(7);
    if (!missing.empty()) {
      module.ports.dialogs.messageBox(std::string(kMapListMissing) + kCrLf + kCrLf + missing,
                                      kPlainBoxTitle, MessageButtons::Ok);
    }
    trap.at(8);
    window.showLoadedCount(loaded);
  });
}

void cmdLoad_Click(Module& module) {
  ErrorTrap trap = module.trap("cmdLoad", module.CurrentProfile);
  trap.run([&] {
    trap.at(1);
    std::optional<std::string> path = askForMapList(module, false);
    if (!path) return;
    trap.at(2);
    WindowBusy busy(module);
    LoadMapList(module, *path);
  });
}

void cmdSave_Click(Module& module) {
  ErrorTrap trap = module.trap("cmdSave", module.CurrentProfile);
  trap.run([&] {
    trap.at(1);
    std::optional<std::string> path = askForMapList(module, true);
    if (!path) return;
    trap.at(2);
    std::optional<WindowBusy> busy(std::in_place, module);
    // The rows are gathered first and the file replaced in one step: a failed write leaves the
    // old file as it was.
    frmRotarynMaps& window = windowOf(module);
    trap.at(3);
    std::string bytes;
    for (const RotationRow& row : window.selectEachCurrentRow()) {
      bytes += mapListLine(row.type, row.custom, row.file);
    }
    trap.at(4);
    module.ports.files.ReplaceAll(*path, bytes);
    busy.reset();
    trap.at(5);
    ErrorReport(module, kReportSuccess, kMapListSaved, nullptr, 0, 0);
  });
}

}  // namespace rotaryn
