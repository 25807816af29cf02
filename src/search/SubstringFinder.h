#pragma once

#include <QByteArray>

#include <cstddef>

// Finds one byte string in a text again and again, as a search over many names needs: the
// first and last bytes of the needle are compared with 16 text positions at a time and only
// the positions where both agree are compared whole. Unlike memmem, starting over after a hit
// costs nothing.
class SubstringFinder
{
public:
    static constexpr size_t NotFound = size_t(-1);

    explicit SubstringFinder(const QByteArray &needle);

    // The first position at or after `from` where the needle starts, or NotFound. An empty
    // needle is found at `from`.
    size_t find(const char *text, size_t size, size_t from) const;

    const QByteArray &needle() const { return m_needle; }

private:
    QByteArray m_needle;
};
