#include "core/DebugReport.h"

#include "model/Settings.h"
#include "platform/AppInfo.h"
#include "platform/SettingNames.h"
#include "platform/SettingsStore.h"
#include "platform/WholeFiles.h"

#include <QFileInfo>

namespace {

QString trueFalse(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace

QString DebugReport::build(const Input &in)
{
    const Settings &s = *in.settings;
    const SettingsStore &store = *in.store;
    QStringList lines;
    lines << AppInfo::Title + QLatin1Char(' ') + AppInfo::VersionText() +
                 QStringLiteral(" Debug Info");
    lines << QString(29, QLatin1Char('-'));
    lines << QString() << QString();
    lines << QStringLiteral("Appbuld: ") + store.ReadSettingText(SettingName::AppBuild);
    lines << QStringLiteral("Onetime: ") + trueFalse(s.AlertOnce);
    lines << QStringLiteral("Detect Procs: ") + trueFalse(s.DetectProcesses);
    for (const QString &row : in.procRows)
        lines << QStringLiteral("   ") + row;
    lines << QStringLiteral("Torrent path: ") + s.TorrentFolder;
    lines << QStringLiteral("User & Pass Set? (y/n): ") +
                 (!s.SiteUserName.isEmpty() && !s.SitePassword.isEmpty() ? QStringLiteral("Yes")
                                                                         : QStringLiteral("No"));
    lines << QStringLiteral("Filter Torrents: ") + trueFalse(in.filterEnabled);
    const QString filterver = store.ReadSettingText(SettingName::FilterVersion);
    lines << QStringLiteral("Filter Version: ") +
                 (filterver.isEmpty() ? QStringLiteral("1.0") : filterver);
    lines << QStringLiteral("la: ") + store.ReadSettingText(SettingName::LastAlerted);
    lines << QStringLiteral("lp: ") + store.ReadSettingText(SettingName::LastParsed);
    if (QFileInfo::exists(in.filtersPath)) {
        lines << QStringLiteral("Filters (") + QString::number(in.filterCount) +
                     QStringLiteral("): ");
        // The file's own CR LF line ends are kept; one more follows its last byte.
        lines << ReadTextFile(in.filtersPath);
        lines << QString(9, QLatin1Char('-'));
    }
    lines << QStringLiteral("Available debug log entires: ");
    for (const QString &line : in.logLines)
        lines << QStringLiteral("   ") + line;

    const QString crlf = QStringLiteral("\r\n");
    return lines.join(crlf) + crlf;
}
