#include "account/ProfileExchange.h"

#include "account/AvatarAddress.h"
#include "account/ProfileCache.h"
#include "account/ProfilePage.h"
#include "account/ProfileView.h"
#include "download/DownloadLogin.h"
#include "model/Settings.h"
#include "platform/DebugConsole.h"
#include "platform/HttpTransfer.h"
#include "platform/Services.h"
#include "platform/StoredPassword.h"
#include "platform/TextUtils.h"

#include <QFileInfo>
#include <QPointer>
#include <QTimer>

namespace {

const QString OwnPagePath = QStringLiteral("/my.php");
const QString DetailsPath = QStringLiteral("/userdetails.php?id=");
const QString PageFailed = QStringLiteral("Status: Failed to get profile. ");
const QString ImageFailed = QStringLiteral("Status: Failed to download image. ");
const QString NotFound = QStringLiteral("File not found on server.");
const QString ReceivingFile = QStringLiteral("Status: Receiving File");
const QString Finished = QStringLiteral("Status: Finished");

QString inBrackets(const QString &text)
{
    return QStringLiteral("(") + text + QStringLiteral(")");
}

// An address from a page, as far as the log shows it.
QString shortened(const QString &text)
{
    return text.size() > 200 ? text.left(200) + QStringLiteral("...") : text;
}

} // namespace

const QString ProfileExchange::ErrorText =
    QStringLiteral("ERROR: Unable to get profile information. Please make sure your username & "
                   "password are correct.");

ProfileExchange::ProfileExchange(Services &services, const Settings &settings, ProfileView &view,
                                 QObject *parent)
    : QObject(parent), m_services(services), m_settings(settings), m_view(view),
      m_InetGetPage(new HttpTransfer(services, this)),
      m_InetGetImage(new HttpTransfer(services, this)), m_timeouttimer(new QTimer(this)),
      m_avatar(services.config.programFile(QStringLiteral("avatar.img")))
{
    m_InetGetPage->setObjectName(QStringLiteral("InetGetPage"));
    m_InetGetImage->setObjectName(QStringLiteral("InetGetImage"));
    m_InetGetPage->setRequestTimeout(RequestTimeoutSeconds);
    m_InetGetImage->setRequestTimeout(RequestTimeoutSeconds);
    m_InetGetPage->setBodyLimit(MaxPageBytes);
    // Both carry the login or the site's cookies.
    m_InetGetPage->setRedirectPolicy(HttpTransfer::RedirectPolicy::SameSiteOnly);
    m_InetGetImage->setRedirectPolicy(HttpTransfer::RedirectPolicy::SameSiteOnly);
    m_InetGetImage->setBodyLimit(AvatarFile::MaxBytes);
    m_timeouttimer->setObjectName(QStringLiteral("timeouttimer"));
    m_timeouttimer->setInterval(1000);
    connect(m_timeouttimer, &QTimer::timeout, this, &ProfileExchange::onTimeoutTimerTick);
    connect(m_InetGetPage, &HttpTransfer::StateChanged, this, &ProfileExchange::onPageStateChanged);
    connect(m_InetGetImage, &HttpTransfer::StateChanged, this,
            &ProfileExchange::onImageStateChanged);
}

ProfileExchange::~ProfileExchange()
{
    m_InetGetPage->disconnect(this);
    m_InetGetImage->disconnect(this);
}

QString ProfileExchange::cachePath() const
{
    return m_services.config.programFile(QStringLiteral("profile.cache"));
}

QString ProfileExchange::avatarPath() const
{
    return m_avatar.target();
}

QString ProfileExchange::detailsUrl(const QString &torrentId) const
{
    if (ProfilePage::numberFrom(torrentId) == 0)
        return QString();
    return SiteBaseUrl() + QStringLiteral("/details.php?id=") + torrentId +
           QStringLiteral("&dllist=1");
}

QString ProfileExchange::inboxUrl() const
{
    return SiteBaseUrl() + QStringLiteral("/inbox.php");
}

void ProfileExchange::log(const QString &message)
{
    if (m_services.log)
        m_services.log->debug_console(message);
}

void ProfileExchange::open()
{
    loadcache();
    m_view.setRefreshEnabled(false);
    m_view.hs(false);
    m_view.setWaitPanelVisible(true);
    if (m_userId != 0) {
        m_pageKind = DetailsPage;
        startPageRequest(DetailsPath + QString::number(m_userId));
    } else {
        m_pageKind = OwnPage;
        startPageRequest(OwnPagePath);
    }
}

void ProfileExchange::loadcache()
{
    const ProfileCache::Entry entry = ProfileCache::read(cachePath(), m_settings.SiteUserName);
    if (!entry.valid)
        return;
    m_userId = entry.userId;
    m_texts = entry.texts;
    m_view.showTexts(m_texts);
    m_cacheLoaded = true;
    if (QFileInfo::exists(avatarPath()))
        m_view.CreateThumb(avatarPath());
}

void ProfileExchange::startTimeout()
{
    // Each request has its own 25 seconds.
    m_ticks = 0;
    m_timeouttimer->start();
}

void ProfileExchange::startPageRequest(const QString &path)
{
    m_abort = false;
    m_view.setStatusRed(false);
    startTimeout();
    m_view.setStatus(path == OwnPagePath ? QStringLiteral("Status: Logging in...")
                                         : QStringLiteral("Status: Getting profile..."));
    if (StoredPassword::pending(m_services.sitePassword, m_settings.SitePasswordChanged)) {
        pageFailed(QStringLiteral("Status: ") + StoredPassword::lockedText());
        return;
    }
    log(QStringLiteral("Profile: logging in to read ") + path);
    const QString site = SiteBaseUrl();
    m_InetGetPage->Execute(
        DownloadLogin::url(site), QStringLiteral("POST"),
        DownloadLogin::body(m_settings.SiteUserName, m_settings.SitePassword, path),
        DownloadLogin::headers(site, path, DownloadLogin::ProfileClient));
}

QString ProfileExchange::answerFailure(const QString &header, const QString &prefix)
{
    const QString code = header.mid(9, 3);
    if (code == QLatin1String("404"))
        return prefix + NotFound;
    if (code.startsWith(QLatin1Char('2')))
        return QString();
    // Any other error answer is the site's error page, not the page asked for.
    return prefix + inBrackets(header.section(QStringLiteral("\r\n"), 0, 0));
}

void ProfileExchange::onPageStateChanged(int state)
{
    if (m_closing)
        return;
    if (m_InetGetPage->bodyTooLarge()) {
        pageTooLarge();
        return;
    }
    if (state == HttpTransfer::icError) {
        // Unresolved host, refused or reset connection, the transfer's own time-out.
        pageFailed(PageFailed + inBrackets(m_InetGetPage->ResponseInfo()));
        return;
    }
    if (state != HttpTransfer::icResponseCompleted)
        return;
    const QString failure = answerFailure(m_InetGetPage->GetHeader(), PageFailed);
    if (!failure.isEmpty()) {
        pageFailed(failure);
        m_InetGetPage->Cancel();
        return;
    }
    if (m_abort) {
        m_view.setStatusRed(true);
        m_InetGetPage->Cancel();
        return;
    }
    QString page;
    const QPointer<ProfileExchange> self(this);
    if (!readPage(&page) || !self)
        return;
    if (m_pageKind == OwnPage)
        readOwnPage(page);
    else
        readDetailsPage(page);
}

bool ProfileExchange::readPage(QString *page)
{
    m_timeouttimer->stop();
    m_view.setStatus(ReceivingFile);
    QByteArray body;
    const HttpTransfer::ReadEnd end = m_InetGetPage->readBody(
        1024, HttpTransfer::Pace::Chunks, [this] { return m_closing; },
        [this, &body](const QByteArray &piece) {
            if (body.size() + piece.size() > MaxPageBytes) {
                pageTooLarge();
                return false;
            }
            body += piece;
            m_view.setStatus(ReceivingFile);
            return true;
        });
    if (end != HttpTransfer::ReadEnd::Complete)
        return false;
    if (m_InetGetPage->bodyTooLarge()) {
        pageTooLarge();
        return false;
    }
    if (m_InetGetPage->failed()) {
        // The connection broke off: a part of a page is no page.
        pageFailed(PageFailed + inBrackets(m_InetGetPage->ResponseInfo()));
        return false;
    }
    m_view.setStatus(Finished);
    *page = FromAnsi(body);
    return true;
}

void ProfileExchange::readOwnPage(const QString &page)
{
    const QString name = ProfilePage::ownName(page);
    if (name.isEmpty()) {
        log(QStringLiteral("Profile: the site did not return the private page."));
        errorStep();
        return;
    }
    const qint32 id = ProfilePage::ownUserId(page);
    if (id == 0) {
        log(QStringLiteral("Profile: the private page gives no user id."));
        errorStep();
        return;
    }
    m_texts.name = name;
    m_userId = id;
    m_pageKind = DetailsPage;
    startPageRequest(DetailsPath + QString::number(id));
}

void ProfileExchange::readDetailsPage(const QString &page)
{
    if (!ProfilePage::isDetailsPage(page)) {
        log(QStringLiteral("Profile: the site did not return the details page."));
        errorStep();
        return;
    }
    const ProfilePage::Details details = ProfilePage::details(page, m_userId);
    ProfileTexts texts = details.values;
    texts.name = m_texts.name;
    m_texts = texts;
    m_view.showTexts(m_texts);
    m_view.showNewMessages(details.newMessages);
    m_view.showTorrents(details.torrents);
    m_view.hs(true);
    m_view.setWaitPanelVisible(false);
    if (details.avatarAddress.isEmpty()) {
        m_view.clearAvatar();
        m_view.setRefreshEnabled(true);
    } else {
        requestAvatar(details.avatarAddress);
    }
    writeCache();
}

void ProfileExchange::writeCache()
{
    QString error;
    if (!ProfileCache::write(cachePath(), m_settings.SiteUserName, m_userId, m_texts, &error))
        log(QStringLiteral("Profile: unable to write profile.cache: ") + error);
}

void ProfileExchange::requestAvatar(const QString &address)
{
    const QString url = AvatarAddress::resolve(address, SiteBaseUrl());
    if (url.isEmpty()) {
        log(QStringLiteral("Profile: avatar address not on the site, not requested: ") +
            shortened(address));
        m_view.clearAvatar();
        m_view.setRefreshEnabled(true);
        return;
    }
    m_view.setStatusRed(false);
    startTimeout();
    m_abort = false;
    m_view.setStatus(QStringLiteral("Status: Getting images..."));
    m_avatar.discard();
    m_InetGetImage->Execute(url, QStringLiteral("GET"), QString(),
                            QStringLiteral("User-Agent: ") +
                                DownloadLogin::userAgent(DownloadLogin::ProfileClient) +
                                QStringLiteral("\r\n"));
}

void ProfileExchange::onImageStateChanged(int state)
{
    if (m_closing)
        return;
    if (m_InetGetImage->bodyTooLarge()) {
        avatarTooLarge();
        return;
    }
    if (state == HttpTransfer::icError) {
        imageFailed(ImageFailed + inBrackets(m_InetGetImage->ResponseInfo()));
        return;
    }
    if (state != HttpTransfer::icResponseCompleted)
        return;
    const QString failure = answerFailure(m_InetGetImage->GetHeader(), ImageFailed);
    if (!failure.isEmpty()) {
        imageFailed(failure);
        m_InetGetImage->Cancel();
        return;
    }
    if (m_abort) {
        m_view.setStatusRed(true);
        m_InetGetImage->Cancel();
        return;
    }
    receiveAvatar();
}

void ProfileExchange::receiveAvatar()
{
    if (!m_avatar.open()) {
        m_InetGetImage->Cancel();
        imageFailed(ImageFailed + inBrackets(m_avatar.errorString()));
        return;
    }
    m_timeouttimer->stop();
    m_view.setStatus(ReceivingFile);
    const HttpTransfer::ReadEnd end = m_InetGetImage->readBody(
        1024, HttpTransfer::Pace::Chunks, [this] { return m_closing; },
        [this](const QByteArray &piece) {
            if (m_avatar.write(piece)) {
                m_view.setStatus(ReceivingFile);
                return true;
            }
            if (m_avatar.tooLarge()) {
                avatarTooLarge();
            } else {
                m_InetGetImage->Cancel();
                const QString error = m_avatar.errorString();
                m_avatar.discard();
                imageFailed(ImageFailed + inBrackets(error));
            }
            return false;
        });
    if (end == HttpTransfer::ReadEnd::Gone)
        return;
    if (end == HttpTransfer::ReadEnd::Stopped) {
        if (m_closing)
            m_avatar.discard();
        return;
    }
    if (m_InetGetImage->bodyTooLarge()) {
        avatarTooLarge();
        return;
    }
    if (m_InetGetImage->failed()) {
        // Cut short: the previous picture stays.
        m_avatar.discard();
        imageFailed(ImageFailed + inBrackets(m_InetGetImage->ResponseInfo()));
        return;
    }
    if (!m_avatar.commit()) {
        log(QStringLiteral("Profile: avatar not stored: ") + m_avatar.errorString());
        imageFailed(ImageFailed + inBrackets(m_avatar.errorString()));
        return;
    }
    m_view.setStatus(Finished);
    m_view.setRefreshEnabled(true);
    m_view.CreateThumb(avatarPath());
}

void ProfileExchange::pageTooLarge()
{
    m_InetGetPage->Cancel();
    log(QStringLiteral("Profile: the page is larger than 16 MiB; reading stopped."));
    pageFailed(PageFailed + QStringLiteral("The page is too large."));
}

void ProfileExchange::avatarTooLarge()
{
    m_InetGetImage->Cancel();
    m_avatar.discard();
    log(QStringLiteral("Profile: the avatar is larger than 2 MiB; download stopped."));
    imageFailed(ImageFailed + QStringLiteral("The picture is larger than 2 MiB."));
}

void ProfileExchange::errorStep()
{
    m_abort = true;
    m_timeouttimer->stop();
    m_view.showProfileError();
}

void ProfileExchange::pageFailed(const QString &status)
{
    log(QStringLiteral("Profile: ") + status.mid(8));
    m_view.setStatus(status);
    m_view.setStatusRed(true);
    m_view.setRefreshEnabled(true);
    m_view.setWaitPanelVisible(false);
    // Values shown from the cache are there to read again.
    if (m_cacheLoaded)
        m_view.hs(true);
    m_timeouttimer->stop();
}

void ProfileExchange::imageFailed(const QString &status)
{
    log(QStringLiteral("Profile: ") + status.mid(8));
    m_view.setStatus(status);
    m_view.setStatusRed(true);
    m_view.setRefreshEnabled(true);
    m_timeouttimer->stop();
}

void ProfileExchange::onTimeoutTimerTick()
{
    if (++m_ticks < TimeoutTicks)
        return;
    m_ticks = 0;
    m_view.setStatus(QStringLiteral("Status: Failed to get page. Timeout exceeded."));
    m_view.setStatusRed(true);
    m_abort = true;
    m_view.setWaitPanelVisible(false);
    if (m_cacheLoaded)
        m_view.hs(true);
    m_view.setRefreshEnabled(true);
    m_timeouttimer->stop();
    log(QStringLiteral("Profile: timeout exceeded."));
    // The request is given up on, so that Refresh starts afresh on an idle transfer.
    if (m_InetGetPage->StillExecuting())
        m_InetGetPage->Cancel();
    if (m_InetGetImage->StillExecuting())
        m_InetGetImage->Cancel();
}

void ProfileExchange::close()
{
    m_closing = true;
    m_timeouttimer->stop();
    for (HttpTransfer *transfer : {m_InetGetPage, m_InetGetImage}) {
        if (transfer->StillExecuting()) {
            transfer->setRequestTimeout(1);
            transfer->Cancel();
        }
    }
}
