#include "download/TorrentInfoHash.h"

#include "download/TorrentFileCheck.h"

#include <QCryptographicHash>

namespace {

// The position just after the string that starts at pos (its length digits, ":", its bytes);
// the string's bytes go to text.
qsizetype skipString(QByteArrayView b, qsizetype pos, QByteArrayView *text = nullptr)
{
    qsizetype length = 0;
    while (b[pos] != ':')
        length = length * 10 + (b[pos++] - '0');
    ++pos;
    if (text)
        *text = b.sliced(pos, length);
    return pos + length;
}

// The position just after the value that starts at pos. The bytes are known to be well formed,
// so every value ends inside them.
qsizetype skipValue(QByteArrayView b, qsizetype pos)
{
    int open = 0;
    do {
        const char c = b[pos];
        if (c == 'i') {
            pos = b.indexOf('e', pos) + 1;
        } else if (c == 'l' || c == 'd') {
            ++open;
            ++pos;
        } else if (c == 'e') {
            --open;
            ++pos;
        } else {
            pos = skipString(b, pos);
        }
    } while (open > 0);
    return pos;
}

} // namespace

QByteArray TorrentInfoHash::of(QByteArrayView torrent)
{
    if (!TorrentFileCheck::isTorrent(torrent))
        return QByteArray();
    // The keys of the top-level dictionary in turn; a well-formed torrent has one "info".
    qsizetype pos = 1;
    while (torrent[pos] != 'e') {
        QByteArrayView key;
        pos = skipString(torrent, pos, &key);
        const qsizetype end = skipValue(torrent, pos);
        if (key == "info")
            return QCryptographicHash::hash(torrent.sliced(pos, end - pos),
                                            QCryptographicHash::Sha1)
                .toHex();
        pos = end;
    }
    return QByteArray();
}
