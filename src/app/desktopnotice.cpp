#include "app/desktopnotice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QVariantMap>

namespace {

// Whether a session bus is there to reach, without starting one: the address the session
// gives, or the user bus at its usual place.
bool sessionBusAround() {
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(runtime + QStringLiteral("/bus"));
}

} // namespace

void notifyDesktop(const QString& summary, const QString& body) {
    if (!sessionBusAround())
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"),
        QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    // Only a service that runs already: none is started for this.
    call.setAutoStartService(false);
    call << QStringLiteral("Teloq") << uint(0) << QStringLiteral("org.teloq.Teloq") << summary
         << body << QStringList() << QVariantMap() << int(-1);
    // Sent without waiting for the answer; an error answer (no service) is dropped.
    bus.send(call);
}
