#include "ui/qt/flex_grid_model.h"

#include <QColor>

#include "ui/qt/text_codec.h"

namespace rotaryn {
namespace {

// VB colours are 0x00BBGGRR; 0 stands for the grid's own background.
QVariant brushOf(int32_t color) {
  if (color == 0) return {};
  return QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

// The grid's alignment codes: three horizontal groups of top, centre, bottom; 9 is "general".
Qt::Alignment alignmentOf(int alignment) {
  if (alignment < 0 || alignment > 8) return Qt::AlignLeft | Qt::AlignVCenter;
  constexpr Qt::Alignment kHorizontal[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
  constexpr Qt::Alignment kVertical[] = {Qt::AlignTop, Qt::AlignVCenter, Qt::AlignBottom};
  return kHorizontal[alignment / 3] | kVertical[alignment % 3];
}

}  // namespace

FlexGridModel::FlexGridModel(const FlexGrid& grid, QObject* parent)
    : QAbstractTableModel(parent), grid_(grid) {
  refresh();
}

std::vector<std::vector<FlexGridModel::Cell>> FlexGridModel::copyRows(int from, int to) const {
  std::vector<std::vector<Cell>> rows;
  rows.reserve(static_cast<size_t>(std::max(to - from, 0)));
  for (int row = from; row < to; ++row) {
    std::vector<Cell>& cells = rows.emplace_back();
    for (int col = 0; col < grid_.Cols(); ++col) {
      cells.push_back({fromWindows1252(grid_.TextMatrix(row, col)), grid_.backColorAt(row, col)});
    }
  }
  return rows;
}

void FlexGridModel::refresh() {
  int fixed = std::min(grid_.FixedRows(), grid_.Rows());
  std::vector<std::vector<Cell>> titles = copyRows(0, fixed);
  std::vector<std::vector<Cell>> rows = copyRows(fixed, grid_.Rows());
  std::vector<int> alignments;
  for (int col = 0; col < grid_.Cols(); ++col) alignments.push_back(grid_.ColAlignment(col));

  bool sameShape = rows.size() == rows_.size() && grid_.Cols() == columns_;
  if (!sameShape) beginResetModel();
  titles_ = std::move(titles);
  rows_ = std::move(rows);
  alignments_ = std::move(alignments);
  columns_ = grid_.Cols();
  if (!sameShape) {
    endResetModel();
    return;
  }
  if (!rows_.empty()) emit dataChanged(index(0, 0), index(rowCount() - 1, columns_ - 1));
  emit headerDataChanged(Qt::Horizontal, 0, columns_ - 1);
}

int FlexGridModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int FlexGridModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : columns_;
}

QVariant FlexGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount() || index.column() >= columns_) return {};
  const Cell& cell = rows_[static_cast<size_t>(index.row())][static_cast<size_t>(index.column())];
  switch (role) {
    case Qt::DisplayRole:
      return cell.text;
    case Qt::BackgroundRole:
      return brushOf(cell.backColor);
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(alignmentOf(alignments_[static_cast<size_t>(index.column())]));
    case Qt::ToolTipRole:
      return toolTip_.isEmpty() ? QVariant() : QVariant(toolTip_);
    default:
      return {};
  }
}

QVariant FlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || titles_.empty() || section < 0 || section >= columns_) {
    return {};
  }
  if (role == Qt::DisplayRole) return titles_.front()[static_cast<size_t>(section)].text;
  if (role == Qt::TextAlignmentRole) {
    return QVariant::fromValue(Qt::Alignment(Qt::AlignLeft | Qt::AlignVCenter));
  }
  return {};
}

}  // namespace rotaryn
