#include "notify/FrmVSPopUp.h"

#include "notify/PopupBanner.h"
#include "platform/ScreenMetrics.h"
#include "platform/Services.h"
#include "platform/SettingNames.h"
#include "platform/SettingsStore.h"
#include "platform/Sound.h"
#include "platform/WindowHelpers.h"
#include "platform/X11Window.h"

#include <QFile>
#include <QLabel>
#include <QMouseEvent>

#include <limits>

namespace {

QTimer *makeTimer(QObject *parent, const char *name, int interval)
{
    auto *timer = new QTimer(parent);
    timer->setObjectName(QString::fromLatin1(name));
    timer->setInterval(interval);
    return timer;
}

} // namespace

FrmVSPopUp::FrmVSPopUp(Services &services, QWidget *parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                          Qt::WindowDoesNotAcceptFocus),
      m_services(services)
{
    setObjectName(QStringLiteral("FrmVSPopUp"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setAutoFillBackground(false);

    const ScreenMetrics &screen = *m_services.screen;
    m_imgMsnBG = new QLabel(this);
    m_imgMsnBG->setObjectName(QStringLiteral("ImgMsnBG"));
    m_imgMsnBG->setPixmap(PopupBanner::paint());
    m_imgMsnBG->setScaledContents(true);
    m_imgMsnBG->setGeometry(0, 0,
                            WindowHelpers::TwipsToPixelsX(screen, PopupAnimation::PictureWidth),
                            WindowHelpers::TwipsToPixelsY(screen, PopupAnimation::PictureHeight));

    m_lblMessage = new QLabel(this);
    m_lblMessage->setObjectName(QStringLiteral("lblMessage"));
    m_lblMessage->setTextFormat(Qt::PlainText);
    m_lblMessage->setFont(WindowHelpers::LabelFont());
    QPalette palette = m_lblMessage->palette();
    palette.setColor(QPalette::WindowText, QColor(224, 224, 224));
    m_lblMessage->setPalette(palette);
    m_lblMessage->setAttribute(Qt::WA_TranslucentBackground);
    // Fixed size: the label does not grow with its text.
    m_lblMessage->setGeometry(
        WindowHelpers::TwipsToPixelsX(screen, 120), WindowHelpers::TwipsToPixelsY(screen, 360),
        WindowHelpers::TwipsToPixelsX(screen, 5115), WindowHelpers::TwipsToPixelsY(screen, 195));
    m_lblMessage->setFixedSize(m_lblMessage->size());

    m_imgMsnBG->installEventFilter(this);
    m_lblMessage->installEventFilter(this);

    m_tmrMove = makeTimer(this, "TmrMove", MoveIntervalMs);
    m_tmrUnload = makeTimer(this, "TmrUnload", StayIntervalMs);
    m_tmrUnloader = makeTimer(this, "TmrUnloader", MoveIntervalMs);
    connect(m_tmrMove, &QTimer::timeout, this, &FrmVSPopUp::onTmrMoveTick);
    connect(m_tmrUnload, &QTimer::timeout, this, &FrmVSPopUp::onTmrUnloadTick);
    connect(m_tmrUnloader, &QTimer::timeout, this, &FrmVSPopUp::onTmrUnloaderTick);
}

FrmVSPopUp::~FrmVSPopUp() = default;

void FrmVSPopUp::SetNumber(int offsetTwips)
{
    m_baseOffset = qint16(std::clamp(offsetTwips, int(std::numeric_limits<qint16>::min()),
                                     int(std::numeric_limits<qint16>::max())));
}

void FrmVSPopUp::setCaption(const QString &line)
{
    if (!m_loaded)
        load();
    m_lblMessage->setText(line);
}

QString FrmVSPopUp::soundFile(const Services &services)
{
    const QString own = services.config.programFile(QStringLiteral("notify.wav"));
    if (QFile::exists(own))
        return own;
    return services.config.installedDataFolder() + QStringLiteral("notify.wav");
}

void FrmVSPopUp::load()
{
    m_loaded = true;
    m_animation = std::make_unique<PopupAnimation>(*m_services.screen, m_baseOffset);
    place(m_animation->top(), m_animation->height());
    if (StoredPlaySound(*m_services.store))
        m_services.sound->play(soundFile(m_services));
    m_tmrMove->start();
    m_tmrUnload->start();
}

void FrmVSPopUp::showWithoutActivating()
{
    // Out of the taskbar and the pager, and a notification to the window manager, before the
    // window is first mapped.
    X11Window::markAsNotification(this);
    show();
    raise();
}

void FrmVSPopUp::place(int topTwips, int heightTwips)
{
    const ScreenMetrics &screen = *m_services.screen;
    const QPoint origin = screen.screenGeometry().topLeft();
    const int height = WindowHelpers::TwipsToPixelsY(screen, heightTwips);
    // A window cannot be 0 pixels high: at zero height the popup is a one-pixel strip below
    // its resting line, hidden behind the taskbar or below the screen.
    setGeometry(origin.x() + WindowHelpers::TwipsToPixelsX(screen, m_animation->left()),
                origin.y() + WindowHelpers::TwipsToPixelsY(screen, topTwips),
                WindowHelpers::TwipsToPixelsX(screen, m_animation->width()), std::max(1, height));
}

void FrmVSPopUp::apply(const PopupAnimation::Tick &tick)
{
    // Where the platform cannot fade a window (Wayland), every call would only warn.
    if (tick.opacity && m_services.session.windowOpacity())
        WindowHelpers::SetWindowOpacity(this, *tick.opacity);
    place(tick.top, tick.height);
}

void FrmVSPopUp::onTmrMoveTick()
{
    if (!m_loaded || m_unloaded)
        return;
    const PopupAnimation::Tick tick = m_animation->slideIn();
    if (tick.arrived)
        m_tmrMove->stop();
    apply(tick);
    // Above every other window, without taking the focus.
    raise();
}

void FrmVSPopUp::onTmrUnloadTick()
{
    if (!m_loaded || m_unloaded)
        return;
    m_tmrUnloader->start();
}

void FrmVSPopUp::onTmrUnloaderTick()
{
    if (!m_loaded || m_unloaded)
        return;
    const PopupAnimation::Tick tick = m_animation->slideOut();
    apply(tick);
    if (tick.unload)
        unload();
}

void FrmVSPopUp::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    m_tmrMove->stop();
    m_tmrUnload->stop();
    m_tmrUnloader->stop();
    hide();
    deleteLater();
    emit unloaded();
}

bool FrmVSPopUp::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_imgMsnBG || watched == m_lblMessage) &&
        event->type() == QEvent::MouseButtonRelease) {
        onRelease(static_cast<QMouseEvent *>(event)->button());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void FrmVSPopUp::onRelease(Qt::MouseButton button)
{
    if (m_unloaded)
        return;
    if (button == Qt::LeftButton) {
        unload();
        emit leftClicked();
    } else {
        emit otherClicked();
        unload();
    }
}
