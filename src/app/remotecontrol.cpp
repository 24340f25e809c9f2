#include "remotecontrol.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QTextStream>
#include <QTimer>

#include <string_view>

static_assert(std::string_view(ROTAFOND_APP_ID) == "org.rotafond.Rotafond",
              "the interface name in remotecontrol.h follows the application id");

RemoteControl::RemoteControl(Handlers handlers, QObject *parent)
    : QObject(parent)
    , m_handlers(std::move(handlers)) {}

RemoteControl::~RemoteControl() {
    if (!m_published)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(objectPath());
    bus.unregisterService(serviceName());
}

QString RemoteControl::serviceName() {
    return QStringLiteral(ROTAFOND_APP_ID);
}

QString RemoteControl::objectPath() {
    return QLatin1Char('/') + serviceName().replace(QLatin1Char('.'), QLatin1Char('/'));
}

bool RemoteControl::publish() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    if (!bus.registerObject(objectPath(), this,
                            QDBusConnection::ExportScriptableSlots |
                                QDBusConnection::ExportAllProperties))
        return false;
    if (!bus.registerService(serviceName())) {
        bus.unregisterObject(objectPath());
        return false;
    }
    m_published = true;
    return true;
}

void RemoteControl::Next() {
    m_handlers.next();
}

void RemoteControl::Clear() {
    m_handlers.clear();
}

void RemoteControl::Show() {
    m_handlers.show();
}

void RemoteControl::Quit() {
    // From the event loop, once the caller has had its answer.
    QTimer::singleShot(0, this, [this] { m_handlers.quit(); });
}

int sendRemoteCommand(const QString &method) {
    const QDBusMessage call =
        QDBusMessage::createMethodCall(RemoteControl::serviceName(), RemoteControl::objectPath(),
                                       QStringLiteral(ROTAFOND_APP_ID), method);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() &&
        bus.call(call, QDBus::Block, 10000).type() == QDBusMessage::ReplyMessage)
        return 0;
    QTextStream(stderr) << "Rotafond is not running.\n";
    return 1;
}
