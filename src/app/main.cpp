#include "core/DebugLog.h"
#include "core/DesktopNotifier.h"
#include "core/HandoffOptions.h"
#include "core/PollwickApp.h"
#include "core/StartupRules.h"
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
#include "platform/SettingNames.h"
#include "platform/SettingsStore.h"
#include "platform/SiteWait.h"
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
    // "--help", "--version" and a missing display are answered before anything of the start:
    // no lock, no settings, no window, and no Qt platform plugin that would abort.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    switch (StartupRules::earlyStart(arguments, env("QT_QPA_PLATFORM"), env("DISPLAY"),
                                     env("WAYLAND_DISPLAY"))) {
    case StartupRules::EarlyStart::Help:
        std::fputs(StartupRules::usageText().toLocal8Bit().constData(), stdout);
        return 0;
    case StartupRules::EarlyStart::Version:
        std::fputs((StartupRules::versionLine() + QLatin1Char('\n')).toLocal8Bit().constData(),
                   stdout);
        return 0;
    case StartupRules::EarlyStart::NoDisplay:
        std::fputs(StartupRules::noDisplayText().toLocal8Bit().constData(), stderr);
        return 1;
    case StartupRules::EarlyStart::Run:
        break;
    }

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
    SiteWait siteWait(store, clock);
    DesktopShell shell(dialogs, log);
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
    KeychainPasswordStore keyring(&bus);
    // POLLWICK_NO_KEYRING (the demo sets it) keeps the passwords in the settings file.
    services.keyring = services.config.keyringAllowed() ? &keyring : nullptr;
    StoredPassword sitePassword(SettingName::SitePassword, SettingName::PasswordInKeyring, store,
                                services.keyring, log);
    services.sitePassword = &sitePassword;
    const auto qbittorrentPassword =
        HandoffOptions::storedPassword(HandoffSettings::Qbittorrent, store, services.keyring, log);
    const auto transmissionPassword =
        HandoffOptions::storedPassword(HandoffSettings::Transmission, store, services.keyring, log);
    services.qbittorrentPassword = qbittorrentPassword.get();
    services.transmissionPassword = transmissionPassword.get();
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
