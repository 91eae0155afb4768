// Reads the three two-digit fields of an eight-character group laid out as
// "dd?dd?dd" ("hh:mm:ss", "yy/mm/dd") in one go: a log holds tens of
// thousands of them, and reading them a character at a time is most of the
// cost of totalling it. Reading the numbers does not look at the characters
// between the fields; separatedBy() checks them where a reader needs that.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace tallix {

struct DigitGroup {
  int first = 0;
  int second = 0;
  int third = 0;
};

// The eight bytes at `at`, the first in the lowest byte.
inline std::uint64_t eightBytes(const char* at) {
  std::uint64_t word = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&word, at, sizeof word);
  } else {
    for (int i = 7; i >= 0; --i) word = word << 8 | static_cast<unsigned char>(at[i]);
  }
  return word;
}

inline constexpr std::uint64_t kDigitPlaces = 0xFFFF'00FF'FF00'FFFFULL;  // bytes 0-1, 3-4, 6-7

// The group's digits paired up: its three numbers in bytes 0, 3 and 6 (the
// other bytes hold nothing of use), or false when any of its six digit
// places holds something other than a digit.
inline bool digitPairs(const char* at, std::uint64_t& pairs) {
  constexpr std::uint64_t kZeros = 0x3030'3030'3030'3030ULL & kDigitPlaces;
  constexpr std::uint64_t kHighNibbles = 0xF0F0'F0F0'F0F0'F0F0ULL;
  const std::uint64_t word = eightBytes(at) & kDigitPlaces;
  // A digit is 0x30 to 0x39: its high nibble is 3, and adding 6 keeps it so.
  // The places left out are 0 here, so the addition carries nowhere.
  const std::uint64_t nibbles = (word & kHighNibbles) | ((word + 0x0606'0606'0606'0606ULL) & kHighNibbles) >> 4;
  if (nibbles != (0x3333'3333'3333'3333ULL & kDigitPlaces)) return false;
  const std::uint64_t digits = word - kZeros;
  // Each byte times ten plus the byte after it.
  pairs = digits * 10 + (digits >> 8);
  return true;
}

inline DigitGroup unpackPairs(std::uint64_t pairs) {
  return {static_cast<int>(pairs & 0xFF), static_cast<int>(pairs >> 24 & 0xFF), static_cast<int>(pairs >> 48 & 0xFF)};
}

// The group's three numbers, or false when any of them is not two digits.
inline bool readDigitGroup(const char* at, DigitGroup& group) {
  std::uint64_t pairs = 0;
  if (!digitPairs(at, pairs)) return false;
  group = unpackPairs(pairs);
  return true;
}

// The group as a time of day "hh:mm:ss": false unless its numbers are two
// digits each and within 23, 59 and 59.
inline bool readTimeOfDay(const char* at, DigitGroup& time) {
  std::uint64_t pairs = 0;
  if (!digitPairs(at, pairs)) return false;
  // Each number (at most 99) plus 128 less its limit reaches 128 only when
  // it lies above the limit.
  constexpr std::uint64_t kNumbers = 0x00FF'0000'FF00'00FFULL;
  constexpr std::uint64_t kAboveLimits = 0x0044'0000'4400'0068ULL;  // 128 - 60, 128 - 60, 128 - 24
  if ((((pairs & kNumbers) + kAboveLimits) & 0x0080'0000'8000'0080ULL) != 0) return false;
  time = unpackPairs(pairs);
  return true;
}

// True when both places between the group's fields hold `separator`.
inline bool separatedBy(const char* at, char separator) {
  const std::uint64_t every = static_cast<unsigned char>(separator) * 0x0101'0101'0101'0101ULL;
  return (eightBytes(at) & ~kDigitPlaces) == (every & ~kDigitPlaces);
}

}  // namespace tallix
