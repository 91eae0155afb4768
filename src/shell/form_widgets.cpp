#include "shell/form_widgets.h"

#include <QFont>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStylePainter>
#include <QTimer>

#include <cmath>

#include "shell/accessible_roles.h"
#include "shell/fonts.h"

namespace tallix::shell {

int toPixels(double twips) { return static_cast<int>(std::lround(twips / kTwipsPerPixel)); }

double toTwips(int pixels) { return pixels * kTwipsPerPixel; }

QString fromModel(const std::string& text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::string toModel(const QString& text) { return text.toUtf8().toStdString(); }

CaptionButton::CaptionButton(QWidget* parent) : QPushButton(parent) {}

QRect CaptionButton::captionRect(const QStyleOptionButton& option) const {
  const QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
  return {contents.left(), 0, contents.width(), height()};
}

void CaptionButton::paintEvent(QPaintEvent* /*event*/) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  painter.drawControl(QStyle::CE_PushButtonBevel, option);
  QStyleOptionButton caption = option;
  caption.rect = captionRect(option);
  painter.drawControl(QStyle::CE_PushButtonLabel, caption);
  if (option.state & QStyle::State_HasFocus) {
    QStyleOptionFocusRect focus;
    focus.QStyleOption::operator=(option);
    focus.rect = style()->subElementRect(QStyle::SE_PushButtonFocusRect, &option, this);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
  }
}

PictureBox::PictureBox(PicturePainter painter, QWidget* parent) : QWidget(parent), painter_(std::move(painter)) {}

void PictureBox::paintEvent(QPaintEvent* /*event*/) {
  if (!painter_) return;
  QPainter painter(this);
  painter_(painter, QRectF(rect()));
}

LineShape::LineShape(QWidget* parent) : QWidget(parent) {}

void LineShape::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setPen(QPen(palette().color(QPalette::WindowText), 1));
  painter.drawLine(QPointF(0, 0.5), QPointF(width(), 0.5));
}

FilteredLineEdit::FilteredLineEdit(QWidget* parent) : QLineEdit(parent) {
  // Every character reaches the box through the key filter: no pasting from
  // a context menu and no dropping of dragged text.
  setContextMenuPolicy(Qt::NoContextMenu);
  setAcceptDrops(false);
}

void FilteredLineEdit::keyPressEvent(QKeyEvent* event) {
  const QString text = event->text();
  // Only keys that type a character go through the filter; the delete key
  // and the movement keys are editing, not characters.
  if (!filter_ || text.size() != 1 || text.at(0).unicode() == 0x7F) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  const char16_t typed = text.at(0).unicode();
  auto keyAscii = static_cast<std::int16_t>(typed);
  filter_(keyAscii);
  if (keyAscii == 0) {
    event->accept();
    return;
  }
  if (keyAscii == static_cast<std::int16_t>(typed)) {
    QLineEdit::keyPressEvent(event);
  } else if (keyAscii == 8) {
    backspace();
  } else {
    insert(QString(QChar(static_cast<char16_t>(keyAscii))));
  }
}

void FilteredLineEdit::focusInEvent(QFocusEvent* event) {
  QLineEdit::focusInEvent(event);
  // After the click that gave the focus has placed the cursor.
  QMetaObject::invokeMethod(this, "selectAll", Qt::QueuedConnection);
}

ReleaseCheckBox::ReleaseCheckBox(QWidget* parent) : QCheckBox(parent) {}

void ReleaseCheckBox::mouseReleaseEvent(QMouseEvent* event) {
  QCheckBox::mouseReleaseEvent(event);
  emit mouseReleased();
}

namespace {

QWidget* makeWidget(const ControlSpec& row, QWidget* parent) {
  switch (row.kind) {
    case ControlKind::Label: {
      auto* label = new QLabel(parent);
      label->setTextFormat(Qt::PlainText);
      label->setWordWrap(true);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return label;
    }
    case ControlKind::Button: {
      auto* button = new CaptionButton(parent);
      button->setAutoDefault(true);  // Enter presses the focused button, as Space does
      return button;
    }
    case ControlKind::TextBox: {
      auto* box = new FilteredLineEdit(parent);
      if (row.maxLength > 0) box->setMaxLength(row.maxLength);
      return box;
    }
    case ControlKind::CheckBox:
      return new ReleaseCheckBox(parent);
    case ControlKind::Frame: {
      auto* frame = new QGroupBox(parent);
      frame->setAutoFillBackground(true);  // a frame hides what lies behind it
      return frame;
    }
    case ControlKind::Picture:
      return new PictureBox(pictureFor(row.name), parent);
    case ControlKind::FileList:
    case ControlKind::ListBox: {
      auto* list = new QListWidget(parent);
      list->setSelectionMode(QAbstractItemView::SingleSelection);
      return list;
    }
    case ControlKind::Line:
      return new LineShape(parent);
    case ControlKind::Timer:
      return nullptr;
  }
  return nullptr;
}

QRect geometryOf(const ControlSpec& row, const Control& control) {
  if (row.kind == ControlKind::Line) {
    // A line keeps its second point in width and height.
    const int x1 = toPixels(control.left);
    const int y1 = toPixels(control.top);
    const int x2 = toPixels(control.width);
    const int y2 = toPixels(control.height);
    return {std::min(x1, x2), std::min(y1, y2), std::max(1, std::abs(x2 - x1)), std::max(1, std::abs(y2 - y1))};
  }
  return {toPixels(control.left), toPixels(control.top), toPixels(control.width), toPixels(control.height)};
}

// A carriage return alone breaks the line, as it does in the message texts.
QString labelText(const std::string& caption) {
  QString text = fromModel(caption);
  text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return text;
}

void syncList(QListWidget* list, const Control& control) {
  QStringList items;
  items.reserve(static_cast<qsizetype>(control.items.size()));
  for (const std::string& item : control.items) items << fromModel(item);
  const QSignalBlocker block(list);
  bool same = list->count() == items.size();
  for (int i = 0; same && i < items.size(); ++i) same = list->item(i)->text() == items[i];
  if (!same) {
    list->clear();
    list->addItems(items);
  }
  const int index = control.listIndex >= 0 && control.listIndex < list->count() ? control.listIndex : -1;
  if (index < 0) {
    list->clearSelection();
    list->setCurrentRow(-1);
  } else if (list->currentRow() != index || !list->item(index)->isSelected()) {
    list->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
  }
}

// Sets a widget's text only when it differs, so a text box keeps its cursor.
template <class W>
void setTextOf(QWidget* widget, const QString& text) {
  auto* typed = static_cast<W*>(widget);
  if (typed->text() != text) typed->setText(text);
}

void syncCaption(const ControlSpec& row, QWidget* widget, const Control& control) {
  switch (row.kind) {
    case ControlKind::Label:
      setTextOf<QLabel>(widget, labelText(control.caption));
      break;
    case ControlKind::Button:
      setTextOf<QPushButton>(widget, fromModel(control.caption));
      break;
    case ControlKind::TextBox:
      setTextOf<QLineEdit>(widget, fromModel(control.caption));
      break;
    case ControlKind::CheckBox: {
      setTextOf<QCheckBox>(widget, fromModel(control.caption));
      const QSignalBlocker block(widget);
      static_cast<QCheckBox*>(widget)->setChecked(control.value == 1);
      break;
    }
    case ControlKind::FileList:
    case ControlKind::ListBox:
      syncList(static_cast<QListWidget*>(widget), control);
      break;
    case ControlKind::Frame:
    case ControlKind::Picture:
    case ControlKind::Line:
    case ControlKind::Timer:
      break;
  }
}

}  // namespace

FormWidgets::FormWidgets(QWidget* root, const std::vector<ControlSpec>& design) {
  installAccessibleRoles();
  for (const ControlSpec& row : design) {
    QWidget* parent = row.parent.empty() ? root : widget(row.parent);
    if (parent == nullptr) parent = root;
    QWidget* made = makeWidget(row, parent);
    if (made == nullptr) continue;
    made->setObjectName(QString::fromStdString(std::string(row.name.text())));
    made->setFont(designFont(row.font));
    if (!row.accessibleName.empty()) made->setAccessibleName(fromModel(row.accessibleName));
    if (row.windowColours) {
      made->setAutoFillBackground(true);
      QPalette colours = made->palette();
      colours.setColor(QPalette::Window, colours.color(QPalette::Base));
      colours.setColor(QPalette::WindowText, colours.color(QPalette::Text));
      made->setPalette(colours);
    }
    entries_.push_back({&row, made, std::nullopt});
  }
  // What the user types, ticks or picks changes the widget behind the model's
  // back: the next sync must look at the widget again, so that the model can
  // put back a value it refused.
  for (size_t i = 0; i < entries_.size(); ++i) {
    QWidget* made = entries_[i].widget;
    auto stale = [this, i] { entries_[i].synced.reset(); };
    auto watch = [this, stale](auto* sender, auto signal) {
      userChanges_.push_back(QObject::connect(sender, signal, stale));
    };
    if (auto* box = qobject_cast<QLineEdit*>(made)) watch(box, &QLineEdit::textChanged);
    if (auto* box = qobject_cast<QCheckBox*>(made)) watch(box, &QCheckBox::toggled);
    if (auto* list = qobject_cast<QListWidget*>(made)) watch(list, &QListWidget::itemSelectionChanged);
  }
}

FormWidgets::~FormWidgets() {
  // The widgets outlive this table when their window deletes its children.
  for (const QMetaObject::Connection& connection : userChanges_) QObject::disconnect(connection);
}

QWidget* FormWidgets::widget(ControlName name) const {
  for (const Entry& entry : entries_)
    if (entry.row->name == name) return entry.widget;
  return nullptr;
}

void FormWidgets::sync(const ControlSet& controls) const {
  for (const Entry& entry : entries_) {
    if (!controls.contains(entry.row->name)) continue;
    const Control& control = controls[entry.row->name];
    if (entry.synced && *entry.synced == control) continue;
    QWidget* widget = entry.widget;
    const QRect geometry = geometryOf(*entry.row, control);
    if (widget->geometry() != geometry) widget->setGeometry(geometry);
    const QString tip = fromModel(control.tooltip);
    if (widget->toolTip() != tip) widget->setToolTip(tip);
    const QString description = fromModel(control.description);
    if (widget->accessibleDescription() != description) widget->setAccessibleDescription(description);
    if (widget->isEnabledTo(widget->parentWidget()) != control.enabled) widget->setEnabled(control.enabled);
    syncCaption(*entry.row, widget, control);
    if (widget->isHidden() == control.visible) widget->setVisible(control.visible);
    entry.synced = control;  // after the widget's own signals, which mark it stale
  }
}

}  // namespace tallix::shell
