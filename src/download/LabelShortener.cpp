#include "download/LabelShortener.h"

#include <cmath>

namespace {

const QString Ellipsis = QStringLiteral("...");

} // namespace

QString LabelShortener::shortenEnd(const QString &text, double maxWidth, const Measure &width)
{
    QString shown = text;
    while (width(shown) > maxWidth) {
        const QString shorter = shown.left(std::max<qsizetype>(0, shown.size() - 4)) + Ellipsis;
        // "..." alone that still does not fit cannot get shorter: stop rather than loop.
        if (shorter.size() >= shown.size())
            break;
        shown = shorter;
    }
    return shown;
}

QString LabelShortener::shortenMiddle(const QString &text, double maxWidth, const Measure &width)
{
    QString shown = text;
    while (width(shown) > maxWidth) {
        const double half = shown.size() / 2.0 - 4;
        const qsizetype keep = std::max<qsizetype>(0, static_cast<qsizetype>(std::nearbyint(half)));
        const QString shorter = shown.left(keep) + Ellipsis + shown.right(keep);
        if (shorter.size() >= shown.size())
            break;
        shown = shorter;
    }
    return shown;
}
