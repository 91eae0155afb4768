// The connection probe on Windows: the remote-access service first, then the
// network interfaces, for the links that never go through it (a USB modem, a
// built-in mobile-broadband card, a tethered phone).
#pragma once

#include <string>

#include "platform/connection_probe.h"
#include "platform/windows/interface_table.h"
#include "platform/windows/ras_probe.h"

namespace tallix {

class WindowsProbe : public ConnectionProbe {
 public:
  // True when the first connection the remote-access service lists is
  // connected, or else when a PPP or mobile-broadband interface, or one the
  // system calls metered, is up and connected. A failure code goes into
  // `failureCode` only when the answer is false.
  bool isConnected(std::string& failureCode) override;
  std::string watched() const override { return watched_; }
  // The counts of the interface row that decided; for a connection of the
  // remote-access service, those of its PPP row, read now.
  std::optional<ByteCounters> counters() override;

 private:
  RasProbe ras_;
  InterfaceTable interfaces_;
  std::string watched_;
  bool byRas_ = false;
  std::optional<ByteCounters> counters_;
};

}  // namespace tallix
