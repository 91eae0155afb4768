// The platform's answer to "is a dial-up connection up right now?".
#pragma once

#include <memory>
#include <string>

namespace tallix {

class ConnectionProbe {
 public:
  virtual ~ConnectionProbe() = default;
  // True when the first dial-up connection the system lists is connected.
  // When the system's listing itself fails, its failure code (in decimal) is
  // put into `failureCode` and the answer is false.
  virtual bool isConnected(std::string& failureCode) = 0;
};

// The real probe of this platform.
std::unique_ptr<ConnectionProbe> makeConnectionProbe();

}  // namespace tallix
