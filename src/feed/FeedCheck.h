#pragma once

#include "feed/FeedFailure.h"
#include "feed/FeedParser.h"
#include "platform/HttpTransfer.h"
#include "platform/Services.h"

#include <QObject>

#include <functional>

class FeedCheckHost;
struct ProgramState;

// What the stages after the category step get from one successful attempt. The parsed rows
// are in ProgramState::feed by then.
struct FeedCheckContext
{
    qint32 lastparsed = 0;  // as read at the start of the attempt (developer offset applied)
    qint32 lastalerted = 0; // as read at the start of the attempt
    int attempt = 0;
    int count = 0; // rows in the reply
};

// One check of the site's bot feed (checkfeed): the attempt loop with one retry, the request,
// the reply checks, the parser and the category step; a failure shows its text in the tray
// tooltip and the log. While the site's wait (SiteWait) runs, a check asks nothing and says
// until when; a busy reply that starts that wait is not tried again. The stages that follow a
// parsed reply (torrent database, filters, alerts) come in through setCompletion; until one is set
// a parsed reply ends the check the way a check without results ends.
class FeedCheck : public QObject
{
    Q_OBJECT
public:
    using Completion = std::function<void(const FeedCheckContext &)>;

    FeedCheck(const Services &services, ProgramState &state, FeedCheckHost &host,
              QObject *parent = nullptr);

    // Runs one check; returns when it has ended. A call made while a request of this check is
    // under way (the wait lets timers and clicks run) ends at once.
    void checkfeed();

    // The stages after the category step.
    void setCompletion(Completion completion) { m_completion = std::move(completion); }

    // True from the start of a check to its end (a check waits for the site with events
    // running, so anything may happen meanwhile).
    bool isRunning() const { return m_running; }
    // Ends a running check at its next step without trying again: its window is going away.
    void stop();

    // Attempts made by the last check (1 or 2), and how its last attempt ended.
    int attempts() const { return m_attempt; }
    FeedFailure lastFailure() const { return m_lastFailure; }

    // The main window's transfer instance: 41 seconds, one request at a time.
    HttpTransfer &transfer() { return m_transfer; }

signals:
    // A check has ended (also one ended by stop()).
    void checkEnded();

private:
    // One attempt; true when another attempt follows.
    bool runAttempt();
    // The failure procedure; true when another attempt follows. logLine replaces the
    // failure's own log text when given.
    bool fail(FeedFailure failure, const QString &reply, const QString &logLine = QString());
    // The password is still being read from the keyring, or the keyring would not give it:
    // the check waits for a (new) read and runs when it ends. True when it waits.
    bool waitForPassword();
    void onPasswordRead(bool known);
    // The site's wait runs; the tooltip, the log and the status line say until when.
    bool siteWaiting() const;
    void tellSiteWait();
    qint32 readId(const QString &name) const;
    void endWithoutResults(const FeedCheckContext &context);

    const Services &m_services;
    ProgramState &m_state;
    FeedCheckHost &m_host;
    HttpTransfer m_transfer;
    Completion m_completion;
    int m_attempt = 0;
    FeedFailure m_lastFailure = FeedFailure::None;
    bool m_running = false;
    bool m_stopped = false;
    bool m_waitingForPassword = false;
};
