// A bare Qt Widgets window with a one-second timer, to measure Tallix
// against: the same toolkit, a window shown, and a tick that only looks at
// the folder of network interfaces, as the probe does. With --text it also
// shows one line of text: what any window pays to draw a letter (the font
// configuration, a face, its shaping tables) before it draws its own.
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QTimer>
#include <QWidget>

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(445, 331);
  // Made only for --text: an empty label measures its font all the same.
  if (argc > 1 && QString(argv[1]) == "--text") {
    auto* line = new QLabel("Status : offline, this period: 2 hr 50 min", &window);
    line->move(10, 10);
  }
  window.show();
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [] { QDir("/sys/class/net").entryList(); });
  timer.start(1000);
  return QApplication::exec();
}
