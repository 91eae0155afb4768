// The About box (Form4): one shared window. The About command shows the open
// one again; after its OK button closed it the next command makes it afresh.
#pragma once

#include <QPointer>
#include <QWidget>

#include <memory>

#include "form/controls.h"
#include "shell/form_widgets.h"

namespace tallix::shell {

class AboutBox : public QWidget {
  Q_OBJECT
 public:
  AboutBox();

  // Shows the shared About box, creating it when none is open.
  static AboutBox* showShared();
  // The open About box, or none.
  static AboutBox* current();

  const FormWidgets& widgets() const { return *widgets_; }

 private:
  ControlSet controls_;
  std::unique_ptr<FormWidgets> widgets_;
};

}  // namespace tallix::shell
