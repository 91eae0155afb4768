// The Linux probe: NetworkManager on the system bus where it runs, the
// kernel's interface list where it does not.
#pragma once

#include <chrono>
#include <optional>
#include <string>

#include "platform/connection_probe.h"
#include "platform/linux/dialup_probe.h"
#include "platform/linux/nm_answer.h"

struct sd_bus;
struct sd_bus_message;

namespace tallix {

// Asks NetworkManager once, then keeps its answer current from its signals
// (state and property changes, and its name coming and going), so an idle
// tick makes no round trip on the bus. Where NetworkManager is absent,
// unreachable, answers with an error or with properties that cannot be read,
// the kernel scan answers instead, and NetworkManager is asked again when it
// appears or, after a failed answer, a few seconds later.
class NmProbe : public ConnectionProbe {
 public:
  NmProbe();
  ~NmProbe() override;
  NmProbe(const NmProbe&) = delete;
  NmProbe& operator=(const NmProbe&) = delete;

  bool isConnected(std::string& failureCode) override;
  std::string watched() const override { return watched_; }
  std::optional<ByteCounters> counters() override;

 private:
  bool connect();
  void disconnect();
  // The whole answer, or none when any part of it could not be read.
  std::optional<NmAnswer> ask();

  sd_bus* bus_ = nullptr;
  bool dirty_ = true;         // a signal came: ask again
  bool retryAsking_ = false;  // the last answer failed: ask again at retryAt_
  bool absent_ = false;       // no program holds the manager's name
  std::chrono::steady_clock::time_point retryAt_{};
  std::optional<NmAnswer> answer_;
  DialupProbe kernel_;
  std::string watched_;
  // Who gave the last answer, and so whose interface is counted.
  enum class Counted : unsigned char { Nothing, Manager, Kernel };
  Counted countedBy_ = Counted::Nothing;
};

}  // namespace tallix
