// The real services of the running program: the system's local clock, the
// platform's dial-up probe, the message window, the tray icon, the beep and
// the start-at-log-on entry.
#pragma once

#include <memory>
#include <string>

#include "form/services.h"
#include "platform/connection_probe.h"

namespace tallix::shell {

class TrayIcon;

class QtServices : public Services {
 public:
  // Without a probe the line always reads as down.
  explicit QtServices(std::unique_ptr<ConnectionProbe> probe);

  DateTime now() override;
  bool probeConnection(std::string& detectCaption) override;
  std::string watchedConnection() override { return probe_ ? probe_->watched() : std::string(); }
  void answerOk(const std::string& text) override;
  void notifyIcon(NotifyAction action, const TrayIconData& data) override;
  void beep() override;
  void showBalloon(const std::string& title, const std::string& text) override;
  void setStartAtLogOn(bool on) override;
  std::optional<bool> startsAtLogOn() override;

  // The icon that notifyIcon drives; none means the calls change nothing.
  void attachTray(TrayIcon* tray) { tray_ = tray; }

 private:
  std::unique_ptr<ConnectionProbe> probe_;
  TrayIcon* tray_ = nullptr;
};

}  // namespace tallix::shell
