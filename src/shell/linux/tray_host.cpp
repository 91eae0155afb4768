// The tray on a Linux desktop: a host of status-notifier items on the
// session bus (any desktop, Wayland included), or on X11 the owner of the
// screen's system-tray selection (the older trays that embed icons).
#include "shell/tray_host.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QTimer>

#include <xcb/xcb.h>

#include <cstdlib>
#include <string>

namespace tallix::shell {
namespace {

const QString kWatcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
constexpr int kFirstAnswerMs = 2000;  // the answer at start-up is waited for
constexpr int kSelectionPollMs = 2000;

QDBusMessage hostQuestion() {
  QDBusMessage get = QDBusMessage::createMethodCall(kWatcherService, kWatcherPath,
                                                    QStringLiteral("org.freedesktop.DBus.Properties"),
                                                    QStringLiteral("Get"));
  get << kWatcherService << QStringLiteral("IsStatusNotifierHostRegistered");
  return get;
}

bool hostAnswer(const QDBusMessage& reply) {
  return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
         reply.arguments().front().value<QDBusVariant>().variant().toBool();
}

}  // namespace

struct TrayHostWatch::Watch {
  QDBusConnection bus = QDBusConnection::sessionBus();
  bool host = false;
  unsigned asked = 0;  // an answer to an older question is dropped
  xcb_connection_t* x = nullptr;
  xcb_atom_t selection = XCB_NONE;
  bool embedder = false;
  QTimer poll;

  // Whether some window owns the system-tray selection of the screen.
  bool selectionOwned() const {
    if (x == nullptr || selection == XCB_NONE) return false;
    xcb_get_selection_owner_reply_t* reply =
        xcb_get_selection_owner_reply(x, xcb_get_selection_owner(x, selection), nullptr);
    const bool owned = reply != nullptr && reply->owner != XCB_NONE;
    std::free(reply);
    return owned;
  }
};

TrayHostWatch::TrayHostWatch(QObject* parent) : QObject(parent), watch_(std::make_unique<Watch>()) {
  Watch& w = *watch_;
  if (w.bus.isConnected()) {
    auto* names = new QDBusServiceWatcher(kWatcherService, w.bus, QDBusServiceWatcher::WatchForOwnerChange, this);
    connect(names, &QDBusServiceWatcher::serviceOwnerChanged, this, &TrayHostWatch::askHost);
    for (const char* change : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"})
      w.bus.connect(kWatcherService, kWatcherPath, kWatcherService, QString::fromLatin1(change), this, SLOT(askHost()));
    w.host = hostAnswer(w.bus.call(hostQuestion(), QDBus::Block, kFirstAnswerMs));
  }

  auto* x11 = qGuiApp != nullptr && QGuiApplication::platformName() == QLatin1String("xcb")
                  ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                  : nullptr;
  if (x11 != nullptr && x11->connection() != nullptr) {
    w.x = x11->connection();
    char* host = nullptr;
    int display = 0;
    int screen = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screen) == 0) screen = 0;
    std::free(host);
    const std::string name = "_NET_SYSTEM_TRAY_S" + std::to_string(screen);
    xcb_intern_atom_reply_t* atom =
        xcb_intern_atom_reply(w.x, xcb_intern_atom(w.x, 0, static_cast<uint16_t>(name.size()), name.c_str()), nullptr);
    if (atom != nullptr) w.selection = atom->atom;
    std::free(atom);
    w.embedder = w.selectionOwned();
    // A tray that comes or goes says so only to the root window's listeners;
    // asking now and then is simpler and costs one short request.
    w.poll.setInterval(kSelectionPollMs);
    connect(&w.poll, &QTimer::timeout, this, [this] {
      watch_->embedder = watch_->selectionOwned();
      setPresent(watch_->host || watch_->embedder);
    });
    w.poll.start();
  }
  present_ = w.host || w.embedder;
}

TrayHostWatch::~TrayHostWatch() = default;

void TrayHostWatch::askHost() {
  const unsigned question = ++watch_->asked;
  auto* answer = new QDBusPendingCallWatcher(watch_->bus.asyncCall(hostQuestion()), this);
  connect(answer, &QDBusPendingCallWatcher::finished, this, [this, answer, question] {
    answer->deleteLater();
    if (question != watch_->asked) return;
    watch_->host = hostAnswer(answer->reply());
    setPresent(watch_->host || watch_->embedder);
  });
}

void TrayHostWatch::setPresent(bool present) {
  if (present == present_) return;
  present_ = present;
  emit presenceChanged(present);
}

}  // namespace tallix::shell
