#include "platform/windows/windows_probe.h"

#include <memory>
#include <vector>

namespace tallix {

bool WindowsProbe::isConnected(std::string& failureCode) {
  std::string rasCode;
  counters_.reset();
  byRas_ = false;
  if (ras_.isConnected(rasCode)) {
    watched_ = watchingConnection("dial-up", ras_.RasConnBuf[0].szEntryName);
    byRas_ = true;
    return true;
  }
  std::string tableCode;
  std::vector<NetInterface> found = interfaces_.read(tableCode);
  InterfaceAnswer answer = judgeInterfaces(found);
  // The network list is asked only while a link of another kind is up.
  if (!answer.connected && plainLinkUp(found)) {
    interfaces_.markMetered(found);
    answer = judgeInterfaces(found);
  }
  watched_ = answer.watched;
  if (!answer.connected) failureCode = !rasCode.empty() ? rasCode : tableCode;
  counters_ = answer.counters;
  return answer.connected;
}

std::optional<ByteCounters> WindowsProbe::counters() {
  if (!byRas_) return counters_;
  // A dial-up connection of the service has its PPP row in the table too.
  std::string ignored;
  return judgeInterfaces(interfaces_.read(ignored)).counters;
}

std::unique_ptr<ConnectionProbe> makeConnectionProbe() { return std::make_unique<WindowsProbe>(); }

}  // namespace tallix
