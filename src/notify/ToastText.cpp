#include "notify/ToastText.h"

#include "platform/TextFit.h"

#include <algorithm>

QString ToastText::fit(const QString &text, const QString &tail, const Measure &width)
{
    const QString label = line(text, tail);
    if (!TextFit::tooWide(label, [&](const QString &t) { return width(t) > MaxWidthTwips; }))
        return text;
    // Characters come off the end while the label is 4501 twips wide or wider: what is left is
    // the longest shorter prefix that is narrower (none but the empty one when nothing is).
    const qsizetype left =
        std::max<qsizetype>(0, TextFit::lastFitting(0, label.size() - 1, [&](qsizetype n) {
                                return width(label.left(n)) < MaxWidthTwips + 1;
                            }));
    const qsizetype keep = std::clamp<qsizetype>(left - tail.size() + 1, 0, left);
    return label.left(keep) + QStringLiteral("...");
}
