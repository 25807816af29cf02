#include "notify/PopupQueue.h"

bool PopupQueue::submit(const PopupRequest &request)
{
    if (m_visible) {
        m_waiting.enqueue(request);
        return false;
    }
    m_visible = true;
    return true;
}

std::optional<PopupRequest> PopupQueue::unloaded()
{
    if (m_waiting.isEmpty()) {
        m_visible = false;
        return std::nullopt;
    }
    m_visible = true;
    return m_waiting.dequeue();
}
