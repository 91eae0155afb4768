// The message window (Form11): one new window for every message, topmost,
// not modal, centred on the screen; its OK button closes and deletes it.
#pragma once

#include <QWidget>

#include <memory>
#include <string>

#include "form/controls.h"
#include "shell/form_widgets.h"

namespace tallix::shell {

inline constexpr const char* kMessageTitle = "Tallix Wrning Message";

class MessageWindow : public QWidget {
  Q_OBJECT
 public:
  explicit MessageWindow(const std::string& text);

  // Opens a new message window with the text and sounds the beep; returns
  // at once, before the user has pressed OK.
  static MessageWindow* open(const std::string& text);

  const FormWidgets& widgets() const { return *widgets_; }

 private:
  ControlSet controls_;
  std::unique_ptr<FormWidgets> widgets_;
};

}  // namespace tallix::shell
