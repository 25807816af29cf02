#include "platform/TextFit.h"

#include <algorithm>

namespace TextFit {

qsizetype lastFitting(qsizetype lo, qsizetype hi, const std::function<bool(qsizetype)> &fits)
{
    if (lo > hi || !fits(lo))
        return lo - 1;
    qsizetype good = lo;    // fits
    qsizetype bad = hi + 1; // does not fit (or lies beyond the range)
    qsizetype step = 1;
    while (good < hi) {
        const qsizetype probe = std::min(hi, good + step);
        if (!fits(probe)) {
            bad = probe;
            break;
        }
        good = probe;
        step *= 2;
    }
    while (bad - good > 1) {
        const qsizetype middle = good + (bad - good) / 2;
        if (fits(middle))
            good = middle;
        else
            bad = middle;
    }
    return good;
}

bool tooWide(const QString &text, const std::function<bool(const QString &)> &wide)
{
    for (qsizetype prefix = 256; prefix < text.size(); prefix *= 2) {
        if (wide(text.left(prefix)))
            return true;
    }
    return wide(text);
}

} // namespace TextFit
