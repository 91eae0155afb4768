// The connection probe on Windows: asks the remote-access service for the
// active dial-up connections and for the state of the first one listed.
#pragma once

#include "platform/windows/windows_api.h"
// windows.h must come first.
#include <ras.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/connection_probe.h"

namespace tallix {

// The remote-access service's two calls, from rasapi32.dll of the system
// folder. Where Windows has no such service, the list is empty.
DWORD systemRasEnumConnections(LPRASCONNA buffer, LPDWORD bytes, LPDWORD count);
DWORD systemRasGetConnectStatus(HRASCONN connection, LPRASCONNSTATUSA status);

// The two remote-access calls the probe makes. The real ones by default; a
// test puts in its own to choose the codes, counts and states returned.
struct RasCalls {
  std::function<DWORD(LPRASCONNA, LPDWORD, LPDWORD)> enumConnections = systemRasEnumConnections;
  std::function<DWORD(HRASCONN, LPRASCONNSTATUSA)> getConnectStatus = systemRasGetConnectStatus;
};

class RasProbe : public ConnectionProbe {
 public:
  static constexpr DWORD kBufferEntries = 256;

  explicit RasProbe(RasCalls calls = {});

  // True when the enumeration succeeds, lists at least one connection, and
  // the first one listed is in the connected state. When the enumeration
  // fails its return code goes into `failureCode` in decimal.
  bool isConnected(std::string& failureCode) override;

  // The buffers live as long as the probe and keep their values from one
  // probe to the next.
  std::vector<RASCONNA> RasConnBuf;  // kBufferEntries entries
  DWORD RasBufBytes = 0;             // byte size of RasConnBuf handed to the enumeration
  DWORD RasConnCount = 0;            // connections the enumeration listed
  DWORD RasResult = 0;               // return code of the last call
  RASCONNSTATUSA RasStatus{};        // state of the first connection

 private:
  RasCalls calls_;
};

}  // namespace tallix
