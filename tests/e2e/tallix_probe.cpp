// Prints the answer of this platform's real connection probe: "connected"
// or "disconnected", and "failure <code>" when the listing failed.
#include <cstdio>
#include <string>

#include "platform/connection_probe.h"

int main() {
  std::string failureCode;
  const bool connected = tallix::makeConnectionProbe()->isConnected(failureCode);
  std::printf("%s\n", connected ? "connected" : "disconnected");
  if (!failureCode.empty()) std::printf("failure %s\n", failureCode.c_str());
  return 0;
}
