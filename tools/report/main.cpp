// tallix-report: prints what the Calculation view would show for log files.
#include <clocale>
#include <iostream>
#include <string>
#include <vector>

#include "analysis/report.h"
#include "platform/program_folder.h"

int main(int argc, char** argv) {
  std::setlocale(LC_TIME, "");  // month names as the desktop shows them
  std::vector<std::string> args(argv + 1, argv + argc);
  // Without a file, the logs of the folder the program itself records in.
  int status = tallix::runReport(args, std::cout, std::cerr, tallix::programDataFolder().path);
  std::cout.flush();
  return std::cout.fail() ? tallix::kReportRefused : status;
}
