#include "account/frmFirstRun.h"

#include "ui_frmFirstRun.h"

#include "account/CredentialCheck.h"
#include "platform/HttpTransfer.h"
#include "platform/Services.h"

#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QTimer>

namespace {

constexpr int MarkSize = 20;
const QString EnterDetails = QStringLiteral("Please enter your username and password.");

// The green tick shown when the site accepted the details.
QPixmap drawTick()
{
    QPixmap mark(MarkSize, MarkSize);
    mark.fill(Qt::transparent);
    QPainter p(&mark);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(30, 150, 40), 3.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(3.5, 10.5), QPointF(8, 15), QPointF(16.5, 4.5)}));
    return mark;
}

// The red cross shown when the check failed.
QPixmap drawCross()
{
    QPixmap mark(MarkSize, MarkSize);
    mark.fill(Qt::transparent);
    QPainter p(&mark);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(200, 30, 30), 3.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(4.5, 4.5), QPointF(15.5, 15.5));
    p.drawLine(QPointF(15.5, 4.5), QPointF(4.5, 15.5));
    return mark;
}

} // namespace

frmFirstRun::frmFirstRun(Services &services, std::function<void()> continueToMainWindow,
                         QWidget *parent)
    : QDialog(parent), m_ui(std::make_unique<Ui::frmFirstRun>()), m_services(services),
      m_continueToMainWindow(std::move(continueToMainWindow)),
      m_inet1(new HttpTransfer(services, this)), m_check(new CredentialCheck(m_inet1, this)),
      m_tmrAni(new QTimer(this))
{
    m_ui->setupUi(this);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    m_inet1->setObjectName(QStringLiteral("Inet1"));
    m_inet1->setRequestTimeout(60);
    m_tmrAni->setObjectName(QStringLiteral("tmr_ani"));
    m_tmrAni->setInterval(300);

    m_ui->img_tick->setPixmap(drawTick());
    m_ui->img_cross->setPixmap(drawCross());
    // Both marks keep their place while hidden, so the result line does not jump.
    for (QLabel *mark : {m_ui->img_tick, m_ui->img_cross}) {
        QSizePolicy policy = mark->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        mark->setSizePolicy(policy);
        mark->hide();
    }

    connect(m_check, &CredentialCheck::textChanged, m_ui->info_verify, &QLabel::setText);
    connect(m_tmrAni, &QTimer::timeout, this, &frmFirstRun::onTmrAniTick);
    connect(m_ui->command_check, &QPushButton::clicked, this, &frmFirstRun::onCommandCheck);
    connect(m_ui->command_next, &QPushButton::clicked, this, &frmFirstRun::onCommandNext);
    connect(m_ui->command_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_ui->txtUserName, &QLineEdit::textChanged, this, &frmFirstRun::onDetailsEdited);
    connect(m_ui->txtPassword, &QLineEdit::textChanged, this, &frmFirstRun::onDetailsEdited);

    layout()->activate();
    setFixedSize(sizeHint());
}

frmFirstRun::~frmFirstRun() = default;

void frmFirstRun::onTmrAniTick()
{
    m_check->onTmrAniTick();
}

void frmFirstRun::onCommandCheck()
{
    m_ui->command_check->setEnabled(false);
    // Details checked a moment ago are not "Continue"-able while a new check runs.
    setContinueOffered(false);
    const QString user = m_ui->txtUserName->text();
    const QString password = m_ui->txtPassword->text();
    const bool asksSite = user.size() >= 2;
    if (asksSite)
        m_tmrAni->start();
    QPointer<frmFirstRun> self(this);
    const CredentialCheck::Outcome outcome = m_check->check(user, password);
    if (!self || m_closed)
        return;
    m_tmrAni->stop();
    showResult(outcome.verified);
    m_ui->command_check->setEnabled(true);
}

void frmFirstRun::showResult(bool verified)
{
    m_ui->img_tick->setVisible(verified);
    m_ui->img_cross->setVisible(!verified);
    setContinueOffered(verified);
}

void frmFirstRun::setContinueOffered(bool offered)
{
    m_ui->command_next->setEnabled(offered);
    // Enter presses "Continue" once it is offered, "Check Details" otherwise.
    m_ui->command_next->setDefault(offered);
    m_ui->command_check->setDefault(!offered);
}

void frmFirstRun::onDetailsEdited()
{
    // "Continue" stores what the boxes hold: once they change, the check no longer vouches
    // for them.
    if (!m_ui->command_next->isEnabled() || m_check->isChecking())
        return;
    setContinueOffered(false);
    m_ui->img_tick->hide();
    m_ui->info_verify->setText(EnterDetails);
}

void frmFirstRun::onCommandNext()
{
    m_ui->command_next->setEnabled(false);
    m_ui->command_cancel->setEnabled(false);
    m_ui->command_check->setEnabled(false);
    // The keyring answers later; the wizard waits with its buttons off.
    QPointer<frmFirstRun> self(this);
    CredentialCheck::storeCredentials(*m_services.store, *m_services.sitePassword,
                                      m_ui->txtUserName->text(), m_ui->txtPassword->text(),
                                      [self](bool stored) {
                                          if (!self || self->m_closed)
                                              return;
                                          if (!stored) {
                                              // The application reports a settings store that
                                              // cannot be written; nothing is handed over with
                                              // details that were not stored.
                                              self->m_ui->command_next->setEnabled(true);
                                              self->m_ui->command_cancel->setEnabled(true);
                                              self->m_ui->command_check->setEnabled(true);
                                              return;
                                          }
                                          self->m_continuing = true;
                                          if (self->m_continueToMainWindow)
                                              self->m_continueToMainWindow();
                                          self->accept();
                                      });
}

void frmFirstRun::done(int result)
{
    const bool first = !m_closed;
    m_closed = true;
    m_tmrAni->stop();
    if (m_inet1->StillExecuting())
        m_inet1->Cancel();
    QDialog::done(result);
    if (first && !m_continuing && m_services.endProgram)
        m_services.endProgram(0);
}
