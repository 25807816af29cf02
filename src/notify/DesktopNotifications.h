#pragma once

#include "notify/AlertNotice.h"

#include <QHash>
#include <QObject>
#include <QStringList>

#include <optional>

class DesktopNotificationsHost;
class QDBusPendingCallWatcher;
struct ProgramState;
struct Services;

// New torrents as desktop notifications (org.freedesktop.Notifications on the session bus of
// Services). Each alert replaces Pollwick's previous notification; its words are the popup's
// with the name whole; the server's capabilities are read first, and the buttons ("Download"
// for one torrent whose download has not started, "Open page") are offered only where it lists
// "actions". Only the signals for ids this program got back from its own Notify calls are acted
// on: a click on another program's notification does nothing.
//
// No server (the name neither owned nor activatable, or a call that fails or has no answer
// within AnswerTimeoutMs) hands the announcement back to the host. One announcement is on its
// way at a time; a newer one waiting replaces an older one that waits.
class DesktopNotifications : public QObject
{
    Q_OBJECT
public:
    static const QString Service;
    static const QString Path;
    static const QString Interface;
    static constexpr int AnswerTimeoutMs = 5000;
    // As long as the popup stays.
    static constexpr int ExpiryMs = 11000;

    DesktopNotifications(Services &services, ProgramState &state, DesktopNotificationsHost &host,
                         QObject *parent = nullptr);

    void show(const Announcement &announcement);

    // The notifications on show by id, with what they are about.
    const QHash<uint, AlertNotice> &shown() const { return m_shown; }
    // The id the next notification replaces (0: none).
    uint replacesId() const { return m_replacesId; }
    // Tests shorten the wait for an answer.
    void setAnswerTimeout(int ms) { m_timeoutMs = ms; }

    // The body as sent: the line, with "&", "<" and ">" escaped for a server that reads markup.
    static QString body(const QString &line, const QStringList &capabilities);
    // Action keys and labels as sent.
    static QStringList actions(const AlertNotice &notice, const QStringList &capabilities);

public slots:
    void onActionInvoked(uint id, const QString &action);
    void onNotificationClosed(uint id, uint reason);

private:
    // Why no server can be reached; empty when one can.
    QString unreachable();
    void start(const Announcement &announcement);
    void onCapabilities(QDBusPendingCallWatcher *call);
    void onNotified(QDBusPendingCallWatcher *call, bool sound);
    void fail(const QString &reason);
    void finish();

    Services &m_services;
    ProgramState &m_state;
    DesktopNotificationsHost &m_host;
    QHash<uint, AlertNotice> m_shown;
    uint m_replacesId = 0;
    int m_timeoutMs = AnswerTimeoutMs;
    bool m_listening = false;
    // The announcement on its way, and the newest one waiting for it.
    std::optional<Announcement> m_current;
    std::optional<Announcement> m_next;
};
