#include "account/frmAbout.h"

#include "ui_frmAbout.h"

#include "account/AboutTexts.h"
#include "platform/ProgramIcon.h"
#include "platform/Services.h"
#include "platform/Shell.h"

#include <QMouseEvent>

frmAbout::frmAbout(Services &services, QWidget *mainWindow)
    : QDialog(mainWindow), m_ui(std::make_unique<Ui::frmAbout>()), m_services(services)
{
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(AboutTexts::caption());
    // The program's icon, the picture of the application menu and the task switcher.
    m_ui->Image1->setPixmap(ProgramIcon::pixmap(64));
    m_ui->Label1->setText(AboutTexts::title());
    m_ui->Label2->setText(AboutTexts::version());
    m_ui->Label3->setText(AboutTexts::legalNotice());
    m_ui->Label4->setText(AboutTexts::homePage());
    m_ui->Label5->setText(AboutTexts::internalBuildNote());
    m_ui->Label6->setText(AboutTexts::internalBuildNote());
    // Label5 lies one pixel below and right of Label6 in a light colour: engraved lettering.
    m_ui->Label5->setContentsMargins(1, 1, 0, 0);
    m_ui->Label6->setContentsMargins(0, 0, 1, 1);

    m_ui->Label4->installEventFilter(this);
    connect(m_ui->Command1, &QPushButton::clicked, this, &QWidget::close);

    layout()->activate();
    setFixedSize(sizeHint());
}

frmAbout::~frmAbout() = default;

bool frmAbout::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != m_ui->Label4)
        return QDialog::eventFilter(watched, event);
    if (event->type() == QEvent::MouseButtonPress) {
        m_linkButton = static_cast<QMouseEvent *>(event)->button();
        return true;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const bool leftClick = m_linkButton == Qt::LeftButton &&
                               mouse->button() == Qt::LeftButton &&
                               m_ui->Label4->rect().contains(mouse->position().toPoint());
        m_linkButton = Qt::NoButton;
        if (leftClick) {
            m_services.shell->openUrl(m_ui->Label4->text());
            close();
        }
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
