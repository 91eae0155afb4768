// Reads the three two-digit fields of an eight-character group laid out as
// "dd?dd?dd" ("hh:mm:ss", "yy/mm/dd") in one go: a log holds tens of
// thousands of them, and reading them a character at a time is most of the
// cost of totalling it. The characters between the fields are not looked at.
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

// The group's three numbers, or false when any of its six digit places
// holds something other than a digit.
inline bool readDigitGroup(const char* at, DigitGroup& group) {
  constexpr std::uint64_t kZeros = 0x3030'3030'3030'3030ULL & kDigitPlaces;
  constexpr std::uint64_t kHighNibbles = 0xF0F0'F0F0'F0F0'F0F0ULL & kDigitPlaces;
  const std::uint64_t word = eightBytes(at) & kDigitPlaces;
  // A digit is 0x30 to 0x39: its high nibble is 3, and adding 6 keeps it so.
  // The places left out are 0 here, so the addition carries nowhere.
  if ((word & kHighNibbles) != kZeros || ((word + 0x0606'0606'0606'0606ULL) & kHighNibbles) != kZeros) return false;
  const std::uint64_t digits = word - kZeros;
  // Each byte times ten plus the byte after it: the fields land in bytes 0, 3 and 6.
  const std::uint64_t pairs = digits * 10 + (digits >> 8);
  group.first = static_cast<int>(pairs & 0xFF);
  group.second = static_cast<int>(pairs >> 24 & 0xFF);
  group.third = static_cast<int>(pairs >> 48 & 0xFF);
  return true;
}

// True when both places between the group's fields hold `separator`.
inline bool separatedBy(const char* at, char separator) {
  const std::uint64_t every = static_cast<unsigned char>(separator) * 0x0101'0101'0101'0101ULL;
  return (eightBytes(at) & ~kDigitPlaces) == (every & ~kDigitPlaces);
}

}  // namespace tallix
