#include "platform/windows/ras_probe.h"

#include <utility>

#include "platform/windows/system_library.h"

namespace tallix {

DWORD systemRasEnumConnections(LPRASCONNA buffer, LPDWORD bytes, LPDWORD count) {
  static auto* const call = systemFunctionOf<decltype(RasEnumConnectionsA)>(L"rasapi32.dll", "RasEnumConnectionsA");
  if (call != nullptr) return call(buffer, bytes, count);
  *count = 0;
  return 0;
}

DWORD systemRasGetConnectStatus(HRASCONN connection, LPRASCONNSTATUSA status) {
  static auto* const call =
      systemFunctionOf<decltype(RasGetConnectStatusA)>(L"rasapi32.dll", "RasGetConnectStatusA");
  return call != nullptr ? call(connection, status) : static_cast<DWORD>(ERROR_PROC_NOT_FOUND);
}

RasProbe::RasProbe(RasCalls calls) : RasConnBuf(kBufferEntries), calls_(std::move(calls)) {}

bool RasProbe::isConnected(std::string& failureCode) {
  // The entry size is the one of the platform headers this program is built
  // with (the 32-bit form of old was 412 bytes); the service reads it from
  // the first entry to learn which layout the caller expects.
  RasConnBuf[0].dwSize = sizeof(RASCONNA);
  RasBufBytes = static_cast<DWORD>(sizeof(RASCONNA)) * kBufferEntries;
  RasConnCount = 0;
  RasResult = calls_.enumConnections(RasConnBuf.data(), &RasBufBytes, &RasConnCount);
  if (RasResult != 0) {
    failureCode = std::to_string(RasResult);
    return false;
  }
  // No connection listed: the first entry still holds the handle of an
  // earlier enumeration, which must not decide.
  if (RasConnCount == 0) return false;

  // Cleared first, so that a failed query reads as "not connected" rather
  // than as the state of the previous query.
  RasStatus = {};
  RasStatus.dwSize = sizeof(RASCONNSTATUSA);
  RasResult = calls_.getConnectStatus(RasConnBuf[0].hrasconn, &RasStatus);
  return RasStatus.rasconnstate == RASCS_Connected;
}

}  // namespace tallix
