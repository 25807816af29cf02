#pragma once

#include <QByteArray>
#include <QByteArrayView>

// The info hash by which torrent clients know a torrent: the SHA-1 of the bencoded value of
// the top-level "info" key, exactly as the file holds it.
namespace TorrentInfoHash {

// Forty lower-case hex digits; empty when the bytes are not a torrent file (see
// TorrentFileCheck).
QByteArray of(QByteArrayView torrent);

} // namespace TorrentInfoHash
