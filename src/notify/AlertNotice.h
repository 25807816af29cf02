#pragma once

#include "download/DownloadRequest.h"
#include "model/MatchRecord.h"
#include "notify/AlertStage.h"
#include "notify/PopupRequest.h"

#include <QString>

struct ProgramState;

// One alert as a desktop notification carries it: the popup's words with the name whole (a
// notification server wraps text), the page the alert is about, and the one torrent it names,
// if any, with what its download needs. A notification keeps it, so that its buttons act on
// that torrent also after the results were acknowledged.
struct AlertNotice
{
    QString line;              // text + " " + tail, never shortened
    QString address;           // AlertAddress when the alert was made ("Open page")
    qint32 torrentId = 0;      // the one torrent named; 0 when the alert counts several
    QString fileName;          // that torrent's .torrent file as the feed named it
    QString name;              // and its name
    bool downloadable = false; // one torrent whose download has not started (a Notify filter's)

    // The notice of a check's outcome (which must hold a popup), from the result list.
    static AlertNotice fromOutcome(const AlertStage::Outcome &outcome, const ResultList &results);

    // "Download": marks the torrent's result downloaded while it is still listed, and returns
    // the download to start, as "Download Now" in the "New Torrents" window does.
    DownloadRequest downloadNow(ProgramState &state) const;

    friend bool operator==(const AlertNotice &, const AlertNotice &) = default;
};

// What the end of a check hands over to be told: the popup's request, its text fitted to the
// popup's label, and the notification's notice.
struct Announcement
{
    PopupRequest popup;
    AlertNotice notice;
};
