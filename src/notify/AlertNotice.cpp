#include "notify/AlertNotice.h"

#include "model/ProgramState.h"
#include "notify/ToastText.h"

AlertNotice AlertNotice::fromOutcome(const AlertStage::Outcome &outcome, const ResultList &results)
{
    AlertNotice notice;
    notice.line = ToastText::line(outcome.popup->text, outcome.popup->tail);
    notice.address = outcome.alertAddress;
    for (const MatchRecord &r : results) {
        if (outcome.alertedId == 0 || r.Id != outcome.alertedId)
            continue;
        notice.torrentId = r.Id;
        notice.fileName = r.FileName;
        notice.name = r.Name;
        notice.downloadable = r.Downloaded == 0;
    }
    return notice;
}

DownloadRequest AlertNotice::downloadNow(ProgramState &state) const
{
    for (MatchRecord &r : state.results) {
        if (r.Id == torrentId)
            r.Downloaded = 1.0f;
    }
    return DownloadRequest::forTorrent(state, torrentId, fileName, name);
}
