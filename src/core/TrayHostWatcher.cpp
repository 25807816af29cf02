#include "core/TrayHostWatcher.h"

#include "platform/X11Window.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QDBusVariant>

const QString TrayHostWatcher::Service = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString TrayHostWatcher::Path = QStringLiteral("/StatusNotifierWatcher");

namespace {
constexpr int AnswerTimeoutMs = 5000;
}

TrayHostWatcher::TrayHostWatcher(QDBusConnection *bus, QObject *parent)
    : QObject(parent), m_bus(bus && bus->isConnected() ? bus : nullptr)
{
    if (!m_bus)
        return;
    auto *names = new QDBusServiceWatcher(Service, *m_bus,
                                          QDBusServiceWatcher::WatchForRegistration |
                                              QDBusServiceWatcher::WatchForUnregistration,
                                          this);
    connect(names, &QDBusServiceWatcher::serviceRegistered, this, &TrayHostWatcher::ask);
    connect(names, &QDBusServiceWatcher::serviceUnregistered, this,
            [this] { setRegistered(false); });
    m_bus->connect(Service, Path, Service, QStringLiteral("StatusNotifierHostRegistered"), this,
                   SLOT(onHostRegistered()));
    ask();
}

bool TrayHostWatcher::hostPresent()
{
    ask();
    return m_registered || X11Window::systemTrayOwned();
}

void TrayHostWatcher::onHostRegistered()
{
    setRegistered(true);
}

void TrayHostWatcher::ask()
{
    if (!m_bus || m_asking)
        return;
    m_asking = true;
    QDBusMessage get = QDBusMessage::createMethodCall(
        Service, Path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
    get << Service << QStringLiteral("IsStatusNotifierHostRegistered");
    auto *call = new QDBusPendingCallWatcher(m_bus->asyncCall(get, AnswerTimeoutMs), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, &TrayHostWatcher::onAnswer);
}

void TrayHostWatcher::onAnswer(QDBusPendingCallWatcher *call)
{
    call->deleteLater();
    m_asking = false;
    const QDBusPendingReply<QDBusVariant> reply = *call;
    setRegistered(!reply.isError() && reply.value().variant().toBool());
}

void TrayHostWatcher::setRegistered(bool registered)
{
    const bool appeared = registered && !m_registered;
    m_registered = registered;
    if (appeared)
        emit hostAppeared();
}
