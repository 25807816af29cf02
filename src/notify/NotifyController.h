#pragma once

#include "notify/AlertStage.h"

#include <QObject>

class DownloadWindows;
class FeedCheck;
class NotifyControllerHost;
class QLabel;
class QWidget;
struct DownloadRequest;
struct FeedCheckContext;
struct ProgramState;
struct Services;

// The main window's end of a feed check: once the reply is parsed it runs the torrents.db
// append, the filters and the alerts (CheckCycle), starts each automatic download in a
// minimised download window (at most four at once, DownloadWindows), and shows the outcome: the
// tray animation word, the tooltip, the countdown in the status line and the announcement.
//
// An announcement carries the popup's line, fitted with the window's hidden label
// lblMessagetest (the popup label's font), and the whole line with the torrent it names for a
// desktop notification; the application's notification windows choose between the two. It
// returns at once; a popup that has to wait shows after the one before it unloads.
class NotifyController : public QObject
{
    Q_OBJECT
public:
    // window: the main window, which holds the hidden label; feedCheck: the check whose end
    // this runs; downloads: where its automatic downloads start.
    NotifyController(NotifyControllerHost &host, QWidget &window, Services &services,
                     ProgramState &state, FeedCheck &feedCheck, DownloadWindows &downloads);
    ~NotifyController() override;

    // The stages after the parsed reply; FeedCheck calls it.
    void complete(const FeedCheckContext &context);
    // Shows the outcome of a check.
    void apply(const AlertStage::Outcome &outcome);

    // Announces text, a blank and tail; text comes back shortened to the popup's label when
    // it was.
    void Toast(QString &text, const QString &tail);
    // Width in twips of a text in the popup label's font.
    int measureTwips(const QString &text) const;

private:
    // The text shortened so that text, a blank and tail fit the popup's label.
    QString fitted(const QString &text, const QString &tail);
    bool startDownload(const DownloadRequest &request);

    NotifyControllerHost &m_host;
    Services &m_services;
    ProgramState &m_state;
    DownloadWindows &m_downloads;
    QLabel *m_lblMessagetest;
};
