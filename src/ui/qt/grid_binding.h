#pragma once

#include <QFont>

#include "ui/flex_grid.h"
#include "ui/qt/flex_grid_model.h"
#include "ui/qt/grid_view.h"
#include "ui/qt/widget_binding.h"

namespace rotaryn {

// A grid of the window. Rows, cells, colours, column widths and the selection follow the model;
// a selection made with the mouse or the keys becomes the model's Row and RowSel. While the
// model has switched Redraw off the grid keeps its old picture and catches up when it is on.
class GridBinding final : public WidgetBinding {
 public:
  GridBinding(FlexGrid& grid, QWidget* parent, TwipsRect designPlace);

  void render(Change what) override;
  GridView* view() const { return view_; }
  void setGridFont(const QFont& font);

  // The model's row for a row of the view (-1 stays -1).
  int gridRowOf(int viewRow) const;
  // The row a drop lands on: the row under the pointer, or the place after the last row when
  // the pointer is below the rows.

 protected:
  void renderContent(Change what) override;
  void renderAllContent() override;
  void renderToolTip(const QString& text) override;

 private:
  void renderRows();
  void renderColumns();
  void renderSelection();
  void forwardSelection();
  void startDrag();

  FlexGrid& grid_;
  GridView* view_;
  FlexGridModel* model_;
  bool stale_ = false;  // a change arrived while Redraw was off
  bool forwarding_ = false;
};

}  // namespace rotaryn
