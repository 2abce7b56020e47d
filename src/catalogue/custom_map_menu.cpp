#include "catalogue/custom_map_menu.h"

#include <optional>
#include <string>

#include "catalogue/game_folder_files.h"
#include "errors/error_report.h"
#include "platform/vb_error.h"
#include "platform/vb_runtime.h"
#include "plugin/module.h"
#include "ui/frm_rotaryn_maps.h"
#include "ui/map_entry.h"

namespace rotaryn {
namespace {

// The hourglass while it lives.
class BusyPointer {
 public:
  explicit BusyPointer(Dialogs& dialogs) : dialogs_(dialogs) { dialogs_.setBusy(true); }
  ~BusyPointer() { dialogs_.setBusy(false); }

 private:
  Dialogs& dialogs_;
};

bool isStockMapFile(const Module& module, const std::string& file) {
  const Collection<std::string>& files = module.catalogue.StockMapFiles;
  for (long i = 1; i <= files.count(); ++i) {
    if (files.item(i) == file) return true;
  }
  return false;
}

bool isInCurrentList(const Module& module, const std::string& rowText) {
  const CurrentListTables& current = module.currentList;
  for (long i = 1; i <= current.CurrentMapNames.count(); ++i) {
    if (mapEntryText(current.CurrentMapNames.item(i), current.CurrentMapFiles.item(i)) == rowText) {
      return true;
    }
  }
  return false;
}

}  // namespace

void mnuAdd_Click(Module& module) {
  ErrorTrap trap = module.trap("mnuAdd", module.CurrentProfile);
  trap.run([&] {
    trap.at(1);
    FileDialogRequest request;
    request.title = kAddMapTitle;
    request.filter = kMapFileFilter;
    const std::optional<std::string> chosen = module.ports.dialogs.openFile(request);
    if (!chosen || chosen->empty()) return;
    trap.at(2);
    const size_t slash = chosen->rfind('\\');
    const std::string fileName = slash == std::string::npos ? *chosen : chosen->substr(slash + 1);
    const std::string sourceFolder =
        slash == std::string::npos ? std::string() : chosen->substr(0, slash + 1);
    requireGameFolderName(fileName);
    trap.at(3);
    copyMapWithCompanions(module, sourceFolder, fileName,
                          module.profile(module.CurrentProfile).GameFolder);
    trap.at(5);
    ErrorReport(module, kReportSuccess, kMapAdded, nullptr, 0, 0);
  });
}

void mnuDelete_Click(Module& module) {
  ErrorTrap trap = module.trap("mnuDelete", module.CurrentProfile);
  trap.run([&] {
    trap.at(1);
    if (!module.window) raiseVbError(vberr::kObjectNotSet);
    Dialogs& dialogs = module.ports.dialogs;
    std::optional<BusyPointer> busy(dialogs);
    trap.at(2);
    const FlexGrid& list = module.window->mfgList;
    const std::string rowText =
        list.Rows() > 0 && list.Row() >= 0 ? list.TextMatrix(list.Row(), 0) : std::string();
    if (rowText.empty()) {
      busy.reset();
      ErrorReport(module, kReportActionRequired, kSelectMap, nullptr, 0, 0);
      return;
    }
    trap.at(3);
    const std::string file = SplitMapEntry(rowText).file;
    trap.at(4);
    if (isStockMapFile(module, file)) {
      busy.reset();
      ErrorReport(module, kReportFailed, kOnlyCustomMaps, nullptr, 0, 0);
      return;
    }
    trap.at(5);
    if (isInCurrentList(module, rowText)) {
      busy.reset();
      ErrorReport(module, kReportFailed, kMapInRotation, nullptr, 0, 0);
      return;
    }
    trap.at(6);
    const std::string path = module.profile(module.CurrentProfile).GameFolder + file;
    // The hourglass stays while the question is asked.
    const std::string question = "Are you sure you want to delete the following file:\r\n\r\n" +
                                 path + "\r\n\r\nWARNING! This action cannot be undone!";
    if (dialogs.messageBox(question, "Confirmation Required!", MessageButtons::YesNo) !=
        MessageAnswer::Yes) {
      return;
    }
    trap.at(7);
    // A name the list shows is a file of the game folder; one that is not stays untouched.
    requireGameFolderName(file);
    FileSystem& files = module.ports.files;
    files.DeleteFile(path, true);
    busy.reset();
    trap.at(8);
    if (files.FileExists(path)) {
      ErrorReport(module, kReportFailed, "Could not delete " + path, nullptr, 0, 0);
    } else {
      ErrorReport(module, kReportSuccess, path + " deleted successfully.", nullptr, 0, 0);
    }
    trap.at(9);
    module.window->Form_Reload();
  });
}

}  // namespace rotaryn
