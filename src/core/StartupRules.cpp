#include "core/StartupRules.h"

#include "platform/AppConfig.h"
#include "platform/AppInfo.h"
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
    const QString build = store.ReadSettingText(QStringLiteral("appbuild"));
    // An ordinal text comparison, not a numeric one.
    const bool wipe = build.isEmpty() || build.compare(QLatin1String("506")) <= 0;
    // The wiped key and the new build are stored as one change.
    SettingsStore::Batch batch(store);
    if (wipe)
        store.RegDeleteKeyPath(SettingsStore::HKEY_CURRENT_USER,
                               QStringLiteral("Software\\") + AppInfo::Title);
    store.WriteSettingText(QStringLiteral("appbuild"), QString::number(AppInfo::Revision));
    return wipe;
}

QString loadedLine()
{
    return AppInfo::Title + QLatin1Char(' ') + QString::number(AppInfo::Major) + QLatin1Char('.') +
           QString::number(AppInfo::Minor) + QStringLiteral("  (build ") +
           QString::number(AppInfo::Revision) + QStringLiteral(")  loaded");
}

QString findHelpFile(const AppConfig &config)
{
    const QString name = AppInfo::Title.toLower() + QStringLiteral(" help.chm");
    const QStringList folders = {config.programFolder(), config.installedDataFolder()};
    for (const QString &folder : folders) {
        if (folder.isEmpty())
            continue;
        const QString path = folder + name;
        if (QFileInfo(path).isFile())
            return path;
    }
    return QString();
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

} // namespace StartupRules
