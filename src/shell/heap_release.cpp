#include "shell/heap_release.h"

#include <QCoreApplication>
#include <QPixmapCache>
#include <QTimer>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace tallix::shell {
namespace {

#if defined(__GLIBC__)
constexpr int kQuietMs = 1000;
constexpr int kLargeBuffer = 128 * 1024;
#endif

}  // namespace

void mapLargeBuffersApart() {
#if defined(__GLIBC__)
  // Set once, the threshold no longer rises after a large buffer is freed,
  // which would leave the next one in the heap for good.
  mallopt(M_MMAP_THRESHOLD, kLargeBuffer);
  // The toolkit's threads (display events, the session bus, drawing helpers)
  // allocate little and seldom: sharing the one heap spares each of them a
  // heap of its own, which would stay for the whole run.
  mallopt(M_ARENA_MAX, 1);
#endif
}

void releaseFreedMemorySoon() {
#if defined(__GLIBC__)
  static QTimer* timer = [] {
    auto* quiet = new QTimer(QCoreApplication::instance());
    quiet->setSingleShot(true);
    quiet->setInterval(kQuietMs);
    QObject::connect(quiet, &QTimer::timeout, [] {
      // The style's cache of drawn parts only spares redrawing them: a
      // quiet program redraws little.
      QPixmapCache::clear();
      malloc_trim(0);
    });
    return quiet;
  }();
  timer->start();  // a later call waits its own second
#endif
}

}  // namespace tallix::shell
