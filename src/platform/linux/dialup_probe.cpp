#include "platform/linux/dialup_probe.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <utility>

namespace tallix {
namespace {

constexpr long kLinkTypePpp = 512;  // ARPHRD_PPP
constexpr long kLinkTypeNone = 65534;  // ARPHRD_NONE: raw IP, as a mobile-broadband modem's wwan0
constexpr unsigned long kInterfaceUp = 0x1;  // IFF_UP

// The first few bytes of a small sysfs file, or nothing when it cannot be
// read (a down interface refuses to tell its carrier, for one).
std::optional<std::string> readSmallFile(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  char buffer[64];
  const ssize_t got = ::read(fd, buffer, sizeof buffer);
  ::close(fd);
  if (got < 0) return std::nullopt;
  return std::string(buffer, static_cast<size_t>(got));
}

std::string_view trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\n' || c == '\t' || c == '\r'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  while (!text.empty() && blank(text.back())) text.remove_suffix(1);
  return text;
}

// The whole file as one number in the given base (0: "0x" means hex).
std::optional<unsigned long long> numberIn(const std::string& path, int base) {
  const std::optional<std::string> content = readSmallFile(path);
  if (!content) return std::nullopt;
  const std::string text(trimmed(*content));
  if (text.empty() || text.front() == '-' || text.front() == '+') return std::nullopt;
  errno = 0;
  char* end = nullptr;
  const unsigned long long value = std::strtoull(text.c_str(), &end, base);
  if (errno != 0 || end != text.c_str() + text.size()) return std::nullopt;
  return value;
}

DialupProbe::Kind kindOf(const std::string& folder, std::string_view name) {
  if (name.substr(0, 3) == "ppp") return DialupProbe::Kind::Ppp;
  const std::optional<unsigned long long> type = numberIn(folder + "type", 10);
  if (type && *type == kLinkTypePpp) return DialupProbe::Kind::Ppp;
  // A tunnel or a VPN is raw IP too: only a modem's wwan name counts.
  if (type && *type == kLinkTypeNone && name.substr(0, 4) == "wwan") return DialupProbe::Kind::RawIp;
  return DialupProbe::Kind::None;
}

}  // namespace

DialupProbe::DialupProbe(std::string root) : root_(std::move(root)) {
  if (root_.empty() || root_.back() != '/') root_.push_back('/');
}

bool DialupProbe::isConnected(std::string& failureCode) {
  DIR* listing = ::opendir(root_.c_str());
  if (listing == nullptr) {
    failureCode = std::to_string(errno != 0 ? errno : EIO);
    return false;
  }
  // The dial-up interface with the lowest index, ties broken by name.
  std::string first;
  unsigned long long firstIndex = ULONG_MAX;
  bool found = false;
  std::map<std::string, Kind, std::less<>> listed;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string_view name(entry->d_name);
    if (name.empty() || name.front() == '.') continue;
    const std::string folder = root_ + std::string(name) + "/";
    const auto known = dialup_.find(name);
    const Kind kind = known != dialup_.end() ? known->second : kindOf(folder, name);
    listed.emplace(std::string(name), kind);
    if (kind == Kind::None || (kind == Kind::RawIp && !rawIpCounted_)) continue;
    const unsigned long long index = numberIn(folder + "ifindex", 10).value_or(ULONG_MAX);
    if (!found || index < firstIndex || (index == firstIndex && name < first)) {
      first = std::string(name);
      firstIndex = index;
      found = true;
    }
  }
  ::closedir(listing);
  dialup_ = std::move(listed);  // a vanished interface is forgotten
  watched_ = found ? watchingInterface(first) : std::string(kNoDialupFound);
  connected_.clear();
  if (!found) return false;

  const std::string folder = root_ + first + "/";
  const std::optional<unsigned long long> flags = numberIn(folder + "flags", 0);
  if (!flags || (*flags & kInterfaceUp) == 0) return false;
  const std::optional<std::string> carrier = readSmallFile(folder + "carrier");
  if (!carrier || trimmed(*carrier) != "1") return false;
  connected_ = first;
  return true;
}

std::optional<ByteCounters> DialupProbe::counters() {
  if (connected_.empty()) return std::nullopt;
  return interfaceCounters(root_, connected_);
}

std::optional<ByteCounters> interfaceCounters(const std::string& root, const std::string& name) {
  // A name from elsewhere (the network manager's) must stay one folder.
  if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") return std::nullopt;
  std::string folder = root;
  if (folder.empty() || folder.back() != '/') folder.push_back('/');
  folder += name + "/statistics/";
  const std::optional<unsigned long long> received = numberIn(folder + "rx_bytes", 10);
  const std::optional<unsigned long long> sent = numberIn(folder + "tx_bytes", 10);
  if (!received || !sent) return std::nullopt;
  return ByteCounters{*received, *sent, name};
}


}  // namespace tallix
