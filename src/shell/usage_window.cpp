#include "shell/usage_window.h"

#include <QEvent>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QShortcut>
#include <QPen>
#include <QRadioButton>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <optional>

#include "shell/accessible_roles.h"
#include "shell/form_widgets.h"
#include "shell/heap_release.h"
#include "shell/pictures.h"
#include "shell/screen_fit.h"
#include "shell/usage_table.h"

namespace tallix::shell {
namespace {

constexpr double kBarShareOfSlot = 0.7;
constexpr int kChartLines = 12;     // the chart's height, in lines of text
constexpr int kTableRowsShown = 8;  // rows the table shows before it scrolls
constexpr int kTableRowsShownAtLeast = 2;  // on a screen too small for eight
constexpr int kNarrowestInCharacters = 40;
const char* const kHoursCaption = "hours";

// A line of text the mouse can select. Selecting takes a text document of
// its own, laid out again for every size the window asks of the line; it is
// made when the pointer first comes over the line, not for every window
// opened. Both ways draw the same pixels.
class TextLine : public QLabel {
 public:
  using QLabel::QLabel;

  // Until it is selectable, a line that does not wrap measures its text once:
  // QLabel measures it three times for its two sizes, all of them the same.
  QSize sizeHint() const override {
    if (wordWrap() || textFormat() != Qt::PlainText || (textInteractionFlags() & Qt::TextSelectableByMouse) ||
        !contentsMargins().isNull() || indent() > 0 || margin() != 0 || frameWidth() != 0)
      return QLabel::sizeHint();
    if (!measured_ || *measured_ != text()) {
      const int flags = static_cast<int>(alignment() & ~(Qt::AlignVCenter | Qt::AlignHCenter));
      size_ = fontMetrics().boundingRect(0, 0, 2000, 2000, flags, text()).size();
      measured_ = text();
    }
    return size_.expandedTo(minimumSize());
  }
  QSize minimumSizeHint() const override { return wordWrap() ? QLabel::minimumSizeHint() : sizeHint(); }

 protected:
  bool event(QEvent* event) override {
    const QEvent::Type type = event->type();
    if ((type == QEvent::Enter || type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) &&
        !(textInteractionFlags() & Qt::TextSelectableByMouse))
      setTextInteractionFlags(Qt::TextSelectableByMouse);
    if (type == QEvent::FontChange || type == QEvent::StyleChange) measured_.reset();
    return QLabel::event(event);
  }

 private:
  mutable std::optional<QString> measured_;  // the text `size_` was measured for
  mutable QSize size_;
};

// A line of text; none for an empty text unless asked (the window is laid
// out anew when one comes or goes).
QLabel* addLabel(QVBoxLayout& layout, QWidget* parent, const char* name, const std::string& text,
                 bool evenEmpty = false) {
  if (text.empty() && !evenEmpty) return nullptr;
  auto* label = new TextLine(parent);
  // A log's name is shown as it stands, never read as markup.
  label->setTextFormat(Qt::PlainText);
  label->setText(fromModel(text));
  label->setObjectName(name);
  layout.addWidget(label);
  return label;
}

// Widths of texts in `font`, kept for the run. The stamps that size the
// columns are the same for every window: a window opened again, or
// refreshed every minute, measures only what it has not measured before.
QHash<QString, int>& widthsIn(const QFont& font) {
  constexpr int kKept = 256;  // a refresh's new texts come one a minute
  static QString keptFor;
  static QHash<QString, int> widths;
  const QString key = font.key() + QLatin1Char('/') + QString::number(QFontMetrics(font).height());
  if (key != keptFor || widths.size() >= kKept) {
    widths.clear();
    keptFor = key;
  }
  return widths;
}

// What decides the window's layout: a chart and table, a cost column, and
// which lines of text there are.
unsigned shapeOf(const UsageView& view) {
  unsigned shape = 0;
  for (bool part : {view.chart, view.costs, view.volumes, !view.heading.empty(), !view.messages.empty(),
                    !view.undated.empty(), !view.forecast.empty(), !view.allowance.empty(),
                    !view.volumeForecast.empty(), !view.volumeAllowance.empty()})
    shape = shape << 1 | (part ? 1 : 0);
  return shape;
}

std::string totalText(const UsageView& view) {
  return view.total + (view.costs ? ",  cost : " + view.cost : "");
}

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += (text.empty() ? "" : "\n") + line;
  return text;
}

// A line across the plot at `y`, a pixel's centre. On a screen drawn pixel
// for pixel it is the row of pixels the line would set, filled at once: a
// line is drawn pixel by pixel, and the grid's lines cost as much as the bars.
void gridLine(QPainter& painter, const QRectF& plot, double y, const QColor& colour) {
  if (painter.deviceTransform().type() <= QTransform::TxTranslate) {
    const double left = std::floor(plot.left());
    painter.fillRect(QRectF(left, y - 0.5, std::floor(plot.right()) - left + 1, 1), colour);
    return;
  }
  painter.setPen(colour);
  painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
}

}  // namespace

UsageChart::UsageChart(const UsageView& view, QWidget* parent) : QWidget(parent), view_(view) {
  setObjectName("picUsage");
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  installAccessibleRoles();
  showVolume(false);
}

void UsageChart::showVolume(bool volume) {
  volume_ = volume && view_.volumes;
  setAccessibleName(volume_ ? "volume per day" : "hours online per day");
  setAccessibleDescription(fromModel(volume_ ? view_.volumeChartText : view_.chartText));
  updateGeometry();
  update();
}

double UsageChart::share(size_t bar) const {
  if (!volume_) return view_.bars[bar].seconds > 0 ? view_.bars[bar].share : 0;
  return bar < view_.volumeShares.size() ? view_.volumeShares[bar] : 0;
}

QString UsageChart::caption() const { return volume_ ? fromModel(view_.volumeAxis.unit) : QString(kHoursCaption); }

QMarginsF UsageChart::margins() const {
  const QFontMetrics metrics = fontMetrics();
  const double line = metrics.height();
  const double space = metrics.horizontalAdvance(' ');
  const double left = std::max(metrics.horizontalAdvance(QString::number(scale().topHours)),
                               metrics.horizontalAdvance(caption()) / 2) +
                      2 * space;
  // Above, room for the axis caption; below, for the day labels.
  return {left, 1.5 * line, 2 * space, 1.5 * line};
}

QSize UsageChart::sizeHint() const {
  const QFontMetrics metrics = fontMetrics();
  const int days = std::max<int>(static_cast<int>(view_.bars.size()), 7);
  const QMarginsF around = margins();
  return {static_cast<int>(std::ceil(around.left() + around.right())) + days * metrics.horizontalAdvance("000"),
          kChartLines * metrics.height()};
}

QSize UsageChart::minimumSizeHint() const {
  const QFontMetrics metrics = fontMetrics();
  const int days = std::max<int>(static_cast<int>(view_.bars.size()), 7);
  const QMarginsF around = margins();
  return {static_cast<int>(std::ceil(around.left() + around.right())) + days * metrics.horizontalAdvance("0"),
          kChartLines * metrics.height() / 3};
}

QRectF UsageChart::plotArea() const {
  const QRectF inside = QRectF(rect()).marginsRemoved(margins());
  return {inside.topLeft(), QSizeF(std::max(0.0, inside.width()), std::max(0.0, inside.height()))};
}

QRectF UsageChart::barRect(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= view_.bars.size()) return {};
  const double barShare = share(static_cast<size_t>(index));
  if (barShare <= 0) return {};
  const QRectF plot = plotArea();
  const double slot = plot.width() / static_cast<double>(view_.bars.size());
  // On whole pixels, so bars stay crisp; a few seconds still show as a sliver.
  const double bottom = std::round(plot.bottom());
  const double top = std::min(std::round(bottom - std::min(barShare, 1.0) * plot.height()), bottom - 1);
  const double left = std::round(plot.left() + slot * index + slot * (1 - kBarShareOfSlot) / 2);
  const double right = std::max(std::round(plot.left() + slot * index + slot * (1 + kBarShareOfSlot) / 2), left + 1);
  return {QPointF(left, top), QPointF(right, bottom)};
}

QColor UsageChart::barColour() const { return palette().color(QPalette::Highlight); }

int UsageChart::dayLabelEvery() const {
  if (view_.bars.empty()) return 1;
  const QFontMetrics metrics = fontMetrics();
  const double slot = plotArea().width() / static_cast<double>(view_.bars.size());
  const double needed = metrics.horizontalAdvance("00") + metrics.horizontalAdvance(' ');
  return std::max(1, static_cast<int>(std::ceil(needed / std::max(slot, 1.0))));
}

void UsageChart::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.fillRect(rect(), palette().color(QPalette::Base));
  const QRectF plot = plotArea();
  const QFontMetrics metrics = fontMetrics();
  const double line = metrics.height();
  const double space = metrics.horizontalAdvance(' ');
  const QColor text = palette().color(QPalette::Text);

  // The hours axis: a grid line and a label at every step.
  painter.setPen(text);
  painter.drawText(QRectF(0, 0, width(), line), Qt::AlignLeft | Qt::AlignVCenter, caption());
  const UsageScale& axis = scale();
  for (int hours = 0; hours <= axis.topHours; hours += axis.stepHours) {
    // Lines on pixel centres, so they stay one pixel wide.
    const double y = std::round(plot.bottom() - plot.height() * hours / axis.topHours) + 0.5;
    gridLine(painter, plot, y, hours == 0 ? text : palette().color(QPalette::Midlight));
    painter.setPen(text);
    painter.drawText(QRectF(0, y - line / 2, plot.left() - space, line), Qt::AlignRight | Qt::AlignVCenter,
                     QString::number(hours));
  }

  for (int i = 0; i < static_cast<int>(view_.bars.size()); ++i) {
    const QRectF bar = barRect(i);
    if (!bar.isEmpty()) painter.fillRect(bar, barColour());
  }

  // The day's time at this pace, dashed across the bars.
  if (view_.paceShare > 0 && !volume_) {
    const double y = std::round(plot.bottom() - plot.height() * std::min(view_.paceShare, 1.0)) + 0.5;
    painter.setPen(QPen(text, 1, Qt::DashLine));
    painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
  }

  // Day-of-month labels, thinned out when the days are narrower than a label.
  if (view_.bars.empty()) return;
  const double slot = plot.width() / static_cast<double>(view_.bars.size());
  const int every = dayLabelEvery();
  painter.setPen(text);
  for (int i = 0; i < static_cast<int>(view_.bars.size()); i += every) {
    const QRectF box(plot.left() + slot * i + slot / 2 - line * 2, plot.bottom() + line / 4, line * 4, line);
    painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop,
                     QString::number(view_.bars[static_cast<size_t>(i)].dayOfMonth));
  }
}

UsageWindow::UsageWindow(UsageView view)
    : QWidget(dialogOwner(), Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      view_(std::move(view)) {
  setObjectName("FormUsage");
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_QuitOnClose, false);
  setWindowTitle(fromModel(std::string(kUsageTitle)));
  setWindowIcon(programIcon());

  // Escape closes the window, as it does a dialog.
  connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, &QWidget::close);
  build();
}

UsageWindow::~UsageWindow() { releaseFreedMemorySoon(); }

void UsageWindow::build() {
  auto* layout = new QVBoxLayout(this);
  addLabel(*layout, this, "lblUsageLog", view_.heading, true);
  if (QLabel* messages = addLabel(*layout, this, "lblUsageMessages", joined(view_.messages))) {
    messages->setWordWrap(true);
    // A wrapped text is laid out by its document from the start, so that
    // its lines never wrap anew under the pointer.
    messages->setTextInteractionFlags(Qt::TextSelectableByMouse);
  }
  // Wide enough for the title and a message line or two without wrapping.
  setMinimumWidth(kNarrowestInCharacters * fontMetrics().averageCharWidth());
  if (!view_.chart) return;  // nothing of the log could be read: the messages say why

  auto* chart = new UsageChart(view_, this);
  if (view_.volumes) {
    // The chart shows the hours online or the volume, each day.
    auto* choice = new QHBoxLayout;
    choice->addWidget(new QLabel("chart:", this));
    auto* time = new QRadioButton("time", this);
    time->setObjectName("optChartTime");
    auto* volume = new QRadioButton("volume", this);
    volume->setObjectName("optChartVolume");
    (volumeChart_ ? volume : time)->setChecked(true);
    chart->showVolume(volumeChart_);
    connect(volume, &QRadioButton::toggled, this, [this, chart](bool on) {
      volumeChart_ = on;
      chart->showVolume(on);
    });
    choice->addWidget(time);
    choice->addWidget(volume);
    choice->addStretch(1);
    layout->addLayout(choice);
  }
  layout->addWidget(chart, 1);
  addLabel(*layout, this, "lblUsageUndated", view_.undated);

  auto* table = new ConnectionsTable(this);
  table->setObjectName("tblConnections");
  table->setAccessibleName("connections");
  // Every row is one line of the font: no row is measured.
  auto* captions = new PlainHeader(Qt::Horizontal, table);
  captions->setSectionsClickable(true);  // as the table's own header; no caption turns bold
  table->setHorizontalHeader(captions);
  auto* numbers = new RowNumbers(table);
  numbers->setSectionResizeMode(QHeaderView::Fixed);
  table->setVerticalHeader(numbers);
  table->setModel(new UsageTableModel(view_, table));
  table->setItemDelegate(new CellPainter(table));
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setWordWrap(false);
  table_ = table;
  sizeColumns();
  table->horizontalHeader()->setStretchLastSection(true);
  table->setMinimumHeight(tableHeight(kTableRowsShown));
  int columns = table->verticalHeader()->sizeHint().width() + 2 * table->frameWidth();
  for (int column = 0; column < table->model()->columnCount(); ++column) columns += table->columnWidth(column);
  table->setMinimumWidth(columns + table->style()->pixelMetric(QStyle::PM_ScrollBarExtent));
  layout->addWidget(table, 1);
  // The table has the keyboard first, as in a window without the chart's choice.
  if (auto* time = findChild<QRadioButton*>("optChartTime")) {
    setTabOrder(table, time);
    setTabOrder(time, findChild<QRadioButton*>("optChartVolume"));
    table->setFocus();
  }

  addLabel(*layout, this, "lblUsageTotal", totalText(view_));
  addLabel(*layout, this, "lblUsageVolume", view_.volumeTotal);
  addLabel(*layout, this, "lblUsageForecast", view_.forecast);
  addLabel(*layout, this, "lblUsageAllowance", view_.allowance);
  addLabel(*layout, this, "lblUsageVolumeForecast", view_.volumeForecast);
  addLabel(*layout, this, "lblUsageVolumeAllowance", view_.volumeAllowance);
}

void UsageWindow::sizeColumns() {
  // From texts at least as wide as any row's, as a cell draws them.
  const QFontMetrics metrics(table_->font());
  QHash<QString, int>& widths = widthsIn(table_->font());
  // One pixel more than the margins and the grid line: a text is laid out
  // in fractions of a pixel, and the widest one must not come out a fraction
  // wider than its whole-pixel measure and be cut short.
  const int padding = 2 * (table_->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, table_) + 1) +
                      (table_->showGrid() ? 1 : 0) + 1;
  QHeaderView* header = table_->horizontalHeader();
  // The header's own size of a caption, kept with the widths: the style
  // lays the caption out to measure it.
  const QString headerKey =
      QLatin1String("\x01") + header->font().key() + QLatin1Char('/') + style()->name() + QLatin1Char('/');
  const std::vector<UsageRow> widest = view_.widestRows();
  const std::vector<UsageColumn> columns = view_.columns();
  for (int column = 0; column < static_cast<int>(columns.size()); ++column) {
    const QString caption = headerKey + UsageView::caption(columns[static_cast<size_t>(column)]);
    auto hint = widths.find(caption);
    if (hint == widths.end()) hint = widths.insert(caption, header->sectionSizeHint(column));
    int width = *hint;
    const std::string* measured = nullptr;
    for (const UsageRow& row : widest) {
      const std::string& cell = row.text(columns[static_cast<size_t>(column)]);
      if (measured != nullptr && *measured == cell) continue;  // most rows repeat a text
      measured = &cell;
      const QString text = fromModel(*measured);
      auto at = widths.find(text);
      if (at == widths.end()) at = widths.insert(text, metrics.horizontalAdvance(text));
      width = std::max(width, *at + padding);
    }
    table_->setColumnWidth(column, width);
  }
}

void UsageWindow::refresh(UsageView view) {
  const bool sameShape = shapeOf(view) == shapeOf(view_);
  view_ = std::move(view);
  if (!sameShape) {
    // The log appeared, went or changed its kind: the window is laid out anew.
    delete layout();
    for (QWidget* child : findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) delete child;
    table_ = nullptr;
    build();
    resize(size().expandedTo(sizeHint()));
    relaxTable();
    return;
  }
  auto setText = [this](const char* name, const std::string& text) {
    if (auto* label = findChild<QLabel*>(name)) label->setText(fromModel(text));
  };
  setText("lblUsageLog", view_.heading);
  setText("lblUsageMessages", joined(view_.messages));
  if (!view_.chart) return;
  setText("lblUsageUndated", view_.undated);
  setText("lblUsageTotal", totalText(view_));
  setText("lblUsageVolume", view_.volumeTotal);
  setText("lblUsageForecast", view_.forecast);
  setText("lblUsageAllowance", view_.allowance);
  setText("lblUsageVolumeForecast", view_.volumeForecast);
  setText("lblUsageVolumeAllowance", view_.volumeAllowance);
  if (auto* chart = findChild<UsageChart*>()) chart->showVolume(volumeChart_);
  static_cast<UsageTableModel*>(table_->model())->viewChanged();
  sizeColumns();
}

void UsageWindow::relaxTable() {
  // It asks for room for eight rows and every column; where the screen is
  // smaller (a high scale, large fonts) it may shrink down to two rows and
  // scroll the table sideways, so that all of it fits.
  if (table_ != nullptr) {
    table_->setMinimumHeight(tableHeight(kTableRowsShownAtLeast));
    table_->setMinimumWidth(0);
  }
  layout()->activate();
}

int UsageWindow::tableHeight(int rows) const {
  return table_->horizontalHeader()->sizeHint().height() +
         table_->verticalHeader()->defaultSectionSize() * std::min(std::max(table_->model()->rowCount(), 1), rows) +
         2 * table_->frameWidth();
}

UsageWindow* UsageWindow::open(UsageView view) {
  auto* window = new UsageWindow(std::move(view));
  window->resize(window->sizeHint());
  window->relaxTable();
  centreOnScreen(*window);
  window->show();
  window->raise();
  window->activateWindow();
  return window;
}

}  // namespace tallix::shell
