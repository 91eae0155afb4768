// The Usage window's table of connections as a model: a log holds thousands
// of them, so a row's texts are made only when the view draws that row.
#pragma once

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QStyledItemDelegate>
#include <QTableView>

#include "app/usage_view.h"

namespace tallix::shell {

class UsageTableModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  // The view must outlive the model; the window that owns both sees to it.
  UsageTableModel(const UsageView& view, QObject* parent);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

  // The view was replaced by a newer reading of the same log: rows are
  // added or redrawn in place, so the scroll position and the selection stay.
  void viewChanged();

 private:
  const UsageRow& rowAt(int row) const;

  const UsageView& view_;
  int rows_ = 0;
  std::vector<UsageColumn> columns_;
  // The row last made: the view asks for each of its cells in turn.
  mutable int cachedRow_ = -1;
  mutable UsageRow cached_;
};

// A header measured in its own font. Qt measures a section's caption in
// the bold of the header's font, so that a highlighted caption fits; this
// table highlights none, and measuring would load that bold face and keep it
// for the rest of the run (some 150 kB).
class PlainHeader : public QHeaderView {
  Q_OBJECT
 public:
  PlainHeader(Qt::Orientation orientation, QWidget* parent) : QHeaderView(orientation, parent) {}

 protected:
  QSize sectionSizeFromContents(int logicalIndex) const override;
};

// The rows' numbers down the side, as wide as the last (and largest) one:
// QHeaderView would measure the first and last hundred numbers. The table
// asks for the size at every turn of its layout; it is measured again only
// when the number of rows, the font or the style changes.
class RowNumbers : public PlainHeader {
  Q_OBJECT
 public:
  explicit RowNumbers(QWidget* parent) : PlainHeader(Qt::Vertical, parent) {}
  QSize sizeHint() const override;

 protected:
  void changeEvent(QEvent* event) override;

 private:
  mutable int hintRows_ = -1;
  mutable QSize hint_;
};

// The table of connections. It draws its grid itself, where Qt's table
// would, as rows and columns of pixels filled at once: the table's pen sets
// a line's pixels one by one, which cost a tenth of opening the window.
class ConnectionsTable : public QTableView {
  Q_OBJECT
 public:
  explicit ConnectionsTable(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// Draws a cell as the style does, but lays its one line of text out once: the
// style lays a cell's text out three times (to place it, to see whether it
// must be shortened, to draw it), which made most of the cost of opening the
// window on a long log. A cell that is anything more (the focus frame, a text
// wider than its column, right to left, a style that draws items its own
// way) is left to the style.
class CellPainter : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;

 private:
  // Draws `cell` and says so, or leaves it untouched and says it could not.
  static bool paintPlainly(QPainter& painter, const QStyleOptionViewItem& cell, const QStyle& style);
};

}  // namespace tallix::shell
