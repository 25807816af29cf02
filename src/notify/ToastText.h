#pragma once

#include <QString>

#include <functional>

// Fits a popup announcement to the popup's label: the label shows the text, one blank and the
// tail. When that is wider than 4500 twips, characters are taken off the end until it is
// narrower than 4501 twips; the text then becomes the first (length of what is left - length
// of the tail + 1) characters of it followed by "...", and the tail is kept whole.
class ToastText
{
public:
    static constexpr int MaxWidthTwips = 4500;

    // Width of a text in twips, in the popup label's font.
    using Measure = std::function<int(const QString &)>;

    // The text to show (shortened or not).
    static QString fit(const QString &text, const QString &tail, const Measure &width);
    // The label's whole line.
    static QString line(const QString &text, const QString &tail)
    {
        return text + QLatin1Char(' ') + tail;
    }
};
