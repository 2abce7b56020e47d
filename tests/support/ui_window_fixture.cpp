#include "tests/support/ui_window_fixture.h"

#include <algorithm>
#include <stdexcept>

#include "memory/address_table.h"
#include "tests/support/map_file_builder.h"
#include "ui/map_entry.h"

namespace rotaryn {

frmRotarynMaps& WindowFixture::load(sim::ServerOptions options) {
  if (!memory->hasServer(1000 + kProfile)) addProfile(kProfile, std::move(options));
  if (!module.window) module.window = std::make_unique<frmRotarynMaps>(module);
  module.window->Form_Reload();
  return *module.window;
}

std::vector<sim::RotationEntry> WindowFixture::rotationOf(int count) {
  std::vector<sim::RotationEntry> entries;
  for (int k = 0; k < count; ++k) {
    entries.push_back(
        {k % 9, k % 2 == 1, "MAP_" + std::to_string(k) + ".BMS", "Map " + std::to_string(k)});
  }
  return entries;
}

void WindowFixture::addCustomMap(const std::string& file, const std::string& name,
                                 uint8_t typeBitsB) {
  scratch.write(gameFolderOnDisk(kProfile) + "/" + file, mapFileBytes(name, 0, typeBitsB));
}

void WindowFixture::writeMapsIni(const std::string& text) {
  scratch.write("Plugins/Maps.ini", text);
}

std::string WindowFixture::mapsIni() const {
  return scratch.read("Plugins/Maps.ini");
}

void WindowFixture::capMaxMaps(int32_t capacity) {
  // As a server whose map table is smaller would.
  module.MemoryAccess = std::make_shared<HookedMemory>(
      module.MemoryAccess, [maxMaps = addressOf(module, kProfile, "MaxMaps"), capacity](
                               std::string_view, int32_t address, int32_t* written) {
        if (address == maxMaps && written != nullptr) *written = std::min(*written, capacity);
      });
}

void WindowFixture::select(FlexGrid& grid, int first, int last) {
  grid.setRow(first);
  grid.setRowSel(last);
}

void WindowFixture::release(Button& button, MouseButton mouse) {
  window().buttonMouseDown(button, mouse, 0);
  window().buttonMouseUp(button, mouse, 0);
}

int WindowFixture::boxes(const std::string& title, const std::string& text) const {
  int count = 0;
  for (const auto& box : dialogs.boxes()) {
    if (box.title == title && box.text == text) ++count;
  }
  return count;
}

std::vector<std::string> WindowFixture::gridRows(const FlexGrid& grid) const {
  std::vector<std::string> rows;
  for (int row = grid.FixedRows(); row < grid.Rows(); ++row) {
    bool stock = grid.backColorAt(row, 0) == kStockBackColor;
    rows.push_back(grid.TextMatrix(row, 0) + "|" + std::to_string(grid.RowData(row)) + "|" +
                   (stock ? "0" : "1"));
  }
  return rows;
}

std::vector<std::string> WindowFixture::currentListRows() const {
  const CurrentListTables& list = module.currentList;
  std::vector<std::string> rows;
  for (long position = 1; position <= list.maps.count(); ++position) {
    std::string key = std::to_string(position - 1);
    if (list.maps.keyAt(position) != key) {
      throw std::logic_error("CurrentList key " + list.maps.keyAt(position) + " at position " +
                             std::to_string(position));
    }
    rows.push_back(mapEntryText(list.maps.item(key).name, list.maps.item(key).file) + "|" +
                   list.maps.item(key).type + "|" + list.maps.item(key).custom);
  }
  return rows;
}

}  // namespace rotaryn
