#include "notify/SummaryRows.h"

#include "download/DownloadRequest.h"
#include "model/ProgramState.h"
#include "platform/SiteAddresses.h"
#include "platform/TextUtils.h"

SummaryRows::SummaryRows(const QLocale &locale) : m_locale(locale) {}

QString SummaryRows::captionFor(int count)
{
    if (count == 1)
        return QStringLiteral("1 new torrent");
    return QString::number(count) + QStringLiteral(" new torrents");
}

QString SummaryRows::sizeInMb(const QString &bytes, const QLocale &locale)
{
    return SizeInMbText(bytes, locale);
}

void SummaryRows::loadresults(const ResultList &results, bool showAll)
{
    m_showAll = showAll;
    m_rows.clear();
    m_count = 0;
    for (const MatchRecord &r : results) {
        if (showAll || r.Downloaded == 0)
            ++m_count;
    }
    for (qsizetype i = results.size() - 1; i >= 0; --i) {
        const MatchRecord &r = results[i];
        if (!showAll && r.Downloaded != 0)
            continue;
        Row row;
        row.key = QLatin1Char('T') + QString::number(i);
        row.id = r.Id;
        row.name = r.Name;
        row.category = r.Category;
        row.sizeMb = sizeInMb(r.Size, m_locale);
        row.action = r.Downloaded != 0 ? QStringLiteral("downloaded") : QStringLiteral("none");
        m_rows.append(row);
    }
}

int SummaryRows::positionOf(const ResultList &results, const QString &key, qint32 id)
{
    if (!key.startsWith(QLatin1Char('T')))
        return -1;
    bool ok = false;
    const int position = key.mid(1).toInt(&ok);
    if (!ok || position < 0 || position >= results.size() || results[position].Id != id)
        return -1;
    return position;
}

std::optional<DownloadRequest> SummaryRows::downloadNow(ProgramState &state, const Row &row)
{
    const int position = positionOf(state.results, row);
    if (position < 0)
        return std::nullopt;
    MatchRecord &r = state.results[position];
    r.Downloaded = 1.0f;
    return DownloadRequest::forTorrent(state, r.Id, r.FileName, r.Name);
}

QString SummaryRows::detailsUrl(qint32 id)
{
    return DetailsUrl(id);
}
