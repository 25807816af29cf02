#pragma once

#include "platform/AppConfig.h"
#include "platform/DesktopSession.h"

#include <functional>

class Clock;
class DebugConsole;
class QDBusConnection;
class Dialogs;
class Notifier;
class PasswordStore;
class ProcessList;
class QNetworkAccessManager;
class ScreenMetrics;
class SettingsStore;
class Shell;
class SiteWait;
class Sound;
class StoredPassword;

// Everything a window or a core procedure needs from the outside world, built once in main()
// and by each test for itself. Nothing here is reached through a global.
struct Services
{
    AppConfig config;
    DesktopSession session;
    SettingsStore *store = nullptr;
    QNetworkAccessManager *network = nullptr; // one per process: one cookie jar
    SiteWait *siteWait = nullptr;             // the pause the site asked for; one per process
    DebugConsole *log = nullptr;
    Clock *clock = nullptr;
    ProcessList *processes = nullptr;
    Dialogs *dialogs = nullptr;
    Shell *shell = nullptr;
    Sound *sound = nullptr;
    ScreenMetrics *screen = nullptr;
    Notifier *notifier = nullptr;
    // The desktop's session bus (notification server, tray watcher, keyring); null or not
    // connected where there is none. Tests hand in a private bus.
    QDBusConnection *bus = nullptr;
    // The desktop's keyring; null where the program must not use one (the settings file then
    // keeps the passwords).
    PasswordStore *keyring = nullptr;
    // The member's site password, kept in the keyring or the settings file, and its copy in
    // memory. Built with the store, the keyring and the log.
    StoredPassword *sitePassword = nullptr;
    // The torrent clients' passwords, kept the same way (HandoffOptions::storedPassword).
    StoredPassword *qbittorrentPassword = nullptr;
    StoredPassword *transmissionPassword = nullptr;
    // Ends the program at once with the given exit code.
    std::function<void(int)> endProgram;
};
