#include "support/fake_services.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>

#include "store/numbers.h"
#include "store/record_file.h"
#include "support/record_checks.h"

namespace fs = std::filesystem;

namespace tallix::testing {

TempDir::TempDir() {
  static std::atomic<unsigned> counter{0};
  const std::string base = (fs::temp_directory_path() / "tallix-test-").string() + std::to_string(std::random_device{}());
  std::error_code code;
  do path_ = base + "-" + std::to_string(counter++);
  while (!fs::create_directory(path_, code));
  path_ += "/";
}

TempDir::~TempDir() {
  std::error_code code;
  fs::remove_all(fs::path(path_), code);
}

void writeLog(const std::string& path, const std::vector<std::string>& records) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  for (const auto& text : records) out << padRecord(text);
}

std::vector<std::string> readLog(const std::string& path) {
  const std::string bytes = readFile(path);
  std::vector<std::string> records;
  constexpr auto n = static_cast<size_t>(kRecordLength);
  for (size_t at = 0; at < bytes.size(); at += n) records.push_back(trimRight(bytes.substr(at, n)));
  return records;
}

}  // namespace tallix::testing
