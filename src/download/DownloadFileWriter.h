#pragma once

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
        Saved,         // the file is in place under the target name
        PageSaved,     // an HTML page, kept under the target name (there was no earlier file)
        PageDiscarded, // an HTML page; the earlier file of that name was kept instead
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
    // Puts the received bytes in place, unless they are the site's HTML page and a file of the
    // target's name exists already.
    Outcome finish();

    qint64 size() const { return m_written; }
    QString errorString() const { return m_error; }

    // True when the bytes begin with "<html>" exactly (letter case counts): the page the site
    // sends instead of a .torrent file, for instance when the login failed.
    static bool isSitePage(const QByteArray &head);

private:
    std::unique_ptr<QSaveFile> m_file;
    QString m_target;
    QByteArray m_head;
    qint64 m_written = 0;
    bool m_writeFailed = false;
    QString m_error;
};
