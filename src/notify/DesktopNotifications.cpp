#include "notify/DesktopNotifications.h"

#include "notify/DesktopNotificationsHost.h"
#include "notify/FrmVSPopUp.h"
#include "platform/AppInfo.h"
#include "platform/Services.h"
#include "platform/SettingNames.h"
#include "platform/SettingsStore.h"
#include "platform/Sound.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

const QString DesktopNotifications::Service = QStringLiteral("org.freedesktop.Notifications");
const QString DesktopNotifications::Path = QStringLiteral("/org/freedesktop/Notifications");
const QString DesktopNotifications::Interface = QStringLiteral("org.freedesktop.Notifications");

namespace {

const QString DefaultAction = QStringLiteral("default");
const QString DownloadAction = QStringLiteral("download");
const QString OpenAction = QStringLiteral("open");
// The installed icon's name and the desktop entry's name without ".desktop".
const QString IconName = QStringLiteral("pollwick");
const QString DesktopEntry = QStringLiteral("pollwick");

} // namespace

DesktopNotifications::DesktopNotifications(Services &services, ProgramState &state,
                                           DesktopNotificationsHost &host, QObject *parent)
    : QObject(parent), m_services(services), m_state(state), m_host(host)
{
}

QString DesktopNotifications::body(const QString &line, const QStringList &capabilities)
{
    if (!capabilities.contains(QStringLiteral("body-markup")))
        return line;
    QString escaped = line;
    escaped.replace(QLatin1Char('&'), QStringLiteral("&amp;"));
    escaped.replace(QLatin1Char('<'), QStringLiteral("&lt;"));
    escaped.replace(QLatin1Char('>'), QStringLiteral("&gt;"));
    return escaped;
}

QStringList DesktopNotifications::actions(const AlertNotice &notice,
                                          const QStringList &capabilities)
{
    if (!capabilities.contains(QStringLiteral("actions")))
        return {};
    QStringList list{DefaultAction, QStringLiteral("New Torrents")};
    if (notice.downloadable && notice.torrentId != 0)
        list << DownloadAction << QStringLiteral("Download");
    if (!notice.address.isEmpty())
        list << OpenAction << QStringLiteral("Open page");
    return list;
}

void DesktopNotifications::show(const Announcement &announcement)
{
    if (m_current) {
        m_next = announcement;
        return;
    }
    start(announcement);
}

QString DesktopNotifications::unreachable()
{
    QDBusConnection *bus = m_services.bus;
    if (!bus || !bus->isConnected())
        return QStringLiteral("no session bus");
    QDBusConnectionInterface *daemon = bus->interface();
    const QDBusReply<bool> owned = daemon->isServiceRegistered(Service);
    if (owned.isValid() && owned.value())
        return QString();
    const QDBusReply<QStringList> activatable = daemon->activatableServiceNames();
    if (activatable.isValid() && activatable.value().contains(Service))
        return QString();
    return Service + QStringLiteral(" is neither running nor activatable");
}

void DesktopNotifications::start(const Announcement &announcement)
{
    m_current = announcement;
    const QString reason = unreachable();
    if (!reason.isEmpty()) {
        fail(reason);
        return;
    }
    QDBusConnection &bus = *m_services.bus;
    if (!m_listening) {
        // Subscribed before the first notification, so that no answer to it is missed.
        bus.connect(Service, Path, Interface, QStringLiteral("ActionInvoked"), this,
                    SLOT(onActionInvoked(uint, QString)));
        bus.connect(Service, Path, Interface, QStringLiteral("NotificationClosed"), this,
                    SLOT(onNotificationClosed(uint, uint)));
        m_listening = true;
    }
    const QDBusMessage call =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("GetCapabilities"));
    auto *watcher = new QDBusPendingCallWatcher(bus.asyncCall(call, m_timeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            &DesktopNotifications::onCapabilities);
}

void DesktopNotifications::onCapabilities(QDBusPendingCallWatcher *call)
{
    call->deleteLater();
    const QDBusPendingReply<QStringList> reply = *call;
    if (reply.isError()) {
        fail(QStringLiteral("GetCapabilities: ") + reply.error().message());
        return;
    }
    const QStringList capabilities = reply.value();
    const AlertNotice &notice = m_current->notice;
    const bool sound = StoredPlaySound(*m_services.store);
    QVariantMap hints{{QStringLiteral("desktop-entry"), DesktopEntry}};
    // The program plays its own sound, as with the popup.
    if (sound)
        hints.insert(QStringLiteral("suppress-sound"), true);
    QDBusMessage notify =
        QDBusMessage::createMethodCall(Service, Path, Interface, QStringLiteral("Notify"));
    notify << AppInfo::Title << quint32(m_replacesId) << IconName << AppInfo::Title
           << body(notice.line, capabilities) << actions(notice, capabilities) << hints
           << qint32(ExpiryMs);
    auto *watcher =
        new QDBusPendingCallWatcher(m_services.bus->asyncCall(notify, m_timeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, sound](QDBusPendingCallWatcher *w) { onNotified(w, sound); });
}

void DesktopNotifications::onNotified(QDBusPendingCallWatcher *call, bool sound)
{
    call->deleteLater();
    const QDBusPendingReply<uint> reply = *call;
    if (reply.isError()) {
        fail(QStringLiteral("Notify: ") + reply.error().message());
        return;
    }
    const uint id = reply.value();
    // The previous notification was replaced (or the server gave a new id, when it had gone).
    m_shown.remove(m_replacesId);
    m_shown.insert(id, m_current->notice);
    m_replacesId = id;
    if (sound)
        m_services.sound->play(FrmVSPopUp::soundFile(m_services));
    finish();
}

void DesktopNotifications::fail(const QString &reason)
{
    const Announcement announcement = *m_current;
    m_current.reset();
    m_host.notificationFailed(announcement, reason);
    finish();
}

void DesktopNotifications::finish()
{
    m_current.reset();
    if (!m_next)
        return;
    const Announcement next = *m_next;
    m_next.reset();
    start(next);
}

void DesktopNotifications::onActionInvoked(uint id, const QString &action)
{
    const auto found = m_shown.find(id);
    if (found == m_shown.end())
        return;
    // A copy: the host's windows may change the table before the action is done.
    const AlertNotice notice = *found;
    if (action == DefaultAction) {
        m_host.showNewTorrents();
    } else if (action == DownloadAction && notice.downloadable) {
        found->downloadable = false;
        m_host.startDownload(notice.downloadNow(m_state));
    } else if (action == OpenAction) {
        m_host.openPage(notice.address);
    }
}

void DesktopNotifications::onNotificationClosed(uint id, uint)
{
    m_shown.remove(id);
    if (id == m_replacesId)
        m_replacesId = 0;
}
