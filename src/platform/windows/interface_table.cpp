#include "platform/windows/interface_table.h"

// The interface table's rows are declared only after the socket headers.
#include <winsock2.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>
#include <netlistmgr.h>
#include <objbase.h>

#include <cstring>

#include "platform/windows/system_library.h"

namespace tallix {
namespace {

// The interface table's two calls, from iphlpapi.dll of the system folder.
DWORD readIfTable(MIB_IF_TABLE2** table) {
  static auto* const call = systemFunctionOf<decltype(GetIfTable2)>(L"iphlpapi.dll", "GetIfTable2");
  return call != nullptr ? call(table) : static_cast<DWORD>(ERROR_PROC_NOT_FOUND);
}

void freeIfTable(MIB_IF_TABLE2* table) {
  static auto* const call = systemFunctionOf<decltype(FreeMibTable)>(L"iphlpapi.dll", "FreeMibTable");
  if (call != nullptr) call(table);
}

std::string utf8(const WCHAR* text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) return {};
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, -1, out.data(), size, nullptr, nullptr);
  out.pop_back();  // the terminating zero
  return out;
}

bool costly(DWORD cost) { return (cost & (NLM_CONNECTION_COST_FIXED | NLM_CONNECTION_COST_VARIABLE)) != 0; }

// Calls Release on a COM pointer when it goes out of scope.
template <typename T>
struct Held {
  T* p = nullptr;
  Held() = default;
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  ~Held() {
    if (p != nullptr) p->Release();
  }
};

}  // namespace

InterfaceTable::~InterfaceTable() {
  if (manager_ != nullptr) manager_->Release();
  if (comStarted_) CoUninitialize();
}

std::vector<NetInterface> InterfaceTable::read(std::string& failureCode) {
  std::vector<NetInterface> interfaces;
  adapters_.clear();
  MIB_IF_TABLE2* table = nullptr;
  const DWORD result = readIfTable(&table);
  if (result != NO_ERROR) {
    failureCode = std::to_string(result);
    return interfaces;
  }
  interfaces.reserve(table->NumEntries);
  for (ULONG i = 0; i < table->NumEntries; ++i) {
    const MIB_IF_ROW2& row = table->Table[i];
    NetInterface& found = interfaces.emplace_back();
    found.type = row.Type;
    found.up = row.OperStatus == IfOperStatusUp;
    found.connected = row.MediaConnectState == MediaConnectStateConnected;
    found.name = utf8(row.Alias[0] != 0 ? row.Alias : row.Description);
    found.received = row.InOctets;
    found.sent = row.OutOctets;
    adapters_.push_back(row.InterfaceGuid);
  }
  freeIfTable(table);
  return interfaces;
}

void InterfaceTable::markMetered(std::vector<NetInterface>& interfaces) {
  if (adapters_.size() != interfaces.size()) return;
  if (!comTried_) {
    // The program's window thread is a single-threaded apartment already;
    // joining it is counted and given back when the table goes.
    comTried_ = true;
    const HRESULT joined = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    comStarted_ = SUCCEEDED(joined);
    if (FAILED(joined) && joined != RPC_E_CHANGED_MODE) return;
    void* manager = nullptr;
    if (SUCCEEDED(CoCreateInstance(__uuidof(NetworkListManager), nullptr, CLSCTX_ALL, __uuidof(INetworkListManager),
                                   &manager)))
      manager_ = static_cast<INetworkListManager*>(manager);
  }
  if (manager_ == nullptr) return;

  Held<IEnumNetworkConnections> connections;
  if (FAILED(manager_->GetNetworkConnections(&connections.p)) || connections.p == nullptr) return;
  for (;;) {
    Held<INetworkConnection> connection;
    ULONG fetched = 0;
    if (connections.p->Next(1, &connection.p, &fetched) != S_OK || fetched != 1 || connection.p == nullptr) break;
    GUID adapter{};
    Held<INetworkConnectionCost> cost;
    DWORD value = 0;
    if (FAILED(connection.p->GetAdapterId(&adapter)) ||
        FAILED(connection.p->QueryInterface(__uuidof(INetworkConnectionCost), reinterpret_cast<void**>(&cost.p))) ||
        cost.p == nullptr || FAILED(cost.p->GetCost(&value)) || !costly(value))
      continue;
    for (size_t i = 0; i < interfaces.size(); ++i)
      if (std::memcmp(&adapters_[i], &adapter, sizeof adapter) == 0) interfaces[i].metered = true;
  }
}

}  // namespace tallix
