#pragma once

#include <QObject>

class QDBusConnection;
class QDBusPendingCallWatcher;

// Whether a notification area is there to take the tray icon, found without asking Qt. Qt
// decides once per process whether a StatusNotifier (D-Bus) tray exists, at its first
// QSystemTrayIcon call (the constructor and isSystemTrayAvailable() included), so the program
// makes none until this finds a host: org.kde.StatusNotifierWatcher on the session bus saying
// IsStatusNotifierHostRegistered, or, on X11, an owner of the XEmbed tray selection. The
// watcher is asked at start, whenever its name appears, when it announces a host and at each
// look; hostAppeared() says when it finds one.
class TrayHostWatcher : public QObject
{
    Q_OBJECT
public:
    static const QString Service; // org.kde.StatusNotifierWatcher
    static const QString Path;    // /StatusNotifierWatcher

    // bus: the session bus, or null.
    explicit TrayHostWatcher(QDBusConnection *bus, QObject *parent = nullptr);

    // A host is known now. Asks the watcher again in the background.
    bool hostPresent();

signals:
    void hostAppeared();

private slots:
    void onHostRegistered();

private:
    void ask();
    void onAnswer(QDBusPendingCallWatcher *call);
    void setRegistered(bool registered);

    QDBusConnection *m_bus;
    bool m_registered = false;
    bool m_asking = false;
};
