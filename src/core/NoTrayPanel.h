#pragma once

#include <QObject>
#include <QPointer>

#include <functional>

class QLabel;
class QMenu;
class QPushButton;
class TrayIcon;

// The stand-in for a missing tray on the options window: a line that says so (or the notice
// the notifier left there) and a "Menu" button that opens the tray menu, so that "Exit" and
// the other tray items stay within reach. Shown only while no tray shows the icon.
class NoTrayPanel : public QObject
{
    Q_OBJECT
public:
    // relayout runs after the panel has appeared or gone, so the window can fit it.
    NoTrayPanel(TrayIcon &tray, QLabel *info_notray, QPushButton *command_menu, QMenu *mnuFile,
                std::function<void()> relayout, QObject *parent = nullptr);

    // Follows the tray icon now.
    void update();
    // command_menu: the tray menu below the button.
    void command_menu_Click();

private:
    TrayIcon &m_tray;
    QLabel *m_label;
    QPushButton *m_button;
    QPointer<QMenu> m_menu;
    std::function<void()> m_relayout;
};
