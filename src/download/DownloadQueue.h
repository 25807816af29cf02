#pragma once

#include "download/DownloadRequest.h"

#include <QQueue>
#include <QString>

#include <optional>

class ActiveDownloads;

// The downloads that feed checks start: at most MaxRunning of them run at once, the others
// wait in the order they came. A download that the user starts by hand is not counted here.
//
//     if (queue.contains(target)) ...        // running or waiting: a duplicate
//     if (queue.submit(request)) open a window for it;
//     ...a running one is saved, fails for good or its window closes:
//     queue.finished();
//     while (auto next = queue.next()) open a window for *next;
class DownloadQueue
{
public:
    static constexpr int MaxRunning = 4;

    // active: the targets of every download window in progress.
    explicit DownloadQueue(const ActiveDownloads &active) : m_active(active) {}

    // True when the target is being downloaded (by any window) or waits its turn here. Letter
    // case does not count.
    bool contains(const QString &target) const;

    // Adds a download. True when it may start now (it then counts as running); false when it
    // waits.
    bool submit(const DownloadRequest &request);
    // A running download has ended: saved, failed for good, or its window closed.
    void finished();
    // The first waiting download when one may start now; it then counts as running.
    std::optional<DownloadRequest> next();
    // Takes the waiting downloads of that target out (the user has started it by hand).
    void remove(const QString &target);

    int running() const { return m_running; }
    int waiting() const { return int(m_waiting.size()); }

private:
    const ActiveDownloads &m_active;
    QQueue<DownloadRequest> m_waiting;
    int m_running = 0;
};
