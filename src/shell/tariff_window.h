// The tariff's edit window, opened by the Settings view's "tariff..." button:
// tariff.ini as text, Save and Cancel. Saving is the form model's; the window
// closes when the text was taken.
#pragma once

#include <QPlainTextEdit>
#include <QWidget>
#include <functional>
#include <string>

namespace tallix::shell {

class TariffWindow : public QWidget {
  Q_OBJECT
 public:
  // `save` is given the text and answers whether it was taken.
  TariffWindow(const std::string& text, std::function<bool(const std::string&)> save);

  // Opens the one edit window, or brings it forward when it is open already.
  static TariffWindow* open(const std::string& text, std::function<bool(const std::string&)> save);

 private:
  QPlainTextEdit* editor_;
  std::function<bool(const std::string&)> save_;
};

}  // namespace tallix::shell
