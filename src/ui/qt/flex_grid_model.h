#pragma once

#include <cstdint>
#include <vector>

#include <QAbstractTableModel>
#include <QString>

#include "ui/flex_grid.h"

namespace rotaryn {

// A grid's rows as Qt's item views read them. It holds a copy taken at the last refresh, so a
// view painting while the window model is half-way through a change never reads a row that
// has gone. Fixed rows become the column titles; row r here is grid row r + FixedRows.
class FlexGridModel final : public QAbstractTableModel {
 public:
  explicit FlexGridModel(const FlexGrid& grid, QObject* parent = nullptr);

  // Takes a new copy: a reset when the shape changed, else a change of every cell.
  void refresh();
  void setToolTip(const QString& text) { toolTip_ = text; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  struct Cell {
    QString text;
    int32_t backColor = 0;
  };
  std::vector<std::vector<Cell>> copyRows(int from, int to) const;

  const FlexGrid& grid_;
  std::vector<std::vector<Cell>> titles_;
  std::vector<std::vector<Cell>> rows_;
  std::vector<int> alignments_;
  int columns_ = 0;
  QString toolTip_;
};

}  // namespace rotaryn
