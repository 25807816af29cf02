#include "account/frmAbout.h"

#include "ui_frmAbout.h"

#include "account/AboutTexts.h"
#include "platform/Services.h"
#include "platform/Shell.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

constexpr int LogoSize = 64;

// The program's logo: a tadpole (a pollywog) swimming across a dusk-blue tile.
QPixmap drawLogo()
{
    QPixmap logo(LogoSize, LogoSize);
    logo.fill(Qt::transparent);
    QPainter p(&logo);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient tile(0, 0, 0, LogoSize);
    tile.setColorAt(0.0, QColor(46, 96, 158));
    tile.setColorAt(1.0, QColor(24, 58, 104));
    p.setPen(Qt::NoPen);
    p.setBrush(tile);
    p.drawRoundedRect(QRectF(1, 1, LogoSize - 2, LogoSize - 2), 12, 12);

    // Ripples.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 70), 1.5));
    p.drawEllipse(QPointF(40, 28), 18, 14);
    p.drawEllipse(QPointF(40, 28), 24, 19);

    // The tail, a curve swept behind the body.
    QPainterPath tail;
    tail.moveTo(30, 34);
    tail.cubicTo(20, 44, 18, 30, 8, 50);
    tail.cubicTo(20, 38, 22, 50, 34, 38);
    tail.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(70, 160, 90));
    p.drawPath(tail);

    // Body and eye.
    p.setBrush(QColor(56, 140, 74));
    p.drawEllipse(QPointF(40, 28), 12, 10);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(45, 24), 3.2, 3.2);
    p.setBrush(QColor(20, 30, 20));
    p.drawEllipse(QPointF(45.8, 24), 1.5, 1.5);
    return logo;
}

} // namespace

frmAbout::frmAbout(Services &services, QWidget *mainWindow)
    : QDialog(mainWindow), m_ui(std::make_unique<Ui::frmAbout>()), m_services(services)
{
    m_ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(AboutTexts::caption());
    m_ui->Image1->setPixmap(drawLogo());
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
