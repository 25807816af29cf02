#pragma once

#include "notify/AlertStage.h"

#include <QObject>

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
// minimised download window, and shows the outcome: the tray animation word, the tooltip, the
// countdown in the status line and the popup through Toast.
//
// Toast measures the line with the window's hidden label lblMessagetest (the popup
// label's font), shortens the text to fit and hands it to the application's popup queue. It
// returns at once; a popup that has to wait shows after the one before it unloads.
class NotifyController : public QObject
{
    Q_OBJECT
public:
    // window: the main window, which holds the hidden label; feedCheck: the check whose end
    // this runs.
    NotifyController(NotifyControllerHost &host, QWidget &window, Services &services,
                     ProgramState &state, FeedCheck &feedCheck);
    ~NotifyController() override;

    // The stages after the parsed reply; FeedCheck calls it.
    void complete(const FeedCheckContext &context);
    // Shows the outcome of a check.
    void apply(const AlertStage::Outcome &outcome);

    // Shows text, a blank and tail in a popup; text comes back shortened when it was.
    void Toast(QString &text, const QString &tail);
    // Width in twips of a text in the popup label's font.
    int measureTwips(const QString &text) const;

private:
    void startDownload(const DownloadRequest &request);

    NotifyControllerHost &m_host;
    Services &m_services;
    ProgramState &m_state;
    QLabel *m_lblMessagetest;
};
