#include "monitor/connection_record.h"

#include "store/numbers.h"
#include "store/record_file.h"
#include "store/text_forms.h"

namespace tallix {

std::string endRecordText(std::string_view stamp) { return "_end : " + std::string(stamp); }

std::string danglingEndText(std::string_view startRecord, std::string_view fallbackStamp) {
  // Positions 10-26 of a start record: "yy/mm/dd hh:mm:ss".
  const std::string time = mid(startRecord, 10, 17);
  return endRecordText(parseStamp(time) ? "20" + time : std::string(fallbackStamp));
}

long placeNewConnection(const std::string& path, std::string_view nowStamp, PendingError& error) {
  RecordFile file(path, kRecordLength, error);
  const long long size = file.length();
  if (size < 0) {
    file.close();
    return 0;
  }
  long last = recordsInLength(size, kRecordLength);
  if (last <= 2) return file.close() ? 3 : 0;
  if (last % 2 != 0) {
    std::string dangling;
    if (!file.read(last, dangling) || !file.write(last + 1, danglingEndText(dangling, nowStamp))) {
      file.close();
      return 0;
    }
    ++last;
  }
  return file.close() ? last + 1 : 0;
}

bool writeClosingEnd(const std::string& path, std::string_view stamp, PendingError& error) {
  RecordFile file(path, kRecordLength, error);
  const long long size = file.length();
  bool written = false;
  if (size >= 0) {
    long n = recordsInLength(size, kRecordLength);
    if (n < 4) {
      n = 4;
    } else if (n % 2 != 0) {
      ++n;
    }
    written = file.write(n, endRecordText(stamp));
  }
  return file.close() && written;
}

}  // namespace tallix
