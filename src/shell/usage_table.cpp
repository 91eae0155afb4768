#include "shell/usage_table.h"

#include <QEvent>

#include "shell/form_widgets.h"

namespace tallix::shell {
namespace {

constexpr int kDurationColumn = 2;
constexpr int kCostColumn = 3;

int columnsOf(const UsageView& view) { return view.costs ? 4 : 3; }

}  // namespace

UsageTableModel::UsageTableModel(const UsageView& view, QObject* parent)
    : QAbstractTableModel(parent),
      view_(view),
      rows_(static_cast<int>(view.rowCount())),
      columns_(columnsOf(view)) {}

int UsageTableModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }

int UsageTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns_; }

const UsageRow& UsageTableModel::rowAt(int row) const {
  if (row != cachedRow_) {
    cached_ = view_.row(static_cast<size_t>(row));
    cachedRow_ = row;
  }
  return cached_;
}

QVariant UsageTableModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rows_ || index.column() >= columns_) return {};
  if (role == Qt::TextAlignmentRole) {
    if (index.column() == kDurationColumn) return int(Qt::AlignCenter);
    if (index.column() == kCostColumn) return int(Qt::AlignRight | Qt::AlignVCenter);
    return int(Qt::AlignLeft | Qt::AlignVCenter);
  }
  if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole) return {};
  const UsageRow& row = rowAt(index.row());
  const std::string* cells[] = {&row.start, &row.end, &row.duration, &row.cost};
  return fromModel(*cells[index.column()]);
}

QVariant UsageTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole) {
    static const char* const kHeaders[] = {"start", "end", "duration", "cost"};
    if (section >= 0 && section < columns_) return QString(kHeaders[section]);
  }
  return QAbstractTableModel::headerData(section, orientation, role);
}

void UsageTableModel::viewChanged() {
  cachedRow_ = -1;
  const int rows = static_cast<int>(view_.rowCount());
  if (columnsOf(view_) != columns_ || rows < rows_) {
    beginResetModel();
    rows_ = rows;
    columns_ = columnsOf(view_);
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
  if (rows_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, columns_ - 1), {Qt::DisplayRole});
}

QSize RowNumbers::sizeHint() const {
  if (count() == 0) return QHeaderView::sizeHint();
  if (count() != hintRows_) {
    hint_ = sectionSizeFromContents(count() - 1).expandedTo(sectionSizeFromContents(0));
    hintRows_ = count();
  }
  return hint_;
}

void RowNumbers::changeEvent(QEvent* event) {
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) hintRows_ = -1;
  QHeaderView::changeEvent(event);
}

}  // namespace tallix::shell
