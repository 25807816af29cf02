#include "download/LabelShortener.h"

#include "platform/TextFit.h"

#include <algorithm>
#include <vector>

namespace {

const QString Ellipsis = QStringLiteral("...");

// H = L/2 - 4 rounded halves to even, and never below 0. L/2 - 4 is a whole number or lies
// halfway between two, so whole-number arithmetic gives the rounding exactly.
qsizetype middleKeep(qsizetype length)
{
    qsizetype keep = length / 2 - 4;
    if (length % 2 != 0 && keep % 2 != 0)
        ++keep; // halfway: to the even neighbour above
    return std::max<qsizetype>(0, keep);
}

// The rule's steps for one text: step k keeps H_k characters at each end. The lengths are
// found by walking the steps once; every 64th is kept, so that any step is a short walk away
// without holding one number per step of a long text.
class MiddleSteps
{
public:
    explicit MiddleSteps(qsizetype length)
    {
        for (;;) {
            if (m_count % Stride == 0)
                m_lengths.push_back(length);
            const qsizetype next = 2 * middleKeep(length) + Ellipsis.size();
            if (next >= length)
                break;
            length = next;
            ++m_count;
        }
    }
    qsizetype count() const { return m_count; }
    qsizetype keep(qsizetype step) const
    {
        qsizetype length = m_lengths[step / Stride];
        for (qsizetype k = step / Stride * Stride; k < step; ++k)
            length = 2 * middleKeep(length) + Ellipsis.size();
        return middleKeep(length);
    }

private:
    static constexpr qsizetype Stride = 64;
    std::vector<qsizetype> m_lengths; // the length before steps 0, 64, 128, ...
    qsizetype m_count = 0;
};

} // namespace

// The rule drops the last four characters and appends "..." until the text fits, so its k-th
// step (k >= 1) shows the first L - 3 - k characters and "...", down to "..." alone. The first
// step that fits is the one with the most characters that fits.
QString LabelShortener::shortenEnd(const QString &text, double maxWidth, const Measure &width)
{
    const auto wide = [&](const QString &shown) { return width(shown) > maxWidth; };
    if (!TextFit::tooWide(text, wide))
        return text;
    // "..." alone would be no shorter.
    if (text.size() <= Ellipsis.size())
        return text;
    const qsizetype kept = TextFit::lastFitting(
        1, text.size() - 4, [&](qsizetype n) { return !wide(text.left(n) + Ellipsis); });
    return text.left(std::max<qsizetype>(kept, 0)) + Ellipsis;
}

// Each step keeps the first and last H characters of the text before it, H = L/2 - 4 rounded
// halves to even for its length L; the H values fall, so the k-th step shows the original's
// first and last H_k characters around "...". The rule ends at the first step that fits, or at
// the last step when none does.
QString LabelShortener::shortenMiddle(const QString &text, double maxWidth, const Measure &width)
{
    const auto wide = [&](const QString &shown) { return width(shown) > maxWidth; };
    if (!TextFit::tooWide(text, wide))
        return text;
    const MiddleSteps steps(text.size());
    if (steps.count() == 0)
        return text;
    const auto step = [&](qsizetype k) {
        const qsizetype keep = steps.keep(k);
        return text.left(keep) + Ellipsis + text.right(keep);
    };
    // Counted from the last (narrowest) step back, the steps that fit come first.
    const qsizetype last = steps.count() - 1;
    const qsizetype back =
        TextFit::lastFitting(0, last, [&](qsizetype i) { return !wide(step(last - i)); });
    return step(last - std::max<qsizetype>(back, 0));
}
