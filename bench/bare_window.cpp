// A bare Qt Widgets window with a one-second timer, to measure Tallix
// against: the same toolkit, a window shown, and a tick that only looks at
// the folder of network interfaces, as the probe does.
#include <QApplication>
#include <QDir>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(445, 331);
  window.show();
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [] { QDir("/sys/class/net").entryList(); });
  timer.start(1000);
  return QApplication::exec();
}
