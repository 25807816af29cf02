#include "platform/AppConfig.h"

#include "platform/PrivateFiles.h"

#include "platform/PasswordScramble.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace {

QString withSlash(QString path)
{
    path = QDir::cleanPath(path);
    if (!path.endsWith(QLatin1Char('/')))
        path += QLatin1Char('/');
    return path;
}

QString homeConfigFolder()
{
    const QByteArray xdg = qgetenv("XDG_CONFIG_HOME");
    if (!xdg.isEmpty())
        return withSlash(QString::fromLocal8Bit(xdg));
    return withSlash(QDir::homePath() + QStringLiteral("/.config"));
}

QString runningExecutable()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationFilePath();
    return QString();
}

QString dataFolderOf(const QString &exe)
{
    // Installed layout: <prefix>/bin/pollwick with data in <prefix>/share/pollwick.
    if (exe.isEmpty())
        return QString();
    QDir dir = QFileInfo(exe).absoluteDir();
    return withSlash(dir.absoluteFilePath(QStringLiteral("../share/pollwick")));
}

} // namespace

AppConfig AppConfig::fromEnvironment()
{
    AppConfig c;
    const QByteArray home = qgetenv("POLLWICK_HOME");
    if (!home.isEmpty()) {
        c.m_programFolder = withSlash(QString::fromLocal8Bit(home));
        c.m_settingsPath = c.m_programFolder + QStringLiteral("settings.reg");
    } else {
        c.m_programFolder = withSlash(QDir::homePath() + QStringLiteral("/.local/share/Pollwick"));
        c.m_settingsPath = homeConfigFolder() + QStringLiteral("Pollwick/settings.reg");
    }
    const QByteArray autostart = qgetenv("POLLWICK_AUTOSTART_DIR");
    c.m_autostartPath = (autostart.isEmpty() ? homeConfigFolder() + QStringLiteral("autostart/")
                                             : withSlash(QString::fromLocal8Bit(autostart))) +
                        QStringLiteral("Pollwick.desktop");
    c.m_executablePath = runningExecutable();
    c.m_dataFolder = dataFolderOf(c.m_executablePath);
    c.m_checkSeconds = checkSecondsFrom(QString::fromLocal8Bit(qgetenv("POLLWICK_CHECK_SECONDS")));
    c.m_keyringAllowed = qgetenv("POLLWICK_NO_KEYRING").isEmpty();
    return c;
}

int AppConfig::checkSecondsFrom(const QString &text)
{
    bool ok = false;
    const qlonglong seconds = text.trimmed().toLongLong(&ok);
    if (!ok || seconds <= 0)
        return 0;
    return int(qBound(qlonglong(MinCheckSeconds), seconds, qlonglong(MaxCheckSeconds)));
}

AppConfig AppConfig::inFolder(const QString &folder)
{
    AppConfig c;
    c.m_programFolder = withSlash(folder);
    c.m_settingsPath = c.m_programFolder + QStringLiteral("settings.reg");
    c.m_autostartPath = c.m_programFolder + QStringLiteral("autostart/Pollwick.desktop");
    c.m_executablePath = runningExecutable();
    c.m_dataFolder = dataFolderOf(c.m_executablePath);
    return c;
}

QString AppConfig::programFolder() const
{
    PrivateFiles::makeFolder(m_programFolder);
    return m_programFolder;
}

QString BuiltInSiteUrlScrambled()
{
    // The built-in site address after ScrambleText, so that it does not stand in the binary
    // as plain text.
    static const unsigned char codes[] = {103, 114, 113, 108, 110, 52,  40, 39, 110, 109, 108,
                                          34,  105, 87,  93,  92,  100, 91, 96, 96,  76,  77,
                                          84,  91,  21,  75,  93,  69,  80, 82, 77,  69};
    return QString::fromLatin1(reinterpret_cast<const char *>(codes), sizeof codes);
}

QString SiteBaseUrl()
{
    QString url = QString::fromLocal8Bit(qgetenv("POLLWICK_SITE_URL")).trimmed();
    if (url.isEmpty())
        url = UnscrambleText(BuiltInSiteUrlScrambled());
    while (url.endsWith(QLatin1Char('/')))
        url.chop(1);
    return url;
}
