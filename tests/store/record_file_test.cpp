// The store: record files, the settings file, the file steps of the archive,
// and the texts it reads and writes: numbers and dates.
#include "store/record_file.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "store/date_time.h"
#include "store/file_system.h"
#include "store/numbers.h"
#include "store/settings_file.h"
#include "store/text_forms.h"
#include "support/fake_services.h"
#include "support/fault_counter.h"
#include "support/record_checks.h"

namespace tallix {
namespace {

using testing::readFile;
using testing::readLog;
using testing::writeLog;
using Strings = std::vector<std::string>;

// A part record counts when it is more than half a record. Writing record n
// pads it to 29 bytes, cuts a longer text, and extends a short or missing
// file with blank records.
TEST(RecordFile, CountsToTheNearestWholeAndWritesPaddedRecordsByNumber) {
  const std::pair<long long, long> counts[] = {{14, 0}, {15, 1}, {43, 1}, {44, 2}, {29LL * 32768, 32768}};
  for (const auto& [length, count] : counts)
    EXPECT_EQ(recordsInLength(length, kRecordLength), count) << length;
  testing::TempDir dir;
  const std::string path = dir.file("CountRec.zvt");
  PendingError error;
  ASSERT_TRUE(writeRecord(path, 4, "_end : 2002/04/16 10:01:02", error));  // creates the missing file
  ASSERT_TRUE(writeRecord(path, 2, "1_To : 14", error));
  ASSERT_TRUE(writeRecord(path, 1, std::string(40, 'L'), error));  // cut at 29
  EXPECT_EQ(readFile(path), std::string(29, 'L') + padRecord("1_To : 14") + std::string(29, ' ') +
                                 padRecord("_end : 2002/04/16 10:01:02"));
  EXPECT_EQ(recordCount(path, error), 4);
  std::string record;
  ASSERT_TRUE(readRecord(path, 9, record, error));
  EXPECT_EQ(record, std::string(29, ' ')) << "past the end reads blank";
  EXPECT_FALSE(error.pending());
}

TEST(RecordFile, FailedStepsLeaveTheBufferAndReportTheError) {
  testing::TempDir dir;
  writeLog(dir.file("log"), {"From : 15_2002/04/15", "1_To : 14"});
  for (long step = 1; step <= 4; ++step) {  // open, read, read, close
    PendingError error;
    setFaultAt(step);
    std::string one = "none";
    std::string two = "none";
    RecordFile file(dir.file("log"), kRecordLength, error);
    file.read(1, one);
    file.read(2, two);
    file.close();
    setFaultAt(0);
    // The last failure is the one reported: reading a file that never opened
    // fails again with "bad file name or number".
    EXPECT_EQ(error.number, step == 1 ? kBadFileNameOrNumber : kDeviceIoError) << step;
    EXPECT_EQ(one == "none", step <= 2) << step;
    EXPECT_EQ(two == "none", step <= 1 || step == 3) << step;
  }
}

TEST(SettingsFile, RoundTripsLabelsAndLittleEndianValues) {
  testing::TempDir dir;
  const std::string path = dir.file("tallix.ini");
  PendingError error;
  ASSERT_TRUE(writeSettingsRecord(path, 2, {"[CheckedRunMe]", 1, 0}, error));
  ASSERT_TRUE(writeSettingsRecord(path, 1, {"[F1Location]", 1200, -15}, error));
  const std::string bytes = readFile(path);
  ASSERT_EQ(bytes.size(), 102u);
  // 1200 = 0x04B0 and -15 = 0xFFF1, low byte first.
  EXPECT_EQ(bytes.substr(0, 51), "[F1Location]     \xB0\x04\xF1\xFF" + std::string(30, '\0'));
  SettingsRecord back;
  ASSERT_TRUE(readSettingsRecord(path, 1, back, error));
  EXPECT_EQ(back.label + std::to_string(back.value1) + "|" + std::to_string(back.value2), "[F1Location]     1200|-15");
  ASSERT_TRUE(readSettingsRecord(path, 3, back, error));  // past the end
  EXPECT_EQ(back.label + std::to_string(back.value1), std::string(17, '\0') + "0");
  EXPECT_FALSE(error.pending());
}

TEST(FileSystem, CopyReplacesWholeRenameNeverOverwritesAndListingIsNatural) {
  testing::TempDir dir;
  writeLog(dir.file("CountRec.zvt"), {"new"});
  writeLog(dir.file("CountRec.log"), {"old", "longer"});
  PendingError error;
  ASSERT_TRUE(copyFile(dir.file("CountRec.zvt"), dir.file("CountRec.log"), error));
  EXPECT_EQ(readLog(dir.file("CountRec.log")), Strings{"new"});
  EXPECT_FALSE(copyFile(dir.file("missing"), dir.file("other"), error));
  EXPECT_EQ(error.number, kFileNotFound) << "the system's error becomes the program's number";
  error.clear();
  writeLog(dir.file("1.log"), {"one"});
  EXPECT_FALSE(renameFile(dir.file("CountRec.zvt"), dir.file("1.log"), error));
  EXPECT_EQ(error.number, kFileAlreadyExists);
  EXPECT_EQ(readLog(dir.file("1.log")), Strings{"one"});
  ASSERT_TRUE(makeFolder(dir.file("folder.log"), error));
  EXPECT_FALSE(deleteFile(dir.file("folder.log"), error)) << "delete removes files, never folders";

  for (const char* name : {"10.log", "2.log", "notes.txt"}) writeLog(dir.file(name), {});
  Strings names;
  ASSERT_TRUE(listFiles(dir.path(), ".log", names, error));
  EXPECT_EQ(names, (Strings{"1.log", "2.log", "10.log", "CountRec.log"}));
  EXPECT_FALSE(listFiles(dir.file("nowhere"), ".log", names, error));
  EXPECT_EQ(names.size(), 4u) << "a failed listing leaves the list alone";
}

#ifndef _WIN32
// Whatever someone planted at a name of ours (a link to a file outside, a
// link to nowhere, a pipe), no step reads, writes, cuts or makes anything
// through it: it is refused with the program's own error, or (a file being
// replaced, a file deleted) the link itself goes and what it named stays.
// Files the program makes are its owner's alone.
TEST(FileSystem, NothingPlantedAtANameIsFollowed) {
  testing::TempDir dir;
  testing::TempDir outside;
  const std::string victim = outside.file("victim");
  enum Plant { LinkToFile, LinkToNowhere, Pipe };
  const struct { const char* step; Plant plant; bool ok; bool linkRemains; } cases[] = {
      {"record file", LinkToFile, false, true},
      {"record file", LinkToNowhere, false, true},
      {"record file", Pipe, false, false},
      {"whole read", LinkToFile, false, true},
      {"whole read", Pipe, false, false},
      {"copy from", LinkToFile, false, true},
      {"replace", LinkToFile, true, false},
      {"replace", LinkToNowhere, true, false},
      {"delete", LinkToFile, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.step) + " " + std::to_string(c.plant));
    std::filesystem::remove(victim);
    if (c.plant != LinkToNowhere) writeLog(victim, {"theirs"});
    const std::string name = dir.file("CountRec.zvt");
    std::filesystem::remove(name);
    if (c.plant == Pipe) {
      ASSERT_EQ(::mkfifo(name.c_str(), 0600), 0);
    } else {
      std::filesystem::create_symlink(victim, name);
    }
    PendingError error;
    std::string bytes;
    bool ok = false;
    const std::string step = c.step;
    if (step == "record file") {
      RecordFile file(name, kRecordLength, error);
      ok = file.write(3, "start: 0002/04/16 09:12:40") && file.close();
    } else if (step == "whole read") {
      ok = readWholeFile(name, bytes, error);
    } else if (step == "copy from") {
      ok = copyFile(name, dir.file("CountRec.log"), error);
    } else if (step == "replace") {
      ok = writeWholeFile(name, "mine", error);
    } else {
      ok = deleteFile(name, error);
    }
    EXPECT_EQ(ok, c.ok);
    if (!c.ok) {
      EXPECT_TRUE(error.number == kPathFileAccessError || error.number == kBadFileNameOrNumber) << error.number;
    }
    EXPECT_EQ(std::filesystem::is_symlink(name), c.linkRemains);
    if (c.plant == LinkToNowhere) {
      EXPECT_FALSE(std::filesystem::exists(victim)) << "made through a link";
    } else if (c.plant == LinkToFile) {
      EXPECT_EQ(readLog(victim), Strings{"theirs"});
    }
  }
  std::filesystem::remove(dir.file("CountRec.zvt"));
  PendingError error;
  ASSERT_TRUE(writeRecord(dir.file("CountRec.zvt"), 1, "From : 01_2002/04/01", error));
  ASSERT_TRUE(writeWholeFile(dir.file("tariff.ini"), "[Tariff]\n", error));
  ASSERT_TRUE(makeFolder(dir.file("Oldlog"), error));
  const auto mode = [&](const char* name) {
    return std::filesystem::status(dir.file(name)).permissions() & std::filesystem::perms::all;
  };
  EXPECT_EQ(mode("CountRec.zvt"), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_EQ(mode("tariff.ini"), std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  EXPECT_EQ(mode("Oldlog"), std::filesystem::perms::owner_all);
}
#endif

#ifndef _WIN32
// A pair written across a 4 KiB boundary of the file (records 141 and 142)
// leaves in one write call: a buffered stream would split it in two, and a
// kill between the two would leave an end record no clock ever showed. The
// test runs itself again under strace and counts the write calls.
TEST(RecordFile, APairAcrossA4KiBBoundaryLeavesInOneWrite) {
  if (const char* path = std::getenv("TALLIX_ONE_WRITE_FILE")) {  // the run under strace
    PendingError error;
    RecordFile file(path, kRecordLength, error);
    file.writeSpan(141, padRecord("start: 0002/04/16 09:57:19") + padRecord("_end : 2002/04/16 10:00:09"));
    file.close();
    return;
  }
  if (::access("/usr/bin/strace", X_OK) != 0) GTEST_SKIP() << "strace is missing here";
  testing::TempDir dir;
  writeLog(dir.file("CountRec.zvt"), Strings(140, "start: 0002/04/16 09:57:19"));
  const std::string trace = dir.file("trace");
  // The leak checker cannot run under a tracer: it is left out of the traced run.
  const std::string command = "ASAN_OPTIONS=\"${ASAN_OPTIONS:-}:detect_leaks=0\" TALLIX_ONE_WRITE_FILE='" +
                              dir.file("CountRec.zvt") +
                              "' /usr/bin/strace -f -qq -y -e trace=write,pwrite64,writev,pwritev,pwritev2 -o '" + trace +
                              "' /proc/" + std::to_string(::getpid()) +
                              "/exe --gtest_filter=RecordFile.APairAcrossA4KiBBoundaryLeavesInOneWrite >/dev/null 2>&1";
  if (std::system(command.c_str()) != 0) GTEST_SKIP() << "strace cannot trace here";
  std::ifstream in(trace);
  Strings calls;
  for (std::string line; std::getline(in, line);) {
    // Only writes to the record file count (strace names each descriptor's
    // file); the test's report and a sanitizer's own writes do not.
    if (line.find("CountRec.zvt>") != std::string::npos) calls.push_back(line);
  }
  ASSERT_EQ(calls.size(), 1u) << (calls.empty() ? "" : calls[0]);
  EXPECT_NE(calls[0].find("pwrite64("), std::string::npos) << calls[0];
  EXPECT_NE(calls[0].find(", 58, 4060) = 58"), std::string::npos) << calls[0];
  const Strings records = readLog(dir.file("CountRec.zvt"));
  ASSERT_EQ(records.size(), 142u);
  EXPECT_EQ(records[141], "_end : 2002/04/16 10:00:09");
}
#endif

TEST(Numbers, NumericValueNeverFailsAndConversionTakesTheWholeText) {
  const std::pair<const char*, double> values[] = {{"", 0},  {" 1 5 ", 15}, {"-12", -12}, {"1.2.3", 1.2},
                                                   {"12ab", 12}, {"1_To : 14", 1}, {"-", 0},  {".5", 0.5}};
  for (const auto& [text, value] : values) EXPECT_DOUBLE_EQ(numericValue(text), value) << '"' << text << '"';
  const std::pair<double, long long> rounded[] = {{0.5, 0}, {1.5, 2}, {2.5, 2}, {-1.5, -2}, {2.51, 3},
                                                  {1e300, 9200000000000000000LL}, {-1e300, -9200000000000000000LL}};
  for (const auto& [in, out] : rounded) EXPECT_EQ(roundHalfEven(in), out) << in;
  // value -99: the target is left alone
  const struct { const char* text; int error; double value; } conversions[] = {
      {" 14 ", 0, 14}, {"-3", 0, -3}, {"2.5", 0, 2.5}, {"", kTypeMismatch, -99}, {"1 4", kTypeMismatch, -99},
      {"--1", kTypeMismatch, -99}};
  for (const auto& c : conversions) {
    PendingError error;
    double value = -99;
    EXPECT_EQ(numberConversion(c.text, value, error), c.error == 0) << c.text;
    EXPECT_EQ(std::pair(error.number, value), std::pair(c.error, c.value)) << c.text;
  }
  const struct { const char* text; int error; std::int16_t value; } int16s[] = {
      {"-32768", 0, -32768}, {"32768", kOverflow, 0}, {"2.5", 0, 2}, {"x", kTypeMismatch, 0}};
  for (const auto& c : int16s) {
    PendingError error;
    std::int16_t value = 0;
    convertToInt16(c.text, value, error);
    EXPECT_EQ(std::pair(error.number, value), std::pair(c.error, c.value)) << c.text;
  }
  EXPECT_EQ(mid("abc", 3, 10) + mid("abc", 4, 1) + mid("abc", 0, 1) + right("abc", -1) + twoDigits(7), "c07");
}

TEST(TextForms, WritesAndShowsDates) {
  const struct { DateTime when; const char* forms; } written[] = {  // stamp | long | title | short
      {{2002, 4, 29, 17, 5, 9}, "2002/04/29 17:05:09|29 Apr 2002 - 05:05:09 PM|29 Apr 2002 / 05:05 PM|29 Apr 2002"},
      {{2002, 4, 15, 0, 0, 0}, "2002/04/15 00:00:00|15 Apr 2002 - 12:00:00 AM|15 Apr 2002 / 12:00 AM|15 Apr 2002"},
      {{2003, 1, 1, 12, 30, 59}, "2003/01/01 12:30:59|01 Jan 2003 - 12:30:59 PM|01 Jan 2003 / 12:30 PM|01 Jan 2003"}};
  for (const auto& [w, forms] : written)
    EXPECT_EQ(stampText(w) + "|" + longStampText(w) + "|" + titleStampText(w) + "|" + shortDateText(w), forms);
  // Stored stamps and dates as shown: tests/report checks them against its
  // own rendering on every kept fuzz input and random log.

  // A log's stamps are read keeping the date before: each must read as it would alone.
  const struct { const char* stamp; bool real; } stamps[] = {
      {"02/04/16 09:00:00", true},    {"02/04/16 23:59:59", true},    {"02/04/16 24:00:00", false},
      {"02/04/16 09:60:00", false},   {"02/04/16-09:00:00", false},   {"2002/04/16 09:00:00", true},
      {"1902/04/16 09:00:00", true},  {"02/02/29 10:00:00", false},   {"04/02/29 10:00:00", true},
      {"04/02/29 10:0x:00", false},   {"04/02/29 10:00:00", true},    {"02/13/01 00:00:00", false},
      {"02/04/16 9:00:00", false},    {"02.04.16 09:00:00", false}};
  StampReader reader;
  for (const auto& [stamp, real] : stamps) {
    DateTime when;
    const bool read = reader.read(stamp, when);
    EXPECT_EQ(read, real) << stamp;
    EXPECT_EQ(read ? std::optional(when) : std::nullopt, parseStamp(stamp)) << stamp;
  }
}

TEST(DateTime, SerialSecondsRoundTripAcrossMonthsAndYears) {
  const struct { DateTime from; long long seconds; DateTime to; } cases[] = {
      {{2002, 12, 31, 23, 0, 0}, 3600, {2003, 1, 1, 0, 0, 0}},   {{2004, 2, 28, 12, 0, 0}, 86400, {2004, 2, 29, 12, 0, 0}},
      {{2003, 2, 28, 12, 0, 0}, 86400, {2003, 3, 1, 12, 0, 0}},  {{2000, 3, 1, 0, 0, 0}, -1, {2000, 2, 29, 23, 59, 59}},
      {{1900, 2, 28, 0, 0, 0}, 86400, {1900, 3, 1, 0, 0, 0}}};
  for (const auto& c : cases) {
    EXPECT_EQ(addSeconds(c.from, c.seconds), c.to);
    EXPECT_EQ(toSerialSeconds(c.to) - toSerialSeconds(c.from), c.seconds);
  }
}

}  // namespace
}  // namespace tallix
