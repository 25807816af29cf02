#pragma once

#include "account/AvatarFile.h"
#include "account/ProfileTexts.h"

#include <QObject>
#include <QString>

class HttpTransfer;
class ProfileView;
class QTimer;
struct Services;
struct Settings;

// The profile window's exchange with the site. Opening (and Refresh) shows profile.cache at
// once, then logs in naming the member's private page (/my.php) to learn the user id, or,
// with the id known, the details page (/userdetails.php?id=N) directly; reads the values,
// shows them, requests the avatar and writes profile.cache. Every request is watched by
// timeouttimer (ticks of one second, TimeoutTicks of them end the request).
//
// The two transfers (InetGetPage, InetGetImage) and the timer are children of this object with
// those object names. The window calls onTimeoutTimerTick() from the timer (tests call it
// directly) and close() when it closes.
class ProfileExchange : public QObject
{
    Q_OBJECT
public:
    enum PageKind
    {
        NoPage = 0,
        OwnPage = -1,    // /my.php, read to learn the user id
        DetailsPage = 1, // /userdetails.php?id=N
    };

    static constexpr int TimeoutTicks = 25;
    static constexpr int RequestTimeoutSeconds = 30;
    // A page longer than this is not a profile page: the read stops there.
    static constexpr qint64 MaxPageBytes = 16 * 1024 * 1024;

    static const QString ErrorText; // the critical box of a failed login

    ProfileExchange(Services &services, const Settings &settings, ProfileView &view,
                    QObject *parent = nullptr);
    ~ProfileExchange() override;

    // Opening and Refresh.
    void open();
    // Shows profile.cache when it was written for the current user, and the stored avatar.
    void loadcache();
    // The window closes: replies that still arrive are ignored and running requests cancelled.
    void close();
    void onTimeoutTimerTick();

    // The torrent's page for the list's "View Details", or empty text when the id is not a
    // number.
    QString detailsUrl(const QString &torrentId) const;
    // The site's inbox, opened by the new-message mark.
    QString inboxUrl() const;

    PageKind pageKind() const { return m_pageKind; }
    qint32 userId() const { return m_userId; }
    ProfileTexts texts() const { return m_texts; }
    bool cacheLoaded() const { return m_cacheLoaded; }
    bool aborted() const { return m_abort; }
    bool closing() const { return m_closing; }
    int timeoutTicks() const { return m_ticks; }

    HttpTransfer *InetGetPage() const { return m_InetGetPage; }
    HttpTransfer *InetGetImage() const { return m_InetGetImage; }
    QTimer *timeouttimer() const { return m_timeouttimer; }

    QString cachePath() const;
    QString avatarPath() const;

private:
    void startPageRequest(const QString &path);
    void startTimeout();
    void onPageStateChanged(int state);
    void onImageStateChanged(int state);
    // Reads the whole body of the page reply; false when the read ended without a page (the
    // window closed, the transfer failed: the failure is shown).
    bool readPage(QString *page);
    void readOwnPage(const QString &page);
    void readDetailsPage(const QString &page);
    void requestAvatar(const QString &address);
    void receiveAvatar();
    void writeCache();
    void errorStep();
    void pageFailed(const QString &status);
    void imageFailed(const QString &status);
    // Past MaxPageBytes, or AvatarFile::MaxBytes: found by the reading loop or, when the body
    // arrives faster than it is read, by the transfer's own limit.
    void pageTooLarge();
    void avatarTooLarge();
    // The status line text for an HTTP answer that is no page: "" when the code is 2xx.
    static QString answerFailure(const QString &header, const QString &prefix);
    void log(const QString &message);

    Services &m_services;
    const Settings &m_settings;
    ProfileView &m_view;
    HttpTransfer *m_InetGetPage;
    HttpTransfer *m_InetGetImage;
    QTimer *m_timeouttimer;
    AvatarFile m_avatar;

    PageKind m_pageKind = NoPage;
    qint32 m_userId = 0;
    ProfileTexts m_texts;
    bool m_abort = false;
    bool m_closing = false;
    bool m_cacheLoaded = false;
    int m_ticks = 0;
};
