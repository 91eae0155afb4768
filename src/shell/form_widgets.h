// Widgets made from a window's design table, and the one loop that brings
// every widget in line with the live state of its control, by name.
#pragma once

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QRect>
#include <QString>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <optional>
#include <vector>

#include "form/controls.h"
#include "shell/pictures.h"

namespace tallix::shell {

// Positions and sizes are kept in twips; 15 twips make one logical pixel.
inline constexpr double kTwipsPerPixel = 15.0;
int toPixels(double twips);
double toTwips(int pixels);

// The model's texts, paths included, are UTF-8 on every platform (a
// record's single-byte text is ASCII, the same in UTF-8).
QString fromModel(const std::string& text);
std::string toModel(const QString& text);

// A button of a design table. The tables' buttons are as tall as a line of
// their font and little more, while a style keeps a margin inside the
// bevel, too little room for a letter's descender ("Settings" showed as
// "Settinas"): the caption is drawn within the whole height of the button.
class CaptionButton : public QPushButton {
 public:
  explicit CaptionButton(QWidget* parent);
  // Where the caption is drawn: the style's contents across, the button's
  // whole height down.
  QRect captionRect(const QStyleOptionButton& option) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A picture control: draws its picture at whatever size it is given.
class PictureBox : public QWidget {
 public:
  PictureBox(PicturePainter painter, QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  PicturePainter painter_;
};

// A straight line control, drawn in the window's text colour.
class LineShape : public QWidget {
 public:
  explicit LineShape(QWidget* parent);

 protected:
  void paintEvent(QPaintEvent* event) override;
};

// A text box whose typed characters pass the model's key filter first: the
// filter gets the character code and may drop it (0) or change it.
class FilteredLineEdit : public QLineEdit {
 public:
  using KeyFilter = std::function<void(std::int16_t& keyAscii)>;
  explicit FilteredLineEdit(QWidget* parent);
  void setKeyFilter(KeyFilter filter) { filter_ = std::move(filter); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  // Focus selects the whole text, so what is typed replaces it.
  void focusInEvent(QFocusEvent* event) override;

 private:
  KeyFilter filter_;
};

// A check box that tells when a mouse button was released over it (after
// the box has taken its new value), apart from any keyboard change.
class ReleaseCheckBox : public QCheckBox {
  Q_OBJECT
 public:
  explicit ReleaseCheckBox(QWidget* parent);

 signals:
  void mouseReleased();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};

// The widgets of one window, one per row of its design (a timer has none).
class FormWidgets {
 public:
  FormWidgets(QWidget* root, const std::vector<ControlSpec>& design);
  ~FormWidgets();
  FormWidgets(const FormWidgets&) = delete;
  FormWidgets& operator=(const FormWidgets&) = delete;

  QWidget* widget(ControlName name) const;
  template <class W>
  W* get(ControlName name) const {
    return dynamic_cast<W*>(widget(name));
  }
  // Makes every widget show its control's live state: caption or text,
  // tooltip, enabled, visible, geometry, check value, list entries and choice.
  void sync(const ControlSet& controls) const;

 private:
  struct Entry {
    const ControlSpec* row;
    QWidget* widget;
    // The control as last pushed to the widget: a control that has not
    // changed since costs one comparison, not a round of Qt calls.
    mutable std::optional<Control> synced;
  };
  std::vector<Entry> entries_;
  std::vector<QMetaObject::Connection> userChanges_;
};

}  // namespace tallix::shell
