#include "core/TrayIconState.h"

#include "core/ProgramState.h"
#include "platform/AppConfig.h"
#include "platform/AppInfo.h"

TrayIconState::TrayIconState(ProgramState &state, QObject *parent)
    : QObject(parent), m_state(state), m_tip(AppInfo::Title)
{
    m_tmrAni.setInterval(50);
    connect(&m_tmrAni, &QTimer::timeout, this, &TrayIconState::onTmrAniTick);
}

TrayPicture TrayIconState::pictureOf(const QString &iconState)
{
    if (iconState == QLatin1String("new"))
        return TrayPicture::New;
    if (iconState == QLatin1String("error"))
        return TrayPicture::Error;
    if (iconState == QLatin1String("error_new"))
        return TrayPicture::ErrorNew;
    return TrayPicture::NoNew;
}

void TrayIconState::show(TrayPicture picture)
{
    m_picture = picture;
    emit changed();
}

void TrayIconState::reset()
{
    m_tmrAni.stop();
    m_animationFrame = 0;
    m_animationStop = 0;
    m_iconState = QStringLiteral("nonew");
    m_picture = TrayPicture::NoNew;
    setTip(AppInfo::Title);
}

void TrayIconState::setTip(const QString &text)
{
    m_state.TrayTipText = text;
    // The tip ends at a NUL and holds at most TipLength characters.
    QString shown = text;
    const qsizetype nul = shown.indexOf(QChar(0));
    if (nul >= 0)
        shown.truncate(nul);
    m_tip = shown.left(TipLength);
    emit changed();
}

void TrayIconState::checkanimation(const QString &word)
{
    if (word == QLatin1String("start")) {
        if (m_tmrAni.isActive())
            return;
        m_iconState = QStringLiteral("nonew");
        show(TrayPicture::NoNew);
        m_animationStop = 0;
        m_animationFrame = 0;
        emit pauseMenuEnabled(false);
        m_tmrAni.start();
    } else if (word == QLatin1String("stop")) {
        m_animationStop = 1;
        emit pauseMenuEnabled(true);
    } else if (word == QLatin1String("stopnew")) {
        m_tmrAni.stop();
        m_animationStop = 0;
        m_animationFrame = 0;
        emit pauseMenuEnabled(true);
        m_iconState = QStringLiteral("new");
        show(TrayPicture::New);
    } else if (word == QLatin1String("stopwitherror")) {
        m_tmrAni.stop();
        m_animationStop = 0;
        m_animationFrame = 0;
        emit pauseMenuEnabled(true);
        if (!m_state.results.isEmpty()) {
            m_iconState = QStringLiteral("error_new");
            show(TrayPicture::ErrorNew);
        } else {
            m_iconState = QStringLiteral("error");
            show(TrayPicture::Error);
        }
    }
}

void TrayIconState::onTmrAniTick()
{
    if (m_animationFrame == 0) {
        show(TrayPicture::NoNew);
        m_iconState = QStringLiteral("nonew");
        if (m_animationStop == 2) {
            m_tmrAni.stop();
            m_animationStop = 0;
            return;
        }
    }
    ++m_animationFrame;
    switch (m_animationFrame) {
    case 4:
        show(TrayPicture::Check1);
        break;
    case 7:
        show(TrayPicture::Check2);
        break;
    case 10:
        show(TrayPicture::Check3);
        break;
    case 13:
        show(TrayPicture::Check4);
        break;
    case 16:
        show(TrayPicture::Check5);
        break;
    case 19:
        show(TrayPicture::Check6);
        m_animationFrame = 0;
        if (m_animationStop == 1)
            m_animationStop = 2;
        break;
    default:
        break;
    }
}

void TrayIconState::seticonnonew()
{
    m_state.AlertAddress = SiteBaseUrl() + QStringLiteral("/browse.php");
    if (m_iconState != QLatin1String("error_new")) {
        m_iconState = QStringLiteral("nonew");
        m_picture = TrayPicture::NoNew;
    } else {
        m_iconState = QStringLiteral("error");
        m_picture = TrayPicture::Error;
    }
    setTip(QStringLiteral("No new torrents"));
    m_state.results.clear();
    m_state.feed.clear();
    m_state.exclusion.clear();
}

void TrayIconState::showPaused(bool paused)
{
    const bool error =
        m_iconState == QLatin1String("error") || m_iconState == QLatin1String("error_new");
    // A resume shows the state the pause covered: new torrents stay announced until the user
    // acknowledges them, so the picture agrees with the tooltip.
    show(paused ? (error ? TrayPicture::ErrorPaused : TrayPicture::Paused)
                : pictureOf(m_iconState));
}
