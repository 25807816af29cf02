#include "core/DebugLog.h"
#include "core/DesktopNotifier.h"
#include "core/PollwickApp.h"
#include "core/StartupRules.h"
#include "platform/AppConfig.h"
#include "platform/AppInfo.h"
#include "platform/Clock.h"
#include "platform/DesktopShell.h"
#include "platform/ProcessList.h"
#include "platform/ProgramIcon.h"
#include "platform/QtDialogs.h"
#include "platform/QtScreenMetrics.h"
#include "platform/QtSound.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"
#include "platform/SiteWait.h"

#include <QApplication>
#include <QDBusConnection>
#include <QNetworkAccessManager>

#include <cstdio>
#include <cstdlib>

namespace {

QString env(const char *name)
{
    return QString::fromLocal8Bit(qgetenv(name));
}

} // namespace

int main(int argc, char *argv[])
{
    // The popup is placed at the bottom right, which Wayland does not allow a client to do.
    if (StartupRules::shouldUseXcb(env("WAYLAND_DISPLAY"), env("XDG_SESSION_TYPE"), env("DISPLAY"),
                                   env("QT_QPA_PLATFORM")))
        qputenv("QT_QPA_PLATFORM", "xcb");

    QApplication app(argc, argv);
    QApplication::setApplicationName(AppInfo::Title);
    QApplication::setApplicationVersion(AppInfo::VersionText());
    // Only "Exit" in the tray menu ends the program, never closing its last window.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(ProgramIcon::icon());

    SystemClock clock;
    QtDialogs dialogs;
    DesktopShell shell;
    QtSound sound;
    QtScreenMetrics screen;
    ProcFsProcessList processes;
    QNetworkAccessManager network;
    QDBusConnection bus = QDBusConnection::sessionBus();

    Services services;
    services.config = AppConfig::fromEnvironment();
    SettingsStore store(services.config.settingsPath(), services.config.autostartPath());
    DebugLog log(&clock);
    log.setMirror(env("POLLWICK_LOG"));
    SiteWait siteWait(store, clock);
    services.store = &store;
    services.network = &network;
    services.siteWait = &siteWait;
    services.log = &log;
    services.clock = &clock;
    services.processes = &processes;
    services.dialogs = &dialogs;
    services.shell = &shell;
    services.sound = &sound;
    services.screen = &screen;
    services.bus = &bus;
    services.endProgram = [](int code) {
        std::fflush(nullptr);
        std::_Exit(code);
    };

    PollwickApp pollwick(services, QApplication::arguments());
    // The notices go to the application's tray icon, or to its stand-in where there is none.
    DesktopNotifier notifier(pollwick.trayIcon());
    services.notifier = &notifier;
    pollwick.start();
    return app.exec();
}
