// The volume file beside a record file, the counting of a connection's bytes
// from the interface's counters, and bytes as people read them.
#include "store/volume_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>
#include <vector>

#include "form/volume_count.h"
#include "support/fake_services.h"

namespace tallix::testing {
namespace {

using State = VolumeReading::State;

const std::vector<ConnectionVolume> kTwo = {{3, "02/04/16 09:12:59", {1204883, 88120}},
                                            {5, "02/04/16 21:14:09", {0, 0}}};

// A body with its right check line.
std::string checked(const std::string& body) { return body + volumeCheckLine(body); }

TEST(VolumeFile, ReadsWhatItWroteAndRefusesDamage) {
  const std::string good = volumeText(kTwo);
  // The check is the common CRC-32, so other tools can verify it.
  ASSERT_EQ(good, "tallix volume 1\n3 02/04/16 09:12:59 1204883 88120\n5 02/04/16 21:14:09 0 0\ncheck 238e8606\n");
  std::string flipped = good;
  flipped[20] = flipped[20] == '1' ? '2' : '1';  // one digit of a count
  const std::string notAVolume = "line 2 is not a connection's volume";
  const struct { const char* name; std::string text; State state; std::string problem; } cases[] = {
      {"as written", good, State::Read, ""},
      {"no connection yet", volumeText({}), State::Read, ""},
      {"blanks anywhere, zeros in front",
       checked("tallix volume 1\n 003  02/04/16   09:12:59 1204883  088120 \n5 02/04/16 21:14:09 0 0\n"), State::Read, ""},
      {"one digit changed", flipped, State::Damaged, "its check sum does not match its content"},
      {"cut short in a line", good.substr(0, good.size() - 4), State::Damaged, "it ends in the middle of a line"},
      {"cut short at a line's end", good.substr(0, good.find('\n', 20) + 1), State::Damaged,
       "its check sum does not match its content"},
      {"a newer version", checked("tallix volume 2\n"), State::Damaged, "it was written by a newer version of Tallix"},
      {"empty", "", State::Damaged, "it ends in the middle of a line"},
      {"a lone line end", "\n", State::Damaged, "it ends in the middle of a line"},
      {"the heading alone", "tallix volume 1\n", State::Damaged, "it is not a volume file"},
      {"something else", "[Tariff]\nprice = 1\n", State::Damaged, "it is not a volume file"},
      {"binary", std::string("\0\xff\n\n", 4), State::Damaged, "it is not a volume file"},
      // Lines whose check is right but which are not a volume.
      {"a count missing", checked("tallix volume 1\n3 02/04/16 09:12:59 12\n"), State::Damaged, notAVolume},
      {"a header's number", checked("tallix volume 1\n1 02/04/16 09:12:59 1 2\n"), State::Damaged, notAVolume},
      {"a time cut short", checked("tallix volume 1\n3 02/04/16 9:12:59 1 2\n"), State::Damaged, notAVolume},
      {"a sign", checked("tallix volume 1\n3 02/04/16 09:12:59 -1 2\n"), State::Damaged, notAVolume},
      {"past 64 bits", checked("tallix volume 1\n3 02/04/16 09:12:59 1 99999999999999999999\n"), State::Damaged,
       notAVolume},
      {"out of order", checked("tallix volume 1\n5 02/04/16 09:12:59 1 2\n3 02/04/16 09:12:59 1 2\n"),
       State::Damaged, "line 3 is out of order"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const VolumeReading reading = parseVolumeText(c.text);
    EXPECT_EQ(reading.state, c.state);
    EXPECT_EQ(reading.problem, c.problem);
    if (c.state == State::Read) {
      EXPECT_EQ(reading.connections, c.text == volumeText({}) ? std::vector<ConnectionVolume>{} : kTwo);
    }
  }
}

TEST(VolumeFile, ReadsNumbersOfEveryLength) {
  // Counts of 1 to 20 digits and records of 7 to 9, across the steps of
  // eight digits the usual line is read in.
  std::vector<ConnectionVolume> lines;
  std::uint64_t count = 7;
  for (long n = 3; n < 41; n += 2, count = count * 10 + 3) lines.push_back({n, "02/04/16 09:12:59", {count, count / 7}});
  lines.push_back({41, "02/04/16 09:13:00", {std::numeric_limits<std::uint64_t>::max(), 0}});
  for (long n : {1234567L, 12345678L, 123456789L}) lines.push_back({n, "02/04/16 09:12:59", {8, 9}});
  const VolumeReading reading = parseVolumeText(volumeText(lines));
  EXPECT_EQ(reading.problem, "");
  EXPECT_EQ(reading.connections, lines);
}

TEST(VolumeFile, ChecksTextOfAnyLengthWithTheCommonCrc32) {
  // The sums other tools give (zlib's crc32) of bytes 3, 10, 17, ... (mod 251).
  const struct { size_t length; const char* check; } cases[] = {
      {63, "03953ec2"}, {64, "4b082b09"}, {65, "3e2a1580"}, {79, "de654dbc"}, {80, "dfb1e0fe"}, {4099, "760e4ba4"}};
  for (const auto& c : cases) {
    std::string body;
    for (size_t i = 0; i < c.length; ++i) body += static_cast<char>((i * 7 + 3) % 251);
    EXPECT_EQ(volumeCheckLine(body), "check " + std::string(c.check) + "\n") << c.length;
  }
}

TEST(VolumeFile, PairsOnlyWithItsOwnConnections) {
  TempDir dir;
  const std::string log = dir.file("3.log");
  EXPECT_EQ(readVolumeFile(log).state, State::Missing) << "no file: unknown, never zero";
  PendingError error;
  ASSERT_TRUE(recordConnectionVolume(log, kTwo[1], error));
  ASSERT_TRUE(recordConnectionVolume(log, kTwo[0], error));
  ASSERT_TRUE(recordConnectionVolume(log, {5, "02/04/16 21:14:09", {10, 20}}, error));  // the later write wins
  const VolumeReading reading = readVolumeFile(log);
  ASSERT_EQ(reading.state, State::Read);
  const struct { const char* name; long record; std::string start; std::optional<Volume> volume; } cases[] = {
      {"its own", 3, "start: 0002/04/16 09:12:59    ", Volume{1204883, 88120}},
      {"its own, day count changed", 5, "start: 0302/04/16 21:14:09", Volume{10, 20}},
      {"an older period's at the same number", 3, "start: 0002/03/16 09:12:59", std::nullopt},
      {"a record file longer than the volume file", 7, "start: 0002/04/17 08:00:00", std::nullopt},
      {"not a start record", 3, "_end", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(volumeOf(reading, c.record, c.start), c.volume);
  }
  EXPECT_EQ(volumeOf(readVolumeFile(dir.file("CountRec.zvt")), 3, cases[0].start), std::nullopt);
  EXPECT_FALSE(error.pending());
}

TEST(VolumeCount, CountsFromTheStartAndKeepsWhatWasCounted) {
  using Reading = std::optional<ByteCounters>;
  constexpr std::uint64_t kTop = std::numeric_limits<std::uint64_t>::max();
  const struct { const char* name; std::vector<Reading> readings; bool known; Volume counted; } cases[] = {
      {"steady", {ByteCounters{100, 10, "ppp0"}, ByteCounters{300, 50, "ppp0"}}, true, {200, 40}},
      {"the interface made again",
       {ByteCounters{100, 10, "ppp0"}, ByteCounters{300, 50, "ppp0"}, ByteCounters{20, 5, "ppp0"},
        ByteCounters{70, 6, "ppp0"}},
       true, {250, 41}},
      {"only one counter went back", {ByteCounters{100, 10, "a"}, ByteCounters{50, 30, "a"}, ByteCounters{80, 31, "a"}},
       true, {30, 21}},
      {"another interface", {ByteCounters{100, 10, "a"}, ByteCounters{300, 50, "a"}, ByteCounters{5000, 500, "b"},
                             ByteCounters{5100, 510, "b"}},
       true, {300, 50}},
      {"a tick without a reading", {ByteCounters{100, 10, "a"}, std::nullopt, ByteCounters{150, 20, "a"}}, true, {50, 10}},
      {"nothing at the start", {std::nullopt, ByteCounters{100, 10, "a"}, ByteCounters{150, 10, "a"}}, true, {50, 0}},
      {"never a reading", {std::nullopt, std::nullopt}, false, {0, 0}},
      {"near the top of 64 bits", {ByteCounters{kTop - 10, 0, "a"}, ByteCounters{kTop, 1, "a"}}, true, {10, 1}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    VolumeCount count;
    count.begin(c.readings.front());
    for (size_t i = 1; i < c.readings.size(); ++i) count.take(c.readings[i]);
    EXPECT_EQ(count.known, c.known);
    EXPECT_EQ(count.counted, c.counted);
  }
}

TEST(VolumeFile, BytesInDecimalUnitsWithOneDecimal) {
  const struct { std::uint64_t bytes; const char* text; } cases[] = {
      {0, "0 bytes"}, {1, "1 byte"}, {999, "999 bytes"}, {1000, "1.0 kB"}, {1049, "1.0 kB"}, {1050, "1.1 kB"},
      {999'949, "999.9 kB"}, {999'950, "1.0 MB"}, {3'410'000'000, "3.4 GB"}, {10'000'000'000, "10.0 GB"},
      {std::numeric_limits<std::uint64_t>::max(), "18446.7 PB"},
  };
  for (const auto& c : cases) EXPECT_EQ(bytesText(c.bytes), c.text) << c.bytes;
}

}  // namespace
}  // namespace tallix::testing
