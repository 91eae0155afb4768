// The volume file: the bytes each connection of a period file received and
// sent, kept beside the record file under the record file's name followed by
// ".vol" (CountRec.zvt.vol, 3.log.vol), so the 29-byte records stay exactly
// as they are. It is a short text:
//
//   tallix volume 1
//   3 02/04/16 09:00:00 1204883 88120
//   5 02/04/16 21:14:09 0 0
//   check 238e8606
//
// One line per connection: its start record's number, the start time as its
// start record writes it (so a line never pairs with another period's
// connection), then the bytes received and sent. The last line is a CRC-32,
// in hexadecimal, of every byte before it. A connection without a line, or
// a period file without a volume file, has an unknown volume, never zero.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "store/pending_error.h"

namespace tallix {

inline constexpr std::string_view kVolumeSuffix = ".vol";
// The longest volume file read: far more lines than a period's record file
// can pair.
inline constexpr long long kLongestVolumeFile = 4 * 1024 * 1024;

struct Volume {
  std::uint64_t received = 0;
  std::uint64_t sent = 0;
  // Both, stopping at the largest count rather than wrapping round.
  std::uint64_t total() const { return received > ~sent ? ~std::uint64_t{0} : received + sent; }
  friend bool operator==(const Volume&, const Volume&) = default;
};

// One connection's line.
struct ConnectionVolume {
  long startRecord = 0;   // the number of its start record, from 3
  std::string startTime;  // "yy/mm/dd hh:mm:ss", positions 10-26 of the start record
  Volume volume;
  friend bool operator==(const ConnectionVolume&, const ConnectionVolume&) = default;
};

// What reading a volume file came to.
struct VolumeReading {
  enum class State : unsigned char { Missing, Read, Damaged };
  State state = State::Missing;
  std::vector<ConnectionVolume> connections;  // ordered by start record
  std::string problem;  // when damaged: why, in the program's words
};

// Reads a volume file's text, which it may rewrite in place (the two words
// of a time written apart are put together), and tells `take` of each of its
// lines in order: the start record's number, the start time (a view into the
// text, "yy/mm/dd hh:mm:ss") and the volume. Once `take` has heard of a line,
// the bytes of the text before that line's end are not read again, so it may
// write there: a line is 24 bytes at least, and the heading 16. What it reads,
// and the problem of a damaged text, are those of parseVolumeText; the lines
// told of a damaged text are not to be used.
using VolumeLineTaker = std::function<void(long startRecord, std::string_view startTime, const Volume& volume)>;
VolumeReading::State readVolumeText(std::span<char> text, std::string& problem, const VolumeLineTaker& take);
// The shortest line a volume file can hold, and its first line's.
inline constexpr size_t kShortestVolumeLine = 24;
inline constexpr size_t kShortestVolumeHeading = 16;

// Reads the volume file of `recordFile` into `text`, in storage that is not
// cleared first, and its lines as readVolumeText() does: missing, read or
// damaged.
VolumeReading::State readVolumeFileLines(const std::string& recordFile, std::unique_ptr<char[]>& text,
                                         std::string& problem, const VolumeLineTaker& take);

// The volume file that belongs to a record file.
std::string volumeFileOf(std::string_view recordFile);

// The text of a volume file holding these connections (ordered by start
// record; a later one of the same start record wins).
std::string volumeText(const std::vector<ConnectionVolume>& connections);
// The last line of a volume file whose lines before it are `body`.
std::string volumeCheckLine(std::string_view body);
// Reads a volume file's text; never fails on any content.
VolumeReading parseVolumeText(std::string_view text);
// Reads the volume file of `recordFile`: missing, read or damaged.
VolumeReading readVolumeFile(const std::string& recordFile);

// The volume of the connection whose start record is `startRecord` (the
// whole 29-byte record or its text): none when no line of the reading
// belongs to it.
std::optional<Volume> volumeOf(const VolumeReading& reading, long startRecord, std::string_view startRecordText);
// The same by the start time alone ("yy/mm/dd hh:mm:ss").
std::optional<Volume> volumeAt(const VolumeReading& reading, long startRecord, std::string_view startTime);

// Puts one connection's line into the volume file of `recordFile`, keeping
// the others (a damaged file's lines cannot be kept), by a whole replacement.
bool recordConnectionVolume(const std::string& recordFile, const ConnectionVolume& connection, PendingError& error);

// A record file was renamed from `from` to `to`: its volume file follows, and
// one left at `to`'s from an earlier file goes, so `to` never pairs with a
// volume file that is not its own.
bool moveVolumeFile(const std::string& from, const std::string& to, PendingError& error);
// The same for a record file copied from `from` over `to`.
bool copyVolumeFile(const std::string& from, const std::string& to, PendingError& error);
// A record file was deleted: its volume file goes too.
bool deleteVolumeFile(const std::string& recordFile, PendingError& error);

// "1.2 MB": bytes in decimal units (kB, MB, GB, TB) with one decimal; below a
// kilobyte, whole bytes ("512 bytes").
std::string bytesText(std::uint64_t bytes);

}  // namespace tallix
