#include "FileRewriteCounter.h"

#include <QFile>
#include <QFileInfo>

#include <sys/inotify.h>
#include <unistd.h>

#include <climits>
#include <cstring>

FileRewriteCounter::FileRewriteCounter(const QString &path) : m_name(QFileInfo(path).fileName())
{
    m_fd = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_fd < 0)
        return;
    m_watch = inotify_add_watch(m_fd, QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                                IN_MOVED_TO | IN_CREATE | IN_CLOSE_WRITE);
}

FileRewriteCounter::~FileRewriteCounter()
{
    if (m_fd >= 0)
        close(m_fd);
}

void FileRewriteCounter::drain()
{
    if (m_fd < 0)
        return;
    alignas(inotify_event) char buffer[64 * (sizeof(inotify_event) + NAME_MAX + 1)];
    for (;;) {
        const ssize_t n = read(m_fd, buffer, sizeof buffer);
        if (n <= 0)
            return;
        for (ssize_t at = 0; at < n;) {
            inotify_event event;
            std::memcpy(&event, buffer + at, sizeof event);
            const char *name = buffer + at + sizeof(inotify_event);
            if (event.len > 0 && QFile::decodeName(name) == m_name) {
                // A new file comes into being whole (linked from an unnamed temporary file) or
                // is created and written under its name, which also reports its closing.
                if (event.mask & IN_CLOSE_WRITE) {
                    if (!m_created)
                        ++m_count;
                    m_created = false;
                } else {
                    ++m_count;
                    m_created = (event.mask & IN_CREATE) != 0;
                }
            }
            at += ssize_t(sizeof(inotify_event) + event.len);
        }
    }
}

int FileRewriteCounter::count()
{
    drain();
    return m_count;
}

void FileRewriteCounter::reset()
{
    drain();
    m_count = 0;
}
