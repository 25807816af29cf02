#include "download/frmDownload.h"

#include "download/DownloadLogin.h"
#include "download/DownloadTarget.h"
#include "download/DownloadTexts.h"
#include "download/LabelShortener.h"
#include "download/SavedTorrentHandoff.h"
#include "model/ActiveDownloads.h"
#include "platform/AppConfig.h"
#include "platform/AppInfo.h"
#include "platform/DebugConsole.h"
#include "platform/Dialogs.h"
#include "platform/HttpTransfer.h"
#include "platform/Services.h"
#include "platform/Shell.h"
#include "platform/SiteWait.h"
#include "platform/StoredPassword.h"
#include "platform/WindowHelpers.h"
#include "ui_frmDownload.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QPointer>

#include <algorithm>
#include <limits>

namespace {

constexpr int ProgressGapTwips = 90;
const QColor StatusRed(255, 0, 0);

} // namespace

frmDownload::frmDownload(Services &services, ActiveDownloads &downloads, QWidget *parent)
    : QWidget(parent), m_services(services), m_downloads(downloads),
      ui(std::make_unique<Ui::frmDownload>()), m_timeouttimer(new QTimer(this)),
      m_retry(new QTimer(this)), m_speed(new QTimer(this)), m_tmrUnloader(new QTimer(this))
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    // The name and path labels are measured in this font, so they are drawn in it too.
    setFont(WindowHelpers::LabelFont());

    m_inetDownloadFile = new HttpTransfer(services, this);
    m_inetDownloadFile->setObjectName(QStringLiteral("inetDownloadFile"));
    m_inetDownloadFile->setRequestTimeout(60);
    m_inetDownloadFile->setBodyLimit(MaxFileBytes);
    // The login and the file request carry the member's details and cookies.
    m_inetDownloadFile->setRedirectPolicy(HttpTransfer::RedirectPolicy::SameSiteOnly);
    connect(m_inetDownloadFile, &HttpTransfer::StateChanged, this, &frmDownload::onStateChanged);

    const struct
    {
        QTimer *timer;
        const char *name;
        int interval;
        void (frmDownload::*handler)();
    } timers[] = {
        {m_timeouttimer, "timeouttimer", 1000, &frmDownload::onTimeoutTimerTick},
        {m_retry, "retry", 1000, &frmDownload::onRetryTick},
        {m_speed, "speed", 100, &frmDownload::onSpeedTick},
        {m_tmrUnloader, "tmrUnloader", 50, &frmDownload::onTmrUnloaderTick},
    };
    for (const auto &t : timers) {
        t.timer->setObjectName(QLatin1String(t.name));
        t.timer->setInterval(t.interval);
        connect(t.timer, &QTimer::timeout, this, t.handler);
    }

    connect(ui->Command1, &QPushButton::clicked, this, &frmDownload::onCommand1Clicked);
    ui->info_downloaded->hide();
}

frmDownload::~frmDownload()
{
    m_inetDownloadFile->disconnect(this);
    report(Outcome::Cancelled);
    remdl();
}

void frmDownload::DownloadFile(QString &path, QString &target, QString &user, QString &password,
                               QString &name)
{
    DownloadFile(DownloadRequest{path, target, user, password, name});
}

void frmDownload::DownloadFile(const DownloadRequest &request)
{
    const auto measure = [this](const QString &text) { return textWidthTwips(text); };
    ui->info_filename->setText(LabelShortener::shortenEnd(request.name, NameWidthTwips, measure));

    m_request = request;
    const QString target = DownloadTarget::confine(request.target);
    // A retry has taken its own entry out before it comes here.
    if (m_downloads.contains(target)) {
        if (m_automatic)
            m_services.log->debug_console(DownloadTexts::alreadyDownloadingLog(target));
        else
            m_services.dialogs->message(this, AppInfo::Title, DownloadTexts::alreadyDownloading(),
                                        Dialogs::Information);
        report(Outcome::Refused);
        close();
        return;
    }
    // Only this download fails; the program goes on checking the feed.
    if (!QFileInfo(DownloadTarget::folderOf(target)).isDir()) {
        if (m_automatic)
            m_services.log->debug_console(DownloadTexts::folderMissingLog());
        else
            m_services.dialogs->message(this, QStringLiteral("Critical Error"),
                                        DownloadTexts::folderMissing(), Dialogs::Critical);
        report(Outcome::Failed);
        close();
        return;
    }

    m_target = target;
    m_downloads.add(target);
    m_registered = true;
    ui->Label5->setText(LabelShortener::shortenMiddle(target, PathWidthTwips, measure));
    m_askedForFile = m_getFirst;
    m_getFirst = false;
    sendRequest();
}

void frmDownload::sendRequest()
{
    m_timeouttimer->start();
    m_attempts.begin();
    m_writer.discard();
    setStatus(QStringLiteral("Status: Connecting..."));
    m_rate.restart();
    ui->info_remaining->clear();
    ui->info_downloaded->hide();
    m_speed->stop();
    if (m_askedForFile)
        askForFile();
    else
        logIn();
}

void frmDownload::logIn()
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

void frmDownload::waitForPassword()
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

void frmDownload::askForFile()
{
    const QString site = SiteBaseUrl();
    m_inetDownloadFile->Execute(site + m_request.path, QStringLiteral("GET"), QString(),
                                QStringLiteral("Referer: ") + site + m_request.path +
                                    QStringLiteral("\r\nUser-Agent: ") +
                                    DownloadLogin::userAgent() + QStringLiteral("\r\n"));
}

bool frmDownload::siteWaiting() const
{
    return m_services.siteWait && m_services.siteWait->active();
}

void frmDownload::waitForSite()
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

void frmDownload::showRetryAt()
{
    if (!m_attempts.lastAttempt())
        ui->Label7->setText(QStringLiteral("Retry at ") + m_services.siteWait->clockText());
}

void frmDownload::onStateChanged(int state)
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

void frmDownload::receive()
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

    const QPointer<frmDownload> self(this);
    m_receiving = true;
    for (;;) {
        const QByteArray piece = m_inetDownloadFile->GetAvailable(64 * 1024);
        if (!self)
            return;
        // Cancelled, timed out or due for a retry while waiting: this attempt is over.
        if (m_cancel || m_retryDue || m_attempts.failed())
            break;
        received += piece.size();
        m_rate.setProgress(received, expected);
        ui->info_downloaded->setText(DownloadTexts::progress(received, expected));
        ui->info_downloaded->adjustSize();
        ui->info_downloaded->show();
        placeProgressText();
        if (expected > 1)
            showProgress(received, expected);
        setStatus(QStringLiteral("Status: Receiving File "));
        m_timeouttimer->stop();
        m_writer.write(piece);
        if (piece.isEmpty()) {
            m_receiving = false;
            finishReceived(received, expected);
            return;
        }
        // Lets a Cancel click or a close request in between pieces that are already here.
        QCoreApplication::processEvents();
        if (!self)
            return;
        if (m_cancel || m_retryDue || m_attempts.failed())
            break;
    }

    // The attempt ended early: nothing of it stays on disk.
    m_receiving = false;
    m_writer.discard();
    m_speed->stop();
    m_inetDownloadFile->Cancel();
    if (m_cancel) {
        m_tmrUnloader->start();
    } else if (m_retryDue) {
        m_retryDue = false;
        startRetry();
    }
    // A time-out: the countdown to the next attempt runs on.
}

void frmDownload::finishReceived(qint64 received, qint64 expected)
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
    ui->info_downloaded->hide();
    setStatus(DownloadTexts::finished(received, m_rate.elapsedTenths()));
    showProgress(expected, expected);

    if (outcome == DownloadFileWriter::Outcome::Failed) {
        failSave();
        return;
    }
    if (outcome != DownloadFileWriter::Outcome::Saved) {
        // The site sent a page (a failed login does that). An earlier file of the same name
        // was kept; without one the page is there to read.
        setWindowTitle(QStringLiteral("Download Failed"));
        setStatus(
            QStringLiteral("Status: Failed to download torrent. Site returned unexpected data."));
        setStatusRed(true);
        ui->info_remaining->clear();
        report(Outcome::Failed);
        return;
    }

    ui->info_remaining->clear();
    setWindowTitle(QStringLiteral("Download Complete"));
    ui->Label3->setText(QStringLiteral("Downloaded:"));
    placeProgressText();
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

void frmDownload::handOff()
{
    if (!m_handoff) {
        static const HandoffSettings desktopProgram;
        m_ownHandoff = std::make_unique<SavedTorrentHandoff>(m_services, desktopProgram);
        m_handoff = m_ownHandoff.get();
    }
    using Outcome = SavedTorrentHandoff::Outcome;
    if (m_handoff->toClient())
        setStatus(SavedTorrentHandoff::waitingStatus(m_handoff->clientName()));
    m_handoff->handOff(m_target, !m_automatic, this, [this](const Outcome &outcome) {
        if (!outcome.reason.isEmpty())
            m_services.log->debug_console(
                SavedTorrentHandoff::logLine(outcome, DownloadTarget::fileNameOf(m_target)));
        if (outcome.taken || m_automatic) {
            close();
            return;
        }
        setStatus(SavedTorrentHandoff::refusedStatus(outcome));
        setStatusRed(true);
    });
}

void frmDownload::failAttempt(const QString &status)
{
    setStatus(status);
    setStatusRed(true);
    m_timeouttimer->stop();
    const bool retry = m_attempts.fail();
    if (retry)
        m_retry->start();
    else
        ui->Label7->clear();
    // After the last attempt the countdown still runs, silently, but nothing follows it.
    if (!retry || m_attempts.lastAttempt())
        report(Outcome::Failed);
}

void frmDownload::failSave()
{
    m_attempts.fail();
    m_timeouttimer->stop();
    setStatus(DownloadTexts::saveFailed(m_writer.errorString()));
    setStatusRed(true);
    m_services.log->debug_console(DownloadTexts::saveFailedLog(m_target, m_writer.errorString()));
    report(Outcome::Failed);
}

void frmDownload::failTooLarge()
{
    failForGood(QStringLiteral("Status: Failed. (The file is too large)"));
}

void frmDownload::failForGood(const QString &status)
{
    m_attempts.fail();
    m_timeouttimer->stop();
    ui->info_downloaded->hide();
    setStatus(status);
    setStatusRed(true);
    m_inetDownloadFile->Cancel();
    report(Outcome::Failed);
}

void frmDownload::startRetry()
{
    remdl();
    const DownloadRequest request = m_request;
    DownloadFile(request);
}

void frmDownload::onTimeoutTimerTick()
{
    if (!m_attempts.timeoutTick())
        return;
    // The request goes on; an answer that still arrives is dropped, and the countdown decides.
    failAttempt(QStringLiteral("Status: Failed to download torrent. Timeout exceeded."));
}

void frmDownload::onRetryTick()
{
    DownloadAttempts::RetryStep step;
    if (m_waitingForSite) {
        // Another window may have met a later wait meanwhile.
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
    ui->Label7->setText(step.label);
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

void frmDownload::onSpeedTick()
{
    const TransferRate::Tick tick = m_rate.tick();
    ui->Label6->setText(tick.rateText);
    if (!tick.remainingText.isNull())
        ui->info_remaining->setText(tick.remainingText);
    placeProgressText();
}

void frmDownload::onTmrUnloaderTick()
{
    m_tmrUnloader->stop();
    close();
}

void frmDownload::onCommand1Clicked()
{
    m_cancel = true;
    if (m_receiving) {
        // The receive loop lets go of the file and closes the window moments later.
        stopTimers();
        m_inetDownloadFile->Cancel();
        remdl();
        return;
    }
    close();
}

void frmDownload::closeEvent(QCloseEvent *event)
{
    m_cancel = true;
    stopTimers();
    m_inetDownloadFile->setRequestTimeout(1);
    m_inetDownloadFile->Cancel();
    remdl();
    if (m_receiving) {
        // The receive loop is on the stack with the file open: it ends at once now that the
        // request is cancelled, and tmrUnloader closes the window.
        event->ignore();
        return;
    }
    m_tmrUnloader->stop();
    m_writer.discard();
    report(Outcome::Cancelled);
    event->accept();
}

void frmDownload::stopTimers()
{
    m_timeouttimer->stop();
    m_retry->stop();
    m_speed->stop();
}

void frmDownload::remdl()
{
    if (!m_registered)
        return;
    m_downloads.remove(m_target);
    m_registered = false;
}

void frmDownload::report(Outcome outcome)
{
    if (m_reported)
        return;
    m_reported = true;
    if (outcome == Outcome::Failed)
        remdl();
    emit finished(outcome, DownloadTarget::confine(m_request.target));
}

void frmDownload::setStatus(const QString &text)
{
    ui->Label4->setText(text);
    ui->Label4->adjustSize();
}

void frmDownload::setStatusRed(bool red)
{
    QPalette palette = ui->Label4->palette();
    palette.setColor(QPalette::WindowText,
                     red ? StatusRed : this->palette().color(QPalette::ButtonText));
    ui->Label4->setPalette(palette);
}

void frmDownload::showProgress(qint64 value, qint64 maximum)
{
    // The bar counts in int; larger sizes are shown in proportion.
    maximum = std::max<qint64>(maximum, 1);
    const qint64 scale = maximum / std::numeric_limits<int>::max() + 1;
    ui->ProgressBar1->setRange(0, int(maximum / scale));
    ui->ProgressBar1->setValue(int(std::clamp<qint64>(value, 0, maximum) / scale));
}

void frmDownload::placeProgressText()
{
    const QRect status = ui->Label4->geometry();
    const int gap = WindowHelpers::TwipsToPixelsX(*m_services.screen, ProgressGapTwips);
    ui->info_downloaded->move(status.x() + status.width() + gap, status.y());
}

double frmDownload::textWidthTwips(const QString &text) const
{
    return WindowHelpers::TextWidthTwips(WindowHelpers::LabelFont(), text, *m_services.screen);
}
