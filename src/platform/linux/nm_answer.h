// What NetworkManager's active connections mean for the meter, as plain data:
// the probe fills these from the bus, the rule below decides.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tallix {

inline constexpr std::uint32_t kNmActivated = 2;    // NM_ACTIVE_CONNECTION_STATE_ACTIVATED
inline constexpr std::uint32_t kNmDeviceModem = 8;  // NM_DEVICE_TYPE_MODEM

struct NmDevice {
  std::uint32_t DeviceType = 0;
  std::uint32_t Metered = 0;  // 0 unknown, 1 yes, 2 no, 3 guess yes, 4 guess no
};

struct NmActive {
  std::string Type;  // the connection's type: "gsm", "802-3-ethernet" ...
  std::string Id;    // its name as the user knows it
  std::uint32_t State = 0;
  std::vector<NmDevice> devices;  // read only when the type alone does not decide
  std::string interface;          // the kernel's name of its first device's IP interface, when known
};

struct NmAnswer {
  bool found = false;      // a dial-up-like connection is active (in any state)
  bool connected = false;  // ... and activated
  std::string watched;     // the Settings line when found
  std::string interface;   // whose byte counts are the connection's, when known
};

// Mobile broadband, PPPoE and Bluetooth (DUN and PAN) are dial-up by type.
bool dialupType(std::string_view type);
// Dial-up by type, or over a modem device, or over a device that the network
// manager calls metered (yes or guess-yes): a tethered phone, say.
bool dialupLike(const NmActive& active);
// The first dial-up-like connection decides; activated means connected, a
// connection still activating is not, like a line that is dialling.
NmAnswer judge(const std::vector<NmActive>& actives);

}  // namespace tallix
