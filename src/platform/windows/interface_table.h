// The system's network interfaces as the meter sees them: the IP Helper
// interface table, and which adapters the network list calls metered.
#pragma once

#include "platform/windows/windows_api.h"

#include <string>
#include <vector>

#include "platform/windows/interface_answer.h"

struct INetworkListManager;

namespace tallix {

class InterfaceTable {
 public:
  InterfaceTable() = default;
  InterfaceTable(const InterfaceTable&) = delete;
  InterfaceTable& operator=(const InterfaceTable&) = delete;
  ~InterfaceTable();

  // The interfaces in the system's order, `metered` not yet filled. When the
  // table cannot be read, its failure code in decimal goes into
  // `failureCode` and the list is empty.
  std::vector<NetInterface> read(std::string& failureCode);

  // Marks the interfaces whose connection the system charges by cost (fixed
  // or variable). Where the network list cannot be asked (no such service,
  // as on older systems) nothing is marked.
  void markMetered(std::vector<NetInterface>& interfaces);

 private:
  bool comStarted_ = false;
  bool comTried_ = false;
  INetworkListManager* manager_ = nullptr;
  std::vector<GUID> adapters_;  // the adapter of each interface last read
};

}  // namespace tallix
