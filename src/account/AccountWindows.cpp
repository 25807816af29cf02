#include "account/AccountWindows.h"

#include "account/AccountWindowsHost.h"
#include "account/frmAbout.h"
#include "account/frmLogin.h"
#include "account/frmProfile.h"

#include <QAction>
#include <QEvent>
#include <QLabel>

AccountWindows::AccountWindows(AccountWindowsHost &host, QWidget &window, QLabel *info_username,
                               QAction *mnuAbout, Services &services, Settings &settings)
    : m_host(host), m_window(window), m_infoUsername(info_username), m_services(services),
      m_settings(settings)
{
    connect(mnuAbout, &QAction::triggered, this, &AccountWindows::showAbout);
    m_infoUsername->installEventFilter(this);
}

bool AccountWindows::eventFilter(QObject *watched, QEvent *event)
{
    // A click on the user name opens the login dialog (not while the label is disabled).
    if (watched == m_infoUsername && event->type() == QEvent::MouseButtonRelease &&
        m_infoUsername->isEnabled()) {
        showLogin();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

AccountWindows::~AccountWindows() = default;

frmLogin *AccountWindows::loginDialog() const
{
    return m_login;
}

frmAbout *AccountWindows::aboutWindow() const
{
    return m_about;
}

frmProfile *AccountWindows::profileWindow() const
{
    return m_profile;
}

void AccountWindows::showLogin()
{
    if (m_login) {
        m_login->raise();
        m_login->activateWindow();
        return;
    }
    m_login = new frmLogin(m_services, m_settings, &m_window);
    m_login->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_login, &frmLogin::userDetailsAccepted, this, [this](const QString &caption) {
        m_infoUsername->setText(caption);
        m_host.setOptionsDirty();
    });
    // Modal over the main window without a nested event loop: the options page waits for the
    // dialog, while the tray, the timers and a running check carry on.
    m_login->open();
}

void AccountWindows::showAbout()
{
    if (m_about) {
        m_about->show();
        m_about->raise();
        m_about->activateWindow();
        return;
    }
    m_about = new frmAbout(m_services, &m_window);
    m_about->show();
}

void AccountWindows::showProfile()
{
    if (!m_profile)
        m_profile = new frmProfile(m_services, m_settings, &m_window);
    m_profile->show();
    m_profile->raise();
    m_profile->activateWindow();
}
