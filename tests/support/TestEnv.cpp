#include "TestEnv.h"

#include "core/HandoffOptions.h"

#include <QDir>
#include <QFile>

TestEnv::TestEnv()
{
    qputenv("POLLWICK_HOME", dir.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", (dir.path() + QStringLiteral("/config")).toLocal8Bit());
    qunsetenv("POLLWICK_SITE_URL");
    qunsetenv("POLLWICK_LOG");
    qunsetenv("POLLWICK_AUTOSTART_DIR");
    qunsetenv("POLLWICK_CHECK_SECONDS");
    qunsetenv("POLLWICK_NO_KEYRING");
    services.config = AppConfig::fromEnvironment();
    store = std::make_unique<SettingsStore>(services.config.settingsPath(),
                                            services.config.autostartPath());
    log = std::make_unique<DebugLog>(&clock);
    siteWait = std::make_unique<SiteWait>(*store, clock);
    sitePassword = std::make_unique<StoredPassword>(QStringLiteral("site_password"),
                                                    QStringLiteral("password_in_keyring"), *store,
                                                    nullptr, *log);
    services.store = store.get();
    services.siteWait = siteWait.get();
    services.sitePassword = sitePassword.get();
    qbittorrentPassword =
        HandoffOptions::storedPassword(HandoffSettings::Qbittorrent, *store, nullptr, *log);
    transmissionPassword =
        HandoffOptions::storedPassword(HandoffSettings::Transmission, *store, nullptr, *log);
    services.qbittorrentPassword = qbittorrentPassword.get();
    services.transmissionPassword = transmissionPassword.get();
    services.network = &network;
    services.log = log.get();
    services.clock = &clock;
    services.processes = &processes;
    services.dialogs = &dialogs;
    services.shell = &shell;
    services.sound = &sound;
    services.screen = &screen;
    services.notifier = &notifier;
    services.endProgram = [this](int code) { endProgramCalls.append(code); };
}

TestEnv::~TestEnv()
{
    qunsetenv("POLLWICK_SITE_URL");
}

void TestEnv::useSite(const QString &baseUrl)
{
    qputenv("POLLWICK_SITE_URL", baseUrl.toLocal8Bit());
}

QString TestEnv::problems() const
{
    return dialogs.problems();
}

QStringList TestEnv::messages() const
{
    QStringList out;
    for (const QString &line : log->lines())
        out << line.mid(line.indexOf(QStringLiteral(") ")) + 2);
    return out;
}

QByteArray TestEnv::readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
