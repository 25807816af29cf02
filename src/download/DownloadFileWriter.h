#pragma once

#include "download/TorrentFileCheck.h"

#include <QByteArray>
#include <QSaveFile>
#include <QString>

#include <memory>

// Receives a download into a temporary file beside the target and puts it in place only when
// it is complete. Until then an earlier file of the same name stays as it was, and a transfer
// that fails or is cancelled leaves nothing behind.
class DownloadFileWriter
{
public:
    enum class Outcome
    {
        Saved,         // a torrent file, in place under the target name
        PageSaved,     // not a torrent (a page), kept under the target name (no earlier file)
        PageDiscarded, // not a torrent; the earlier file of that name was kept instead
        Failed         // nothing could be saved; see errorString()
    };

    ~DownloadFileWriter();

    // Starts a new temporary file for the target, dropping any unfinished one.
    bool open(const QString &target);
    bool isOpen() const { return m_file != nullptr; }
    // Appends a piece; a failed write is remembered and reported by finish().
    void write(const QByteArray &piece);
    // Drops the temporary file; an earlier file of the target's name is untouched.
    void discard();
    // Puts the received bytes in place, unless they are not a torrent file (the site's login
    // page, for instance) and a file of the target's name exists already.
    Outcome finish();

    qint64 size() const { return m_written; }
    // The pieces so far make a whole torrent file.
    bool isTorrent() const { return m_check.isTorrent(); }
    QString errorString() const { return m_error; }

private:
    std::unique_ptr<QSaveFile> m_file;
    QString m_target;
    TorrentFileCheck m_check;
    qint64 m_written = 0;
    bool m_writeFailed = false;
    QString m_error;
};
