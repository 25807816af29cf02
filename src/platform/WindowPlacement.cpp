#include "platform/WindowPlacement.h"

#include <QWidget>

namespace WindowPlacement {

QPoint CentredOver(const QRect &owner, const QSize &own)
{
    return QPoint(owner.left() + owner.width() / 2 - own.width() / 2,
                  owner.top() + owner.height() / 2 - own.height() / 2);
}

void CentreOverOwner(QWidget *window, const QWidget *owner)
{
    if (!window || !owner)
        return;
    const QRect ownerFrame = owner->frameGeometry();
    QSize own = window->frameGeometry().size();
    // Before a window is first shown its frame is not known yet; it gets the same decoration
    // as its owner, so count the owner's frame around it.
    if (own == window->size())
        own += ownerFrame.size() - owner->size();
    window->move(CentredOver(ownerFrame, own));
}

QPoint KeptInside(const QRect &frame, const QRect &work)
{
    QPoint at = frame.topLeft();
    if (frame.right() > work.right())
        at.rx() -= frame.right() - work.right();
    if (frame.bottom() > work.bottom())
        at.ry() -= frame.bottom() - work.bottom();
    at.setX(qMax(at.x(), work.left()));
    at.setY(qMax(at.y(), work.top()));
    return at;
}

int FittedHeight(int wanted, int minimum, int frameHeight, const QRect &work)
{
    if (work.isEmpty())
        return qMax(wanted, minimum);
    return qMax(minimum, qMin(wanted, work.height() - frameHeight));
}

int FrameHeight(const QWidget *window, int captionHeight)
{
    const int framed = window->frameGeometry().height() - window->height();
    return framed > 0 ? framed : captionHeight;
}

void KeepInside(QWidget *window, const QRect &work, int captionHeight)
{
    if (!window || work.isEmpty())
        return;
    const QSize frame(window->frameGeometry().width(),
                      window->height() + FrameHeight(window, captionHeight));
    // pos() is the top-left corner of the frame, and move() places that corner.
    const QPoint at = KeptInside(QRect(window->pos(), frame), work);
    if (at != window->pos())
        window->move(at);
}

} // namespace WindowPlacement
