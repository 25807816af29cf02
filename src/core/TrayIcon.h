#pragma once

#include <QObject>
#include <QPointer>
#include <QSystemTrayIcon>
#include <QTimer>

#include <functional>

class QMenu;
class TrayIconState;

// The icon in the notification area: it shows what TrayIconState says and forwards the mouse.
// Created defensively: when no tray is available it keeps running and looks again every 10
// seconds; a tray that appears later, or comes back after its panel restarted, gets the icon
// with the current picture and tip.
//
// Clicks: a double-click acts as the double-click; a single click (all that StatusNotifier
// trays report) acts the same after the double-click interval, so that one real double-click,
// which also reports a single click first, acts only once.
//
// While the icon is wanted but no tray shows it, a stand-in line on the options window takes
// its place (standInNeeded, standInText). When no tray shows the icon at the first look after
// 10 seconds, noTrayAtStart tells the program, once per run, so that it can show its window:
// without it the user could not reach the program at all.
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    // The stand-in's own line.
    static QString noTrayText();

    explicit TrayIcon(TrayIconState &state, QObject *parent = nullptr);
    ~TrayIcon() override;

    // Whether a tray is there; the application puts a TrayHostWatcher before Qt's answer, and
    // tests replace both.
    void setAvailabilityProbe(std::function<bool()> probe) { m_available = std::move(probe); }
    // A tray may have appeared: the icon goes there now rather than at the next look.
    void lookNow() { lookForTray(); }

    // Puts the icon in the tray with this context menu (or waits for a tray).
    void add(QMenu *menu);
    // Takes it out for good.
    void remove();
    // Whether a tray that comes back gets the icon again (not in developer mode).
    void setReaddWhenTrayReturns(bool readd) { m_readd = readd; }

    bool wanted() const { return m_wanted; }
    // The icon is in a tray now.
    bool shown() const { return m_shown; }
    QSystemTrayIcon *systemTrayIcon() const { return m_icon; }

    // The icon is wanted and no tray shows it.
    bool standInNeeded() const { return m_wanted && !m_shown; }
    QString standInText() const { return m_standInText; }
    void setStandInText(const QString &text);
    // A message from the icon; false when no tray shows the icon.
    bool showMessage(const QString &title, const QString &text);
    QTimer &TmrTray() { return m_tmrTray; }
    QTimer &TmrClick() { return m_tmrClick; }

    void onTmrTrayTick();
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    void onTmrClickTick();

signals:
    void doubleClicked();
    // standInNeeded or standInText changed.
    void standInChanged();
    // The first look 10 seconds after the icon was added found no tray (once per run).
    void noTrayAtStart();

private:
    void lookForTray();
    void showIcon();
    void refresh();
    void setShown(bool shown);

    TrayIconState &m_state;
    std::function<bool()> m_available;
    QPointer<QSystemTrayIcon> m_icon;
    QPointer<QMenu> m_menu;
    QTimer m_tmrTray;
    QTimer m_tmrClick;
    bool m_wanted = false;
    bool m_shown = false;
    bool m_everShown = false;
    bool m_readd = true;
    // The next tick is the first since add() (the main window adds the icon once per run).
    bool m_firstTick = false;
    QString m_standInText;
};
