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

} // namespace WindowPlacement
