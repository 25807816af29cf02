#pragma once

#include <QString>

// One announcement for the popup: it shows the text, one blank and the tail on one line. The
// text may be shortened to fit; the tail never is.
struct PopupRequest
{
    QString text;
    QString tail;

    friend bool operator==(const PopupRequest &, const PopupRequest &) = default;
};
