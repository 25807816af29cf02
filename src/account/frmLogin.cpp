#include "account/frmLogin.h"

#include "ui_frmLogin.h"

#include "account/LoginDialogRules.h"
#include "model/Settings.h"
#include "platform/AppInfo.h"
#include "platform/Dialogs.h"
#include "platform/Services.h"
#include "platform/StoredPassword.h"
#include "platform/WindowHelpers.h"
#include "platform/WindowPlacement.h"

frmLogin::frmLogin(Services &services, Settings &settings, QWidget *mainWindow)
    : QDialog(mainWindow), m_ui(std::make_unique<Ui::frmLogin>()), m_services(services),
      m_settings(settings)
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    connect(m_ui->Check1, &QCheckBox::toggled, this, &frmLogin::onRemoveToggled);
    connect(m_ui->cmdOK, &QPushButton::clicked, this, &frmLogin::onCmdOK);
    connect(m_ui->cmdCancel, &QPushButton::clicked, this, &QDialog::reject);
    // Where no keyring runs the user is told where the password goes instead.
    m_ui->info_keyring->setText(StoredPassword::noKeyringText());
    m_ui->info_keyring->setVisible(!m_services.sitePassword ||
                                   !m_services.sitePassword->keyringAvailable());

    layout()->activate();
    setFixedSize(sizeHint());
    WindowPlacement::CentreOverOwner(this, mainWindow);
}

frmLogin::~frmLogin() = default;

void frmLogin::onRemoveToggled(bool remove)
{
    for (QWidget *w :
         {static_cast<QWidget *>(m_ui->lblLabels_0), static_cast<QWidget *>(m_ui->lblLabels_1),
          static_cast<QWidget *>(m_ui->txtUserName), static_cast<QWidget *>(m_ui->txtPassword)})
        w->setEnabled(!remove);
}

void frmLogin::onCmdOK()
{
    const LoginDialogRules::Result result = LoginDialogRules::ok(
        m_settings, m_ui->Check1->isChecked(), m_ui->txtUserName->text(), m_ui->txtPassword->text(),
        [this](const QString &question) {
            return WindowHelpers::AskYesNo(*m_services.dialogs, this, AppInfo::Title, question) ==
                   QLatin1String("Y");
        });
    if (!result.message.isEmpty())
        m_services.dialogs->message(this, AppInfo::Title, result.message, Dialogs::Information);
    if (!result.accepted)
        return;
    emit userDetailsAccepted(result.userCaption);
    accept();
}
