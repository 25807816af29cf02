#include "feed/FeedCheck.h"

#include "feed/Categories.h"
#include "feed/FeedCheckHost.h"
#include "feed/FeedReplyClassifier.h"
#include "feed/FeedRequest.h"
#include "model/ProgramState.h"
#include "platform/DebugConsole.h"
#include "platform/HttpTransfer.h"
#include "platform/PasswordScramble.h"
#include "platform/SettingNames.h"
#include "platform/SettingsStore.h"
#include "platform/SiteWait.h"
#include "platform/StoredPassword.h"
#include "platform/WholeFiles.h"

FeedCheck::FeedCheck(const Services &services, ProgramState &state, FeedCheckHost &host,
                     QObject *parent)
    : QObject(parent), m_services(services), m_state(state), m_host(host),
      m_transfer(services, this)
{
    m_transfer.setRequestTimeout(41);
    // The request carries the member's name and password.
    m_transfer.setRedirectPolicy(HttpTransfer::RedirectPolicy::SameSiteOnly);
    if (services.sitePassword)
        connect(services.sitePassword, &StoredPassword::readEnded, this,
                &FeedCheck::onPasswordRead);
}

bool FeedCheck::waitForPassword()
{
    StoredPassword *password = m_services.sitePassword;
    // A password typed into the login dialog needs no keyring.
    if (m_waitingForPassword || !password || m_state.settings.SitePasswordChanged)
        return m_waitingForPassword;
    if (password->state() == StoredPassword::State::Unreadable)
        password->retry();
    else if (password->state() != StoredPassword::State::Reading)
        return false;
    m_waitingForPassword = true;
    return true;
}

void FeedCheck::onPasswordRead(bool known)
{
    if (!m_waitingForPassword)
        return;
    m_waitingForPassword = false;
    if (known) {
        if (!m_state.settings.SitePasswordChanged)
            m_state.settings.SitePassword = m_services.sitePassword->password();
        checkfeed();
        return;
    }
    m_running = true;
    m_stopped = false;
    m_attempt = 1;
    fail(FeedFailure::KeyringLocked, QString());
    m_running = false;
    emit checkEnded();
}

bool FeedCheck::siteWaiting() const
{
    return m_services.siteWait && m_services.siteWait->active();
}

void FeedCheck::tellSiteWait()
{
    const QString text = m_services.siteWait->text();
    m_host.setTrayTip(text);
    m_services.log->debug_console(text);
    m_host.setStatusText(text);
}

void FeedCheck::checkfeed()
{
    // Tested before the attempt counter is reset: a check started while another one waits for
    // the site must leave that one's count alone.
    if (m_transfer.StillExecuting() || m_running || waitForPassword())
        return;
    // The site asked to be left alone until a time: the check says so instead of asking.
    if (siteWaiting()) {
        tellSiteWait();
        return;
    }
    m_running = true;
    m_stopped = false;
    m_attempt = 0;
    m_lastFailure = FeedFailure::None;
    while (runAttempt()) {
    }
    m_running = false;
    emit checkEnded();
}

void FeedCheck::stop()
{
    m_stopped = true;
    m_transfer.Cancel();
}

qint32 FeedCheck::readId(const QString &name) const
{
    bool ok = false;
    const qint32 id = m_services.store->ReadSettingText(name).trimmed().toInt(&ok);
    return ok ? id : 0;
}

bool FeedCheck::runAttempt()
{
    if (m_transfer.StillExecuting() || m_stopped)
        return false;
    DebugConsole &log = *m_services.log;
    ++m_attempt;
    m_lastFailure = FeedFailure::None;
    if (m_attempt > 1)
        log.debug_console(QStringLiteral("Retrying..."));
    m_host.checkanimation(QStringLiteral("start"));
    m_host.setStatusText(QStringLiteral("Checking for new torrents..."));

    FeedCheckContext context;
    context.attempt = m_attempt;
    context.lastparsed = readId(SettingName::LastParsed);
    // Developer mode reports the last 30 torrents again on every check.
    if (m_state.DeveloperMode)
        context.lastparsed -= 30;
    context.lastalerted = readId(SettingName::LastAlerted);

    log.debug_console(QStringLiteral("Atempting to retrieve torrent details..."));
    m_host.setTrayTip(QStringLiteral("Checking for new torrents..."));

    const bool withCategories = FeedRequest::takeCategoryFlag(m_state.CategoryRequestCounter);
    const QString address =
        FeedRequest::address(SiteBaseUrl(), context.lastparsed, m_state.settings.SiteUserName,
                             m_state.settings.SitePassword, withCategories);
    const QString reply = FetchUrlText(address, m_transfer);
    if (m_stopped)
        return false;
    if (m_transfer.sentElsewhere())
        return fail(FeedFailure::SentElsewhere, reply, m_transfer.ResponseInfo());
    if (m_transfer.bodyTooLarge())
        return fail(FeedFailure::TooLarge, reply);

    const FeedFailure replyFailure = FeedReplyClassifier::classify(reply, m_transfer.GetHeader());
    if (replyFailure != FeedFailure::None)
        return fail(replyFailure, reply);

    FeedParseResult parsed = FeedParser::parse(reply);
    if (parsed.failure == FeedFailure::Error2)
        return fail(parsed.failure, reply);
    if (parsed.hasCategoryLine) {
        log.debug_console(QStringLiteral("Checking categories..."));
        if (parsed.failure == FeedFailure::Error8)
            return fail(parsed.failure, reply);
        // A reply that fails further on (a row without a TAB) leaves the stored list alone.
        if (parsed.failure != FeedFailure::Error3)
            m_state.categories = Categories::sync(
                parsed.categories, m_state.categories,
                m_services.config.programFile(QStringLiteral("categories.db")), log);
    }
    context.count = parsed.count;
    log.debug_console(QStringLiteral("Number of torrents in the feed: ") +
                      QString::number(parsed.count));
    m_state.exclusion.clear();
    log.debug_console(QStringLiteral("Parsing feed..."));
    // A row that names no torrent the site can have must not move the check's position nor
    // reach the filters, the alerts or torrents.db.
    const qsizetype leftOut = FeedParser::dropInvalidIds(parsed.rows);
    if (leftOut > 0)
        log.debug_console(QStringLiteral("Left out ") + QString::number(leftOut) +
                          (leftOut == 1 ? QStringLiteral(" row") : QStringLiteral(" rows")) +
                          QStringLiteral(" whose id is not a number from 1 to 2147483647."));
    m_state.feed = parsed.rows;
    if (parsed.failure == FeedFailure::Error3)
        return fail(parsed.failure, reply);
    log.debug_console(QStringLiteral("Feed successfully parsed."));

    if (m_completion)
        m_completion(context);
    else
        endWithoutResults(context);
    return false;
}

bool FeedCheck::fail(FeedFailure failure, const QString &reply, const QString &logLine)
{
    m_lastFailure = failure;
    m_host.checkanimation(QStringLiteral("stopwitherror"));
    m_host.setTrayTip(FeedFailureText::status(failure));
    m_services.log->debug_console(logLine.isEmpty() ? FeedFailureText::log(failure) : logLine);
    if (failure == FeedFailure::Busy && siteWaiting()) {
        // No second attempt: nothing goes to the site before the time it named.
        tellSiteWait();
        return false;
    }
    if (m_attempt < 2 && FeedFailureText::retried(failure))
        return true;
    if (failure == FeedFailure::Error1) {
        // The unexpected page is kept for support, without the password that it may echo.
        QString error;
        if (!ReplaceTextFileAtomically(m_services.config.programFile(QStringLiteral("udata.temp")),
                                       HidePassword(reply, m_state.settings.SitePassword), &error,
                                       Privacy::OwnerOnly))
            m_services.log->debug_console(QStringLiteral("Unable to write udata.temp: ") + error);
    }
    return false;
}

void FeedCheck::endWithoutResults(const FeedCheckContext &)
{
    m_state.AlertAddress = SiteBaseUrl() + QStringLiteral("/browse.php");
    m_host.checkanimation(QStringLiteral("stop"));
    m_host.setTrayTip(QStringLiteral("No new torrents"));
    m_host.showNextCheckStatus();
}
