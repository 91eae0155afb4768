// The real services of the running program: the system's local clock, the
// platform's dial-up probe, the message window, the tray icon, the
// desktop's notices, the beep and the start-at-log-on entry.
#pragma once

#include <memory>
#include <string>

#include "form/services.h"
#include "platform/connection_probe.h"
#include "shell/desktop_notices.h"

namespace tallix::shell {

class TrayIcon;

class QtServices : public Services {
 public:
  // Without a probe the line always reads as down.
  explicit QtServices(std::unique_ptr<ConnectionProbe> probe);

  DateTime now() override;
  bool probeConnection(std::string& detectCaption) override;
  std::string watchedConnection() override { return probe_ ? probe_->watched() : std::string(); }
  std::optional<ByteCounters> trafficCounters() override { return probe_ ? probe_->counters() : std::nullopt; }
  void answerOk(const std::string& text) override;
  void notifyIcon(NotifyAction action, const TrayIconData& data) override;
  void beep() override;
  void showNotice(const std::string& title, const std::string& text, std::function<void(bool)> delivered) override;
  void setStartAtLogOn(bool on) override;
  std::optional<bool> startsAtLogOn() override;

  // The icon that notifyIcon drives; none means the calls change nothing.
  void attachTray(TrayIcon* tray) { tray_ = tray; }
  DesktopNotices& notices() { return notices_; }

 private:
  std::unique_ptr<ConnectionProbe> probe_;
  TrayIcon* tray_ = nullptr;
  DesktopNotices notices_;
};

}  // namespace tallix::shell
