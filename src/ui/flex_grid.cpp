#include "ui/flex_grid.h"

#include <algorithm>

#include "platform/vb_error.h"

namespace rotaryn {
namespace {

constexpr int kInvalidRowValue = 30009;
constexpr int kCannotRemoveLastRow = 30015;
constexpr int kSubscriptOutOfRange = 381;

}  // namespace

FlexGrid::FlexGrid(ChangeNotifier& notifier, std::string name, std::string container, int cols,
                   int fixedRows)
    : Widget(notifier, std::move(name), std::move(container)),
      cols_(cols),
      fixedRows_(fixedRows),
      colWidths_(static_cast<size_t>(cols), -1),
      colAlignments_(static_cast<size_t>(cols), 0) {
  setRows(fixedRows);
}

FlexGrid::FlexGrid(ControlSet& set, const ControlDesign& design, int cols, int fixedRows)
    : Widget(set, design),
      cols_(cols),
      fixedRows_(fixedRows),
      colWidths_(static_cast<size_t>(cols), -1),
      colAlignments_(static_cast<size_t>(cols), 0) {
  setRows(fixedRows);
}

void FlexGrid::setRows(int count) {
  if (count < 0) raiseVbError(vberr::kInvalidPropertyValue);
  rows_.resize(static_cast<size_t>(count),
               GridRow{std::vector<Cell>(static_cast<size_t>(cols_)), 0});
  clampSelection();
  notify(Change::Rows);
}

void FlexGrid::clampSelection() {
  int last = std::max(Rows() - 1, 0);
  row_ = std::min(row_, last);
  rowSel_ = std::min(rowSel_, last);
}

void FlexGrid::checkRow(int row) const {
  if (row < 0 || row >= Rows()) raiseVbError(kInvalidRowValue, "Invalid Row value");
}

void FlexGrid::setRow(int row) {
  checkRow(row);
  row_ = rowSel_ = row;
  notify(Change::Selection);
}

void FlexGrid::setRowSel(int row) {
  checkRow(row);
  rowSel_ = row;
  notify(Change::Selection);
}

void FlexGrid::checkCol(int col) const {
  if (col < 0 || col >= cols_) raiseVbError(kSubscriptOutOfRange, "Subscript out of range");
}

const FlexGrid::Cell& FlexGrid::cell(int row, int col) const {
  if (row < 0 || row >= Rows() || col < 0 || col >= cols_) {
    raiseVbError(kSubscriptOutOfRange, "Subscript out of range");
  }
  return rows_[static_cast<size_t>(row)].cells[static_cast<size_t>(col)];
}

FlexGrid::Cell& FlexGrid::cell(int row, int col) {
  return const_cast<Cell&>(static_cast<const FlexGrid&>(*this).cell(row, col));
}

const std::string& FlexGrid::TextMatrix(int row, int col) const {
  return cell(row, col).text;
}

void FlexGrid::setTextMatrix(int row, int col, const std::string& text) {
  cell(row, col).text = text;
  notify(Change::Cells);
}

int32_t FlexGrid::RowData(int row) const {
  cell(row, 0);
  return rows_[static_cast<size_t>(row)].data;
}

void FlexGrid::setRowData(int row, int32_t data) {
  cell(row, 0);
  rows_[static_cast<size_t>(row)].data = data;
  notify(Change::Cells);
}

int32_t FlexGrid::backColorAt(int row, int col) const {
  return cell(row, col).backColor;
}

void FlexGrid::setCellBackColor(int32_t color) {
  setBackColorAt(row_, col_, color);
}

void FlexGrid::setBackColorAt(int row, int col, int32_t color) {
  cell(row, col).backColor = color;
  notify(Change::Cells);
}

void FlexGrid::AddItem(const std::string& text) {
  GridRow added{std::vector<Cell>(static_cast<size_t>(cols_)), 0};
  size_t start = 0;
  for (int col = 0; col < cols_; ++col) {
    size_t tab = text.find('\t', start);
    added.cells[static_cast<size_t>(col)].text = text.substr(start, tab - start);
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  rows_.push_back(std::move(added));
  notify(Change::Rows);
}

void FlexGrid::RemoveItem(int row) {
  if (row < fixedRows_ || row >= Rows()) {
    raiseVbError(kSubscriptOutOfRange, "Subscript out of range");
  }
  if (Rows() - fixedRows_ == 1) {
    raiseVbError(kCannotRemoveLastRow, "Cannot remove last non-fixed row");
  }
  rows_.erase(rows_.begin() + row);
  clampSelection();
  notify(Change::Rows);
}

void FlexGrid::Clear() {
  for (GridRow& row : rows_) {
    for (Cell& c : row.cells) c = Cell{};
  }
  notify(Change::Cells);
}

int FlexGrid::ColWidth(int col) const {
  checkCol(col);
  return colWidths_[static_cast<size_t>(col)];
}

void FlexGrid::setColWidth(int col, int widthTwips) {
  checkCol(col);
  colWidths_[static_cast<size_t>(col)] = widthTwips;
  notify(Change::Placement);
}

int FlexGrid::ColAlignment(int col) const {
  checkCol(col);
  return colAlignments_[static_cast<size_t>(col)];
}

void FlexGrid::setColAlignment(int col, int alignment) {
  checkCol(col);
  colAlignments_[static_cast<size_t>(col)] = alignment;
  notify(Change::Placement);
}

}  // namespace rotaryn
