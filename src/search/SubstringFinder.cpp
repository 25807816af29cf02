#include "search/SubstringFinder.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

SubstringFinder::SubstringFinder(const QByteArray &needle) : m_needle(needle) {}

size_t SubstringFinder::find(const char *text, size_t size, size_t from) const
{
    const size_t m = size_t(m_needle.size());
    if (m == 0)
        return from <= size ? from : NotFound;
    if (from >= size || size - from < m)
        return NotFound;
    const char *needle = m_needle.constData();
    if (m == 1) {
        const void *hit = std::memchr(text + from, needle[0], size - from);
        return hit ? size_t(static_cast<const char *>(hit) - text) : NotFound;
    }
    const char first = needle[0];
    const char last = needle[m - 1];
    // The bytes between the first and the last, compared when both of those agree.
    const auto middleMatches = [&](size_t at) {
        for (size_t k = 1; k + 1 < m; ++k) {
            if (text[at + k] != needle[k])
                return false;
        }
        return true;
    };
    size_t i = from;
#if defined(__SSE2__)
    const __m128i firsts = _mm_set1_epi8(first);
    const __m128i lasts = _mm_set1_epi8(last);
    // Blocks of 16 start positions whose last compared byte lies inside the text.
    for (; i + m - 1 + 16 <= size; i += 16) {
        const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + i));
        const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i *>(text + i + m - 1));
        unsigned mask = unsigned(
            _mm_movemask_epi8(_mm_and_si128(_mm_cmpeq_epi8(a, firsts), _mm_cmpeq_epi8(b, lasts))));
        while (mask != 0) {
            const size_t at = i + size_t(__builtin_ctz(mask));
            if (middleMatches(at))
                return at;
            mask &= mask - 1;
        }
    }
#endif
    for (; i + m <= size; ++i) {
        if (text[i] == first && text[i + m - 1] == last && middleMatches(i))
            return i;
    }
    return NotFound;
}
