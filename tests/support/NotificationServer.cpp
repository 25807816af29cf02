#include "NotificationServer.h"

namespace {
const QString Name = QStringLiteral("org.freedesktop.Notifications");
const QString ObjectPath = QStringLiteral("/org/freedesktop/Notifications");
} // namespace

NotificationServer::NotificationServer(QDBusConnection connection) : m_connection(connection)
{
    m_registered = m_connection.registerObject(ObjectPath, this,
                                               QDBusConnection::ExportAllSlots |
                                                   QDBusConnection::ExportAllSignals) &&
                   m_connection.registerService(Name);
}

NotificationServer::~NotificationServer()
{
    m_connection.unregisterService(Name);
    m_connection.unregisterObject(ObjectPath);
}

QStringList NotificationServer::GetCapabilities()
{
    calls << QStringLiteral("GetCapabilities");
    return capabilities;
}

QString NotificationServer::GetServerInformation(QString &vendor, QString &version,
                                                 QString &specVersion)
{
    calls << QStringLiteral("GetServerInformation");
    vendor = QStringLiteral("Pollwick tests");
    version = QStringLiteral("1");
    specVersion = QStringLiteral("1.2");
    return QStringLiteral("test-notifications");
}

uint NotificationServer::Notify(const QString &appName, uint replacesId, const QString &icon,
                                const QString &summary, const QString &body,
                                const QStringList &actions, const QVariantMap &hints, int expiry)
{
    calls << QStringLiteral("Notify");
    if (notifyAnswer == Answer::Never) {
        setDelayedReply(true);
        return 0;
    }
    if (notifyAnswer == Answer::WithError) {
        sendErrorReply(QDBusError::Failed, QStringLiteral("refused by the test"));
        return 0;
    }
    const uint id = replacesId != 0 ? replacesId : m_nextId++;
    notifications << Notification{appName, icon,       summary, body,  actions,
                                  hints,   replacesId, id,      expiry};
    return id;
}

void NotificationServer::CloseNotification(uint id)
{
    calls << QStringLiteral("CloseNotification");
    emit NotificationClosed(id, 3);
}
