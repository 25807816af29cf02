#pragma once

#include "core/DebugLog.h"
#include "platform/Clock.h"
#include "platform/DesktopShell.h"
#include "platform/QtDialogs.h"
#include "platform/QtScreenMetrics.h"
#include "platform/QtSound.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"
#include "platform/SiteWait.h"

#include <QNetworkAccessManager>
#include <QTemporaryDir>

#include <cstdlib>

// What the benchmarks that open windows share: the real services, with the program folder
// and the settings in a temporary folder.
struct BenchServices
{
    BenchServices()
    {
        services.config = AppConfig::inFolder(dir.path());
        services.store = &store;
        services.network = &network;
        services.siteWait = &wait;
        services.log = &log;
        services.clock = &clock;
        services.dialogs = &dialogs;
        services.shell = &shell;
        services.sound = &sound;
        services.screen = &screen;
        services.endProgram = [](int code) { std::exit(code); };
    }

    QTemporaryDir dir;
    SystemClock clock;
    QtDialogs dialogs;
    QtSound sound;
    QtScreenMetrics screen;
    QNetworkAccessManager network;
    SettingsStore store{dir.filePath(QStringLiteral("settings.reg")),
                        dir.filePath(QStringLiteral("autostart.desktop"))};
    SiteWait wait{store, clock};
    DebugLog log{&clock};
    DesktopShell shell{dialogs, log};
    Services services;
};
