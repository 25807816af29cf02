#include "notify/PopupAnimation.h"

#include "platform/ScreenMetrics.h"

#include <QRect>

#include <limits>

int PopupAnimation::taskbarHeight(const ScreenMetrics &screen)
{
    const QRect s = screen.screenGeometry();
    const QRect w = screen.workArea();
    // Edges one past the last pixel row, as the window system counts a rectangle's bottom.
    return std::max(0, (s.y() + s.height()) - (w.y() + w.height()));
}

qint16 PopupAnimation::restingOffset(const ScreenMetrics &screen)
{
    const long offset = qRound((taskbarHeight(screen) - 2) * screen.twipsPerPixelY());
    return qint16(std::clamp<long>(offset, std::numeric_limits<qint16>::min(),
                                   std::numeric_limits<qint16>::max()));
}

PopupAnimation::PopupAnimation(const ScreenMetrics &screen)
    : PopupAnimation(screen, restingOffset(screen))
{
}

PopupAnimation::PopupAnimation(const ScreenMetrics &screen, qint16 baseOffset)
    : m_baseOffset(baseOffset)
{
    const QRect s = screen.screenGeometry();
    const double tx = screen.twipsPerPixelX();
    m_screenHeight = qRound(s.height() * screen.twipsPerPixelY());
    m_width = PictureWidth;
    m_height = 0;
    m_top = m_screenHeight;
    m_left = qRound(tx * s.width()) - m_width - qRound(RightMarginPixels * tx);
    m_fade = 0;
}

PopupAnimation::Tick PopupAnimation::current() const
{
    Tick t;
    t.top = m_top;
    t.height = m_height;
    return t;
}

PopupAnimation::Tick PopupAnimation::slideIn()
{
    if (m_screenHeight - PictureHeight - m_baseOffset >= m_top) {
        // Arrived: the full picture, top left where the last growth step put it.
        m_height = PictureHeight;
        Tick t = current();
        t.arrived = true;
        return t;
    }
    m_height += StepTwips;
    Tick t;
    if (m_fade >= 0 && m_fade <= 255)
        t.opacity = m_fade;
    m_fade += FadeStep;
    m_top = m_screenHeight - m_height - m_baseOffset;
    t.top = m_top;
    t.height = m_height;
    return t;
}

PopupAnimation::Tick PopupAnimation::slideOut()
{
    if (m_screenHeight - m_baseOffset <= m_top) {
        m_height = 0;
        Tick t = current();
        t.unload = true;
        return t;
    }
    if (m_height - StepTwips < 0) {
        // Less than one step left: move down by a step and vanish.
        m_top += StepTwips;
        m_height = 0;
        return current();
    }
    m_height -= StepTwips;
    Tick t;
    if (m_fade >= 0 && m_fade <= 255)
        t.opacity = m_fade;
    m_fade -= FadeStep;
    m_top = m_screenHeight - m_height - m_baseOffset;
    t.top = m_top;
    t.height = m_height;
    return t;
}
