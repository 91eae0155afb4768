// The one door from the logic to the outside world. The Qt shell gives the
// real clock, probe, message window, tray icon and beep; tests give fakes.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/byte_counters.h"
#include "store/date_time.h"

namespace tallix {

// Tray pictures: 0..11 are the online pictures (one per five minutes of the
// hour), kPictureDisconnect the offline one.
inline constexpr int kPictureDisconnect = -1;

// The notification-icon record: only its picture changes after start-up.
struct TrayIconData {
  int hIcon = kPictureDisconnect;
  std::string tip = "Zvt";
};

// Actions of the notification-icon service.
enum class NotifyAction { Add = 0, Modify = 1, Delete = 2 };

class Services {
 public:
  virtual ~Services() = default;
  // Local date and time; nothing else in the logic reads the system clock.
  virtual DateTime now() = 0;
  // Is a dial-up connection up right now? On a failure of the platform's
  // listing the probe may put its failure code into `detectCaption`.
  virtual bool probeConnection(std::string& detectCaption) = 0;
  // One line on what the last probe looked at ("watching: ppp0"); empty
  // where the platform has nothing to say.
  virtual std::string watchedConnection() { return {}; }
  // The byte counts of the interface the last probe found connected;
  // nothing where the platform cannot tell. Asked only while recording.
  virtual std::optional<ByteCounters> trafficCounters() { return std::nullopt; }
  // Shows a message in a new non-modal message window; returns at once.
  virtual void answerOk(const std::string& text) = 0;
  // Adds, changes or removes the notification icon.
  virtual void notifyIcon(NotifyAction action, const TrayIconData& data) = 0;
  virtual void beep() = 0;
  // A desktop notice, through the desktop's notification service (the tray
  // icon's balloon on Windows). `delivered` is called once, at once or
  // later, with whether the desktop took the notice; where nothing can show
  // it, with false.
  virtual void showNotice(const std::string& title, const std::string& text, std::function<void(bool)> delivered) {
    (void)title;
    (void)text;
    delivered(false);
  }
  // Start at log-on: create or remove the entry. Failures are skipped
  // silently, but for an entry that starts the program for every user and
  // cannot be removed: that one is named in a message.
  virtual void setStartAtLogOn(bool on) = 0;
  // Whether the platform's entry starts the program at log-on; nothing where
  // there is no entry to ask, and then the stored choice stands.
  virtual std::optional<bool> startsAtLogOn() { return std::nullopt; }
};

}  // namespace tallix
