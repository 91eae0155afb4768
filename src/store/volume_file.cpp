#include "store/volume_file.h"

#include <algorithm>
#include <array>
#include <bit>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <map>

#include "store/digit_groups.h"

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define TALLIX_FOLDED_CRC 1
#else
#define TALLIX_FOLDED_CRC 0
#endif

#include "store/file_system.h"
#include "store/record_file.h"

// The steps of reading a line, made part of the loop over the lines.
#if defined(__GNUC__) || defined(__clang__)
#define TALLIX_INLINE [[gnu::always_inline]] inline
#else
#define TALLIX_INLINE inline
#endif

namespace tallix {
namespace {

constexpr std::string_view kHeading = "tallix volume ";
constexpr int kVersion = 1;
constexpr std::string_view kCheck = "check ";
constexpr std::ptrdiff_t kCheckLineLength = 15;  // "check 238e8606" and its end
constexpr size_t kStartTimeLength = 17;  // "yy/mm/dd hh:mm:ss"

using CrcTables = std::array<std::array<std::uint32_t, 256>, 4>;

// Table k holds the effect of a byte followed by k zero bytes.
const CrcTables& crcTables() {
  static const CrcTables tables = [] {
    CrcTables t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[0][i] = c;
    }
    for (std::uint32_t i = 0; i < 256; ++i)
      for (size_t k = 1; k < 4; ++k) t[k][i] = t[0][t[k - 1][i] & 0xFFu] ^ (t[k - 1][i] >> 8);
    return t;
  }();
  return tables;
}

// The CRC register `c` carried over `bytes`, four bytes a step.
std::uint32_t crcByTables(std::uint32_t c, std::string_view bytes) {
  const CrcTables& tables = crcTables();
  auto byte = [&bytes](size_t i) { return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[i])); };
  size_t i = 0;
  for (; i + 4 <= bytes.size(); i += 4) {
    c ^= byte(i) | byte(i + 1) << 8 | byte(i + 2) << 16 | byte(i + 3) << 24;
    c = tables[3][c & 0xFFu] ^ tables[2][(c >> 8) & 0xFFu] ^ tables[1][(c >> 16) & 0xFFu] ^ tables[0][c >> 24];
  }
  for (; i < bytes.size(); ++i) c = tables[0][(c ^ byte(i)) & 0xFFu] ^ (c >> 8);
  return c;
}

#if TALLIX_FOLDED_CRC
// On a processor that multiplies without carries, the register is carried
// over 64 bytes a step by folding: four 16-byte lanes, each multiplied by a
// constant that moves it 64 bytes on, are added (xor) to the next 64 bytes;
// the lanes are then folded into one and reduced to 32 bits. The constants
// are powers of x modulo the CRC's polynomial, bit-reversed as the CRC is.
// A long period's volume file is then checked in a small part of the time
// the tables take. `size` is at least 64 and a multiple of 16.
__attribute__((target("pclmul,sse2"))) inline __m128i foldLane(__m128i lane, __m128i by, __m128i next) {
  return _mm_xor_si128(_mm_xor_si128(_mm_clmulepi64_si128(lane, by, 0x00), _mm_clmulepi64_si128(lane, by, 0x11)), next);
}

__attribute__((target("pclmul,sse2"))) std::uint32_t crcByFolding(std::uint32_t c, const char* at, size_t size) {
  const __m128i by64 = _mm_set_epi64x(0x01c6e41596, 0x0154442bd4);
  const __m128i by16 = _mm_set_epi64x(0x00ccaa009e, 0x01751997d0);
  const __m128i by4 = _mm_set_epi64x(0, 0x0163cd6124);
  const __m128i polynomial = _mm_set_epi64x(0x01f7011641, 0x01db710641);
  auto load = [](const char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); };
  __m128i x1 = _mm_xor_si128(load(at), _mm_cvtsi32_si128(static_cast<int>(c)));
  __m128i x2 = load(at + 16);
  __m128i x3 = load(at + 32);
  __m128i x4 = load(at + 48);
  at += 64;
  size -= 64;
  for (; size >= 64; at += 64, size -= 64) {
    x1 = foldLane(x1, by64, load(at));
    x2 = foldLane(x2, by64, load(at + 16));
    x3 = foldLane(x3, by64, load(at + 32));
    x4 = foldLane(x4, by64, load(at + 48));
  }
  x1 = foldLane(foldLane(foldLane(x1, by16, x2), by16, x3), by16, x4);
  for (; size >= 16; at += 16, size -= 16) x1 = foldLane(x1, by16, load(at));
  // 128 bits to 64, then Barrett's reduction to 32.
  const __m128i low32 = _mm_setr_epi32(~0, 0, ~0, 0);
  x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), _mm_clmulepi64_si128(x1, by16, 0x10));
  x1 = _mm_xor_si128(_mm_clmulepi64_si128(_mm_and_si128(x1, low32), by4, 0x00), _mm_srli_si128(x1, 4));
  __m128i quotient = _mm_clmulepi64_si128(_mm_and_si128(x1, low32), polynomial, 0x10);
  quotient = _mm_clmulepi64_si128(_mm_and_si128(quotient, low32), polynomial, 0x00);
  x1 = _mm_xor_si128(x1, quotient);
  return static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(x1, 4)));
}

bool canFold() {
  static const bool can = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("pclmul") != 0;
  }();
  return can;
}
#endif

// The common CRC-32.
std::uint32_t crc32(std::string_view bytes) {
  std::uint32_t c = 0xFFFFFFFFu;
#if TALLIX_FOLDED_CRC
  if (bytes.size() >= 64 && canFold()) {
    const size_t folded = bytes.size() & ~size_t{15};
    c = crcByFolding(c, bytes.data(), folded);
    bytes.remove_prefix(folded);
  }
#endif
  return crcByTables(c, bytes) ^ 0xFFFFFFFFu;
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

// A line as read: its volume, and where its start time stands from its start.
struct Line {
  Volume volume;
  size_t timeAt = 0;
};

// Eight digits' values (0 to 9), the first in the lowest byte, as one number.
TALLIX_INLINE std::uint64_t eightDigits(std::uint64_t digits) {
  digits = digits * 2561 >> 8;                                      // 10 * a + b in every byte
  digits = (digits & 0x00FF'00FF'00FF'00FFULL) * 6553601 >> 16;     // 100 * ab + cd in every 16 bits
  return (digits & 0x0000'FFFF'0000'FFFFULL) * 42949672960001 >> 32;  // 10000 * abcd + efgh
}

// The digits that begin the eight bytes at `p`: how many (0 to 8), and
// their value (0 for none).
TALLIX_INLINE int digitsOfEight(const char* p, std::uint64_t& value) {
  const std::uint64_t word = eightBytes(p);
  const std::uint64_t digits = word - 0x3030'3030'3030'3030ULL;
  // A byte below '0' borrows, one above '9' carries into its top bit; the
  // bytes above the first such one are not looked at.
  const std::uint64_t stops = (digits | (word + 0x4646'4646'4646'4646ULL)) & 0x8080'8080'8080'8080ULL;
  const int count = stops == 0 ? 8 : std::countr_zero(stops) / 8;
  value = count == 0 ? 0 : eightDigits(digits << (64 - 8 * count));
  return count;
}

// A count of 1 to 15 digits at `p`: where it ends, with its value; nullptr
// for none or a longer one (which anyLine() reads).
TALLIX_INLINE const char* shortCount(const char* p, std::uint64_t& value) {
  static constexpr std::array<std::uint64_t, 8> kTens = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000};
  const int count = digitsOfEight(p, value);
  if (count < 8) return count == 0 ? nullptr : p + count;
  std::uint64_t more = 0;
  const int further = digitsOfEight(p + 8, more);
  if (further == 8) return nullptr;
  value = value * kTens[static_cast<size_t>(further)] + more;
  return p + 8 + further;
}

// How far past a line's first byte usualLine() may read: 7 digits, a
// blank, the time and a blank, and two counts of 15 digits with a blank,
// each read in eight-byte steps.
constexpr std::ptrdiff_t kUsualReach = 64;

// A line in the form this program writes, read in place: its start
// record's number (up to 7 digits), one blank, "yy/mm/dd hh:mm:ss", one
// blank and the two counts (up to 15 digits) between single blanks. Its length to its line end; 0 for any other line, which
// anyLine() then reads (a line read here is one that anyLine() reads the
// same). Every byte up to the line end is looked at, so it never runs past
// a line end; it reads up to kUsualReach bytes from `at`.
TALLIX_INLINE size_t usualLine(const char* at, long& record, Line& line) {
  constexpr size_t kTime = kStartTimeLength;
  std::uint64_t number = 0;
  const int digits = digitsOfEight(at, number);
  const char* p = at + digits;
  if (digits == 0 || digits == 8 || number < 3 || *p != ' ') return 0;
  const char* time = p + 1;
  constexpr std::uint64_t kSeparators = ~kDigitPlaces;
  const std::uint64_t date = eightBytes(time);
  const std::uint64_t clock = eightBytes(time + 9);
  if (notDigits(date & kDigitPlaces) != 0 || notDigits(clock & kDigitPlaces) != 0 ||
      (date & kSeparators) != (0x2F2F'2F2F'2F2F'2F2FULL & kSeparators) ||
      (clock & kSeparators) != (0x3A3A'3A3A'3A3A'3A3AULL & kSeparators) || time[8] != ' ' || time[kTime] != ' ')
    return 0;
  p = shortCount(time + kTime + 1, line.volume.received);
  if (p == nullptr || *p != ' ') return 0;
  p = shortCount(p + 1, line.volume.sent);
  if (p == nullptr || *p != '\n') return 0;
  record = static_cast<long>(number);
  line.timeAt = static_cast<size_t>(time - at);
  return static_cast<size_t>(p - at);
}

// Any line: five words between blanks (any number of them), the start
// record's number from 3, the start time in two words, and the two counts.
// The two words of the time are put together in place, so that the time
// stands as 17 characters in the text.
bool anyLine(char* at, const char* end, long& record, Line& line) {
  std::array<std::string_view, 5> w;
  if (!words({at, static_cast<size_t>(end - at)}, w) || !wholeNumber(w[0], record) || record < 3 ||
      !wholeNumber(w[3], line.volume.received) || !wholeNumber(w[4], line.volume.sent) ||
      w[1].size() + 1 + w[2].size() != kStartTimeLength)
    return false;
  std::array<char, kStartTimeLength> time;
  std::copy(w[1].begin(), w[1].end(), time.begin());
  time[w[1].size()] = ' ';
  std::copy(w[2].begin(), w[2].end(), time.begin() + static_cast<std::ptrdiff_t>(w[1].size()) + 1);
  if (!plausibleStartTime({time.data(), time.size()})) return false;
  // The second word stands after the first and a blank at least, so the
  // time fits where they stand.
  const auto timeAt = static_cast<size_t>(w[1].data() - at);
  std::copy(time.begin(), time.end(), at + timeAt);
  line.timeAt = timeAt;
  return true;
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

VolumeReading::State readVolumeText(std::span<char> whole, std::string& problem, const VolumeLineTaker& take) {
  auto damaged = [&problem](std::string why) {
    problem = std::move(why);
    return VolumeReading::State::Damaged;
  };
  char* const text = whole.data();
  const std::string_view all(text, whole.size());
  // The check line is the last; everything before it is what it checks.
  if (all.size() < 2 || all.back() != '\n') return damaged("it ends in the middle of a line");
  const size_t lastStart = all.rfind('\n', all.size() - 2);
  const size_t checkAt = lastStart == std::string_view::npos ? 0 : lastStart + 1;
  const std::string_view body = all.substr(0, checkAt);
  const std::string_view checkLine = all.substr(checkAt, all.size() - 1 - checkAt);

  const size_t firstEnd = all.find('\n');
  const std::string_view heading = all.substr(0, firstEnd);
  int version = 0;
  if (!heading.starts_with(kHeading) || !wholeNumber(heading.substr(kHeading.size()), version))
    return damaged("it is not a volume file");
  if (version > kVersion) return damaged("it was written by a newer version of Tallix");
  if (version < 1 || checkAt == 0) return damaged("it is not a volume file");
  if (!checkLine.starts_with(kCheck) || checkLine.substr(kCheck.size()) != hex8(crc32(body)))
    return damaged("its check sum does not match its content");

  char* at = text + firstEnd + 1;
  char* const end = text + checkAt;  // the body ends with a line end
  long previous = 0;
  bool first = true;
  int lineNumber = 1;
  while (at < end) {
    ++lineNumber;
    long record = 0;
    Line line;
    // The check line follows the body, so a line that starts far enough
    // before its end can be read in place without looking for its end.
    size_t length = end - at >= kUsualReach - kCheckLineLength ? usualLine(at, record, line) : 0;
    if (length == 0) {
      length = static_cast<size_t>(static_cast<char*>(std::memchr(at, '\n', static_cast<size_t>(end - at))) - at);
      if (!anyLine(at, at + length, record, line))
        return damaged("line " + std::to_string(lineNumber) + " is not a connection's volume");
    }
    if (!first && previous >= record) return damaged("line " + std::to_string(lineNumber) + " is out of order");
    previous = record;
    first = false;
    take(record, {at + line.timeAt, kStartTimeLength}, line.volume);
    at += length + 1;
  }
  return VolumeReading::State::Read;
}

VolumeReading::State readVolumeFileLines(const std::string& recordFile, std::unique_ptr<char[]>& text,
                                         std::string& problem, const VolumeLineTaker& take) {
  const std::string path = volumeFileOf(recordFile);
  if (!fileExists(path)) return VolumeReading::State::Missing;
  size_t size = 0;
  auto room = [&text, &size](size_t length) {
    text = std::make_unique_for_overwrite<char[]>(length);
    size = length;
    return text.get();
  };
  PendingError error;
  long long length = 0;
  if (!readWholeFile(path, room, error, kLongestVolumeFile, &length)) {
    problem = "it cannot be read: " + error.description;
    return VolumeReading::State::Damaged;
  }
  if (length > kLongestVolumeFile) {
    problem = "it is too long";
    return VolumeReading::State::Damaged;
  }
  return readVolumeText({text.get(), size}, problem, take);
}

namespace {

// Keeps each line in `reading`, its start time as a text.
VolumeLineTaker keepingIn(VolumeReading& reading) {
  return [&reading](long record, std::string_view time, const Volume& v) {
    reading.connections.push_back({record, std::string(time), v});
  };
}

// The whole reading: each line kept, none of a file that is not whole.
VolumeReading readingOf(std::span<char> text) {
  VolumeReading reading;
  reading.state = readVolumeText(text, reading.problem, keepingIn(reading));
  if (reading.state != VolumeReading::State::Read) reading.connections = {};
  return reading;
}

}  // namespace

VolumeReading parseVolumeText(std::string_view text) {
  auto copy = std::make_unique_for_overwrite<char[]>(text.size());
  std::copy(text.begin(), text.end(), copy.get());
  return readingOf({copy.get(), text.size()});
}

VolumeReading readVolumeFile(const std::string& recordFile) {
  VolumeReading reading;
  std::unique_ptr<char[]> text;
  reading.state = readVolumeFileLines(recordFile, text, reading.problem, keepingIn(reading));
  if (reading.state != VolumeReading::State::Read) reading.connections = {};
  return reading;
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
