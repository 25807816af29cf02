#include "core/StartupRules.h"

#include "platform/AppConfig.h"
#include "platform/AppInfo.h"
#include "platform/SettingNames.h"
#include "platform/SettingsStore.h"

#include <QFileInfo>

namespace StartupRules {

QString commandLineText(const QStringList &arguments)
{
    return arguments.mid(1).join(QLatin1Char(' '));
}

CommandLineOptions get_commandlineoptions(const QString &commandLine)
{
    CommandLineOptions options;
    options.developerMode = commandLine.contains(QLatin1String("/dev"), Qt::CaseSensitive);
    options.launchedAtStartup = commandLine.contains(QLatin1String("/startup"), Qt::CaseSensitive);
    return options;
}

bool upgradereg(SettingsStore &store)
{
    const QString build = store.ReadSettingText(SettingName::AppBuild);
    // An ordinal text comparison, not a numeric one.
    const bool wipe = build.isEmpty() || build.compare(QLatin1String("506")) <= 0;
    // The wiped key and the new build are stored as one change.
    SettingsStore::Batch batch(store);
    if (wipe)
        store.RegDeleteKeyPath(SettingsStore::HKEY_CURRENT_USER,
                               QStringLiteral("Software\\") + AppInfo::Title);
    store.WriteSettingText(SettingName::AppBuild, QString::number(AppInfo::Revision));
    return wipe;
}

QString loadedLine()
{
    return AppInfo::Title + QLatin1Char(' ') + QString::number(AppInfo::Major) + QLatin1Char('.') +
           QString::number(AppInfo::Minor) + QStringLiteral("  (build ") +
           QString::number(AppInfo::Revision) + QStringLiteral(")  loaded");
}

QString runEntryCommandLine(const QString &executablePath)
{
    QString quoted;
    for (const QChar c : executablePath) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\'))
            quoted += QLatin1Char('\\');
        if (c == QLatin1Char('%'))
            quoted += QLatin1Char('%');
        quoted += c;
    }
    return QLatin1Char('"') + quoted + QStringLiteral("\" /startup");
}

EarlyStart earlyStart(const QStringList &arguments, const QString &qpaPlatform,
                      const QString &display, const QString &waylandDisplay)
{
    const QStringList switches = arguments.mid(1);
    if (switches.contains(QLatin1String("--help")))
        return EarlyStart::Help;
    if (switches.contains(QLatin1String("--version")))
        return EarlyStart::Version;
    if (qpaPlatform.isEmpty() && display.isEmpty() && waylandDisplay.isEmpty())
        return EarlyStart::NoDisplay;
    return EarlyStart::Run;
}

QString usageText()
{
    return QStringLiteral(
        "Usage: pollwick [/startup] [/dev]\n"
        "Tells you about new uploads on Vellumstacks from the desktop's notification "
        "area.\n\n"
        "  /startup   started at login: waits before the first check when the options "
        "say so\n"
        "  /dev       developer mode: every check announces the last 30 torrents again\n"
        "  --help     show this help and end\n"
        "  --version  show the version and end\n\n"
        "One instance runs per user; starting it again shows its window.\n"
        "The manual page (man pollwick) describes the environment variables and "
        "files.\n");
}

QString versionLine()
{
    return AppInfo::Title + QLatin1Char(' ') + QString::number(AppInfo::Major) + QLatin1Char('.') +
           QString::number(AppInfo::Minor) + QStringLiteral(" (build ") +
           QString::number(AppInfo::Revision) + QLatin1Char(')');
}

QString noDisplayText()
{
    return QStringLiteral("Pollwick needs a graphical desktop (no display found).\n");
}

} // namespace StartupRules
