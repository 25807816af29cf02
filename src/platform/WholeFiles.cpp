#include "platform/WholeFiles.h"

#include "platform/TextUtils.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

QString ReadTextFile(const QString &path)
{
    QFile file(path);
    if (!file.exists())
        return QString();
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    const QByteArray bytes = file.readAll();
    return BytesToText(bytes);
}

bool ReplaceFileAtomically(const QString &path, const QByteArray &data, QString *errorText,
                           Privacy privacy)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (errorText)
            *errorText = file.errorString();
        return false;
    }
    // The temporary file takes the mode before anything is written into it, so the data is
    // never readable by others, not even for a moment.
    if (privacy == Privacy::OwnerOnly &&
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        if (errorText)
            *errorText = QStringLiteral("The file could not be made private");
        file.cancelWriting();
        return false;
    }
    // Flush before committing and check the size: QSaveFile's commit alone does not notice a
    // write cut short by a full disk, and would rename a half file over the good one.
    if (file.write(data) != data.size() || !file.flush() || file.size() != data.size()) {
        if (errorText)
            *errorText = file.errorString().isEmpty() || file.error() == QFileDevice::NoError
                             ? QStringLiteral("The file could not be written whole")
                             : file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        if (errorText)
            *errorText = file.errorString();
        return false;
    }
    return true;
}

bool ReplaceTextFileAtomically(const QString &path, const QString &text, QString *errorText,
                               Privacy privacy)
{
    return ReplaceFileAtomically(path, ToAnsi(text), errorText, privacy);
}
