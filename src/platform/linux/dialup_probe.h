// The Linux probe: reads the kernel's list of network interfaces from sysfs.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/connection_probe.h"

namespace tallix {

// Connected means: the first dial-up interface the kernel lists (ordered by
// interface index; dial-up is link type PPP, a name beginning with "ppp", or
// a raw-IP modem interface: link type NONE under a name beginning with
// "wwan") is up and has carrier. No dial-up interface: not connected.
class DialupProbe : public ConnectionProbe {
 public:
  explicit DialupProbe(std::string root = "/sys/class/net");
  // When the interface folder cannot be listed, its errno in decimal goes
  // into `failureCode` and the answer is false.
  bool isConnected(std::string& failureCode) override;
  std::string watched() const override { return watched_; }
  std::optional<ByteCounters> counters() override;

  // Whether raw-IP wwan interfaces count (they do unless told otherwise).
  void countRawIp(bool counted) { rawIpCounted_ = counted; }

  enum class Kind : unsigned char { None, Ppp, RawIp };

 private:
  std::string root_;  // ends in '/'
  // Whether each interface of the last listing is a dial-up one: its link
  // type is read once when it appears, not on every tick.
  std::map<std::string, Kind, std::less<>> dialup_;
  bool rawIpCounted_ = true;
  std::string watched_;
  std::string connected_;  // the interface of the last answer that was true
};

// The kernel's byte counts of one interface (statistics/rx_bytes and
// tx_bytes under `root`), or nothing when either cannot be read.
std::optional<ByteCounters> interfaceCounters(const std::string& root, const std::string& name);

}  // namespace tallix
