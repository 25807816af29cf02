#include "notify/ToastText.h"

#include <algorithm>

QString ToastText::fit(const QString &text, const QString &tail, const Measure &width)
{
    QString label = line(text, tail);
    if (width(label) <= MaxWidthTwips)
        return text;
    while (!label.isEmpty() && width(label) >= MaxWidthTwips + 1)
        label.chop(1);
    const qsizetype keep = std::clamp<qsizetype>(label.size() - tail.size() + 1, 0, label.size());
    return label.left(keep) + QStringLiteral("...");
}
