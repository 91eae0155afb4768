// The Usage window: one log's hours online per day as a bar chart, its
// connections in a table and its total. Everything it shows comes ready
// from the UsageView; the window lays it out and draws it.
#pragma once

#include <QMarginsF>
#include <QRectF>
#include <QWidget>

#include "app/usage_view.h"

class QTableView;

namespace tallix::shell {

// The bars, drawn with QPainter; sizes follow the font, so the chart grows
// with the screen's scale and the desktop's font alike.
class UsageChart : public QWidget {
  Q_OBJECT
 public:
  UsageChart(const UsageView& view, QWidget* parent);

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;
  // The area of the bars, inside the axis labels.
  QRectF plotArea() const;
  // Bar `index` of the view's bars; empty for a day without connections.
  QRectF barRect(int index) const;
  QColor barColour() const;
  // Draws the day's volume instead of the hours online.
  void showVolume(bool volume);
  bool showsVolume() const { return volume_; }

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  // Room around the bars for the axis caption, the hour and the day labels.
  QMarginsF margins() const;
  int dayLabelEvery() const;
  // The axis and the bars of what is shown: hours or volume.
  const UsageScale& scale() const { return volume_ ? view_.volumeAxis.scale : view_.scale; }
  double share(size_t bar) const;
  QString caption() const;

  const UsageView& view_;
  bool volume_ = false;
};

class UsageWindow : public QWidget {
  Q_OBJECT
 public:
  explicit UsageWindow(UsageView view);
  // Its log goes with it: the freed memory is given back.
  ~UsageWindow() override;

  // Opens a window of its own for the view; it is deleted when closed.
  static UsageWindow* open(UsageView view);

  const UsageView& view() const { return view_; }
  // Shows a newer reading of the same log in place, keeping the table's
  // scroll position where the rows stay.
  void refresh(UsageView view);

 private:
  // Lays the window out for the view.
  void build();
  // The columns as wide as their widest text, without making every row's.
  void sizeColumns();
  // Lets the table shrink below its asked size on a small screen.
  void relaxTable();
  // The table's height showing `rows` rows (fewer when it has fewer).
  int tableHeight(int rows) const;

  UsageView view_;
  QTableView* table_ = nullptr;
  bool volumeChart_ = false;  // the chart shows the volume, kept while the window is open
};

}  // namespace tallix::shell
