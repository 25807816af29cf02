#include "notify/FilterInfoText.h"

#include "model/FilterTable.h"

const QString FilterInfoText::NotEnabledText =
    QStringLiteral("Torrent filtering not enabled. You will be notified of all new torrents.");
const QString FilterInfoText::UnavailableText =
    QStringLiteral("Unabled to display filter info.\r\n"
                   "Your filters may have changed since this torrent was uploaded.");

FilterInfoText::Info FilterInfoText::forRecord(const MatchRecord &record,
                                               const FilterTable &filters)
{
    Info info;
    info.caption = record.Name;
    info.filterIndex = record.FilterIndex;
    if (record.FilterIndex == 0) {
        info.text = NotEnabledText;
        info.gotoEnabled = false;
    } else if (record.FilterIndex < 0 || record.FilterIndex > filters.count()) {
        info.text = UnavailableText;
        info.gotoEnabled = false;
    } else {
        info.text = filters.ffname(record.FilterIndex);
        info.gotoEnabled = true;
    }
    return info;
}

std::optional<FilterInfoText::Info>
FilterInfoText::forPosition(const ResultList &results, int position, const FilterTable &filters)
{
    if (position < 0 || position >= results.size())
        return std::nullopt;
    return forRecord(results[position], filters);
}
