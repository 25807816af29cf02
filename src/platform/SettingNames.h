#pragma once

#include <QString>

class SettingsStore;

// The names of the values kept in the settings store (settings.reg). Every reader and writer
// of a value names it through these, so a name is spelled once. (The torrent clients' values
// are named by HandoffOptions from a prefix each, the remembered window sizes by
// WindowSizeStore.)
namespace SettingName {

inline const QString AppBuild = QStringLiteral("appbuild");
inline const QString DetectProcs = QStringLiteral("detectprocs");
inline const QString DoubleClick = QStringLiteral("doubleclick");
inline const QString FilterEnabled = QStringLiteral("filterenabled");
inline const QString FilterVersion = QStringLiteral("filterver");
inline const QString Handoff = QStringLiteral("handoff");
inline const QString Interval = QStringLiteral("interval");
inline const QString LastAlerted = QStringLiteral("lastalerted");
inline const QString LastParsed = QStringLiteral("lastparsed");
inline const QString NotifyStyle = QStringLiteral("notifystyle");
inline const QString OneTime = QStringLiteral("onetime");
inline const QString PasswordInKeyring = QStringLiteral("password_in_keyring");
inline const QString PlaySound = QStringLiteral("playsound");
inline const QString Procs = QStringLiteral("procs");
inline const QString RetryAfter = QStringLiteral("retryafter");
inline const QString SearchCreated = QStringLiteral("search_created");
inline const QString SearchNewest = QStringLiteral("search_newest");
inline const QString SearchUpdated = QStringLiteral("search_updated");
inline const QString ShowDebug = QStringLiteral("showdebug");
inline const QString SitePassword = QStringLiteral("site_password");
inline const QString SiteUserName = QStringLiteral("site_username");
inline const QString StartupWait = QStringLiteral("startupwait");
inline const QString StartupWaitEnabled = QStringLiteral("startupwaitenabled");
inline const QString SummaryHideDownloaded = QStringLiteral("summary_hidedownloaded");
inline const QString TorrentPath = QStringLiteral("torrentpath");

} // namespace SettingName

// The options' "Play a sound" as stored, which the popup and the notifications follow: on only
// when the value is exactly 1.
bool StoredPlaySound(const SettingsStore &store);
