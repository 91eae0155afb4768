#include "platform/windows/windows_probe.h"

#include <memory>
#include <vector>

namespace tallix {

bool WindowsProbe::isConnected(std::string& failureCode) {
  std::string rasCode;
  if (ras_.isConnected(rasCode)) {
    watched_ = watchingConnection("dial-up", ras_.RasConnBuf[0].szEntryName);
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
  return answer.connected;
}

std::unique_ptr<ConnectionProbe> makeConnectionProbe() { return std::make_unique<WindowsProbe>(); }

}  // namespace tallix
