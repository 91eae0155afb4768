#include "store/volume_file.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdio>
#include <map>

#include "store/file_system.h"
#include "store/record_file.h"

namespace tallix {
namespace {

constexpr std::string_view kHeading = "tallix volume ";
constexpr int kVersion = 1;
constexpr std::string_view kCheck = "check ";
constexpr size_t kStartTimeLength = 17;  // "yy/mm/dd hh:mm:ss"

// The common CRC-32, four bytes a step: table k holds the effect of a byte
// followed by k zero bytes, so a long period's file is checked in a fraction
// of the time a byte a step takes.
std::uint32_t crc32(std::string_view bytes) {
  using Tables = std::array<std::array<std::uint32_t, 256>, 4>;
  static const Tables tables = [] {
    Tables t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[0][i] = c;
    }
    for (std::uint32_t i = 0; i < 256; ++i)
      for (size_t k = 1; k < 4; ++k) t[k][i] = t[0][t[k - 1][i] & 0xFFu] ^ (t[k - 1][i] >> 8);
    return t;
  }();
  auto byte = [&bytes](size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])); };
  std::uint32_t c = 0xFFFFFFFFu;
  size_t i = 0;
  for (; i + 4 <= bytes.size(); i += 4) {
    c ^= byte(i) | byte(i + 1) << 8 | byte(i + 2) << 16 | byte(i + 3) << 24;
    c = tables[3][c & 0xFFu] ^ tables[2][(c >> 8) & 0xFFu] ^ tables[1][(c >> 16) & 0xFFu] ^ tables[0][c >> 24];
  }
  for (; i < bytes.size(); ++i) c = tables[0][(c ^ byte(i)) & 0xFFu] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

std::string hex8(std::uint32_t value) {
  char text[9];
  std::snprintf(text, sizeof text, "%08x", value);
  return text;
}

// A whole decimal number, digits only.
template <typename T>
bool wholeNumber(std::string_view text, T& value) {
  if (text.empty() || text.size() > 20) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  const auto [end, code] = std::from_chars(text.data(), text.data() + text.size(), value);
  return code == std::errc() && end == text.data() + text.size();
}

// The words of a line between blanks: false when there are not exactly `count`.
template <size_t count>
bool words(std::string_view line, std::array<std::string_view, count>& out) {
  size_t found = 0;
  size_t at = 0;
  while (at < line.size()) {
    if (line[at] == ' ') {
      ++at;
      continue;
    }
    size_t end = at;
    while (end < line.size() && line[end] != ' ') ++end;
    if (found == count) return false;
    out[found++] = line.substr(at, end - at);
    at = end;
  }
  return found == count;
}

bool plausibleStartTime(std::string_view t) {
  if (t.size() != kStartTimeLength) return false;
  for (size_t i = 0; i < t.size(); ++i) {
    const bool separator = i == 2 || i == 5 || i == 8 || i == 11 || i == 14;
    if (separator != !(t[i] >= '0' && t[i] <= '9')) return false;
  }
  return true;
}

VolumeReading damaged(std::string problem) {
  VolumeReading reading;
  reading.state = VolumeReading::State::Damaged;
  reading.problem = std::move(problem);
  return reading;
}

}  // namespace

std::string volumeFileOf(std::string_view recordFile) { return std::string(recordFile) + std::string(kVolumeSuffix); }

std::string volumeText(const std::vector<ConnectionVolume>& connections) {
  std::map<long, const ConnectionVolume*> ordered;
  for (const ConnectionVolume& c : connections) ordered[c.startRecord] = &c;
  std::string text = std::string(kHeading) + std::to_string(kVersion) + "\n";
  for (const auto& [record, c] : ordered) {
    text += std::to_string(record) + " " + c->startTime + " " + std::to_string(c->volume.received) + " " +
            std::to_string(c->volume.sent) + "\n";
  }
  return text + volumeCheckLine(text);
}

std::string volumeCheckLine(std::string_view body) { return std::string(kCheck) + hex8(crc32(body)) + "\n"; }

VolumeReading parseVolumeText(std::string_view text) {
  // The check line is the last; everything before it is what it checks.
  if (text.size() < 2 || text.back() != '\n') return damaged("it ends in the middle of a line");
  const size_t lastStart = text.rfind('\n', text.size() - 2);
  const size_t checkAt = lastStart == std::string_view::npos ? 0 : lastStart + 1;
  const std::string_view body = text.substr(0, checkAt);
  const std::string_view checkLine = text.substr(checkAt, text.size() - 1 - checkAt);

  const size_t firstEnd = text.find('\n');
  const std::string_view heading = text.substr(0, firstEnd);
  int version = 0;
  if (!heading.starts_with(kHeading) || !wholeNumber(heading.substr(kHeading.size()), version))
    return damaged("it is not a volume file");
  if (version > kVersion) return damaged("it was written by a newer version of Tallix");
  if (version < 1 || checkAt == 0) return damaged("it is not a volume file");
  if (std::string(checkLine) + "\n" != volumeCheckLine(body))
    return damaged("its check sum does not match its content");

  VolumeReading reading;
  reading.state = VolumeReading::State::Read;
  std::string_view rest = body.substr(firstEnd + 1);
  int lineNumber = 1;
  while (!rest.empty()) {
    ++lineNumber;
    const size_t end = rest.find('\n');
    std::array<std::string_view, 5> w;
    const bool five = words(rest.substr(0, end), w);
    rest.remove_prefix(end + 1);
    ConnectionVolume c;
    if (!five || !wholeNumber(w[0], c.startRecord) || c.startRecord < 3 ||
        !wholeNumber(w[3], c.volume.received) || !wholeNumber(w[4], c.volume.sent))
      return damaged("line " + std::to_string(lineNumber) + " is not a connection's volume");
    c.startTime.reserve(w[1].size() + 1 + w[2].size());
    c.startTime.append(w[1]).append(" ").append(w[2]);
    if (!plausibleStartTime(c.startTime))
      return damaged("line " + std::to_string(lineNumber) + " is not a connection's volume");
    if (!reading.connections.empty() && reading.connections.back().startRecord >= c.startRecord)
      return damaged("line " + std::to_string(lineNumber) + " is out of order");
    reading.connections.push_back(std::move(c));
  }
  return reading;
}

VolumeReading readVolumeFile(const std::string& recordFile) {
  const std::string path = volumeFileOf(recordFile);
  if (!fileExists(path)) return {};
  std::string text;
  PendingError error;
  long long length = 0;
  if (!readWholeFile(path, text, error, kLongestVolumeFile, &length))
    return damaged("it cannot be read: " + error.description);
  if (length > kLongestVolumeFile) return damaged("it is too long");
  return parseVolumeText(text);
}

std::optional<Volume> volumeOf(const VolumeReading& reading, long startRecord, std::string_view startRecordText) {
  // Positions 10-26 of a start record hold its time.
  if (startRecordText.size() < 9 + kStartTimeLength) return std::nullopt;
  return volumeAt(reading, startRecord, startRecordText.substr(9, kStartTimeLength));
}

std::optional<Volume> volumeAt(const VolumeReading& reading, long startRecord, std::string_view time) {
  const auto at = std::lower_bound(reading.connections.begin(), reading.connections.end(), startRecord,
                                   [](const ConnectionVolume& c, long n) { return c.startRecord < n; });
  if (at == reading.connections.end() || at->startRecord != startRecord || at->startTime != time) return std::nullopt;
  return at->volume;
}

bool recordConnectionVolume(const std::string& recordFile, const ConnectionVolume& connection, PendingError& error) {
  VolumeReading reading = readVolumeFile(recordFile);
  std::vector<ConnectionVolume> kept = std::move(reading.connections);
  kept.push_back(connection);
  return writeWholeFile(volumeFileOf(recordFile), volumeText(kept), error);
}

bool moveVolumeFile(const std::string& from, const std::string& to, PendingError& error) {
  const std::string target = volumeFileOf(to);
  if (fileExists(target) && !deleteFile(target, error)) return false;
  const std::string source = volumeFileOf(from);
  return !fileExists(source) || renameFile(source, target, error);
}

bool copyVolumeFile(const std::string& from, const std::string& to, PendingError& error) {
  const std::string source = volumeFileOf(from);
  if (fileExists(source)) return copyFile(source, volumeFileOf(to), error);
  return deleteVolumeFile(to, error);
}

bool deleteVolumeFile(const std::string& recordFile, PendingError& error) {
  const std::string path = volumeFileOf(recordFile);
  return !fileExists(path) || deleteFile(path, error);
}

std::string bytesText(std::uint64_t bytes) {
  if (bytes < 1000) return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
  constexpr std::array<std::string_view, 5> kUnits = {"kB", "MB", "GB", "TB", "PB"};
  std::uint64_t unit = 1000;
  for (size_t i = 0; i < kUnits.size(); ++i, unit *= 1000) {
    // Tenths of the unit, rounded half up; 999.95 kB is 1.0 MB, not 1000.0 kB.
    const std::uint64_t tenths = bytes / unit * 10 + (bytes % unit * 10 + unit / 2) / unit;
    if (tenths < 10000 || i + 1 == kUnits.size())
      return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " " + std::string(kUnits[i]);
  }
  return {};
}

}  // namespace tallix
