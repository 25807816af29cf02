#pragma once

#include "SiteTorrent.h"

#include <QByteArray>
#include <QString>

// Writes the bencoded .torrent file the site serves for a torrent: announce address,
// "created by", "creation date" and a single-file info dictionary whose piece hashes are
// derived from the id, so the same torrent always gives the same bytes.
class TorrentFileBuilder
{
public:
    static QByteArray build(const SiteTorrent &torrent, const QString &announceUrl);

    // Piece length used for a size: 256 KiB doubled until at most 1200 pieces are needed, which
    // keeps files between a few hundred bytes and about 24 KB.
    static qint64 pieceLength(qint64 size);
    static qint64 pieceCount(qint64 size);

private:
    static QByteArray string(const QByteArray &bytes);
    static QByteArray integer(qint64 value);
};
