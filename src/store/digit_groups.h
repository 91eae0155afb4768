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

// The group's digit places, the bytes between them cleared.
inline std::uint64_t digitPlaces(const char* at) { return eightBytes(at) & kDigitPlaces; }

// Not zero when any digit place of `places` holds something other than a digit.
inline std::uint64_t notDigits(std::uint64_t places) {
  constexpr std::uint64_t kHighNibbles = 0xF0F0'F0F0'F0F0'F0F0ULL;
  // A digit is 0x30 to 0x39: its high nibble is 3, and adding 6 keeps it so.
  // The places left out are 0 here, so the addition carries nowhere.
  const std::uint64_t nibbles = (places & kHighNibbles) | ((places + 0x0606'0606'0606'0606ULL) & kHighNibbles) >> 4;
  return nibbles ^ (0x3333'3333'3333'3333ULL & kDigitPlaces);
}

// The digits of `places` paired up: the three numbers in bytes 0, 3 and 6
// (the other bytes hold nothing of use).
inline std::uint64_t pairsOf(std::uint64_t places) {
  constexpr std::uint64_t kZeros = 0x3030'3030'3030'3030ULL & kDigitPlaces;
  const std::uint64_t digits = places - kZeros;
  // Each byte times ten plus the byte after it.
  return digits * 10 + (digits >> 8);
}

// The group's digits paired up, or false when any of its six digit places
// holds something other than a digit.
inline bool digitPairs(const char* at, std::uint64_t& pairs) {
  const std::uint64_t places = digitPlaces(at);
  if (notDigits(places) != 0) return false;
  pairs = pairsOf(places);
  return true;
}

// Not zero when the paired numbers are no time of day: above 23, 59 or 59.
inline std::uint64_t notTimeOfDay(std::uint64_t pairs) {
  // Each number (at most 99) plus 128 less its limit reaches 128 only when
  // it lies above the limit.
  constexpr std::uint64_t kNumbers = 0x00FF'0000'FF00'00FFULL;
  constexpr std::uint64_t kAboveLimits = 0x0044'0000'4400'0068ULL;  // 128 - 60, 128 - 60, 128 - 24
  return ((pairs & kNumbers) + kAboveLimits) & 0x0080'0000'8000'0080ULL;
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
  if (!digitPairs(at, pairs) || notTimeOfDay(pairs) != 0) return false;
  time = unpackPairs(pairs);
  return true;
}

// Two groups as times of day, checked together: true when both are, with
// their numbers paired up as digitPairs gives them.
inline bool readTimesOfDay(const char* a, const char* b, std::uint64_t& pairsA, std::uint64_t& pairsB) {
  const std::uint64_t placesA = digitPlaces(a);
  const std::uint64_t placesB = digitPlaces(b);
  pairsA = pairsOf(placesA);
  pairsB = pairsOf(placesB);
  // Numbers read from something other than digits are nonsense, but then
  // the answer is false whatever they are.
  return (notDigits(placesA) | notDigits(placesB) | notTimeOfDay(pairsA) | notTimeOfDay(pairsB)) == 0;
}

// True when both places between the group's fields hold `separator`.
inline bool separatedBy(const char* at, char separator) {
  const std::uint64_t every = static_cast<unsigned char>(separator) * 0x0101'0101'0101'0101ULL;
  return (eightBytes(at) & ~kDigitPlaces) == (every & ~kDigitPlaces);
}

}  // namespace tallix
