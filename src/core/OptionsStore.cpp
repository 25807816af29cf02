#include "core/OptionsStore.h"

#include "core/HandoffOptions.h"
#include "core/StartupRules.h"
#include "model/Settings.h"
#include "platform/AppConfig.h"
#include "platform/AppInfo.h"
#include "platform/DebugConsole.h"
#include "platform/SettingNames.h"
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
                           StoredPassword &password, StoredPassword *qbittorrentPassword,
                           StoredPassword *transmissionPassword)
    : m_store(store), m_config(config), m_log(log), m_password(password),
      m_qbittorrentPassword(qbittorrentPassword), m_transmissionPassword(transmissionPassword)
{
}

void OptionsStore::loadHandoff(Settings &s)
{
    s.Handoff = HandoffOptions::load(m_store);
    // The copies in memory; a keyring still reading gives its answer later.
    if (m_qbittorrentPassword)
        s.Handoff.qbt.password = m_qbittorrentPassword->password();
    if (m_transmissionPassword)
        s.Handoff.tr.password = m_transmissionPassword->password();
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
    if (m_store.ReadSettingNumber(SettingName::Interval) == 0) {
        m_log.debug_console(QStringLiteral("No interval set. Writing default..."));
        m_store.WriteSettingNumber(SettingName::Interval, 600);
        m_store.WriteSettingNumber(SettingName::PlaySound, 1);
        m_store.WriteSettingNumber(SettingName::OneTime, 1);
    }
    s.CheckIntervalSeconds = m_store.ReadSettingNumber(SettingName::Interval);

    // Started at program start already; a keyring still reading gives its answer later.
    m_password.load();
    reloadCredentials(s);
    loadHandoff(s);

    const QString stored = m_store.ReadSettingText(SettingName::TorrentPath);
    if (stored.isEmpty() || !QFileInfo(stored).isDir()) {
        s.TorrentFolder = defaultTorrentFolder();
        QDir().mkpath(s.TorrentFolder);
        if (stored.isEmpty())
            m_store.WriteSettingText(SettingName::TorrentPath, s.TorrentFolder);
    } else {
        s.TorrentFolder = folderText(stored);
    }

    s.DoubleClickAction = m_store.ReadSettingNumber(SettingName::DoubleClick) == 2 ? 2 : 1;
    const qint16 style = m_store.ReadSettingNumber(SettingName::NotifyStyle);
    s.NotifyStyle = style >= 0 && style <= 2 ? style : 0;
    reloadCheckBoxes(s);

    const qint16 wait = m_store.ReadSettingNumber(SettingName::StartupWait);
    if (wait != 0) {
        s.StartupWaitSeconds = wait;
    } else {
        m_store.WriteSettingNumber(SettingName::StartupWait, 300);
        s.StartupWaitSeconds = 300;
    }
}

void OptionsStore::reloadCredentials(Settings &s)
{
    s.SiteUserName = m_store.ReadSettingText(SettingName::SiteUserName);
    // The copy in memory: the keyring is read once, at start.
    s.SitePassword = m_password.password();
    s.SitePasswordChanged = false;
}

void OptionsStore::reloadCheckBoxes(Settings &s)
{
    s.ShowDebugLog = m_store.ReadSettingNumber(SettingName::ShowDebug) == 1 ? 1 : 0;
    s.PlaySound = StoredPlaySound(m_store) ? 1 : 0;
    s.AlertOnce = m_store.ReadSettingNumber(SettingName::OneTime) == 1;
    s.StartupWaitEnabled = m_store.ReadSettingNumber(SettingName::StartupWaitEnabled) != 0;
    s.RunAtStartup = runEntryPresent();
}

void OptionsStore::reloadForCancel(Settings &s)
{
    reloadCheckBoxes(s);
    s.DetectProcesses = m_store.ReadSettingNumber(SettingName::DetectProcs) != 0;
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
    m_store.WriteSettingNumber(SettingName::FilterEnabled, page.filterEnabled ? 1 : 0);

    if (s.RunAtStartup) {
        if (!m_store.RegWriteText(SettingsStore::HKEY_CURRENT_USER, SettingsStore::RunKey(),
                                  AppInfo::Title, runEntryCommandLine()))
            m_log.debug_console(QStringLiteral("Unable to write the autostart entry: ") +
                                m_store.lastError());
    } else {
        m_store.RegDeleteValueName(SettingsStore::HKEY_CURRENT_USER, SettingsStore::RunKey(),
                                   AppInfo::Title);
    }

    m_store.WriteSettingNumber(SettingName::StartupWaitEnabled, s.StartupWaitEnabled ? 1 : 0);
    if (s.StartupWaitEnabled) {
        s.StartupWaitSeconds = page.waitSeconds;
        m_store.WriteSettingNumber(SettingName::StartupWait, s.StartupWaitSeconds);
    }

    m_store.WriteSettingNumber(SettingName::DetectProcs, s.DetectProcesses ? 1 : 0);
    if (page.procRows.isEmpty()) {
        m_store.WriteSettingNumber(SettingName::DetectProcs, 0);
        m_store.WriteSettingText(SettingName::Procs, QString());
        s.DetectProcesses = false;
    } else {
        m_store.WriteSettingText(SettingName::Procs,
                                 WatchedPrograms::joinForStorage(page.procRows));
    }
    loadprocs(s);

    s.DoubleClickAction = page.doubleClickAction == 2 ? 2 : 1;
    m_store.WriteSettingNumber(SettingName::DoubleClick, s.DoubleClickAction);
    s.NotifyStyle = page.notifyStyle;
    m_store.WriteSettingNumber(SettingName::NotifyStyle, s.NotifyStyle);
    m_store.WriteSettingNumber(SettingName::ShowDebug, s.ShowDebugLog == 1 ? 1 : 0);
    m_store.WriteSettingNumber(SettingName::OneTime, s.AlertOnce ? 1 : 0);
    m_store.WriteSettingNumber(SettingName::PlaySound, s.PlaySound == 1 ? 1 : 0);

    m_store.WriteSettingText(SettingName::SiteUserName, s.SiteUserName);
    if (s.SitePasswordChanged) {
        m_password.store(s.SitePassword);
        s.SitePasswordChanged = false;
    }

    HandoffOptions::save(m_store, page.handoff);
    HandoffOptions::keepPassword(m_qbittorrentPassword, page.handoff.qbt.password);
    HandoffOptions::keepPassword(m_transmissionPassword, page.handoff.tr.password);
    loadHandoff(s);

    s.TorrentFolder = folderText(page.torrentPath);
    m_store.WriteSettingText(SettingName::TorrentPath, s.TorrentFolder);
    return s.TorrentFolder;
}
