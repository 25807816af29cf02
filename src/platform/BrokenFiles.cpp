#include "platform/BrokenFiles.h"

#include "platform/AppConfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace BrokenFiles {

namespace {

bool holdsCrLf(QFile &file)
{
    char last = 0;
    for (;;) {
        const QByteArray piece = file.read(64 * 1024);
        if (piece.isEmpty())
            return false;
        if ((last == '\r' && piece.front() == '\n') || piece.contains("\r\n"))
            return true;
        last = piece.back();
    }
}

} // namespace

bool isBroken(const QString &path, Kind kind)
{
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true;
    if (file.size() == 0)
        return false;
    if (kind == Kind::Filters)
        return !holdsCrLf(file);
    const QByteArray first = file.readLine(64);
    return first.trimmed() != "REGEDIT4";
}

QString setAside(const QString &path, QString *errorText)
{
    const QString bad = path + QStringLiteral(".bad");
    const QFileInfo old(bad);
    if (old.isDir() && !old.isSymLink())
        QDir(bad).removeRecursively();
    else if (old.exists() || old.isSymLink())
        QFile::remove(bad);
    if (!QDir().rename(path, bad)) {
        if (errorText)
            *errorText = QFileInfo::exists(bad) ? QStringLiteral("an older copy is in the way")
                                                : QStringLiteral("the file could not be renamed");
        return QString();
    }
    return bad;
}

QString setAsideIfBroken(const QString &path, Kind kind, bool *failed)
{
    if (failed)
        *failed = false;
    if (!isBroken(path, kind))
        return QString();
    return setAsideBroken(path, failed);
}

QString setAsideBroken(const QString &path, bool *failed)
{
    if (failed)
        *failed = false;
    const QString name = QFileInfo(path).fileName();
    QString error;
    const QString bad = setAside(path, &error);
    if (bad.isEmpty()) {
        if (failed)
            *failed = true;
        return name + QStringLiteral(" could not be read, nor set aside: ") + error;
    }
    return name + QStringLiteral(" could not be read; kept as ") + bad;
}

QStringList setAsideStoredFiles(const AppConfig &config)
{
    QStringList lines;
    for (const auto &[path, kind] :
         {std::pair{config.settingsPath(), Kind::Settings},
          std::pair{config.programFile(QStringLiteral("filters.dat")), Kind::Filters}}) {
        const QString line = setAsideIfBroken(path, kind);
        if (!line.isEmpty())
            lines.append(line);
    }
    return lines;
}

} // namespace BrokenFiles
