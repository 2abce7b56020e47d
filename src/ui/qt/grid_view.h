#pragma once

#include <functional>

#include <QTableView>

namespace rotaryn {

// The on-screen grid. It keeps the table view's own selection by mouse and arrow keys and
// reports everything else the window handles: presses, double clicks, typed characters, the
// row under the pointer, and drags passing over it. Rows are the view's rows (-1: none).
class GridView final : public QTableView {
 public:
  explicit GridView(QWidget* parent);

  // The mime type of a drag of map rows between the window's grids.
  static const char* const kDragMimeType;

  std::function<void(Qt::MouseButton, Qt::KeyboardModifiers, int row)> onPress;
  std::function<void()> onDoubleClick;
  std::function<void(char typed)> onKeyTyped;
  std::function<void(int row)> onHover;
  std::function<void(int row)> onDragOver;
  // Setting it makes the grid accept drops of map rows.
  std::function<void(int row)> onDrop;

  // The view's row at a point of the viewport, -1 when no row is there.
  int rowAtPoint(const QPoint& point) const { return rowAt(point.y()); }
  // The width a column needs to show every cell whole.
  int contentWidthOf(int column) const { return sizeHintForColumn(column); }

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
};

}  // namespace rotaryn
