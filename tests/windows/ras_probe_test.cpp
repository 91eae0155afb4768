#include "platform/windows/ras_probe.h"

#include <gtest/gtest.h>

#include <vector>

namespace tallix {
namespace {

// What the scripted remote-access service answers to one probe.
struct ServiceAnswer {
  DWORD enumResult = 0;
  DWORD count = 0;
  HRASCONN firstHandle = nullptr;
  DWORD statusResult = 0;
  RASCONNSTATE state = RASCS_OpenPort;
  bool statusWritesState = true;  // a failing query may leave the record as it was
};

// A scripted service: one answer per probe, and a record of what it was asked.
struct ScriptedService {
  std::vector<ServiceAnswer> answers;
  size_t probe = 0;
  int statusCalls = 0;
  std::vector<HRASCONN> queriedHandles;
  bool sizesRight = true;

  RasCalls calls() {
    RasCalls c;
    c.enumConnections = [this](LPRASCONNA buffer, LPDWORD bytes, LPDWORD count) {
      const ServiceAnswer& a = answers.at(probe);
      sizesRight = sizesRight && buffer[0].dwSize == sizeof(RASCONNA) &&
                   *bytes == sizeof(RASCONNA) * RasProbe::kBufferEntries;
      if (a.enumResult != 0) return a.enumResult;
      if (a.count > 0) buffer[0].hrasconn = a.firstHandle;
      if (a.count > 1) buffer[1].hrasconn = reinterpret_cast<HRASCONN>(0x999);
      *count = a.count;
      return DWORD{0};
    };
    c.getConnectStatus = [this](HRASCONN handle, LPRASCONNSTATUSA status) {
      const ServiceAnswer& a = answers.at(probe);
      ++statusCalls;
      queriedHandles.push_back(handle);
      sizesRight = sizesRight && status->dwSize == sizeof(RASCONNSTATUSA);
      if (a.statusWritesState) status->rasconnstate = a.state;
      return a.statusResult;
    };
    return c;
  }
};

HRASCONN handle(int n) { return reinterpret_cast<HRASCONN>(static_cast<intptr_t>(n)); }

TEST(RasProbe, AnswersFromTheFirstListedConnection) {
  struct Case {
    const char* name;
    std::vector<ServiceAnswer> answers;  // the last one is checked
    bool connected;
    std::string failureCode;
    int statusCalls;
  };
  const ServiceAnswer up{0, 1, handle(7), 0, RASCS_Connected, true};
  const std::vector<Case> cases = {
      {"service missing", {{711, 0, nullptr, 0, RASCS_OpenPort, true}}, false, "711", 0},
      {"nothing listed", {{0, 0, nullptr, 0, RASCS_Connected, true}}, false, "", 0},
      {"one connected", {up}, true, "", 1},
      {"one still dialling", {{0, 1, handle(7), 0, RASCS_ConnectDevice, true}}, false, "", 1},
      {"two, the first connected", {{0, 2, handle(7), 0, RASCS_Connected, true}}, true, "", 1},
      // The line dropped since the last probe: the old handle must not decide.
      {"connected, then nothing listed", {up, {0, 0, nullptr, 0, RASCS_Connected, true}}, false, "", 1},
      // A query that fails without writing must not repeat the last state.
      {"connected, then the query fails", {up, {0, 1, handle(7), 6, RASCS_Connected, false}}, false, "", 2},
      {"connected, then the service fails", {up, {711, 0, nullptr, 0, RASCS_Connected, true}}, false, "711", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedService service;
    service.answers = c.answers;
    RasProbe probe(service.calls());
    bool answer = false;
    std::string failureCode;
    for (service.probe = 0; service.probe < c.answers.size(); ++service.probe) {
      failureCode.clear();
      answer = probe.isConnected(failureCode);
    }
    EXPECT_EQ(answer, c.connected);
    EXPECT_EQ(failureCode, c.failureCode);
    EXPECT_EQ(service.statusCalls, c.statusCalls);
    for (HRASCONN queried : service.queriedHandles) EXPECT_EQ(queried, handle(7));
    EXPECT_TRUE(service.sizesRight);
  }
}

TEST(RasProbe, TheSystemServiceAnswersWithoutFailure) {
  // Under Wine, and on a Windows without dial-up connections, the service
  // lists nothing, which must read as "not connected".
  RasProbe ras;
  std::string failureCode;
  const bool connected = ras.isConnected(failureCode);
  EXPECT_EQ(failureCode, "");
  EXPECT_EQ(ras.RasResult, 0u);
  if (ras.RasConnCount == 0) {
    EXPECT_FALSE(connected);
  }
  // The whole probe reads the interface table and the network list of the
  // system as well, and names what it watches.
  auto probe = makeConnectionProbe();
  for (int tick = 0; tick < 3; ++tick) {
    failureCode.clear();
    const bool connected = probe->isConnected(failureCode);
    EXPECT_EQ(failureCode, "");
    EXPECT_EQ(probe->watched() == kNoDialupFound, !connected) << probe->watched();
  }
}

}  // namespace
}  // namespace tallix
