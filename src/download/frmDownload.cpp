#include "download/frmDownload.h"

#include "download/LabelShortener.h"
#include "platform/Dialogs.h"
#include "platform/Services.h"
#include "platform/WindowHelpers.h"
#include "ui_frmDownload.h"

#include <QCloseEvent>

#include <algorithm>
#include <limits>

namespace {

constexpr int ProgressGapTwips = 90;
const QColor StatusRed(255, 0, 0);

} // namespace

frmDownload::frmDownload(Services &services, ActiveDownloads &downloads,
                         SavedTorrentHandoff *handoff, QWidget *parent)
    : QWidget(parent), m_services(services), ui(std::make_unique<Ui::frmDownload>()),
      m_download(new TorrentDownload(services, downloads, handoff, this)),
      m_tmrUnloader(new QTimer(this))
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    // The name and path labels are measured in this font, so they are drawn in it too.
    setFont(WindowHelpers::LabelFont());
    m_tmrUnloader->setObjectName(QStringLiteral("tmrUnloader"));
    m_tmrUnloader->setInterval(50);
    connect(m_tmrUnloader, &QTimer::timeout, this, &frmDownload::onTmrUnloaderTick);

    connect(m_download, &TorrentDownload::displayChanged, this, &frmDownload::draw);
    connect(m_download, &TorrentDownload::closeRequested, this, &frmDownload::onCloseRequested);
    connect(m_download, &TorrentDownload::finished, this, &frmDownload::finished);
    connect(m_download, &TorrentDownload::tell, this,
            [this](const QString &caption, const QString &text, Dialogs::Icon icon) {
                m_services.dialogs->message(this, caption, text, icon);
            });
    connect(ui->Command1, &QPushButton::clicked, this, [this] {
        if (m_download->cancel())
            close();
    });
    ui->info_downloaded->hide();
    m_baseSize = size();
    m_statusHeight = ui->Label4->height();
    m_buttonY = ui->Command1->y();
}

frmDownload::~frmDownload()
{
    // Cancelled now, while finished() can still be passed on.
    m_download->disconnect(this);
    connect(m_download, &TorrentDownload::finished, this, &frmDownload::finished);
    delete m_download;
}

void frmDownload::DownloadFile(QString &path, QString &target, QString &user, QString &password,
                               QString &name)
{
    DownloadFile(DownloadRequest{path, target, user, password, name});
}

void frmDownload::DownloadFile(const DownloadRequest &request)
{
    ui->info_filename->setText(LabelShortener::shortenEnd(
        request.name, NameWidthTwips, [this](const QString &t) { return textWidthTwips(t); }));
    m_download->start(request);
}

void frmDownload::draw()
{
    const TorrentDownload::Display &d = m_download->display();
    if (!d.title.isEmpty())
        setWindowTitle(d.title);
    if (!d.target.isEmpty())
        ui->Label5->setText(LabelShortener::shortenMiddle(
            d.target, PathWidthTwips, [this](const QString &t) { return textWidthTwips(t); }));
    if (ui->Label4->text() != d.status) {
        ui->Label4->setText(d.status);
        fitStatus();
    }
    QPalette palette = ui->Label4->palette();
    palette.setColor(QPalette::WindowText,
                     d.statusRed ? StatusRed : this->palette().color(QPalette::ButtonText));
    ui->Label4->setPalette(palette);
    ui->Label7->setText(d.retry);
    ui->Label6->setText(d.rate);
    ui->info_remaining->setText(d.remaining);
    if (d.saved)
        ui->Label3->setText(QStringLiteral("Downloaded:"));
    // The bar counts in int; larger sizes are shown in proportion.
    const qint64 maximum = std::max<qint64>(d.progressMaximum, 1);
    const qint64 scale = maximum / std::numeric_limits<int>::max() + 1;
    ui->ProgressBar1->setRange(0, int(maximum / scale));
    ui->ProgressBar1->setValue(int(std::clamp<qint64>(d.progress, 0, maximum) / scale));
    if (d.received.isNull()) {
        ui->info_downloaded->hide();
    } else {
        ui->info_downloaded->setText(d.received);
        ui->info_downloaded->adjustSize();
        ui->info_downloaded->show();
    }
    placeProgressText();
}

void frmDownload::fitStatus()
{
    // A status line wider than the window (a client's reason, a long file name) wraps, and the
    // window grows by the lines it takes, with the button below them.
    QLabel *status = ui->Label4;
    status->setWordWrap(false);
    status->adjustSize();
    const int room = m_baseSize.width() - status->x() - status->x();
    int extra = 0;
    if (status->width() > room) {
        status->setWordWrap(true);
        status->resize(room, status->heightForWidth(room));
        extra = std::max(0, status->height() - m_statusHeight);
    }
    setFixedSize(m_baseSize.width(), m_baseSize.height() + extra);
    ui->Command1->move(ui->Command1->x(), m_buttonY + extra);
}

void frmDownload::onCloseRequested(bool later)
{
    if (later)
        m_tmrUnloader->start();
    else
        close();
}

void frmDownload::onTmrUnloaderTick()
{
    m_tmrUnloader->stop();
    close();
}

void frmDownload::closeEvent(QCloseEvent *event)
{
    // While the receive loop holds the file it lets go at once and asks to be closed again.
    if (!m_download->cancel()) {
        event->ignore();
        return;
    }
    m_tmrUnloader->stop();
    event->accept();
}

void frmDownload::placeProgressText()
{
    const QRect status = ui->Label4->geometry();
    const int gap = WindowHelpers::TwipsToPixelsX(*m_services.screen, ProgressGapTwips);
    ui->info_downloaded->move(status.x() + status.width() + gap, status.y());
}

double frmDownload::textWidthTwips(const QString &text) const
{
    return WindowHelpers::TextWidthTwips(WindowHelpers::LabelFont(), text, *m_services.screen);
}
