// The Linux probe: reads the kernel's list of network interfaces from sysfs.
#pragma once

#include <map>
#include <string>

#include "platform/connection_probe.h"

namespace tallix {

// Connected means: the first dial-up interface the kernel lists (ordered by
// interface index; dial-up is link type PPP or a name beginning with "ppp")
// is up and has carrier. No dial-up interface: not connected.
class DialupProbe : public ConnectionProbe {
 public:
  explicit DialupProbe(std::string root = "/sys/class/net");
  // When the interface folder cannot be listed, its errno in decimal goes
  // into `failureCode` and the answer is false.
  bool isConnected(std::string& failureCode) override;

 private:
  std::string root_;  // ends in '/'
  // Whether each interface of the last listing is a dial-up one: its link
  // type is read once when it appears, not on every tick.
  std::map<std::string, bool, std::less<>> dialup_;
};

}  // namespace tallix
