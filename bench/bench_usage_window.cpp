// The Usage window on the longest log a period can hold (32767 records: the
// two headers, 16382 pairs and a last start record), timed from the icon
// menu's Usage action to the first paint of its table, beside a bare window
// holding an empty table, made and shown the same way, and beside the same
// Usage window on a period of one connection, in the same run. Both periods
// have a volume file, so the table has its received / sent column; the full
// period is timed again without one. Prints figures; asserts nothing.
//   bench_usage_window [rounds]      (default 40)
#include <QAction>
#include <QApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QMenu>
#include <QStandardItemModel>
#include <QTableView>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <time.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "shell/qt_services.h"
#include "shell/screen_fit.h"
#include "shell/startup_window.h"
#include "store/record_file.h"
#include "store/volume_file.h"

namespace {

constexpr long kRecords = 32767;

std::string two(int value) { return (value < 10 ? "0" : "") + std::to_string(value); }

// The period of this calendar month (so that no rollover archives it at
// start-up), its connections of up to two hours on its first day, as the
// loader's benchmark has them, with a volume file that has a line for each.
void writeLog(const std::string& file, long records, bool volumeFile = true) {
  std::mt19937 random(2002);
  std::ofstream out(file, std::ios::binary);
  const std::string first = QDate::currentDate().toString("yyyy/MM/01").toStdString();
  out << tallix::padRecord("From : 01_" + first) << tallix::padRecord("0_To : 31");
  auto clock = [](int s) { return two(s / 3600) + ":" + two(s / 60 % 60) + ":" + two(s % 60); };
  std::vector<tallix::ConnectionVolume> volumes;
  for (long n = 3; n <= records; n += 2) {
    const int start = static_cast<int>(random() % 86400);
    const int end = std::min(start + static_cast<int>(random() % 7200), 86399);
    out << tallix::padRecord("start: 00" + first.substr(2) + " " + clock(start));
    if (n + 1 <= records) out << tallix::padRecord("_end : " + first + " " + (n % 2000 == 1 ? "24:00:00" : clock(end)));
    volumes.push_back({n, first.substr(2) + " " + clock(start), {random() % 400'000'000, random() % 20'000'000}});
  }
  if (volumeFile) std::ofstream(tallix::volumeFileOf(file), std::ios::binary) << tallix::volumeText(volumes);
}

// Notes when the table's viewport is sent its first paint.
class PaintWatch : public QObject {
 public:
  bool painted = false;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && watched->objectName() == "qt_scrollarea_viewport" &&
        watched->parent() != nullptr && watched->parent()->objectName() == "tblConnections")
      painted = true;
    return false;
  }
};

double cpuMicroseconds() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e6 + static_cast<double>(now.tv_nsec) / 1000.0;
}

// From `open` to the end of the event that painted the table: the time that
// passed and the processor time the program used meanwhile, in microseconds.
// On a busy machine the first includes the time others had the processor.
struct Opening {
  double wall = 0;
  double cpu = 0;
};

Opening timeToFirstPaint(PaintWatch& watch, const std::function<void()>& open) {
  watch.painted = false;
  QElapsedTimer timer;
  const double cpuAtStart = cpuMicroseconds();
  timer.start();
  open();
  while (!watch.painted) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
  return {static_cast<double>(timer.nsecsElapsed()) / 1000.0, cpuMicroseconds() - cpuAtStart};
}

void closeTopLevels(const char* name) {
  for (QWidget* widget : QApplication::topLevelWidgets())
    if (widget->objectName() == name) widget->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  QCoreApplication::processEvents();
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

double best(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

struct Timings {
  std::vector<double> wall;
  std::vector<double> cpu;
  void add(Opening opening) {
    wall.push_back(opening.wall);
    cpu.push_back(opening.cpu);
  }
};

void print(const char* what, const Timings& timings) {
  std::printf("  %-36s median %8.0f us, best %8.0f us; processor median %8.0f us, best %8.0f us\n", what,
              median(timings.wall), best(timings.wall), median(timings.cpu), best(timings.cpu));
}

void printRatio(const char* what, const Timings& over, const Timings& under) {
  std::printf("  %-36s median %.2f, best %.2f; processor median %.2f, best %.2f\n", what,
              median(over.wall) / median(under.wall), best(over.wall) / best(under.wall),
              median(over.cpu) / median(under.cpu), best(over.cpu) / best(under.cpu));
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 40;
  // The offscreen platform's notes ("does not support raise()") would be
  // written, and timed, on every round.
  qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  QTemporaryDir full;
  QTemporaryDir short_;
  QTemporaryDir noVolume;
  writeLog(full.path().toStdString() + "/CountRec.zvt", kRecords);
  writeLog(noVolume.path().toStdString() + "/CountRec.zvt", kRecords, false);
  writeLog(short_.path().toStdString() + "/CountRec.zvt", 4);

  tallix::shell::QtServices services(nullptr);
  tallix::shell::StartupWindow form3(services, full.path().toStdString() + "/", true, [] {});
  tallix::shell::StartupWindow oneConnection(services, short_.path().toStdString() + "/", true, [] {});
  tallix::shell::StartupWindow withoutVolume(services, noVolume.path().toStdString() + "/", true, [] {});
  form3.start();
  oneConnection.start();
  withoutVolume.start();
  QAction* usage = form3.popupMenu().findChild<QAction*>("mUsage");
  QAction* usageOfOne = oneConnection.popupMenu().findChild<QAction*>("mUsage");
  QAction* usageWithoutVolume = withoutVolume.popupMenu().findChild<QAction*>("mUsage");
  int rows = 0;  // what the Usage window shows, to be sure the log is the one read
  QStandardItemModel empty(0, 3);
  empty.setHorizontalHeaderLabels({"start", "end", "duration"});

  PaintWatch watch;
  app.installEventFilter(&watch);
  auto openBare = [&empty] {
    auto* window = new QWidget(nullptr, Qt::Window);
    window->setObjectName("BareUsage");
    window->setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(window);
    auto* table = new QTableView(window);
    table->setObjectName("tblConnections");
    table->setModel(&empty);
    layout->addWidget(table);
    window->resize(window->sizeHint());
    tallix::shell::centreOnScreen(*window);
    window->show();
    window->raise();
    window->activateWindow();
  };

  // Once each before timing: fonts, styles and the platform's first window.
  for (int warm = 0; warm < 2; ++warm) {
    timeToFirstPaint(watch, [usage] { usage->trigger(); });
    closeTopLevels("FormUsage");
    timeToFirstPaint(watch, openBare);
    closeTopLevels("BareUsage");
    timeToFirstPaint(watch, [usageOfOne] { usageOfOne->trigger(); });
    closeTopLevels("FormUsage");
    timeToFirstPaint(watch, [usageWithoutVolume] { usageWithoutVolume->trigger(); });
    closeTopLevels("FormUsage");
  }
  Timings real;
  Timings bare;
  Timings one;
  Timings timeOnly;
  for (int round = 0; round < rounds; ++round) {
    // Alternated, so a busy spell of the machine falls on both.
    real.add(timeToFirstPaint(watch, [usage] { usage->trigger(); }));
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (auto* table = widget->findChild<QAbstractItemView*>("tblConnections"); table && widget->isVisible() &&
                                                                                  widget->objectName() == "FormUsage")
        rows = table->model()->rowCount();
    closeTopLevels("FormUsage");
    bare.add(timeToFirstPaint(watch, openBare));
    closeTopLevels("BareUsage");
    one.add(timeToFirstPaint(watch, [usageOfOne] { usageOfOne->trigger(); }));
    closeTopLevels("FormUsage");
    timeOnly.add(timeToFirstPaint(watch, [usageWithoutVolume] { usageWithoutVolume->trigger(); }));
    closeTopLevels("FormUsage");
  }
  std::printf("menu action to first paint, %d rounds, %ld-record log, %d connections shown:\n", rounds, kRecords,
              rows);
  print("bare window with an empty table", bare);
  print("Usage window, one connection", one);
  print("Usage window, full log", real);
  print("the same without its volume file", timeOnly);
  printRatio("full log / bare window:", real, bare);
  printRatio("full log / one connection:", real, one);
  printRatio("no volume file / bare window:", timeOnly, bare);
  return 0;
}
