#include "core/OptionsStore.h"

#include "core/StartupRules.h"
#include "model/Settings.h"
#include "platform/AppConfig.h"
#include "platform/AppInfo.h"
#include "platform/DebugConsole.h"
#include "platform/SettingsStore.h"
#include "platform/StoredPassword.h"

#include <QDir>
#include <QFileInfo>

namespace {

// A folder as the program keeps it: ending in "/", with no "//".
QString folderText(QString text)
{
    if (!text.endsWith(QLatin1Char('/')))
        text += QLatin1Char('/');
    while (text.contains(QStringLiteral("//")))
        text.replace(QStringLiteral("//"), QStringLiteral("/"));
    return text;
}

} // namespace

OptionsStore::OptionsStore(SettingsStore &store, const AppConfig &config, DebugConsole &log,
                           StoredPassword &password)
    : m_store(store), m_config(config), m_log(log), m_password(password)
{
}

QString OptionsStore::defaultTorrentFolder() const
{
    return m_config.programFolder() + QStringLiteral("torrents/");
}

QString OptionsStore::runEntryCommandLine() const
{
    return StartupRules::runEntryCommandLine(m_config.executablePath());
}

bool OptionsStore::runEntryPresent() const
{
    return !m_store
                .RegReadText(SettingsStore::HKEY_CURRENT_USER, SettingsStore::RunKey(),
                             AppInfo::Title)
                .isEmpty();
}

void OptionsStore::load(Settings &s)
{
    m_log.debug_console(QStringLiteral("Loading settings..."));
    // The defaults written here are stored as one change.
    SettingsStore::Batch batch(m_store);
    if (m_store.ReadSettingNumber(QStringLiteral("interval")) == 0) {
        m_log.debug_console(QStringLiteral("No interval set. Writing default..."));
        m_store.WriteSettingNumber(QStringLiteral("interval"), 600);
        m_store.WriteSettingNumber(QStringLiteral("playsound"), 1);
        m_store.WriteSettingNumber(QStringLiteral("onetime"), 1);
    }
    s.CheckIntervalSeconds = m_store.ReadSettingNumber(QStringLiteral("interval"));

    // Started at program start already; a keyring still reading gives its answer later.
    m_password.load();
    reloadCredentials(s);

    const QString stored = m_store.ReadSettingText(QStringLiteral("torrentpath"));
    if (stored.isEmpty() || !QFileInfo(stored).isDir()) {
        s.TorrentFolder = defaultTorrentFolder();
        QDir().mkpath(s.TorrentFolder);
        if (stored.isEmpty())
            m_store.WriteSettingText(QStringLiteral("torrentpath"), s.TorrentFolder);
    } else {
        s.TorrentFolder = folderText(stored);
    }

    s.DoubleClickAction = m_store.ReadSettingNumber(QStringLiteral("doubleclick")) == 2 ? 2 : 1;
    const qint16 style = m_store.ReadSettingNumber(QStringLiteral("notifystyle"));
    s.NotifyStyle = style >= 0 && style <= 2 ? style : 0;
    reloadCheckBoxes(s);

    const qint16 wait = m_store.ReadSettingNumber(QStringLiteral("startupwait"));
    if (wait != 0) {
        s.StartupWaitSeconds = wait;
    } else {
        m_store.WriteSettingNumber(QStringLiteral("startupwait"), 300);
        s.StartupWaitSeconds = 300;
    }
}

void OptionsStore::reloadCredentials(Settings &s)
{
    s.SiteUserName = m_store.ReadSettingText(QStringLiteral("site_username"));
    // The copy in memory: the keyring is read once, at start.
    s.SitePassword = m_password.password();
    s.SitePasswordChanged = false;
}

void OptionsStore::reloadCheckBoxes(Settings &s)
{
    s.ShowDebugLog = m_store.ReadSettingNumber(QStringLiteral("showdebug")) == 1 ? 1 : 0;
    s.PlaySound = m_store.ReadSettingNumber(QStringLiteral("playsound")) == 1 ? 1 : 0;
    s.AlertOnce = m_store.ReadSettingNumber(QStringLiteral("onetime")) == 1;
    s.StartupWaitEnabled = m_store.ReadSettingNumber(QStringLiteral("startupwaitenabled")) != 0;
    s.RunAtStartup = runEntryPresent();
}

void OptionsStore::reloadForCancel(Settings &s)
{
    reloadCheckBoxes(s);
    s.DetectProcesses = m_store.ReadSettingNumber(QStringLiteral("detectprocs")) != 0;
    reloadCredentials(s);
}

WatchedPrograms::Loaded OptionsStore::loadprocs(Settings &s)
{
    const WatchedPrograms::Loaded loaded = WatchedPrograms::loadprocs(m_store);
    s.DetectProcesses = loaded.detect;
    s.WatchedProcesses = loaded.entries;
    return loaded;
}

QString OptionsStore::save(const PageValues &page, Settings &s)
{
    SettingsStore::Batch batch(m_store);
    m_store.WriteSettingNumber(QStringLiteral("filterenabled"), page.filterEnabled ? 1 : 0);

    if (s.RunAtStartup) {
        if (!m_store.RegWriteText(SettingsStore::HKEY_CURRENT_USER, SettingsStore::RunKey(),
                                  AppInfo::Title, runEntryCommandLine()))
            m_log.debug_console(QStringLiteral("Unable to write the autostart entry: ") +
                                m_store.lastError());
    } else {
        m_store.RegDeleteValueName(SettingsStore::HKEY_CURRENT_USER, SettingsStore::RunKey(),
                                   AppInfo::Title);
    }

    m_store.WriteSettingNumber(QStringLiteral("startupwaitenabled"), s.StartupWaitEnabled ? 1 : 0);
    if (s.StartupWaitEnabled) {
        s.StartupWaitSeconds = page.waitSeconds;
        m_store.WriteSettingNumber(QStringLiteral("startupwait"), s.StartupWaitSeconds);
    }

    m_store.WriteSettingNumber(QStringLiteral("detectprocs"), s.DetectProcesses ? 1 : 0);
    if (page.procRows.isEmpty()) {
        m_store.WriteSettingNumber(QStringLiteral("detectprocs"), 0);
        m_store.WriteSettingText(QStringLiteral("procs"), QString());
        s.DetectProcesses = false;
    } else {
        m_store.WriteSettingText(QStringLiteral("procs"),
                                 WatchedPrograms::joinForStorage(page.procRows));
    }
    loadprocs(s);

    s.DoubleClickAction = page.doubleClickAction == 2 ? 2 : 1;
    m_store.WriteSettingNumber(QStringLiteral("doubleclick"), s.DoubleClickAction);
    s.NotifyStyle = page.notifyStyle;
    m_store.WriteSettingNumber(QStringLiteral("notifystyle"), s.NotifyStyle);
    m_store.WriteSettingNumber(QStringLiteral("showdebug"), s.ShowDebugLog == 1 ? 1 : 0);
    m_store.WriteSettingNumber(QStringLiteral("onetime"), s.AlertOnce ? 1 : 0);
    m_store.WriteSettingNumber(QStringLiteral("playsound"), s.PlaySound == 1 ? 1 : 0);

    m_store.WriteSettingText(QStringLiteral("site_username"), s.SiteUserName);
    if (s.SitePasswordChanged) {
        m_password.store(s.SitePassword);
        s.SitePasswordChanged = false;
    }

    s.TorrentFolder = folderText(page.torrentPath);
    m_store.WriteSettingText(QStringLiteral("torrentpath"), s.TorrentFolder);
    return s.TorrentFolder;
}
