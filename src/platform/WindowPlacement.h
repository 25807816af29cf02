#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Placing a window over the window that owns it.
namespace WindowPlacement {

// Top-left corner that centres a window of size `own` over `owner`: left = owner left +
// owner width / 2 - own width / 2, and the same for the top (whole pixels, halves cut down).
QPoint CentredOver(const QRect &owner, const QSize &own);

// Moves `window` so that it is centred over `owner` (both measured with their frames); does
// nothing without an owner. Once moved, Qt no longer places a dialog by itself when it shows.
void CentreOverOwner(QWidget *window, const QWidget *owner);

} // namespace WindowPlacement
