#pragma once

#include <QDialog>

#include <functional>
#include <memory>

class CredentialCheck;
class HttpTransfer;
class QTimer;
struct Services;

namespace Ui {
class frmFirstRun;
}

// "Pollwick - Please Login": the wizard shown at start-up while no user name is stored. It
// tests the user name and password against the site's feed (CredentialCheck over its own
// transfer Inet1) and only then offers "Continue", which stores them and hands over to the
// main window. "Cancel", Esc and the close box end the program.
class frmFirstRun : public QDialog
{
    Q_OBJECT
public:
    // continueToMainWindow runs after the details are stored, just before the wizard closes:
    // the application loads the main window there, in the same process.
    frmFirstRun(Services &services, std::function<void()> continueToMainWindow,
                QWidget *parent = nullptr);
    ~frmFirstRun() override;

    // tmr_ani (every 300 ms while a check waits): the next "Validating credentials" dots.
    void onTmrAniTick();

protected:
    // Every way of closing ends here; anything but "Continue" ends the program.
    void done(int result) override;

private:
    void onCommandCheck();
    void onCommandNext();
    void onDetailsEdited();
    void showResult(bool verified);
    void setContinueOffered(bool offered);

    std::unique_ptr<Ui::frmFirstRun> m_ui;
    Services &m_services;
    std::function<void()> m_continueToMainWindow;
    HttpTransfer *m_inet1;
    CredentialCheck *m_check;
    QTimer *m_tmrAni;
    bool m_continuing = false;
    bool m_closed = false;
};
