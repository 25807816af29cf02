#include "core/DebugLog.h"
#include "platform/AppConfig.h"
#include "platform/AppInfo.h"
#include "platform/Clock.h"
#include "platform/DesktopShell.h"
#include "platform/HttpTransfer.h"
#include "platform/ProcessList.h"
#include "platform/QtDialogs.h"
#include "platform/QtScreenMetrics.h"
#include "platform/QtSound.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"
#include "platform/TextUtils.h"

#include <QApplication>
#include <QNetworkAccessManager>
#include <QPlainTextEdit>

#include <cstdio>
#include <cstdlib>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppInfo::Title);
    QApplication::setQuitOnLastWindowClosed(false);

    SystemClock clock;
    QtDialogs dialogs;
    DesktopShell shell;
    QtSound sound;
    QtScreenMetrics screen;
    ProcFsProcessList processes;
    QNetworkAccessManager network;

    Services services;
    services.config = AppConfig::fromEnvironment();
    SettingsStore store(services.config.settingsPath(), services.config.autostartPath());
    DebugLog log(&clock);
    log.setMirror(QString::fromLocal8Bit(qgetenv("POLLWICK_LOG")));
    services.store = &store;
    services.network = &network;
    services.log = &log;
    services.clock = &clock;
    services.processes = &processes;
    services.dialogs = &dialogs;
    services.shell = &shell;
    services.sound = &sound;
    services.screen = &screen;
    services.endProgram = [](int code) {
        std::fflush(nullptr);
        std::_Exit(code);
    };
    QObject::connect(&store, &SettingsStore::programKeyWriteFailed, [&] {
        dialogs.message(nullptr, AppInfo::Title,
                        QStringLiteral("Critical Error: Unable to write userdata to the registry."),
                        Dialogs::Critical);
        services.endProgram(1);
    });

    log.debug_console(QStringLiteral("%1 %2.%3  (build %4)  loaded")
                          .arg(AppInfo::Title)
                          .arg(AppInfo::Major)
                          .arg(AppInfo::Minor)
                          .arg(AppInfo::Revision));

    // Until the main window exists: fetch the newest torrents and show the reply.
    HttpTransfer transfer(&network);
    transfer.setRequestTimeout(41);
    const QString user = store.ReadSettingText(QStringLiteral("site_username"));
    const QString password = UnscrambleText(store.ReadSettingText(QStringLiteral("site_password")));
    const QString url = SiteBaseUrl() + QStringLiteral("/bots.php?limit=20&u=") + UrlEncode(user) +
                        QStringLiteral("&p=") + UrlEncode(password) + QStringLiteral("&v=11&c=1");
    const QString feed = FetchUrlText(url, transfer);
    std::fputs(feed.isEmpty() ? "Unable to fetch the feed.\n" : qPrintable(feed), stdout);
    std::fflush(stdout);

    QPlainTextEdit view;
    view.setWindowTitle(AppInfo::Title + QStringLiteral(" - newest torrents"));
    view.setReadOnly(true);
    view.setPlainText(feed.isEmpty() ? QStringLiteral("Unable to fetch the feed.") : feed);
    view.resize(900, 500);
    view.show();
    QApplication::setQuitOnLastWindowClosed(true);
    return app.exec();
}
