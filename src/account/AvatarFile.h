#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Receives the avatar picture into avatar.img.temp and puts it in place as avatar.img only
// when it arrived whole: the temporary file is renamed over the old picture, so a failed,
// cut-short or oversized download leaves the previous avatar.img as it was and no temporary
// file behind.
class AvatarFile
{
public:
    // The largest picture accepted, in bytes.
    static constexpr qint64 MaxBytes = 2 * 1024 * 1024;

    // target: the path of avatar.img; the temporary file is target + ".temp".
    explicit AvatarFile(const QString &target);
    ~AvatarFile();

    QString target() const { return m_target; }
    QString temporaryPath() const { return m_target + QStringLiteral(".temp"); }

    // Removes a leftover temporary file and starts a new one.
    bool open();
    // Appends a piece; false (and nothing written) once the picture would pass MaxBytes, or
    // when the write failed.
    bool write(const QByteArray &piece);
    // Drops the temporary file.
    void discard();
    // Renames the temporary file over the target. False, with the temporary file removed,
    // when nothing was received or the file could not be put in place.
    bool commit();

    qint64 size() const { return m_written; }
    bool tooLarge() const { return m_tooLarge; }
    QString errorString() const { return m_error; }

private:
    QString m_target;
    QFile m_file;
    qint64 m_written = 0;
    bool m_tooLarge = false;
    QString m_error;
};
