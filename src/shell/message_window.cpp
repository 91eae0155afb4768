#include "shell/message_window.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>

#include "form/layouts.h"
#include "shell/pictures.h"
#include "shell/screen_fit.h"

namespace tallix::shell {

MessageWindow::MessageWindow(const std::string& text)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint),
      controls_(form11Design()) {
  setObjectName("Form11");
  setAttribute(Qt::WA_DeleteOnClose);
  setAttribute(Qt::WA_QuitOnClose, false);
  setWindowTitle(kMessageTitle);
  setWindowIcon(programIcon());
  widgets_ = std::make_unique<FormWidgets>(this, form11Design());

  auto* label = widgets_->get<QLabel>(form11::Label1);
  label->setAutoFillBackground(true);
  QPalette colours = label->palette();
  colours.setColor(QPalette::Window, QColor(192, 192, 192));
  colours.setColor(QPalette::WindowText, colours.color(QPalette::Text));
  label->setPalette(colours);

  controls_[form11::Label1].caption = text;
  widgets_->sync(controls_);
  int clientHeight = toPixels(kForm11ClientHeight);
  // A text taller than the label makes the label, and the window, taller.
  const int needed = label->heightForWidth(label->width());
  if (needed > label->height()) {
    const int extra = needed - label->height();
    controls_[form11::Label1].height += static_cast<float>(toTwips(extra));
    controls_[form11::cmdOk].top += static_cast<float>(toTwips(extra));
    clientHeight += extra;
    widgets_->sync(controls_);
  }
  setFixedSize(toPixels(kForm11ClientWidth), clientHeight);

  auto* ok = widgets_->get<QPushButton>(form11::cmdOk);
  ok->setDefault(true);
  ok->setFocus();
  connect(ok, &QPushButton::clicked, this, &QWidget::close);
}

MessageWindow* MessageWindow::open(const std::string& text) {
  auto* window = new MessageWindow(text);
  centreOnScreen(*window);
  window->show();
  window->raise();
  QApplication::beep();
  return window;
}

}  // namespace tallix::shell
