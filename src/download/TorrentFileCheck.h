#pragma once

#include <QByteArrayView>

#include <array>

// Tells a .torrent file from anything else the site may send instead (a login page, an error
// text): the body must be one bencoded dictionary that ends at its last byte, with a top-level
// "info" key whose value is a dictionary, nested at most MaxDepth deep. Bencode: integers
// "i-42e", strings "4:spam" (length, colon, bytes), lists "l...e", dictionaries "d...e" of
// string keys and values.
//
// The check reads the body piece by piece as it arrives, keeps no copy of it, and needs a
// fixed amount of memory whatever the body holds.
class TorrentFileCheck
{
public:
    static constexpr int MaxDepth = 64;

    // The next piece of the body.
    void add(QByteArrayView piece);
    // After the last piece: true when the whole body is a torrent file.
    bool isTorrent() const;

    static bool isTorrent(QByteArrayView bytes);

private:
    enum class State
    {
        Value, // a value, a key or the end of a list or dictionary comes next
        IntegerStart,
        IntegerDigits,
        Length, // the digits of a string's length
        StringBytes,
        Done, // the top-level dictionary has ended
        Bad
    };

    void byte(char c);
    void beginValue(char c);
    void stringDone();
    void valueDone();

    State m_state = State::Value;
    // The open lists ('l') and dictionaries: for a dictionary, 'k' while a key comes next and
    // 'v' while its value does.
    std::array<char, MaxDepth> m_open{};
    int m_depth = 0;
    qint64 m_length = 0; // string length being read, then bytes of it still to come
    bool m_hasDigits = false;
    // A top-level key being read: its length is that of "info" and its bytes so far match.
    bool m_keyMayBeInfo = false;
    qint64 m_keyPosition = 0;
    bool m_valueIsInfo = false; // the top-level value that comes next belongs to "info"
    bool m_hasInfo = false;
};
