#include "platform/linux/nm_probe.h"

#include <systemd/sd-bus.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <vector>

namespace tallix {
namespace {

using namespace std::chrono_literals;

constexpr const char* kNm = "org.freedesktop.NetworkManager";
constexpr const char* kNmPath = "/org/freedesktop/NetworkManager";
constexpr const char* kActiveIface = "org.freedesktop.NetworkManager.Connection.Active";
constexpr const char* kDeviceIface = "org.freedesktop.NetworkManager.Device";
constexpr auto kRetryAfter = 5s;
// A network manager that hangs must not stop the tick for long.
constexpr std::uint64_t kCallTimeoutUsec = 500 * 1000;

// What can change the answer: the active connections' list and states, the
// devices' types and metered flags, and the manager coming and going. Both
// the standard property signal and the manager's own older one are heard.
constexpr const char* kMatches[] = {
    "type='signal',sender='org.freedesktop.DBus',member='NameOwnerChanged',arg0='org.freedesktop.NetworkManager'",
    "type='signal',sender='org.freedesktop.NetworkManager',member='StateChanged'",
    "type='signal',sender='org.freedesktop.NetworkManager',interface='org.freedesktop.DBus.Properties',"
    "member='PropertiesChanged',arg0='org.freedesktop.NetworkManager'",
    "type='signal',sender='org.freedesktop.NetworkManager',interface='org.freedesktop.DBus.Properties',"
    "member='PropertiesChanged',arg0='org.freedesktop.NetworkManager.Connection.Active'",
    "type='signal',sender='org.freedesktop.NetworkManager',interface='org.freedesktop.DBus.Properties',"
    "member='PropertiesChanged',arg0='org.freedesktop.NetworkManager.Device'",
    "type='signal',sender='org.freedesktop.NetworkManager',interface='org.freedesktop.NetworkManager',"
    "member='PropertiesChanged'",
    "type='signal',sender='org.freedesktop.NetworkManager',"
    "interface='org.freedesktop.NetworkManager.Connection.Active',member='PropertiesChanged'",
    "type='signal',sender='org.freedesktop.NetworkManager',interface='org.freedesktop.NetworkManager.Device',"
    "member='PropertiesChanged'",
};

int markDirty(sd_bus_message*, void* dirty, sd_bus_error*) {
  *static_cast<bool*>(dirty) = true;
  return 0;
}

// The properties of one object that the rule reads, by their D-Bus type.
// A name met with any other type lands in `other`: present but unreadable.
struct Properties {
  std::map<std::string, std::uint32_t, std::less<>> numbers;
  std::map<std::string, std::string, std::less<>> texts;
  std::map<std::string, std::vector<std::string>, std::less<>> paths;
  std::set<std::string, std::less<>> other;

  // Absent, or present with the type the rule reads.
  bool readable(std::string_view name) const { return other.count(name) == 0; }
};

// One GetAll; false on an error reply, a lost bus or a body that is not a{sv}.
// `absent` tells that no program holds the manager's name.
bool getAll(sd_bus* bus, const char* path, const char* iface, Properties& out, bool* absent = nullptr) {
  sd_bus_error error = SD_BUS_ERROR_NULL;
  sd_bus_message* reply = nullptr;
  int r = sd_bus_call_method(bus, kNm, path, "org.freedesktop.DBus.Properties", "GetAll", &error, &reply, "s", iface);
  if (absent != nullptr)
    *absent = sd_bus_error_has_names(&error, SD_BUS_ERROR_SERVICE_UNKNOWN, SD_BUS_ERROR_NAME_HAS_NO_OWNER);
  sd_bus_error_free(&error);
  bool whole = r >= 0 && sd_bus_message_enter_container(reply, 'a', "{sv}") > 0;
  while (whole && (r = sd_bus_message_enter_container(reply, 'e', "sv")) > 0) {
    const char* name = nullptr;
    char kind = 0;
    const char* contents = nullptr;
    whole = sd_bus_message_read(reply, "s", &name) > 0 && sd_bus_message_peek_type(reply, &kind, &contents) > 0 &&
            contents != nullptr;
    if (!whole) break;
    const std::string key(name);
    if (std::strcmp(contents, "u") == 0) {
      std::uint32_t value = 0;
      whole = sd_bus_message_read(reply, "v", "u", &value) > 0;
      out.numbers[key] = value;
    } else if (std::strcmp(contents, "s") == 0 || std::strcmp(contents, "o") == 0) {
      const char* value = nullptr;
      whole = sd_bus_message_enter_container(reply, 'v', contents) > 0 &&
              sd_bus_message_read_basic(reply, contents[0], &value) > 0 && sd_bus_message_exit_container(reply) > 0;
      if (whole) out.texts[key] = value;
    } else if (std::strcmp(contents, "ao") == 0) {
      std::vector<std::string>& list = out.paths[key];
      whole = sd_bus_message_enter_container(reply, 'v', "ao") > 0 && sd_bus_message_enter_container(reply, 'a', "o") > 0;
      const char* value = nullptr;
      while (whole && (r = sd_bus_message_read_basic(reply, 'o', &value)) > 0) list.emplace_back(value);
      whole = whole && r == 0 && sd_bus_message_exit_container(reply) > 0 && sd_bus_message_exit_container(reply) > 0;
    } else {
      out.other.insert(key);
      whole = sd_bus_message_skip(reply, "v") >= 0;
    }
    whole = whole && sd_bus_message_exit_container(reply) > 0;
  }
  whole = whole && r == 0 && sd_bus_message_exit_container(reply) > 0;
  sd_bus_message_unref(reply);
  return whole;
}

template <typename Map>
const typename Map::mapped_type* find(const Map& map, std::string_view name) {
  const auto at = map.find(name);
  return at == map.end() ? nullptr : &at->second;
}

}  // namespace

NmProbe::NmProbe() = default;

NmProbe::~NmProbe() { disconnect(); }

bool NmProbe::connect() {
  if (sd_bus_open_system(&bus_) < 0) {
    bus_ = nullptr;
    return false;
  }
  sd_bus_set_method_call_timeout(bus_, kCallTimeoutUsec);
  for (const char* rule : kMatches) {
    if (sd_bus_add_match(bus_, nullptr, rule, markDirty, &dirty_) < 0) {
      disconnect();
      return false;
    }
  }
  dirty_ = true;
  return true;
}

void NmProbe::disconnect() {
  if (bus_ != nullptr) sd_bus_close_unref(bus_);
  bus_ = nullptr;
  answer_.reset();
}

std::optional<NmAnswer> NmProbe::ask() {
  Properties manager;
  if (!getAll(bus_, kNmPath, kNm, manager, &absent_)) return std::nullopt;
  const std::vector<std::string>* listed = find(manager.paths, "ActiveConnections");
  if (listed == nullptr) return std::nullopt;
  std::vector<NmActive> actives;
  for (const std::string& path : *listed) {
    Properties p;
    if (!getAll(bus_, path.c_str(), kActiveIface, p)) return std::nullopt;  // vanished, or not one
    const std::string* type = find(p.texts, "Type");
    const std::uint32_t* state = find(p.numbers, "State");
    const std::vector<std::string>* devices = find(p.paths, "Devices");
    const std::string* id = find(p.texts, "Id");
    if (type == nullptr || state == nullptr || devices == nullptr || !p.readable("Id")) return std::nullopt;
    NmActive& active = actives.emplace_back(NmActive{*type, id != nullptr ? *id : "", *state, {}, {}});
    if (!dialupType(active.Type)) {
      for (const std::string& device : *devices) {
        Properties d;
        if (!getAll(bus_, device.c_str(), kDeviceIface, d)) return std::nullopt;
        const std::uint32_t* deviceType = find(d.numbers, "DeviceType");
        const std::uint32_t* metered = find(d.numbers, "Metered");
        if (deviceType == nullptr || !d.readable("Metered")) return std::nullopt;
        active.devices.push_back({*deviceType, metered != nullptr ? *metered : 0});
      }
    }
    if (dialupLike(active)) {
      // Its byte counts are the kernel's for its IP interface (a modem's
      // ppp0 or wwan0); one that cannot be read leaves the volume unknown.
      Properties d;
      if (!devices->empty() && getAll(bus_, devices->front().c_str(), kDeviceIface, d)) {
        if (const std::string* name = find(d.texts, "IpInterface")) active.interface = *name;
      }
      break;  // the first one decides; the rest need not be read
    }
  }
  return judge(actives);
}

bool NmProbe::isConnected(std::string& failureCode) {
  const auto now = std::chrono::steady_clock::now();
  if (bus_ == nullptr && now >= retryAt_ && !connect()) retryAt_ = now + kRetryAfter;

  // Take in what has come since the last tick, without waiting for more.
  int r = 0;
  while (bus_ != nullptr && (r = sd_bus_process(bus_, nullptr)) > 0) {
  }
  if (bus_ != nullptr && r < 0) {
    disconnect();
    retryAt_ = now + kRetryAfter;
  }

  if (bus_ != nullptr && (dirty_ || (retryAsking_ && now >= retryAt_))) {
    dirty_ = false;
    answer_ = ask();
    if (sd_bus_is_open(bus_) <= 0) {
      disconnect();
      retryAt_ = now + kRetryAfter;
    }
    // A failed answer is asked again a little later; a manager that is not
    // running at all is asked again when its name appears.
    retryAsking_ = bus_ != nullptr && !answer_ && !absent_;
    if (retryAsking_) retryAt_ = now + kRetryAfter;
  }

  if (answer_ && answer_->found) {
    watched_ = answer_->watched;
    countedBy_ = answer_->connected ? Counted::Manager : Counted::Nothing;
    return answer_->connected;
  }
  // A manager that runs but lists no dial-up connection leaves raw-IP modems
  // to itself; a PPP line dialled beside it still counts.
  kernel_.countRawIp(!answer_);
  const bool connected = kernel_.isConnected(failureCode);
  watched_ = kernel_.watched();
  countedBy_ = Counted::Kernel;
  return connected;
}

std::optional<ByteCounters> NmProbe::counters() {
  if (countedBy_ == Counted::Kernel) return kernel_.counters();
  if (countedBy_ == Counted::Manager && answer_) return interfaceCounters("/sys/class/net", answer_->interface);
  return std::nullopt;
}

std::unique_ptr<ConnectionProbe> makeConnectionProbe() { return std::make_unique<NmProbe>(); }

}  // namespace tallix
