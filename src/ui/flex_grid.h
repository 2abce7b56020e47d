#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/controls.h"

namespace rotaryn {

inline constexpr int kAlignLeftCenter = 1;

// A flexible grid as the window's behaviour uses it: rows of cell texts with a data value per
// row and a background colour per cell, a current cell (Row, Col), a selection end (RowSel),
// fixed header rows. Positions are 0-based and count the fixed rows. A bad row index raises
// 381 for cell access and 30009 for Row/RowSel, as the grid control does.
class FlexGrid : public Widget {
 public:
  FlexGrid(ChangeNotifier& notifier, std::string name, std::string container, int cols,
           int fixedRows);
  FlexGrid(ControlSet& set, const ControlDesign& design, int cols, int fixedRows);
  static constexpr bool fits(ControlKind kind) { return kind == ControlKind::FlexGrid; }

  int Rows() const { return static_cast<int>(rows_.size()); }
  // Grows with empty rows or drops rows from the end; the current cell stays inside.
  void setRows(int count);
  int Cols() const { return cols_; }
  int FixedRows() const { return fixedRows_; }

  int Row() const { return row_; }
  // Makes a row current and collapses the selection onto it.
  void setRow(int row);
  int RowSel() const { return rowSel_; }
  void setRowSel(int row);
  int Col() const { return col_; }

  const std::string& TextMatrix(int row, int col) const;
  void setTextMatrix(int row, int col, const std::string& text);
  int32_t RowData(int row) const;
  void setRowData(int row, int32_t data);
  // The background of the current cell (Row, Col); 0 = the grid's default.
  int32_t CellBackColor() const { return backColorAt(row_, col_); }
  void setCellBackColor(int32_t color);
  int32_t backColorAt(int row, int col) const;
  // Colours a cell without moving the current cell.
  void setBackColorAt(int row, int col, int32_t color);

  // Appends a row; tabs separate the cells.
  void AddItem(const std::string& text);
  // Raises 30015 when it is the last row that is not fixed.
  void RemoveItem(int row);
  // Empties every cell (text and colour); the rows stay.
  void Clear();
  void Refresh() { notify(Change::Rows); }

  int ColWidth(int col) const;
  void setColWidth(int col, int widthTwips);
  int ColAlignment(int col) const;
  void setColAlignment(int col, int alignment);

  // While off, a view may skip repainting until it is switched on again.
  Property<bool> Redraw{*this, Change::Redraw, true};

 private:
  struct Cell {
    std::string text;
    int32_t backColor = 0;
  };
  struct GridRow {
    std::vector<Cell> cells;
    int32_t data = 0;
  };
  const Cell& cell(int row, int col) const;
  Cell& cell(int row, int col);
  void checkRow(int row) const;
  void checkCol(int col) const;
  void clampSelection();

  int cols_;
  int fixedRows_;
  std::vector<GridRow> rows_;
  std::vector<int> colWidths_;
  std::vector<int> colAlignments_;
  int row_ = 0;
  int rowSel_ = 0;
  int col_ = 0;
};

}  // namespace rotaryn
