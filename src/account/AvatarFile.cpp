#include "account/AvatarFile.h"

#include <QFileInfo>

#include <cstdio>

AvatarFile::AvatarFile(const QString &target) : m_target(target) {}

AvatarFile::~AvatarFile()
{
    discard();
}

bool AvatarFile::open()
{
    discard();
    QFile::remove(temporaryPath());
    m_written = 0;
    m_tooLarge = false;
    m_error.clear();
    m_file.setFileName(temporaryPath());
    // Created private; the rename keeps the mode.
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate,
                     QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        m_error = m_file.errorString();
        return false;
    }
    return true;
}

bool AvatarFile::write(const QByteArray &piece)
{
    if (!m_file.isOpen())
        return false;
    if (m_written + piece.size() > MaxBytes) {
        m_tooLarge = true;
        m_error = QStringLiteral("The picture is larger than 2 MiB");
        return false;
    }
    if (m_file.write(piece) != piece.size()) {
        m_error = m_file.errorString();
        return false;
    }
    m_written += piece.size();
    return true;
}

void AvatarFile::discard()
{
    if (m_file.isOpen())
        m_file.close();
    if (QFileInfo::exists(temporaryPath()))
        QFile::remove(temporaryPath());
}

bool AvatarFile::commit()
{
    if (!m_file.isOpen()) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("No file was open");
        return false;
    }
    const bool flushed = m_file.flush() && m_file.size() == m_written;
    if (!flushed && m_error.isEmpty())
        m_error = m_file.errorString();
    m_file.close();
    if (!flushed || m_written == 0) {
        if (m_written == 0)
            m_error = QStringLiteral("The site sent an empty picture");
        discard();
        return false;
    }
    // rename(2) replaces the target in one step: there is always a whole avatar.img.
    if (std::rename(QFile::encodeName(temporaryPath()).constData(),
                    QFile::encodeName(m_target).constData()) != 0) {
        m_error = QStringLiteral("Unable to replace ") + QFileInfo(m_target).fileName();
        discard();
        return false;
    }
    return true;
}
