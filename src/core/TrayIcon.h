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
class TrayIcon : public QObject
{
    Q_OBJECT
public:
    explicit TrayIcon(TrayIconState &state, QObject *parent = nullptr);
    ~TrayIcon() override;

    // Whether a tray is there; tests replace the platform's answer.
    void setAvailabilityProbe(std::function<bool()> probe) { m_available = std::move(probe); }

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
    QTimer &TmrTray() { return m_tmrTray; }
    QTimer &TmrClick() { return m_tmrClick; }

    void onTmrTrayTick();
    void onActivated(QSystemTrayIcon::ActivationReason reason);
    void onTmrClickTick();

signals:
    void doubleClicked();

private:
    void showIcon();
    void refresh();

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
};
