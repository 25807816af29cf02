#include "account/frmProfile.h"

#include "account/ProfileExchange.h"
#include "account/ThumbRule.h"
#include "core/DebugLog.h"
#include "platform/AppInfo.h"
#include "platform/Dialogs.h"
#include "platform/ScreenMetrics.h"
#include "platform/Services.h"
#include "platform/Shell.h"
#include "platform/WindowHelpers.h"
#include "ui_frmProfile.h"

#include <QCloseEvent>
#include <QHelpEvent>
#include <QImageReader>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>

namespace {

constexpr int PmGapTwips = 30;
// Enough for a picture of 4096 by 4096 pixels; a larger one is no avatar.
constexpr int AvatarAllocationLimitMiB = 64;
const QColor StatusRed(255, 0, 0);

// The new-message mark: a closed envelope.
QPixmap envelope(QSize size)
{
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body(0.5, 2.5, size.width() - 1.0, size.height() - 5.0);
    painter.setPen(QPen(QColor(0x80, 0x50, 0x00), 1));
    painter.setBrush(QColor(0xff, 0xe0, 0x80));
    painter.drawRect(body);
    painter.drawPolyline(
        QPolygonF{body.topLeft(), QPointF(body.center().x(), body.center().y()), body.topRight()});
    return pixmap;
}

} // namespace

frmProfile::frmProfile(Services &services, const Settings &settings, QWidget *parent)
    : QWidget(parent, Qt::Window), m_services(services), ui(std::make_unique<Ui::frmProfile>())
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(size());
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);

    m_exchange = new ProfileExchange(services, settings, *this, this);
    // Its transfers and timer (InetGetPage, InetGetImage, timeouttimer) are found by name
    // among the window's children.
    m_exchange->setObjectName(QStringLiteral("ProfileExchange"));

    m_mnuTorrents = new QMenu(this);
    m_mnuTorrents->setObjectName(QStringLiteral("mnuTorrents"));
    m_mnuTorrents->addAction(ui->mnuViewDetails);
    connect(ui->mnuViewDetails, &QAction::triggered, this, &frmProfile::mnuViewDetailsClick);

    connect(ui->Command1, &QPushButton::clicked, this, [this] { m_exchange->open(); });
    connect(ui->Command2, &QPushButton::clicked, this, &QWidget::close);
    connect(ui->ListView1, &QTreeWidget::itemDoubleClicked, this,
            [this](QTreeWidgetItem *item) { openDetails(item); });
    ui->ListView1->viewport()->installEventFilter(this);
    ui->pic_pm->installEventFilter(this);

    ui->pic_pm->setPixmap(envelope(ui->pic_pm->size()));
    ui->pic_pm->hide();
    ui->Frame3->hide();
    ui->Frame3->raise();
    // Name, Conn., Size, Se., Le., Upl., Downl., Ratio: sizes carry their unit.
    const int widths[] = {200, 48, 74, 44, 44, 74, 74, 56};
    for (int column = 0; column < ui->ListView1->columnCount(); ++column)
        ui->ListView1->header()->resizeSection(column, widths[column]);

    // Centred in the work area, where the whole window is visible.
    const QRect work = services.screen ? services.screen->workArea() : QRect();
    if (work.isValid()) {
        QRect frame(QPoint(), size());
        frame.moveCenter(work.center());
        move(frame.topLeft());
    }
}

frmProfile::~frmProfile() = default;

void frmProfile::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (m_opened)
        return;
    m_opened = true;
    m_exchange->open();
}

void frmProfile::closeEvent(QCloseEvent *event)
{
    m_exchange->close();
    m_mnuTorrents->hide();
    event->accept();
}

void frmProfile::onTimeoutTimerTick()
{
    m_exchange->onTimeoutTimerTick();
}

void frmProfile::setStatus(const QString &text)
{
    ui->Label4->setText(text);
}

void frmProfile::setStatusRed(bool red)
{
    QPalette palette = ui->Label4->palette();
    palette.setColor(QPalette::WindowText,
                     red ? StatusRed : this->palette().color(QPalette::WindowText));
    ui->Label4->setPalette(palette);
}

void frmProfile::setRefreshEnabled(bool enabled)
{
    ui->Command1->setEnabled(enabled);
}

void frmProfile::setWaitPanelVisible(bool visible)
{
    ui->Frame3->setVisible(visible);
    if (visible)
        ui->Frame3->raise();
}

void frmProfile::hs(bool enabled)
{
    ui->Frame1->setEnabled(enabled);
    ui->ListView1->setEnabled(enabled);
    ui->pic_avatar->setEnabled(enabled);
}

void frmProfile::showTexts(const ProfileTexts &texts)
{
    ui->label_username->setText(texts.name);
    ui->label_joindate->setText(texts.joinDate);
    ui->label_lastseen->setText(texts.lastSeen);
    ui->label_uploaded->setText(texts.uploaded);
    ui->label_downloaded->setText(texts.downloaded);
    ui->label_ratio->setText(texts.shareRatio);
    ui->label_class->setText(texts.userClass);
    ui->label_comments->setText(texts.comments);
    ui->label_posts->setText(texts.posts);
    placeUsername();
}

void frmProfile::placeUsername()
{
    QLabel *name = ui->label_username;
    const int frameWidth = ui->Frame1->width();
    const int gap = WindowHelpers::TwipsToPixelsX(*m_services.screen, PmGapTwips);
    // A name too long for the frame is cut at its edge rather than pushed out of it.
    const int room = frameWidth - 16 - 2 * (gap + ui->pic_pm->width());
    name->adjustSize();
    if (name->width() > room)
        name->resize(room, name->height());
    name->move(frameWidth / 2 - name->width() / 2, name->y());
    ui->pic_pm->move(name->x() + name->width() + gap, ui->pic_pm->y());
}

void frmProfile::showNewMessages(const QString &notice)
{
    // Kept as plain text: the notice comes from the site's HTML (see eventFilter).
    ui->pic_pm->setToolTip(notice);
    ui->pic_pm->setVisible(!notice.isEmpty());
}

void frmProfile::showTorrents(const QList<ProfileTorrent> &torrents)
{
    QTreeWidget *list = ui->ListView1;
    list->clear();
    QList<QTreeWidgetItem *> items;
    items.reserve(torrents.size());
    for (const ProfileTorrent &torrent : torrents) {
        auto *item = new QTreeWidgetItem(torrent.columns());
        item->setData(0, Qt::UserRole, torrent.id);
        items.append(item);
    }
    list->addTopLevelItems(items);
}

void frmProfile::CreateThumb(const QString &file)
{
    QImageReader reader(file);
    reader.setAllocationLimit(AvatarAllocationLimitMiB);
    const QSize original = reader.size();
    if (original.isValid())
        reader.setScaledSize(ThumbRule::fit(original));
    const QImage picture = reader.read();
    if (picture.isNull()) {
        // A missing file is no failure to report; a picture that does not decode is.
        if (reader.error() != QImageReader::FileNotFoundError) {
            clearAvatar();
            if (m_services.log)
                m_services.log->debug_console(
                    QStringLiteral("Failed to load profile image > no png support"));
        }
        return;
    }
    const QSize box(ThumbRule::BoxWidth, ThumbRule::BoxHeight);
    QPixmap thumb(box);
    thumb.fill(Qt::transparent);
    QPainter painter(&thumb);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QSize fitted = ThumbRule::fit(picture.size());
    painter.drawImage(QRect(QPoint(0, 0), fitted), picture);
    painter.end();
    ui->pic_avatar->setPixmap(thumb);
}

void frmProfile::clearAvatar()
{
    ui->pic_avatar->clear();
}

void frmProfile::showProfileError()
{
    m_services.dialogs->message(this, AppInfo::Title, ProfileExchange::ErrorText,
                                Dialogs::Critical);
    close();
}

void frmProfile::mnuViewDetailsClick()
{
    openDetails(ui->ListView1->currentItem());
}

void frmProfile::openDetails(QTreeWidgetItem *item)
{
    if (!item)
        return;
    const QString id = item->data(0, Qt::UserRole).toString();
    const QString url = m_exchange->detailsUrl(id);
    if (url.isEmpty()) {
        if (m_services.log)
            m_services.log->debug_console(
                QStringLiteral("Profile: the torrent's id is not a number; its page is not "
                               "opened."));
        return;
    }
    m_services.shell->openUrl(url);
}

bool frmProfile::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == ui->ListView1->viewport() && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::RightButton) {
            QTreeWidgetItem *item = ui->ListView1->itemAt(mouse->position().toPoint());
            if (item)
                ui->ListView1->setCurrentItem(item);
            ui->mnuViewDetails->setEnabled(ui->ListView1->currentItem() != nullptr);
            m_mnuTorrents->popup(mouse->globalPosition().toPoint());
            return true;
        }
    }
    if (watched == ui->pic_pm) {
        if (event->type() == QEvent::ToolTip) {
            // The notice is site text: shown as written, never as markup.
            const auto *help = static_cast<QHelpEvent *>(event);
            QToolTip::showText(
                help->globalPos(),
                Qt::convertFromPlainText(ui->pic_pm->toolTip(), Qt::WhiteSpaceNormal), ui->pic_pm);
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            if (mouse->button() == Qt::LeftButton &&
                ui->pic_pm->rect().contains(mouse->position().toPoint())) {
                m_services.shell->openUrl(m_exchange->inboxUrl());
                close();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
