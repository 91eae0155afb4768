#include "shell/usage_table.h"

#include <QApplication>
#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTextLayout>

#include "shell/form_widgets.h"

#include <algorithm>

namespace tallix::shell {
UsageTableModel::UsageTableModel(const UsageView& view, QObject* parent)
    : QAbstractTableModel(parent), view_(view), rows_(static_cast<int>(view.rowCount())), columns_(view.columns()) {}

int UsageTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int UsageTableModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columns_.size());
}

const UsageRow& UsageTableModel::rowAt(int row) const {
  if (row != cachedRow_) {
    cached_ = view_.row(static_cast<size_t>(row));
    cachedRow_ = row;
  }
  return cached_;
}

QVariant UsageTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rows_ || index.column() >= columnCount()) return {};
  const UsageColumn column = columns_[static_cast<size_t>(index.column())];
  if (role == Qt::TextAlignmentRole) {
    if (column == UsageColumn::Duration) return int(Qt::AlignCenter);
    if (column == UsageColumn::Cost || column == UsageColumn::Volume) return int(Qt::AlignRight | Qt::AlignVCenter);
    return int(Qt::AlignLeft | Qt::AlignVCenter);
  }
  if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
  return fromModel(rowAt(index.row()).text(column));
}

QVariant UsageTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columnCount())
    return QString(UsageView::caption(columns_[static_cast<size_t>(section)]));
  return QAbstractTableModel::headerData(section, orientation, role);
}

void UsageTableModel::viewChanged() {
  cachedRow_ = -1;
  const int rows = static_cast<int>(view_.rowCount());
  if (view_.columns() != columns_ || rows < rows_) {
    beginResetModel();
    rows_ = rows;
    columns_ = view_.columns();
    endResetModel();
    return;
  }
  if (rows > rows_) {
    beginInsertRows({}, rows_, rows - 1);
    rows_ = rows;
    endInsertRows();
  }
  // The last connection grows while it lasts; any row may have been
  // rewritten. Only the rows in sight are drawn again.
  if (rows_ > 0 && columnCount() > 0)
    emit dataChanged(index(0, 0), index(rows_ - 1, columnCount() - 1), {Qt::DisplayRole});
}

QSize PlainHeader::sectionSizeFromContents(int logicalIndex) const {
  if (model() == nullptr || isSectionHidden(logicalIndex)) return {};
  QStyleOptionHeader option;
  initStyleOption(&option);
  option.section = logicalIndex;
  option.text = model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString();
  option.fontMetrics = fontMetrics();
  return style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), this);
}

QSize RowNumbers::sizeHint() const {
  if (count() == 0) return PlainHeader::sizeHint();
  if (count() != hintRows_) {
    hint_ = sectionSizeFromContents(count() - 1).expandedTo(sectionSizeFromContents(0));
    hintRows_ = count();
  }
  return hint_;
}

void RowNumbers::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) hintRows_ = -1;
  PlainHeader::changeEvent(event);
}

ConnectionsTable::ConnectionsTable(QWidget* parent) : QTableView(parent) {
  // The cells keep the room of the grid's lines; the table draws none.
  setGridStyle(Qt::NoPen);
}

void ConnectionsTable::paintEvent(QPaintEvent* event) {
  QTableView::paintEvent(event);
  const QHeaderView* rows = verticalHeader();
  const QHeaderView* columns = horizontalHeader();
  // A grid style set since is drawn by the table itself.
  if (!showGrid() || gridStyle() != Qt::NoPen || rows->count() == 0 || columns->count() == 0) return;
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  const QColor colour =
      QColor::fromRgba(static_cast<QRgb>(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
  QPainter painter(viewport());
  // A line of the table's pen covers the pixel below and right of its
  // points, at every scale of the screen: that pixel, filled.
  auto line = [&painter, &colour](QPoint from, QPoint to) { painter.fillRect(QRect(from, to), colour); };
  const bool rightToLeft = isRightToLeft();
  // Where the last row and column end; no line goes past them.
  const int lastX = columns->length() - columns->offset() - (rightToLeft ? 0 : 1);
  const int lastY = rows->length() - rows->offset() - 1;
  for (QRect dirty : event->region()) {
    dirty.setBottom(std::min(dirty.bottom(), lastY));
    if (rightToLeft)
      dirty.setLeft(std::max(dirty.left(), viewport()->width() - lastX));
    else
      dirty.setRight(std::min(dirty.right(), lastX));
    int left = columns->visualIndexAt(dirty.left());
    int right = columns->visualIndexAt(dirty.right());
    if (rightToLeft) std::swap(left, right);
    if (left == -1) left = 0;
    if (right == -1) right = columns->count() - 1;
    int top = rows->visualIndexAt(dirty.top());
    int bottom = rows->visualIndexAt(dirty.bottom());
    if (bottom == -1) bottom = rows->count() - 1;
    if (top == -1 || top > bottom) continue;
    for (int visual = top; visual <= bottom; ++visual) {
      const int row = rows->logicalIndex(visual);
      if (rows->isSectionHidden(row)) continue;
      const int y = rowViewportPosition(row) + rowHeight(row) - 1;
      line({dirty.left(), y}, {dirty.right(), y});
    }
    for (int visual = left; visual <= right; ++visual) {
      const int column = columns->logicalIndex(visual);
      if (columns->isSectionHidden(column)) continue;
      const int x = columnViewportPosition(column) + (rightToLeft ? 0 : columnWidth(column) - 1);
      line({x, dirty.top()}, {x, dirty.bottom()});
    }
  }
}

void CellPainter::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const {
  QStyleOptionViewItem cell = option;
  initStyleOption(&cell, index);
  const QStyle* style = cell.widget != nullptr ? cell.widget->style() : QApplication::style();
  if (!paintPlainly(*painter, cell, *style)) style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, cell.widget);
}

bool CellPainter::paintPlainly(QPainter& painter, const QStyleOptionViewItem& cell, const QStyle& style) {
  // Fusion and Windows draw an item's text the common way, copied here.
  if (style.name() != QLatin1String("fusion") && style.name() != QLatin1String("windows")) return false;
  constexpr auto kMore =
      QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDecoration | QStyleOptionViewItem::WrapText;
  if ((cell.features & kMore) || (cell.state & (QStyle::State_HasFocus | QStyle::State_Editing)) ||
      cell.direction != Qt::LeftToRight || !cell.showDecorationSelected || cell.text.isEmpty())
    return false;

  // The text inside the cell's margins, in one line that must fit whole.
  const int margin = style.pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, cell.widget) + 1;
  const QRect textRect = cell.rect.adjusted(margin, 0, -margin, 0);
  QTextOption layoutOption(cell.displayAlignment);
  layoutOption.setWrapMode(QTextOption::ManualWrap);
  layoutOption.setTextDirection(cell.direction);
  QTextLayout layout(cell.text, cell.font);
  layout.setTextOption(layoutOption);
  layout.beginLayout();
  QTextLine line = layout.createLine();
  bool oneLine = line.isValid();
  if (oneLine) {
    line.setLineWidth(textRect.width());
    oneLine = !layout.createLine().isValid();
  }
  layout.endLayout();
  if (!oneLine || line.naturalTextWidth() > textRect.width()) return false;

  painter.save();
  painter.setClipRect(cell.rect);
  style.drawPrimitive(QStyle::PE_PanelItemViewItem, &cell, &painter, cell.widget);
  QPalette::ColorGroup group = (cell.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled;
  if (group == QPalette::Normal && !(cell.state & QStyle::State_Active)) group = QPalette::Inactive;
  painter.setPen(cell.palette.color(group, (cell.state & QStyle::State_Selected) ? QPalette::HighlightedText
                                                                                 : QPalette::Text));
  // Placed upright as the style places it: the line's box aligned in the cell.
  const QRect placed = QStyle::alignedRect(Qt::LayoutDirectionAuto, cell.displayAlignment & Qt::AlignVertical_Mask,
                                           layout.boundingRect().size().toSize(), textRect);
  layout.draw(&painter, QPointF(textRect.x(), placed.top()));
  painter.restore();
  return true;
}

}  // namespace tallix::shell
