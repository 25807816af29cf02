#pragma once

#include <QDialog>

#include <memory>

struct Services;
struct Settings;

namespace Ui {
class frmLogin;
}

// "User Details": the modal dialog the options page opens from its user-name label. It changes
// the site user name and password held in Settings, or removes them after a Yes/No question,
// without testing them; they are stored with the other options when the user applies them.
class frmLogin : public QDialog
{
    Q_OBJECT
public:
    // Centres itself over mainWindow. `settings` is the program-wide Settings; it changes only
    // when OK is accepted.
    frmLogin(Services &services, Settings &settings, QWidget *mainWindow);
    ~frmLogin() override;

signals:
    // OK was accepted and Settings changed: the options page shows usernameCaption in
    // info_username and enables Apply. The dialog closes right after.
    void userDetailsAccepted(const QString &usernameCaption);

private:
    void onRemoveToggled(bool remove);
    void onCmdOK();

    std::unique_ptr<Ui::frmLogin> m_ui;
    Services &m_services;
    Settings &m_settings;
};
