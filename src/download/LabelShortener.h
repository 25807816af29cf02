#pragma once

#include <QString>

#include <functional>

// Shortens a label's text until it fits a width, measured by the caller (a window measures in
// twips with the label's font; tests pass a simple measure).
class LabelShortener
{
public:
    using Measure = std::function<double(const QString &)>;

    // Drops the last four characters and appends "..." until the text fits; a text that fits
    // stays unchanged. Used for the torrent's name.
    static QString shortenEnd(const QString &text, double maxWidth, const Measure &width);

    // Keeps the first and last H characters around "...", H = L/2 - 4 rounded halves to even
    // for the current length L, until the text fits. Used for the target path, whose start
    // (the folder) and end (the file name) both matter.
    static QString shortenMiddle(const QString &text, double maxWidth, const Measure &width);
};
