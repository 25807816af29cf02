#include "FeedWriter.h"

QByteArray FeedWriter::header(const QStringList &categories)
{
    return magic() + "\r\n" + categories.join(QLatin1Char('\t')).toLatin1() + "\r\n";
}

QByteArray FeedWriter::row(const SiteTorrent &torrent)
{
    QByteArray line;
    line += QByteArray::number(torrent.id) + '\t';
    line += QByteArray::number(torrent.size) + '\t';
    line += torrent.category.toLatin1() + '\t';
    line += torrent.field3.toLatin1() + '\t';
    line += torrent.name.toLatin1() + '\t';
    line += torrent.fileName.toLatin1() + "\r\n";
    return line;
}

QByteArray FeedWriter::feed(const QList<SiteTorrent> &rows, const QStringList &categories)
{
    QByteArray out = header(categories);
    out.reserve(out.size() + rows.size() * 120);
    for (const SiteTorrent &torrent : rows)
        out += row(torrent);
    return out;
}

QByteArray FeedWriter::unauthorised(int reason)
{
    return "Unauthorised:" + QByteArray::number(reason);
}
