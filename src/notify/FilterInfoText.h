#pragma once

#include "model/MatchRecord.h"

#include <QString>

#include <optional>

class FilterTable;

// The answers of the "Filter Info" window: which filter accepted a result. Only the filter's
// slot is kept with a result, so after the filters were re-ordered the window names the
// filter now in that slot; a slot beyond the last filter gets the "cannot tell" text.
class FilterInfoText
{
public:
    struct Info
    {
        QString caption;          // the torrent's name
        QString text;             // the answer shown in info_filterhit
        bool gotoEnabled = false; // "Show me this filter"
        qint32 filterIndex = 0;   // the slot to highlight
    };

    static const QString NotEnabledText;
    static const QString UnavailableText;

    static Info forRecord(const MatchRecord &record, const FilterTable &filters);
    // The result at a position of the result list; nothing when the position holds none (the
    // results were acknowledged meanwhile).
    static std::optional<Info> forPosition(const ResultList &results, int position,
                                           const FilterTable &filters);
};
