#include "analysis/report_json.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "analysis/cost.h"

namespace tallix {
namespace {

// The length of the valid UTF-8 sequence at `at`, or 0.
size_t utf8Length(std::string_view s, size_t at) {
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(s[i]); };
  const unsigned char lead = byte(at);
  size_t length = 0;
  unsigned least = 0;  // the smallest code point of that length, against overlong forms
  if (lead >= 0xC2 && lead <= 0xDF) length = 2, least = 0x80;
  else if (lead >= 0xE0 && lead <= 0xEF) length = 3, least = 0x800;
  else if (lead >= 0xF0 && lead <= 0xF4) length = 4, least = 0x10000;
  else return 0;
  if (at + length > s.size()) return 0;
  unsigned code = lead & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(at + i) & 0x3F);
  }
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return 0;
  return length;
}

std::string optionalStamp(const std::string& stored) { return stored.empty() ? "null" : jsonString(isoStamp(stored)); }

const char* truth(bool value) { return value ? "true" : "false"; }

template <class T>
std::string numberOrNull(const std::optional<T>& value) {
  return value ? std::to_string(*value) : "null";
}

}  // namespace

std::string csvField(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string jsonString(std::string_view s) {
  std::string out = "\"";
  for (size_t i = 0; i < s.size(); ++i) {
    const auto c = static_cast<unsigned char>(s[i]);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c < 0x20 || (c >= 0x80 && utf8Length(s, i) == 0)) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
      out += escaped;
    } else if (c >= 0x80) {
      const size_t length = utf8Length(s, i);
      out.append(s.substr(i, length));
      i += length - 1;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string volumeLine(VolumeReading::State state, const VolumeSum& v) {
  if (state == VolumeReading::State::Damaged) return "Total volume : unknown";
  std::string line = "Total volume =  ";
  if (v.unknown > 0) line += "at least ";
  line += bytesText(v.known.received) + " received, " + bytesText(v.known.sent) + " sent";
  if (v.unknown > 0)
    line += " (" + std::to_string(v.unknown) + (v.unknown == 1 ? " connection" : " connections") + " unknown)";
  return line;
}

void writeUsageJson(std::ostream& out, const std::string& file, const LogUsage& usage,
                    const std::optional<Tariff>& tariff, const std::optional<Outlook>& outlook,
                    const std::optional<VolumeOutlook>& volumeOutlook) {
  const LogLoad& t = usage.load;
  const bool costs = tariff && usage.cost;
  // Under a tariff that prices volume, whether each cost is known in full.
  const bool volumePriced = costs && tariff->pricesVolume();
  out << "{\"file\": " << jsonString(file) << ", \"from\": " << jsonString(isoDate(t.from))
      << ", \"to\": " << jsonString(isoDate(t.to)) << ", \"created\": " << jsonString(isoDate(t.created))
      << ", \"first_record\": " << optionalStamp(t.first) << ", \"last_record\": " << optionalStamp(t.last)
      << ", \"part_minute\": " << truth(usage.partMinute) << ", \"total_seconds\": " << usage.totalSeconds()
      << ", \"total_shown\": " << jsonString(usage.totalShown()) << ", \"complete\": " << truth(usage.complete())
      << ", ";
  if (costs) {
    out << "\"currency\": " << jsonString(tariff->currency) << ", \"cost\": " << centsText(usage.cost->totalCents)
        << ", ";
    if (volumePriced) out << "\"cost_at_least\": " << truth(usage.cost->totalAtLeast) << ", ";
  }
  if (outlook)
    out << "\"forecast_seconds\": " << numberOrNull(outlook->forecastSeconds)
        << ", \"allowance_seconds_per_day\": " << numberOrNull(outlook->allowanceSecondsPerDay) << ", ";
  if (volumeOutlook)
    out << "\"volume_allowance_bytes\": " << numberOrNull(volumeOutlook->allowanceBytes)
        << ", \"volume_forecast_bytes\": " << numberOrNull(volumeOutlook->forecastBytes) << ", ";
  // Each connection's volume where its volume file has it; the sums count
  // only the known ones, and volume_complete tells whether that is all.
  const bool volumes = usage.hasVolumeFile();
  if (volumes) {
    const VolumeSum& sum = usage.volume;
    out << "\"rx_bytes\": " << sum.known.received << ", \"tx_bytes\": " << sum.known.sent
        << ", \"volume_complete\": " << truth(usage.volumeState == VolumeReading::State::Read && sum.unknown == 0)
        << ", ";
    if (usage.volumeState == VolumeReading::State::Damaged)
      out << "\"volume_problem\": " << jsonString(usage.volumeProblem) << ", ";
  }
  out << "\"abandoned\": [";
  const std::vector<std::string>& abandoned = usage.load.pairs.abandoned;
  for (size_t i = 0; i < abandoned.size(); ++i) out << (i ? ", " : "") << jsonString(abandoned[i]);
  out << "], \"connections\": [";
  for (size_t i = 0; i < usage.connections.size(); ++i) {
    const UsageConnection& c = usage.connections[i];
    out << (i ? ", " : "") << "{\"start_record\": " << c.startRecord << ", \"start\": "
        << jsonString(isoStamp(usage.startStamp(c))) << ", \"end\": " << jsonString(isoStamp(usage.endStamp(c)))
        << ", \"seconds\": " << c.seconds;
    if (costs) out << ", \"cost\": " << centsText(usage.cost->cents[i]);
    if (volumePriced) out << ", \"cost_at_least\": " << truth(usage.cost->costAtLeast(i));
    if (volumes) {
      const std::optional<Volume>& v = usage.volumes[i];
      if (v) {
        out << ", \"rx_bytes\": " << v->received << ", \"tx_bytes\": " << v->sent;
      } else {
        out << ", \"rx_bytes\": null, \"tx_bytes\": null";
      }
    }
    out << "}";
  }
  out << "]}";
}

void writePerDay(std::ostream& out, DayForm form, const std::string& file, const LogUsage& usage, bool volumeColumns) {
  const DaySplit& split = usage.days;
  const bool volumes = usage.hasVolumeFile();
  // The undated connections are told when they have time, or volume.
  const bool undated = split.undatedSeconds != 0 || split.undatedVolume != VolumeSum{};
  // " received sent unknown" in the text, ",received,sent,unknown" in CSV.
  auto volumeFields = [&](const VolumeSum& v, char separator) {
    if (volumes) {
      out << separator << v.known.received << separator << v.known.sent << separator << v.unknown;
    } else if (volumeColumns && separator == ',') {
      out << ",,,";
    }
  };
  switch (form) {
    case DayForm::Text:
      for (const DayUsage& d : split.days) {
        out << isoDate(d.day) << ' ' << d.seconds;
        volumeFields(d.volume, ' ');
        out << '\n';
      }
      if (undated) {
        out << "undated " << split.undatedSeconds;
        volumeFields(split.undatedVolume, ' ');
        out << '\n';
      }
      break;
    case DayForm::Csv:
      for (const DayUsage& d : split.days) {
        out << csvField(file) << ',' << isoDate(d.day) << ',' << d.seconds;
        volumeFields(d.volume, ',');
        out << '\n';
      }
      if (undated) {
        out << csvField(file) << ",undated," << split.undatedSeconds;
        volumeFields(split.undatedVolume, ',');
        out << '\n';
      }
      break;
    case DayForm::Json:
      out << "{\"file\": " << jsonString(file) << ", \"part_minute\": " << truth(usage.partMinute)
          << ", \"total_seconds\": " << usage.totalSeconds() << ", \"complete\": " << truth(usage.complete())
          << ", \"days\": [";
      for (size_t i = 0; i < split.days.size(); ++i) {
        const DayUsage& d = split.days[i];
        out << (i ? ", " : "") << "{\"date\": \"" << isoDate(d.day) << "\", \"seconds\": " << d.seconds;
        if (volumes)
          out << ", \"rx_bytes\": " << d.volume.known.received << ", \"tx_bytes\": " << d.volume.known.sent
              << ", \"volume_unknown\": " << d.volume.unknown;
        out << "}";
      }
      out << "], \"undated_seconds\": " << split.undatedSeconds;
      if (volumes)
        out << ", \"undated_rx_bytes\": " << split.undatedVolume.known.received
            << ", \"undated_tx_bytes\": " << split.undatedVolume.known.sent
            << ", \"undated_volume_unknown\": " << split.undatedVolume.unknown;
      out << "}";
      break;
  }
}

}  // namespace tallix
