// Watches for the desktop's tray for the whole run. At log-in the panel that
// holds it often starts after the program, and a panel can be restarted, so
// the answer at start-up is not the answer for good.
#pragma once

#include <QObject>

#include <memory>

namespace tallix::shell {

class TrayHostWatch : public QObject {
  Q_OBJECT
 public:
  explicit TrayHostWatch(QObject* parent = nullptr);
  ~TrayHostWatch() override;

  // Is there a tray to put the icon into now?
  bool present() const { return present_; }

 signals:
  void presenceChanged(bool present);

 private slots:
  // Asks the session bus whether a host of status-notifier items is there.
  void askHost();

 private:
  void setPresent(bool present);

  struct Watch;  // the platform's own means
  std::unique_ptr<Watch> watch_;
  bool present_ = false;
};

}  // namespace tallix::shell
