#pragma once

#include <QObject>
#include <QPointer>

class AccountWindowsHost;
class QAction;
class QLabel;
class QWidget;
class frmAbout;
class frmLogin;
class frmProfile;
struct Services;
struct Settings;

// The account windows the main window opens: the login dialog "User Details" from the
// user-name label on the options page, modal over the main window, and the About window from
// the tray menu, modeless, and the profile viewer (no control opens it). Each is created when
// opened and deleted when it closes; a second request while one is on show brings that one to the
// front. Owned by the main window.
class AccountWindows : public QObject
{
    Q_OBJECT
public:
    // window: the main window, parent of the three windows; info_username: the options page's
    // user-name label, whose clicks open the login dialog; mnuAbout: the tray menu entry.
    AccountWindows(AccountWindowsHost &host, QWidget &window, QLabel *info_username,
                   QAction *mnuAbout, Services &services, Settings &settings);
    ~AccountWindows() override;

    // info_username: the login dialog. Accepting it shows the new caption in info_username
    // and marks the options changed; the credentials are stored when the options are saved.
    void showLogin();
    // mnuAbout: the About window.
    void showAbout();
    // The profile viewer "Profile"; a second call while it is on show brings it to the front.
    void showProfile();

    // The windows on show, or null.
    frmLogin *loginDialog() const;
    frmAbout *aboutWindow() const;
    frmProfile *profileWindow() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    AccountWindowsHost &m_host;
    QWidget &m_window;
    QLabel *m_infoUsername;
    Services &m_services;
    Settings &m_settings;
    QPointer<frmLogin> m_login;
    QPointer<frmAbout> m_about;
    QPointer<frmProfile> m_profile;
};
