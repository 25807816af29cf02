#pragma once

#include "platform/AppConfig.h"

#include <functional>

class Clock;
class DebugConsole;
class QDBusConnection;
class Dialogs;
class Notifier;
class ProcessList;
class QNetworkAccessManager;
class ScreenMetrics;
class SettingsStore;
class Shell;
class SiteWait;
class Sound;

// Everything a window or a core procedure needs from the outside world, built once in main()
// and by each test for itself. Nothing here is reached through a global.
struct Services
{
    AppConfig config;
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
    // Ends the program at once with the given exit code.
    std::function<void(int)> endProgram;
};
