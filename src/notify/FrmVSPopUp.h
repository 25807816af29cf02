#pragma once

#include "notify/PopupAnimation.h"

#include <QTimer>
#include <QWidget>

#include <memory>

class QLabel;
struct Services;

// The popup: a banner that slides up out of the taskbar at the bottom right of the screen,
// fades in, stays about eleven seconds and slides back down fading out. It never takes the
// focus, and stays out of the taskbar and the pager (on X11 it is a notification window). A left
// click (released) asks for the summary window; any other button acknowledges
// the new torrents; either way the popup unloads at once.
//
// One instance per announcement (Toast creates it): SetNumber() with the resting offset,
// setCaption() with the line (this loads the popup: it is placed below the screen at zero
// height, the sound plays and the timers start), then showWithoutActivating(). The timers
// call the public handlers, which tests call directly; the geometry comes from PopupAnimation
// in twips and is converted with the screen's twips per pixel.
class FrmVSPopUp : public QWidget
{
    Q_OBJECT
public:
    // TmrMove and TmrUnloader were meant to tick as fast as the platform allows, which was
    // about 15 ms; at that pace the 24 growth steps take about 0.4 s. A true 1 ms would make
    // the slide flash past, so both tick every 15 ms.
    static constexpr int MoveIntervalMs = 15;
    static constexpr int StayIntervalMs = 11000;

    explicit FrmVSPopUp(Services &services, QWidget *parent = nullptr);
    ~FrmVSPopUp() override;

    // The distance in twips between the bottom of the screen and the popup's bottom edge at
    // rest, as a 16-bit number. Takes effect at load.
    void SetNumber(int offsetTwips);
    // The line shown in lblMessage; the first call loads the popup.
    void setCaption(const QString &line);
    void showWithoutActivating();

    void onTmrMoveTick();
    void onTmrUnloadTick();
    void onTmrUnloaderTick();

    // Hides the popup, stops its timers, says unloaded() and deletes it once control is back
    // in the event loop. Further calls do nothing.
    void unload();

    bool isLoaded() const { return m_loaded; }
    bool isUnloaded() const { return m_unloaded; }
    // The position, size and fade in twips (valid once loaded).
    const PopupAnimation &animation() const { return *m_animation; }
    qint16 baseOffset() const { return m_baseOffset; }
    QTimer *TmrMove() const { return m_tmrMove; }
    QTimer *TmrUnload() const { return m_tmrUnload; }
    QTimer *TmrUnloader() const { return m_tmrUnloader; }
    // The notify.wav to play: the program folder's, else the installed one.
    static QString soundFile(const Services &services);

signals:
    void unloaded();
    // The left button was released over the popup (after it has unloaded).
    void leftClicked();
    // Another button was released over the popup (before it unloads).
    void otherClicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void load();
    void apply(const PopupAnimation::Tick &tick);
    void place(int topTwips, int heightTwips);
    void onRelease(Qt::MouseButton button);

    Services &m_services;
    QLabel *m_imgMsnBG;
    QLabel *m_lblMessage;
    QTimer *m_tmrMove;
    QTimer *m_tmrUnload;
    QTimer *m_tmrUnloader;
    std::unique_ptr<PopupAnimation> m_animation;
    qint16 m_baseOffset = 0;
    bool m_loaded = false;
    bool m_unloaded = false;
};
