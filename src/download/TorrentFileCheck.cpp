#include "download/TorrentFileCheck.h"

namespace {

// Longer than any body the downloader accepts; keeps the length from overflowing.
constexpr qint64 MaxLength = qint64(1) << 40;

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

} // namespace

void TorrentFileCheck::add(QByteArrayView piece)
{
    for (const char c : piece) {
        if (m_state == State::Bad)
            return;
        byte(c);
    }
}

bool TorrentFileCheck::isTorrent() const
{
    return m_state == State::Done && m_hasInfo;
}

bool TorrentFileCheck::isTorrent(QByteArrayView bytes)
{
    TorrentFileCheck check;
    check.add(bytes);
    return check.isTorrent();
}

void TorrentFileCheck::byte(char c)
{
    switch (m_state) {
    case State::Value:
        beginValue(c);
        return;
    case State::IntegerStart:
        m_hasDigits = false;
        m_state = State::IntegerDigits;
        if (c == '-')
            return;
        [[fallthrough]];
    case State::IntegerDigits:
        if (isDigit(c))
            m_hasDigits = true;
        else if (c == 'e' && m_hasDigits)
            valueDone();
        else
            m_state = State::Bad;
        return;
    case State::Length:
        if (isDigit(c)) {
            m_length = m_length * 10 + (c - '0');
            if (m_length > MaxLength)
                m_state = State::Bad;
            return;
        }
        if (c != ':') {
            m_state = State::Bad;
            return;
        }
        m_keyMayBeInfo = m_keyMayBeInfo && m_length == 4;
        m_keyPosition = 0;
        if (m_length == 0)
            stringDone();
        else
            m_state = State::StringBytes;
        return;
    case State::StringBytes:
        if (m_keyMayBeInfo && c != "info"[m_keyPosition])
            m_keyMayBeInfo = false;
        ++m_keyPosition;
        if (--m_length == 0)
            stringDone();
        return;
    case State::Done:
        m_state = State::Bad; // something after the end of the dictionary
        return;
    case State::Bad:
        return;
    }
}

void TorrentFileCheck::beginValue(char c)
{
    if (c == 'e') {
        // The end of the open list or dictionary, which is then a value of its own.
        if (m_depth == 0 || m_open[m_depth - 1] == 'v') {
            m_state = State::Bad; // nothing open, or a key without its value
            return;
        }
        --m_depth;
        valueDone();
        return;
    }
    const bool key = m_depth > 0 && m_open[m_depth - 1] == 'k';
    if ((m_depth == 0 && c != 'd') || (key && !isDigit(c))) {
        m_state = State::Bad; // the body is one dictionary; its keys are strings
        return;
    }
    if (m_depth == 1 && m_open[0] == 'v' && m_valueIsInfo && c == 'd')
        m_hasInfo = true;
    if (c == 'i') {
        m_state = State::IntegerStart;
    } else if (c == 'l' || c == 'd') {
        if (m_depth == MaxDepth) {
            m_state = State::Bad;
            return;
        }
        m_open[m_depth++] = c == 'd' ? 'k' : 'l';
    } else if (isDigit(c)) {
        m_length = c - '0';
        m_keyMayBeInfo = key && m_depth == 1;
        m_state = State::Length;
    } else {
        m_state = State::Bad;
    }
}

void TorrentFileCheck::stringDone()
{
    // Set at every top-level key, so it always speaks of the key just read.
    if (m_depth == 1 && m_open[0] == 'k')
        m_valueIsInfo = m_keyMayBeInfo;
    valueDone();
}

void TorrentFileCheck::valueDone()
{
    if (m_depth == 0) {
        m_state = State::Done;
        return;
    }
    m_state = State::Value;
    char &open = m_open[m_depth - 1];
    if (open == 'k')
        open = 'v';
    else if (open == 'v')
        open = 'k';
}
