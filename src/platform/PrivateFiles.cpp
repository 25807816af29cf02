#include "platform/PrivateFiles.h"

#include "platform/AppConfig.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace PrivateFiles {

namespace {

constexpr QFileDevice::Permissions OwnerReadWrite =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner;
constexpr QFileDevice::Permissions GroupOrOther = QFileDevice::ReadGroup | QFileDevice::WriteGroup |
                                                  QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                                  QFileDevice::WriteOther | QFileDevice::ExeOther;

// The permission bits as the octal mode ls and chmod show.
QString modeText(QFileDevice::Permissions permissions)
{
    int mode = 0;
    const std::pair<QFileDevice::Permission, int> bits[] = {
        {QFileDevice::ReadOwner, 0400}, {QFileDevice::WriteOwner, 0200},
        {QFileDevice::ExeOwner, 0100},  {QFileDevice::ReadGroup, 040},
        {QFileDevice::WriteGroup, 020}, {QFileDevice::ExeGroup, 010},
        {QFileDevice::ReadOther, 04},   {QFileDevice::WriteOther, 02},
        {QFileDevice::ExeOther, 01}};
    for (const auto &[bit, value] : bits) {
        if (permissions.testFlag(bit))
            mode |= value;
    }
    return QStringLiteral("%1").arg(mode, 4, 8, QLatin1Char('0'));
}

} // namespace

bool makeFolder(const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        return true;
    // Without a trailing "/", which would make the folder its own parent.
    const QString absolute = QDir::cleanPath(info.absoluteFilePath());
    const QString parent = QFileInfo(absolute).absolutePath();
    if (!QDir().mkpath(parent))
        return false;
    // Another start may create it at the same moment: what counts is that it exists.
    QDir().mkdir(absolute,
                 QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    return QFileInfo(absolute).isDir();
}

QStringList tighten(const QStringList &paths)
{
    QStringList lines;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (info.isSymLink() || !info.isFile())
            continue;
        const QFileDevice::Permissions before = info.permissions();
        if (!(before & GroupOrOther))
            continue;
        const QString name = info.fileName();
        if (QFile::setPermissions(path, OwnerReadWrite))
            lines << name + QStringLiteral(" could be opened by other users (") + modeText(before) +
                         QStringLiteral("); it is now yours alone (0600).");
        else
            lines << name + QStringLiteral(" can be opened by other users (") + modeText(before) +
                         QStringLiteral(") and could not be made private.");
    }
    return lines;
}

QStringList tightenStoredFiles(const AppConfig &config)
{
    const QString settings = config.settingsPath();
    return tighten({settings, settings + QStringLiteral(".bad"),
                    config.programFile(QStringLiteral("udata.temp")),
                    config.programFile(QStringLiteral("profile.cache")),
                    config.programFile(QStringLiteral("avatar.img"))});
}

} // namespace PrivateFiles
