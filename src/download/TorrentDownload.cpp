#include "download/TorrentDownload.h"

#include "download/DownloadLogin.h"
#include "download/DownloadTarget.h"
#include "download/DownloadTexts.h"
#include "download/SavedTorrentHandoff.h"
#include "model/ActiveDownloads.h"
#include "platform/AppConfig.h"
#include "platform/AppInfo.h"
#include "platform/DebugConsole.h"
#include "platform/HttpTransfer.h"
#include "platform/Services.h"
#include "platform/SiteWait.h"
#include "platform/StoredPassword.h"

#include <QFileInfo>
#include <QPointer>

TorrentDownload::TorrentDownload(Services &services, ActiveDownloads &downloads,
                                 SavedTorrentHandoff *handoff, QObject *parent)
    : QObject(parent), m_services(services), m_downloads(downloads), m_handoff(handoff),
      m_inetDownloadFile(new HttpTransfer(services, this)), m_timeouttimer(new QTimer(this)),
      m_retry(new QTimer(this)), m_speed(new QTimer(this))
{
    if (!m_handoff) {
        static const HandoffSettings desktopProgram;
        m_ownHandoff = std::make_unique<SavedTorrentHandoff>(m_services, desktopProgram);
        m_handoff = m_ownHandoff.get();
    }
    m_inetDownloadFile->setObjectName(QStringLiteral("inetDownloadFile"));
    m_inetDownloadFile->setRequestTimeout(60);
    m_inetDownloadFile->setBodyLimit(MaxFileBytes);
    // The login and the file request carry the member's details and cookies.
    m_inetDownloadFile->setRedirectPolicy(HttpTransfer::RedirectPolicy::SameSiteOnly);
    connect(m_inetDownloadFile, &HttpTransfer::StateChanged, this,
            &TorrentDownload::onStateChanged);

    const struct
    {
        QTimer *timer;
        const char *name;
        int interval;
        void (TorrentDownload::*handler)();
    } timers[] = {
        {m_timeouttimer, "timeouttimer", 1000, &TorrentDownload::onTimeoutTimerTick},
        {m_retry, "retry", 1000, &TorrentDownload::onRetryTick},
        {m_speed, "speed", 100, &TorrentDownload::onSpeedTick},
    };
    for (const auto &t : timers) {
        t.timer->setObjectName(QLatin1String(t.name));
        t.timer->setInterval(t.interval);
        connect(t.timer, &QTimer::timeout, this, t.handler);
    }
}

TorrentDownload::~TorrentDownload()
{
    m_inetDownloadFile->disconnect(this);
    report(Outcome::Cancelled);
    remdl();
}

void TorrentDownload::start(const DownloadRequest &request)
{
    m_request = request;
    const QString target = DownloadTarget::confine(request.target);
    // A retry has taken its own entry out before it comes here.
    if (m_downloads.contains(target)) {
        if (m_automatic)
            m_services.log->debug_console(DownloadTexts::alreadyDownloadingLog(target));
        else
            emit tell(AppInfo::Title, DownloadTexts::alreadyDownloading(), Dialogs::Information);
        report(Outcome::Refused);
        emit closeRequested(false);
        return;
    }
    // Only this download fails; the program goes on checking the feed.
    if (!QFileInfo(DownloadTarget::folderOf(target)).isDir()) {
        if (m_automatic)
            m_services.log->debug_console(DownloadTexts::folderMissingLog());
        else
            emit tell(QStringLiteral("Critical Error"), DownloadTexts::folderMissing(),
                      Dialogs::Critical);
        report(Outcome::Failed);
        emit closeRequested(false);
        return;
    }

    m_target = target;
    m_downloads.add(target);
    m_registered = true;
    m_display.target = target;
    m_askedForFile = m_getFirst;
    m_getFirst = false;
    sendRequest();
}

void TorrentDownload::sendRequest()
{
    m_timeouttimer->start();
    m_attempts.begin();
    m_writer.discard();
    m_rate.restart();
    m_display.remaining.clear();
    m_display.received = QString();
    setStatus(QStringLiteral("Status: Connecting..."));
    m_speed->stop();
    if (m_askedForFile)
        askForFile();
    else
        logIn();
}

void TorrentDownload::logIn()
{
    if (m_request.password.isEmpty() && StoredPassword::pending(m_services.sitePassword)) {
        waitForPassword();
        return;
    }
    const QString site = SiteBaseUrl();
    m_inetDownloadFile->Execute(
        DownloadLogin::url(site), QStringLiteral("POST"),
        DownloadLogin::body(m_request.userName, m_request.password, m_request.path),
        DownloadLogin::headers(site, m_request.path));
}

void TorrentDownload::waitForPassword()
{
    StoredPassword *stored = m_services.sitePassword;
    disconnect(m_passwordRead);
    m_passwordRead = connect(stored, &StoredPassword::readEnded, this, [this, stored](bool known) {
        disconnect(m_passwordRead);
        // The attempt timed out or was cancelled meanwhile.
        if (m_attempts.failed() || m_cancel)
            return;
        if (!known) {
            failAttempt(QStringLiteral("Status: Failed. (") + StoredPassword::lockedText() +
                        QStringLiteral(")"));
            return;
        }
        m_request.password = stored->password();
        logIn();
    });
    if (stored->state() == StoredPassword::State::Unreadable)
        stored->retry();
}

void TorrentDownload::askForFile()
{
    const QString site = SiteBaseUrl();
    m_inetDownloadFile->Execute(site + m_request.path, QStringLiteral("GET"), QString(),
                                QStringLiteral("Referer: ") + site + m_request.path +
                                    QStringLiteral("\r\nUser-Agent: ") +
                                    DownloadLogin::userAgent() + QStringLiteral("\r\n"));
}

bool TorrentDownload::siteWaiting() const
{
    return m_services.siteWait && m_services.siteWait->active();
}

void TorrentDownload::waitForSite()
{
    // The session may outlive the wait: the next attempt asks for the file before logging in.
    m_getFirst = true;
    failAttempt(QStringLiteral("Status: Failed. (") + m_services.siteWait->text() +
                QStringLiteral(")"));
    if (!m_retry->isActive())
        return;
    m_waitingForSite = true;
    // Nothing changes on the screen before the wait ends: no need to wake every second.
    m_retry->setInterval(5000);
    showRetryAt();
}

void TorrentDownload::showRetryAt()
{
    if (!m_attempts.lastAttempt())
        setRetryText(QStringLiteral("Retry at ") + m_services.siteWait->clockText());
}

void TorrentDownload::onStateChanged(int state)
{
    if (state != HttpTransfer::icError && state != HttpTransfer::icResponseCompleted)
        return;
    if (m_inetDownloadFile->bodyTooLarge()) {
        failTooLarge();
        return;
    }
    if (m_inetDownloadFile->sentElsewhere()) {
        // Another attempt would be sent to the same place.
        m_services.log->debug_console(m_inetDownloadFile->ResponseInfo());
        failForGood(QStringLiteral("Status: ") + m_inetDownloadFile->ResponseInfo());
        return;
    }
    if (state == HttpTransfer::icError) {
        // Unresolved host, refused or reset connection, time-out: nothing arrived. Or nothing
        // was sent: the site's wait has not ended.
        if (m_inetDownloadFile->siteWaiting())
            waitForSite();
        else
            failAttempt(QStringLiteral("Status: Failed. (") + m_inetDownloadFile->ResponseInfo() +
                        QStringLiteral(")"));
    } else {
        const int code = m_inetDownloadFile->statusCode();
        if (code == 404) {
            failAttempt(QStringLiteral("Status: Failed. File not found on server."));
        } else if (SiteWait::isBusyStatus(code) && siteWaiting()) {
            waitForSite();
        } else if (code < 200 || code > 299) {
            // Any other error answer is the site's error page, not the file; the status line
            // says which.
            failAttempt(QStringLiteral("Status: Failed. (") +
                        m_inetDownloadFile->GetHeader().section(QStringLiteral("\r\n"), 0, 0) +
                        QStringLiteral(")"));
        }
    }
    // Also an attempt the time-out gave up on while its answer was on the way.
    if (m_attempts.failed()) {
        setStatusRed(true);
        m_inetDownloadFile->Cancel();
        return;
    }
    receive();
}

void TorrentDownload::receive()
{
    if (!m_writer.open(m_target)) {
        m_inetDownloadFile->Cancel();
        failSave();
        return;
    }
    m_speed->start();

    bool numeric = false;
    qint64 expected = m_inetDownloadFile->GetHeader(QStringLiteral("Content-Length"))
                          .trimmed()
                          .toLongLong(&numeric);
    if (!numeric || expected < 0)
        expected = 1; // unknown: any body counts as complete
    showProgress(0, expected);
    qint64 received = 0;
    m_rate.setProgress(0, expected);

    m_receiving = true;
    const HttpTransfer::ReadEnd end = m_inetDownloadFile->readBody(
        64 * 1024, HttpTransfer::Pace::Available,
        // Cancelled, timed out or due for a retry while waiting: this attempt is over.
        [this] { return m_cancel || m_retryDue || m_attempts.failed(); },
        [&](const QByteArray &piece) {
            received += piece.size();
            m_rate.setProgress(received, expected);
            m_display.received = DownloadTexts::progress(received, expected);
            if (expected > 1)
                showProgress(received, expected);
            m_timeouttimer->stop();
            m_writer.write(piece);
            setStatus(QStringLiteral("Status: Receiving File "));
            return true;
        });
    if (end == HttpTransfer::ReadEnd::Gone)
        return;
    m_receiving = false;
    if (end == HttpTransfer::ReadEnd::Complete) {
        finishReceived(received, expected);
        return;
    }

    // The attempt ended early: nothing of it stays on disk.
    m_writer.discard();
    m_speed->stop();
    m_inetDownloadFile->Cancel();
    if (m_cancel) {
        emit closeRequested(true);
    } else if (m_retryDue) {
        m_retryDue = false;
        startRetry();
    }
    // A time-out: the countdown to the next attempt runs on.
}

void TorrentDownload::finishReceived(qint64 received, qint64 expected)
{
    m_speed->stop();
    if (m_inetDownloadFile->bodyTooLarge()) {
        m_writer.discard();
        failTooLarge();
        return;
    }
    if (m_inetDownloadFile->ResponseCode() == HttpTransfer::ErrorTimeout) {
        // The site went silent, or sent too little for too long: tried again later.
        m_writer.discard();
        failAttempt(QStringLiteral("Status: Failed to download torrent. Timeout exceeded."));
        return;
    }
    // Fewer bytes than announced, or the connection broke off before the end.
    const bool broken = m_inetDownloadFile->failed();
    if ((expected > 1 && received < expected) || (broken && received > 0)) {
        m_attempts.fail();
        m_writer.discard();
        setStatusRed(true);
        m_inetDownloadFile->Cancel();
        report(Outcome::Failed);
        return;
    }
    if (received == 0) {
        // An empty reply is no .torrent file: this attempt failed.
        m_writer.discard();
        const QString info = m_inetDownloadFile->ResponseInfo();
        failAttempt(QStringLiteral("Status: Failed. (") +
                    (info.isEmpty() ? QStringLiteral("The site sent an empty file") : info) +
                    QStringLiteral(")"));
        m_inetDownloadFile->Cancel();
        return;
    }

    if (m_askedForFile && !m_writer.isTorrent()) {
        // The session ended during the wait: the site sent its login page. One login exchange
        // follows, within this attempt.
        m_askedForFile = false;
        sendRequest();
        return;
    }

    const DownloadFileWriter::Outcome outcome = m_writer.finish();
    m_display.received = QString();
    showProgress(expected, expected);
    setStatus(DownloadTexts::finished(received, m_rate.elapsedTenths()));

    if (outcome == DownloadFileWriter::Outcome::Failed) {
        failSave();
        return;
    }
    m_display.remaining.clear();
    if (outcome != DownloadFileWriter::Outcome::Saved) {
        // The site sent a page (a failed login does that). An earlier file of the same name
        // was kept; without one the page is there to read.
        m_display.title = QStringLiteral("Download Failed");
        m_display.statusRed = true;
        setStatus(
            QStringLiteral("Status: Failed to download torrent. Site returned unexpected data."));
        report(Outcome::Failed);
        return;
    }

    m_display.title = QStringLiteral("Download Complete");
    m_display.saved = true;
    emit displayChanged();
    remdl();
    report(Outcome::Saved);
    if (!DownloadTarget::isTorrentFile(m_target)) {
        // Saved, but nothing but a .torrent file is ever handed to another program. The window
        // stays so that the user sees where the file went.
        setStatus(QStringLiteral("Status: Saved as ") + DownloadTarget::fileNameOf(m_target) +
                  QStringLiteral(". Not opened: it is not a .torrent file."));
        return;
    }
    handOff();
}

void TorrentDownload::handOff()
{
    if (m_handoff->toClient())
        setStatus(SavedTorrentHandoff::waitingStatus(m_handoff->clientName()));
    using HandedOff = SavedTorrentHandoff::Outcome;
    m_handoff->handOff(m_target, !m_automatic, this, [this](const HandedOff &outcome) {
        if (!outcome.reason.isEmpty())
            m_services.log->debug_console(
                SavedTorrentHandoff::logLine(outcome, DownloadTarget::fileNameOf(m_target)));
        if (outcome.taken || m_automatic) {
            emit closeRequested(false);
            return;
        }
        m_display.statusRed = true;
        setStatus(SavedTorrentHandoff::refusedStatus(outcome));
    });
}

void TorrentDownload::failAttempt(const QString &status)
{
    m_display.statusRed = true;
    setStatus(status);
    m_timeouttimer->stop();
    const bool retry = m_attempts.fail();
    if (retry)
        m_retry->start();
    else
        setRetryText(QString());
    // After the last attempt the countdown still runs, silently, but nothing follows it.
    if (!retry || m_attempts.lastAttempt())
        report(Outcome::Failed);
}

void TorrentDownload::failSave()
{
    m_attempts.fail();
    m_timeouttimer->stop();
    m_display.statusRed = true;
    setStatus(DownloadTexts::saveFailed(m_writer.errorString()));
    m_services.log->debug_console(DownloadTexts::saveFailedLog(m_target, m_writer.errorString()));
    report(Outcome::Failed);
}

void TorrentDownload::failTooLarge()
{
    failForGood(QStringLiteral("Status: Failed. (The file is too large)"));
}

void TorrentDownload::failForGood(const QString &status)
{
    m_attempts.fail();
    m_timeouttimer->stop();
    m_display.received = QString();
    m_display.statusRed = true;
    setStatus(status);
    m_inetDownloadFile->Cancel();
    report(Outcome::Failed);
}

void TorrentDownload::startRetry()
{
    remdl();
    const DownloadRequest request = m_request;
    start(request);
}

void TorrentDownload::onTimeoutTimerTick()
{
    if (!m_attempts.timeoutTick())
        return;
    // The request goes on; an answer that still arrives is dropped, and the countdown decides.
    failAttempt(QStringLiteral("Status: Failed to download torrent. Timeout exceeded."));
}

void TorrentDownload::onRetryTick()
{
    DownloadAttempts::RetryStep step;
    if (m_waitingForSite) {
        // Another download may have met a later wait meanwhile.
        if (siteWaiting()) {
            showRetryAt();
            return;
        }
        m_waitingForSite = false;
        m_retry->setInterval(1000);
        step = m_attempts.endCountdown();
    } else {
        step = m_attempts.retryTick();
    }
    setRetryText(step.label);
    if (step.action == DownloadAttempts::RetryAction::Wait)
        return;
    m_inetDownloadFile->Cancel();
    m_retry->stop();
    if (step.action == DownloadAttempts::RetryAction::GiveUp) {
        setStatusRed(true);
        report(Outcome::Failed);
        return;
    }
    setStatusRed(false);
    // A receive loop still waiting for the abandoned request lets go of it first.
    if (m_receiving)
        m_retryDue = true;
    else
        startRetry();
}

void TorrentDownload::onSpeedTick()
{
    const TransferRate::Tick tick = m_rate.tick();
    m_display.rate = tick.rateText;
    if (!tick.remainingText.isNull())
        m_display.remaining = tick.remainingText;
    emit displayChanged();
}

bool TorrentDownload::cancel()
{
    m_cancel = true;
    stopTimers();
    m_inetDownloadFile->setRequestTimeout(1);
    m_inetDownloadFile->Cancel();
    remdl();
    // The receive loop is on the stack with the file open: it ends at once now that the
    // request is cancelled, and asks to be closed.
    if (m_receiving)
        return false;
    m_writer.discard();
    report(Outcome::Cancelled);
    return true;
}

void TorrentDownload::stopTimers()
{
    m_timeouttimer->stop();
    m_retry->stop();
    m_speed->stop();
}

void TorrentDownload::remdl()
{
    if (!m_registered)
        return;
    m_downloads.remove(m_target);
    m_registered = false;
}

void TorrentDownload::report(Outcome outcome)
{
    if (m_reported)
        return;
    m_reported = true;
    if (outcome == Outcome::Failed)
        remdl();
    emit finished(outcome, DownloadTarget::confine(m_request.target));
}

void TorrentDownload::setStatus(const QString &text)
{
    m_display.status = text;
    emit displayChanged();
}

void TorrentDownload::setStatusRed(bool red)
{
    m_display.statusRed = red;
    emit displayChanged();
}

void TorrentDownload::setRetryText(const QString &text)
{
    m_display.retry = text;
    emit displayChanged();
}

void TorrentDownload::showProgress(qint64 value, qint64 maximum)
{
    m_display.progress = value;
    m_display.progressMaximum = maximum;
    emit displayChanged();
}
