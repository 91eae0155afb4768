// What the whole-program checks read back: a file's bytes, and whether a
// record file is whole records, a period's two headers, then start and end
// records in turn.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

namespace tallix::testing {

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// What is wrong with a record file's bytes, or "" when nothing is; `openTail`
// allows a last start whose end is not written.
inline std::string recordsOutOfStep(const std::string& bytes, bool openTail = false) {
  constexpr size_t n = 29;
  if (bytes.size() % n != 0) return "a part of a record";
  const size_t count = bytes.size() / n;
  if (count < 2) return "no headers";
  if (bytes.compare(0, 7, "From : ") != 0) return "record 1 is no period header";
  if (bytes.compare(n, 6, "0_To :") != 0 && bytes.compare(n, 6, "1_To :") != 0) return "record 2 is no period header";
  if (count % 2 != 0 && !openTail) return "a start without its end";
  for (size_t i = 2; i < count; ++i)
    if (bytes.compare(i * n, 6, i % 2 == 0 ? "start:" : "_end :") != 0)
      return "record " + std::to_string(i + 1) + " out of step";
  return {};
}

}  // namespace tallix::testing
