#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QAction;
class QLabel;
class QMenu;
class QPushButton;
class TrayIcon;

// The stand-in for a missing tray on the options window: a line that says so (or the notice
// the notifier left there) and a "Menu" button whose menu holds the tray menu's items, so that
// "Exit" and the other tray items stay within reach, and first, while new torrents wait,
// "New Torrents" (what a double-click on the tray icon opens). Shown only while no tray shows
// the icon.
class NoTrayPanel : public QObject
{
    Q_OBJECT
public:
    // What "New Torrents" needs: whether results wait, and showing them.
    struct NewTorrents
    {
        std::function<bool()> waiting;
        std::function<void()> show;
    };

    // relayout runs after the panel has appeared or gone, so the window can fit it.
    NoTrayPanel(TrayIcon &tray, QLabel *info_notray, QPushButton *command_menu, QMenu *mnuFile,
                NewTorrents newTorrents, std::function<void()> relayout, QObject *parent = nullptr);
    ~NoTrayPanel() override;

    // Follows the tray icon now.
    void update();
    // command_menu: the button's menu (mnuNoTray, built afresh at each click) below the button.
    void command_menu_Click();

private:
    TrayIcon &m_tray;
    QLabel *m_label;
    QPushButton *m_button;
    QPointer<QMenu> m_menu;
    // No parent widget, as the tray menu: it stays usable while the window is disabled.
    QMenu *m_own;
    QAction *m_newTorrents;
    NewTorrents m_newTorrentsHost;
    std::function<void()> m_relayout;
};
