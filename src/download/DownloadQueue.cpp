#include "download/DownloadQueue.h"

#include "download/DownloadTarget.h"
#include "model/ActiveDownloads.h"

namespace {

bool sameTarget(const DownloadRequest &request, const QString &target)
{
    return DownloadTarget::confine(request.target).compare(target, Qt::CaseInsensitive) == 0;
}

} // namespace

bool DownloadQueue::contains(const QString &target) const
{
    const QString confined = DownloadTarget::confine(target);
    if (m_active.contains(confined))
        return true;
    return std::any_of(m_waiting.cbegin(), m_waiting.cend(),
                       [&](const DownloadRequest &r) { return sameTarget(r, confined); });
}

bool DownloadQueue::submit(const DownloadRequest &request)
{
    if (m_running < MaxRunning && m_waiting.isEmpty()) {
        ++m_running;
        return true;
    }
    m_waiting.enqueue(request);
    return false;
}

void DownloadQueue::finished()
{
    if (m_running > 0)
        --m_running;
}

std::optional<DownloadRequest> DownloadQueue::next()
{
    if (m_running >= MaxRunning || m_waiting.isEmpty())
        return std::nullopt;
    ++m_running;
    return m_waiting.dequeue();
}

void DownloadQueue::remove(const QString &target)
{
    const QString confined = DownloadTarget::confine(target);
    m_waiting.removeIf([&](const DownloadRequest &r) { return sameTarget(r, confined); });
}
