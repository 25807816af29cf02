#include "download/DownloadFileWriter.h"

#include <QFileInfo>

DownloadFileWriter::~DownloadFileWriter()
{
    discard();
}

bool DownloadFileWriter::open(const QString &target)
{
    discard();
    m_target = target;
    m_check = TorrentFileCheck();
    m_written = 0;
    m_writeFailed = false;
    m_error.clear();
    m_file = std::make_unique<QSaveFile>(target);
    if (!m_file->open(QIODevice::WriteOnly)) {
        m_error = m_file->errorString();
        m_file.reset();
        return false;
    }
    return true;
}

void DownloadFileWriter::write(const QByteArray &piece)
{
    if (!m_file || piece.isEmpty())
        return;
    m_check.add(piece);
    if (m_writeFailed)
        return;
    if (m_file->write(piece) != piece.size()) {
        m_writeFailed = true;
        m_error = m_file->errorString();
        return;
    }
    m_written += piece.size();
}

void DownloadFileWriter::discard()
{
    if (!m_file)
        return;
    m_file->cancelWriting();
    m_file.reset(); // removes the temporary file
}

DownloadFileWriter::Outcome DownloadFileWriter::finish()
{
    if (!m_file) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("No file was open");
        return Outcome::Failed;
    }
    // Flush and compare sizes before committing: the commit alone does not notice a write cut
    // short by a full disk, and would put a half file in place.
    if (!m_writeFailed && (!m_file->flush() || m_file->size() != m_written)) {
        m_writeFailed = true;
        m_error = m_file->errorString();
    }
    if (m_writeFailed) {
        if (m_error.isEmpty())
            m_error = QStringLiteral("The file could not be written whole");
        discard();
        return Outcome::Failed;
    }
    const bool page = !m_check.isTorrent();
    if (page && QFileInfo::exists(m_target)) {
        discard();
        return Outcome::PageDiscarded;
    }
    if (!m_file->commit()) {
        m_error = m_file->errorString();
        m_file.reset();
        return Outcome::Failed;
    }
    m_file.reset();
    return page ? Outcome::PageSaved : Outcome::Saved;
}
