// Notices through the desktop's notification service on the session bus.
// The service's answer tells that it took the notice; no answer, an error or
// no bus at all means the notice was not given.
#include "shell/desktop_notices.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusServiceWatcher>
#include <QStringList>
#include <QVariantMap>

namespace tallix::shell {
namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
constexpr int kAnswerMs = 10000;  // a service started on demand may take a moment

}  // namespace

struct DesktopNotices::Bus {
  QDBusConnection bus = QDBusConnection::sessionBus();
};

DesktopNotices::DesktopNotices(QObject* parent) : QObject(parent), bus_(std::make_unique<Bus>()) {
  if (!bus_->bus.isConnected()) return;
  auto* names = new QDBusServiceWatcher(kService, bus_->bus, QDBusServiceWatcher::WatchForRegistration, this);
  connect(names, &QDBusServiceWatcher::serviceRegistered, this, &DesktopNotices::serviceAppeared);
}

DesktopNotices::~DesktopNotices() = default;

void DesktopNotices::show(const QString& title, const QString& text, TrayIcon* /*tray*/,
                          std::function<void(bool)> delivered) {
  if (!bus_->bus.isConnected()) {
    delivered(false);
    return;
  }
  QDBusMessage notify = QDBusMessage::createMethodCall(kService, QStringLiteral("/org/freedesktop/Notifications"),
                                                       kService, QStringLiteral("Notify"));
  // Program, no notice to replace, icon, summary, body, no actions, no
  // hints, the server's own time on screen.
  notify << QStringLiteral("Tallix") << 0U << QStringLiteral("tallix") << title << text << QStringList()
         << QVariantMap() << -1;
  auto* answer = new QDBusPendingCallWatcher(bus_->bus.asyncCall(notify, kAnswerMs), this);
  connect(answer, &QDBusPendingCallWatcher::finished, this, [answer, delivered = std::move(delivered)] {
    answer->deleteLater();
    delivered(!answer->isError());
  });
}

}  // namespace tallix::shell
