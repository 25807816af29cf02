#pragma once

#include <QString>

// Counts how often a file is written whole, as the file system reports it (inotify on the
// file's folder): replaced by a rename onto its name, created, or closed after writing (a file
// created and written under its name counts once). Counts from its construction; the file may
// not exist yet.
class FileRewriteCounter
{
public:
    explicit FileRewriteCounter(const QString &path);
    ~FileRewriteCounter();
    FileRewriteCounter(const FileRewriteCounter &) = delete;
    FileRewriteCounter &operator=(const FileRewriteCounter &) = delete;

    // False when the folder cannot be watched.
    bool isValid() const { return m_watch >= 0; }
    // The rewrites reported since construction or the last reset().
    int count();
    void reset();

private:
    void drain();

    QString m_name;
    int m_fd = -1;
    int m_watch = -1;
    int m_count = 0;
    bool m_created = false; // the last event was the file's creation
};
