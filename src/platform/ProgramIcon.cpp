#include "platform/ProgramIcon.h"

#include <QDir>
#include <QRegularExpression>

namespace {

// script/icons renders resources/icons/pollwick-<size>.png; the build puts them all here.
const QString Folder = QStringLiteral(":/icons/");

} // namespace

namespace ProgramIcon {

QIcon icon()
{
    static const QRegularExpression sizedName(QStringLiteral("^pollwick-(\\d+)\\.png$"));
    QIcon icon;
    const QStringList names = QDir(Folder).entryList({QStringLiteral("pollwick-*.png")});
    for (const QString &name : names) {
        const QRegularExpressionMatch match = sizedName.match(name);
        if (!match.hasMatch())
            continue;
        const int size = match.captured(1).toInt();
        icon.addFile(Folder + name, QSize(size, size));
    }
    return icon;
}

QPixmap pixmap(int size)
{
    return QPixmap(Folder + QStringLiteral("pollwick-%1.png").arg(size));
}

} // namespace ProgramIcon
