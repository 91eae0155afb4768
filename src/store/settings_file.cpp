#include "store/settings_file.h"

#include "store/record_file.h"

namespace tallix {

std::string encodeSettingsRecord(const SettingsRecord& record) {
  std::string bytes = record.label.substr(0, kSettingsLabelLength);
  bytes.resize(kSettingsLabelLength, ' ');
  auto put16 = [&bytes](std::int16_t value) {
    auto u = static_cast<std::uint16_t>(value);
    bytes.push_back(static_cast<char>(u & 0xFF));
    bytes.push_back(static_cast<char>(u >> 8));
  };
  put16(record.value1);
  put16(record.value2);
  bytes.resize(static_cast<size_t>(kSettingsRecordLength), '\0');
  return bytes;
}

SettingsRecord decodeSettingsRecord(const std::string& bytes) {
  std::string padded = bytes;
  padded.resize(static_cast<size_t>(kSettingsRecordLength), '\0');
  SettingsRecord record;
  record.label = padded.substr(0, kSettingsLabelLength);
  auto get16 = [&padded](size_t at) {
    auto lo = static_cast<std::uint16_t>(static_cast<unsigned char>(padded[at]));
    auto hi = static_cast<std::uint16_t>(static_cast<unsigned char>(padded[at + 1]));
    return static_cast<std::int16_t>(static_cast<std::uint16_t>(lo | (hi << 8)));
  };
  record.value1 = get16(kSettingsLabelLength);
  record.value2 = get16(kSettingsLabelLength + 2);
  return record;
}

bool readSettingsRecord(const std::string& path, long n, SettingsRecord& record, PendingError& error) {
  RecordFile file(path, kSettingsRecordLength, error, '\0');
  std::string bytes;
  bool ok = file.read(n, bytes);
  ok = file.close() && ok;
  if (ok) record = decodeSettingsRecord(bytes);
  return ok;
}

bool writeSettingsRecord(const std::string& path, long n, const SettingsRecord& record, PendingError& error) {
  RecordFile file(path, kSettingsRecordLength, error, '\0');
  bool ok = file.write(n, encodeSettingsRecord(record));
  return file.close() && ok;
}

}  // namespace tallix
