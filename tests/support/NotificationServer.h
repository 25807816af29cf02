#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QStringList>
#include <QVariantMap>

// A desktop notification server on a test's private bus (PrivateBus), a real D-Bus peer: it
// owns org.freedesktop.Notifications on a connection of its own, answers GetCapabilities
// (capabilities), GetServerInformation, Notify and CloseNotification, records every call, and
// emits ActionInvoked and NotificationClosed when the test says. It lives in the test's
// thread, so it suits callers that never block on it.
class NotificationServer : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    // How Notify answers.
    enum class Answer
    {
        Normally,
        WithError,
        Never
    };
    struct Notification
    {
        QString appName, icon, summary, body;
        QStringList actions;
        QVariantMap hints;
        uint replacesId = 0, id = 0; // id: what Notify answered
        int expiry = 0;
    };

    explicit NotificationServer(QDBusConnection connection);
    ~NotificationServer() override;

    bool isRegistered() const { return m_registered; }
    // Every method called, in order.
    QStringList calls;
    QList<Notification> notifications;
    QStringList capabilities{QStringLiteral("actions"), QStringLiteral("body"),
                             QStringLiteral("body-markup")};
    Answer notifyAnswer = Answer::Normally;

    void invokeAction(uint id, const QString &action) { emit ActionInvoked(id, action); }
    void close(uint id, uint reason = 2) { emit NotificationClosed(id, reason); }

public slots:
    QStringList GetCapabilities();
    QString GetServerInformation(QString &vendor, QString &version, QString &specVersion);
    uint Notify(const QString &appName, uint replacesId, const QString &icon,
                const QString &summary, const QString &body, const QStringList &actions,
                const QVariantMap &hints, int expiry);
    void CloseNotification(uint id);

signals:
    void NotificationClosed(uint id, uint reason);
    void ActionInvoked(uint id, const QString &action);

private:
    QDBusConnection m_connection;
    bool m_registered = false;
    uint m_nextId = 1;
};
