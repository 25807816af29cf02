#pragma once

#include "notify/PopupRequest.h"

#include <QQueue>

#include <optional>

// One popup on screen at a time: an announcement made while a popup is showing waits until
// that popup unloads, and the waiting ones come out in the order they were made. This takes
// the place of a busy wait in the caller, so the caller returns at once.
class PopupQueue
{
public:
    // True when the request is to be shown now (no popup showing; the queue then counts it as
    // showing). Otherwise it waits.
    bool submit(const PopupRequest &request);
    // The showing popup unloaded: the next request to show, which then counts as showing.
    std::optional<PopupRequest> unloaded();

    bool popupVisible() const { return m_visible; }
    int waiting() const { return int(m_waiting.size()); }

private:
    QQueue<PopupRequest> m_waiting;
    bool m_visible = false;
};
