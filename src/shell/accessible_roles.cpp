#include "shell/accessible_roles.h"

#include <QAccessibleWidget>

#include "shell/form_widgets.h"
#include "shell/usage_window.h"

namespace tallix::shell {
namespace {

QAccessibleInterface* interfaceFor(const QString& /*className*/, QObject* object) {
  auto* widget = qobject_cast<QWidget*>(object);
  if (widget == nullptr) return nullptr;
  if (dynamic_cast<PictureBox*>(widget) != nullptr) return new QAccessibleWidget(widget, QAccessible::Graphic);
  if (dynamic_cast<LineShape*>(widget) != nullptr) return new QAccessibleWidget(widget, QAccessible::Separator);
  if (qobject_cast<UsageChart*>(widget) != nullptr) return new QAccessibleWidget(widget, QAccessible::Chart);
  return nullptr;
}

}  // namespace

void installAccessibleRoles() {
  static const bool installed = [] {
    QAccessible::installFactory(interfaceFor);
    return true;
  }();
  (void)installed;
}

}  // namespace tallix::shell
