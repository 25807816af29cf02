#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

struct ProgramState;

// The pictures the tray icon can show.
enum class TrayPicture
{
    NoNew,
    New,
    Error,
    ErrorNew,
    Paused,
    ErrorPaused,
    Check1,
    Check2,
    Check3,
    Check4,
    Check5,
    Check6
};

// What the tray icon shows and why: the state word (IconState: "nonew", "new", "error",
// "error_new"), the picture, the tooltip, the spinning animation during a check and the
// acknowledgement of new torrents. The window that shows it (TrayIcon) only follows changed().
//
// The animation runs on TmrAni (50 ms): a cycle of 19 ticks shows the no-new picture for 3
// ticks, each of the six check frames for 3 and the last for 1; "stop" lets the running cycle
// finish and rests on the no-new picture.
class TrayIconState : public QObject
{
    Q_OBJECT
public:
    // The tooltip shows at most this many characters.
    static constexpr int TipLength = 63;

    explicit TrayIconState(ProgramState &state, QObject *parent = nullptr);

    QString IconState() const { return m_iconState; }
    TrayPicture picture() const { return m_picture; }
    // The text the tooltip shows: TrayTipText cut to TipLength characters.
    QString tip() const { return m_tip; }

    // The icon as added at start: no-new picture, the program title as tip.
    void reset();

    // "start", "stop", "stopnew" or "stopwitherror"; any other word does nothing.
    void checkanimation(const QString &word);
    void onTmrAniTick();
    bool animationRunning() const { return m_tmrAni.isActive(); }
    int AnimationFrame() const { return m_animationFrame; }
    int AnimationStop() const { return m_animationStop; }
    QTimer &TmrAni() { return m_tmrAni; }

    // The acknowledgement of new torrents: back to the no-new state (an error with unread
    // results becomes a plain error), "No new torrents", and the results, the parsed feed and
    // the exclusion list emptied.
    void seticonnonew();

    // Sets the tooltip and TrayTipText.
    void setTip(const QString &text);

    // Pausing shows the paused picture (or the error-paused one) without changing the state
    // word; resuming shows the picture of the state word again.
    void showPaused(bool paused);

    // The picture of a state word; the no-new picture for an unknown word.
    static TrayPicture pictureOf(const QString &iconState);

signals:
    // The picture or the tip changed.
    void changed();
    // The Pause menu item is disabled while the animation runs.
    void pauseMenuEnabled(bool enabled);

private:
    void show(TrayPicture picture);

    ProgramState &m_state;
    QString m_iconState = QStringLiteral("nonew");
    TrayPicture m_picture = TrayPicture::NoNew;
    QString m_tip;
    QTimer m_tmrAni;
    int m_animationFrame = 0;
    int m_animationStop = 0; // 0 run, 1 stop requested, 2 finishing
};
