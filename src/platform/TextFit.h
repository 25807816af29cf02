#pragma once

#include <QString>

#include <functional>

// Finds where a text stops fitting a width without measuring it again and again. A shortening
// rule makes a sequence of candidate texts, each narrower than the one before, and its answer
// is the first candidate that fits. Widths grow with the text (a longer prefix is never
// narrower), so that candidate is found by probing the short candidates first with a doubling
// step and then halving the last gap: O(log n) measurements, none of a text much longer than
// the answer, so a name of a mebibyte costs about as much as a short one.
namespace TextFit {

// The largest i in [lo, hi] for which fits(i) holds, given that it holds from lo up to some
// point and nowhere beyond it; lo - 1 when it holds nowhere.
qsizetype lastFitting(qsizetype lo, qsizetype hi, const std::function<bool(qsizetype)> &fits);

// Whether the whole text is too wide. A long text is judged by its prefixes first (256, 512,
// ... characters): once a prefix is too wide, so is the text, and the text itself is measured
// only when every prefix fits.
bool tooWide(const QString &text, const std::function<bool(const QString &)> &wide);

} // namespace TextFit
