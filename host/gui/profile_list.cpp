#include "host/gui/profile_list.h"

#include <QHeaderView>
#include <algorithm>

#include "host/host_text.h"

namespace rotaryn::host {
namespace {

enum Column { kIndex, kFolder, kType, kState, kGame, kPlaying, kNext, kColumns };

QString text(const std::string& windows1252) {
  return fromWindows1252(windows1252);
}

}  // namespace

GuiProfileList::GuiProfileList(QWidget* parent) : QTableWidget(0, kColumns, parent) {
  setHorizontalHeaderLabels({"#", "Profile", "Server type", "Server", "Game", "Playing", "Next"});
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  verticalHeader()->hide();
  // Every column stays in view: the short ones as wide as their texts, the two map names share
  // the rest (cut with "..." only when the window is made narrower than its default).
  QHeaderView* header = horizontalHeader();
  header->setHighlightSections(false);
  for (int column = 0; column < kColumns; ++column) {
    header->setSectionResizeMode(column, column == kPlaying || column == kNext
                                             ? QHeaderView::Stretch
                                             : QHeaderView::ResizeToContents);
  }
  setTextElideMode(Qt::ElideRight);
  setSizeAdjustPolicy(QAbstractScrollArea::AdjustIgnored);
  connect(this, &QTableWidget::itemSelectionChanged, this, [this] {
    if (std::optional<int32_t> index = selectedProfile(); index && onSelected) onSelected(*index);
  });
  connect(this, &QTableWidget::itemActivated, this, [this](QTableWidgetItem*) {
    if (std::optional<int32_t> index = selectedProfile(); index && onOpened) onOpened(*index);
  });
}

void GuiProfileList::setProfiles(const std::vector<ProfileConfig>& profiles) {
  setRowCount(static_cast<int>(profiles.size()));
  int row = 0;
  for (const ProfileConfig& profile : profiles) {
    auto* index = new QTableWidgetItem(QString::number(profile.index));
    index->setData(Qt::UserRole, profile.index);
    setItem(row, kIndex, index);
    setItem(row, kFolder, new QTableWidgetItem(text(profile.profileFolder)));
    setItem(row, kType, new QTableWidgetItem(text(profile.serverType)));
    setItem(row, kState, new QTableWidgetItem(QStringLiteral("starting")));
    for (int column : {kGame, kPlaying, kNext}) setItem(row, column, new QTableWidgetItem());
    ++row;
  }
  // At least two rows in view, however little height the window has to give.
  const int shown = std::clamp(rowCount(), 1, 2);
  setMinimumHeight(2 * frameWidth() + horizontalHeader()->sizeHint().height() +
                   shown * verticalHeader()->defaultSectionSize());
  updateGeometry();
}

QSize GuiProfileList::sizeHint() const {
  // Wide enough for every column with a long map name in each name column; as high as four
  // rows (fewer with fewer profiles).
  const int mapName = fontMetrics().horizontalAdvance(QStringLiteral("House of Pain A (Flagball)"));
  int width = 2 * frameWidth();
  for (int column = 0; column < kColumns; ++column) {
    const int contents =
        std::max(sizeHintForColumn(column), horizontalHeader()->sectionSizeHint(column));
    width += column == kPlaying || column == kNext ? std::max(contents, mapName) : contents;
  }
  const int rows = std::clamp(rowCount(), 1, 4);
  const int rowHeight =
      rowCount() > 0 ? this->rowHeight(0) : verticalHeader()->defaultSectionSize();
  return {width, 2 * frameWidth() + horizontalHeader()->sizeHint().height() + rows * rowHeight};
}

void GuiProfileList::setServerState(int32_t index, const QString& state) {
  if (std::optional<int> row = rowOf(index)) {
    item(*row, kState)->setText(state);
    item(*row, kState)->setToolTip(state);
  }
}

void GuiProfileList::setGame(int32_t index, const QString& state, const QString& playing,
                             const QString& next) {
  std::optional<int> row = rowOf(index);
  if (!row) return;
  bool changed = false;
  for (auto [column, text] :
       {std::pair{kGame, state}, std::pair{kPlaying, playing}, std::pair{kNext, next}}) {
    if (item(*row, column)->text() == text) continue;
    item(*row, column)->setText(text);
    item(*row, column)->setToolTip(text);
    changed = true;
  }
  if (changed) updateGeometry();
}

std::optional<int32_t> GuiProfileList::selectedProfile() const {
  QList<QTableWidgetItem*> selected = selectedItems();
  if (selected.isEmpty()) return std::nullopt;
  return item(selected.front()->row(), kIndex)->data(Qt::UserRole).toInt();
}

void GuiProfileList::selectProfile(int32_t index) {
  if (std::optional<int> row = rowOf(index)) selectRow(*row);
}

std::optional<int> GuiProfileList::rowOf(int32_t index) const {
  for (int row = 0; row < rowCount(); ++row) {
    if (item(row, kIndex)->data(Qt::UserRole).toInt() == index) return row;
  }
  return std::nullopt;
}

}  // namespace rotaryn::host
