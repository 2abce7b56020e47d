#include "ui/qt/grid_view.h"

#include <QDropEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>

#include "ui/qt/text_codec.h"

namespace rotaryn {

const char* const GridView::kDragMimeType = "application/x-rotaryn-map-rows";

GridView::GridView(QWidget* parent) : QTableView(parent) {
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::ContiguousSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  setCornerButtonEnabled(false);
  setTabKeyNavigation(false);
  verticalHeader()->hide();
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setSectionsClickable(false);
  horizontalHeader()->setStretchLastSection(true);
  viewport()->setMouseTracking(true);
}

void GridView::mousePressEvent(QMouseEvent* event) {
  // Only the left button selects, as in the grid control the window was drawn for; the right
  // button leaves the choice of row to the window.
  if (event->button() == Qt::LeftButton) {
    QTableView::mousePressEvent(event);
  } else {
    event->accept();
  }
  if (onPress)
    onPress(event->button(), event->modifiers(), rowAtPoint(event->position().toPoint()));
}

void GridView::mouseMoveEvent(QMouseEvent* event) {
  QTableView::mouseMoveEvent(event);
  if (onHover) onHover(rowAtPoint(event->position().toPoint()));
}

void GridView::mouseDoubleClickEvent(QMouseEvent* event) {
  event->accept();
  if (event->button() == Qt::LeftButton && onDoubleClick) onDoubleClick();
}

void GridView::keyPressEvent(QKeyEvent* event) {
  // Typed characters belong to the window; keys that move the selection stay the grid's.
  QString text = event->text();
  if (event->key() == Qt::Key_Backspace) {
    event->accept();
    if (onKeyTyped) onKeyTyped('\b');
    return;
  }
  if (text.size() == 1 && text.front().isPrint()) {
    event->accept();
    std::string typed = toWindows1252(text);
    if (onKeyTyped) onKeyTyped(typed.front());
    return;
  }
  QTableView::keyPressEvent(event);
}

void GridView::dragEnterEvent(QDragEnterEvent* event) {
  if (onDrop && event->mimeData()->hasFormat(kDragMimeType)) {
    event->acceptProposedAction();
  } else {
    event->ignore();
  }
}

void GridView::dragMoveEvent(QDragMoveEvent* event) {
  if (!onDrop || !event->mimeData()->hasFormat(kDragMimeType)) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  if (onDragOver) onDragOver(rowAtPoint(event->position().toPoint()));
}

void GridView::dropEvent(QDropEvent* event) {
  if (!onDrop || !event->mimeData()->hasFormat(kDragMimeType)) {
    event->ignore();
    return;
  }
  event->acceptProposedAction();
  onDrop(rowAtPoint(event->position().toPoint()));
}

}  // namespace rotaryn
