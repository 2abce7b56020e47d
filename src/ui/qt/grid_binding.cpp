#include "ui/qt/grid_binding.h"

#include <algorithm>

#include <QCursor>
#include <QDrag>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMimeData>
#include <QPointer>
#include <QTimer>
#include <QToolTip>

#include "ui/qt/twips.h"

namespace rotaryn {

GridBinding::GridBinding(FlexGrid& grid, QWidget* parent, TwipsRect designPlace)
    : WidgetBinding(grid, new GridView(parent), designPlace),
      grid_(grid),
      view_(static_cast<GridView*>(widget())),
      model_(new FlexGridModel(grid, view_)) {
  view_->setModel(model_);
  view_->horizontalHeader()->setVisible(grid.FixedRows() > 0);
  auto selectionMoved = [this] {
    if (!rendering_) forwardSelection();
  };
  connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this, selectionMoved);
  connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this, selectionMoved);
}

void GridBinding::setGridFont(const QFont& font) {
  view_->setFont(font);
  view_->horizontalHeader()->setFont(font);
  QFontMetrics metrics(font);
  view_->verticalHeader()->setMinimumSectionSize(1);
  view_->verticalHeader()->setDefaultSectionSize(metrics.height() + 4);
  view_->horizontalHeader()->setFixedHeight(metrics.height() + 6);
}

int GridBinding::gridRowOf(int viewRow) const {
  return viewRow < 0 ? -1 : viewRow + grid_.FixedRows();
}

void GridBinding::render(Change what) {
  WidgetBinding::render(what);
  if (what == Change::Placement) renderColumns();
}

void GridBinding::renderContent(Change what) {
  switch (what) {
    case Change::Rows:
    case Change::Cells:
      if (!grid_.Redraw) {
        stale_ = true;
      } else {
        renderRows();
      }
      break;
    case Change::Selection:
      if (forwarding_) break;
      if (!grid_.Redraw) {
        stale_ = true;
      } else {
        renderSelection();
      }
      break;
    case Change::Redraw:
      view_->setUpdatesEnabled(grid_.Redraw);
      if (grid_.Redraw && stale_) renderAllContent();
      break;
    case Change::Drag:
      startDrag();
      break;
    default:
      break;
  }
}

void GridBinding::renderAllContent() {
  renderRows();
  view_->setUpdatesEnabled(grid_.Redraw);
}

void GridBinding::renderRows() {
  stale_ = false;
  rendering_ = true;
  model_->refresh();
  rendering_ = false;
  renderColumns();
  renderSelection();
}

void GridBinding::renderColumns() {
  // The last column takes the room left over. The others keep their set width unless a title
  // or a cell needs more, so that no text is cut off.
  int last = std::min(grid_.Cols(), model_->columnCount()) - 1;
  for (int col = 0; col <= last; ++col) {
    int widthTwips = grid_.ColWidth(col);
    int width = widthTwips >= 0 ? pixelsFromTwips(widthTwips) : view_->columnWidth(col);
    if (col < last) {
      width = std::max(
          {width, view_->contentWidthOf(col), view_->horizontalHeader()->sectionSizeHint(col)});
    }
    view_->setColumnWidth(col, width);
  }
}

void GridBinding::renderSelection() {
  int fixed = grid_.FixedRows();
  int first = std::min(grid_.Row(), grid_.RowSel()) - fixed;
  int last = std::max(grid_.Row(), grid_.RowSel()) - fixed;
  int end = grid_.RowSel() - fixed;
  QItemSelectionModel* selection = view_->selectionModel();
  rendering_ = true;
  if (first < 0 || last >= model_->rowCount() || end < 0) {
    selection->clear();
  } else {
    selection->setCurrentIndex(model_->index(end, 0), QItemSelectionModel::NoUpdate);
    selection->select(QItemSelection(model_->index(first, 0), model_->index(last, 0)),
                      QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  }
  rendering_ = false;
}

void GridBinding::forwardSelection() {
  QItemSelectionModel* selection = view_->selectionModel();
  QModelIndexList rows = selection->selectedRows();
  int current = selection->currentIndex().row();
  if (rows.isEmpty() || current < 0) return;
  int top = rows.front().row();
  int bottom = top;
  for (const QModelIndex& index : rows) {
    top = std::min(top, index.row());
    bottom = std::max(bottom, index.row());
  }
  // The grid's Row is the fixed end of the selection, RowSel the end that moved last.
  int anchor = current == top ? bottom : top;
  int fixed = grid_.FixedRows();
  forwarding_ = true;
  forwardInput([&] {
    grid_.setRow(anchor + fixed);
    if (current != anchor) grid_.setRowSel(current + fixed);
  });
  forwarding_ = false;
}

void GridBinding::renderToolTip(const QString& text) {
  model_->setToolTip(text);
  view_->viewport()->setToolTip(text);
  // A hint already on screen over this grid changes with the row under the pointer.
  if (QToolTip::isVisible() && view_->viewport()->underMouse()) {
    QToolTip::showText(QCursor::pos(), text, view_->viewport());
  }
}

void GridBinding::startDrag() {
  // The press that asked for the drag is still being delivered; the drag starts after it, and
  // only while the button is still held.
  QPointer<GridView> source = view_;
  QTimer::singleShot(0, view_, [source] {
    if (!source || !(QGuiApplication::mouseButtons() & Qt::LeftButton)) return;
    auto* drag = new QDrag(source);
    auto* data = new QMimeData;
    data->setData(GridView::kDragMimeType, QByteArray());
    drag->setMimeData(data);
    drag->exec(Qt::CopyAction);
  });
}

}  // namespace rotaryn
