#include "core/DebugLog.h"
#include "core/DesktopNotifier.h"
#include "core/PollwickApp.h"
#include "platform/AppConfig.h"
#include "platform/AppInfo.h"
#include "platform/Clock.h"
#include "platform/DesktopShell.h"
#include "platform/KeychainPasswordStore.h"
#include "platform/ProcessList.h"
#include "platform/ProgramIcon.h"
#include "platform/QtDialogs.h"
#include "platform/QtScreenMetrics.h"
#include "platform/QtSound.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"
#include "platform/StoredPassword.h"

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
    // Qt picks the display platform: native Wayland where the session is Wayland. There the
    // popup, which Wayland lets no client place, gives way to desktop notifications.
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppInfo::Title);
    QApplication::setApplicationVersion(AppInfo::VersionText());
    // Only "Exit" in the tray menu ends the program, never closing its last window.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::setWindowIcon(ProgramIcon::icon());

    SystemClock clock;
    QtDialogs dialogs;
    QtSound sound;
    QtScreenMetrics screen;
    ProcFsProcessList processes;
    QNetworkAccessManager network;
    QDBusConnection bus = QDBusConnection::sessionBus();

    Services services;
    services.config = AppConfig::fromEnvironment();
    services.session.platformName = QGuiApplication::platformName();
    services.session.waylandDisplay = env("WAYLAND_DISPLAY");
    SettingsStore store(services.config.settingsPath(), services.config.autostartPath());
    DebugLog log(&clock);
    log.setMirror(env("POLLWICK_LOG"));
    DesktopShell shell(dialogs, log);
    services.store = &store;
    services.network = &network;
    services.log = &log;
    services.clock = &clock;
    services.processes = &processes;
    services.dialogs = &dialogs;
    services.shell = &shell;
    services.sound = &sound;
    services.screen = &screen;
    services.bus = &bus;
    KeychainPasswordStore keyring(&bus);
    services.keyring = &keyring;
    StoredPassword sitePassword(QStringLiteral("site_password"),
                                QStringLiteral("password_in_keyring"), store, services.keyring,
                                log);
    services.sitePassword = &sitePassword;
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
