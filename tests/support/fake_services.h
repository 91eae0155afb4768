// Test doubles: a clock the test sets, a probe the test switches, and a
// record of every message, icon change and beep.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "form/main_form.h"
#include "form/services.h"
#include "store/date_time.h"

namespace tallix::testing {

class FakeServices : public Services {
 public:
  DateTime clock{2002, 4, 16, 9, 0, 0};
  bool line = false;              // what the probe answers
  std::string probeFailure;       // when not empty, the probe fails with this code
  std::optional<ByteCounters> counters;  // what the interface's counters read
  int counterReads = 0;
  std::vector<std::string> messages;
  std::vector<int> trayPictures;  // every picture passed with Modify
  std::vector<NotifyAction> trayActions;
  int beeps = 0;
  std::vector<std::string> notices;  // the text of every desktop notice offered
  bool noticesTaken = true;           // what the desktop answers a notice
  // When set, the answer waits here until the test gives it.
  bool noticeAnswersWait = false;
  std::vector<std::function<void(bool)>> noticeAnswers;
  std::vector<bool> logOnChanges;
  std::optional<bool> logOnEntry;  // the platform's entry; nothing: there is none to ask
  bool logOnEntryStays = false;    // the entry cannot be changed

  DateTime now() override { return clock; }
  bool probeConnection(std::string& detectCaption) override {
    if (!probeFailure.empty()) detectCaption = probeFailure;
    return probeFailure.empty() && line;
  }
  std::optional<ByteCounters> trafficCounters() override {
    ++counterReads;
    return counters;
  }
  void answerOk(const std::string& text) override { messages.push_back(text); }
  void notifyIcon(NotifyAction action, const TrayIconData& data) override {
    trayActions.push_back(action);
    if (action == NotifyAction::Modify) trayPictures.push_back(data.hIcon);
  }
  void beep() override { ++beeps; }
  void showNotice(const std::string&, const std::string& text, std::function<void(bool)> delivered) override {
    notices.push_back(text);
    if (noticeAnswersWait) {
      noticeAnswers.push_back(std::move(delivered));
    } else {
      delivered(noticesTaken);
    }
  }
  void setStartAtLogOn(bool on) override {
    logOnChanges.push_back(on);
    if (logOnEntry && !logOnEntryStays) logOnEntry = on;
  }
  std::optional<bool> startsAtLogOn() override { return logOnEntry; }

  void advance(long long seconds) { clock = addSeconds(clock, seconds); }
};

// A fresh empty folder for one test, removed at the end; its path ends in '/'.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + name; }

 private:
  std::string path_;
};

// Writes a record file from its texts (each padded to 29 bytes).
void writeLog(const std::string& path, const std::vector<std::string>& records);
// Reads a record file back as its texts with trailing blanks removed.
std::vector<std::string> readLog(const std::string& path);

}  // namespace tallix::testing
