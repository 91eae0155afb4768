// tallix-report: prints what the Calculation view would show for log files.
#include <clocale>
#include <ctime>
#include <iostream>
#include <string>
#include <vector>

#include "report.h"
#include "arguments.h"
#include "platform/program_folder.h"

namespace {

// The local time of the run, for the current period's outlook.
tallix::DateTime localNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &now);
#else
  localtime_r(&now, &local);
#endif
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_TIME, "");  // month names as the desktop shows them
  std::vector<std::string> args(argv + 1, argv + argc);
  // Without a file, the logs of the folder the program itself records in.
  int status = tallix::reportMain(args, std::cout, std::cerr, tallix::programDataFolder().path, localNow());
  std::cout.flush();
  return std::cout.fail() ? tallix::kReportRefused : status;
}
