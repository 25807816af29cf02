#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Placing a window over the window that owns it, and keeping a window on the screen.
namespace WindowPlacement {

// Top-left corner that centres a window of size `own` over `owner`: left = owner left +
// owner width / 2 - own width / 2, and the same for the top (whole pixels, halves cut down).
QPoint CentredOver(const QRect &owner, const QSize &own);

// Moves `window` so that it is centred over `owner` (both measured with their frames); does
// nothing without an owner. Once moved, Qt no longer places a dialog by itself when it shows.
void CentreOverOwner(QWidget *window, const QWidget *owner);

// Top-left corner that keeps a window whose frame is `frame` inside `work`, moving it as little
// as it can: up when its bottom would pass the taskbar, left when its right edge would leave
// the screen. A window larger than the work area keeps its top-left corner (its caption) in it.
QPoint KeptInside(const QRect &frame, const QRect &work);

// The height a window of `wanted` client height gets on a work area: no taller than the work
// area leaves for it below its frame (frameHeight: caption and borders), never below the
// `minimum` its controls need.
int FittedHeight(int wanted, int minimum, int frameHeight, const QRect &work);

// The height the window's frame adds to it: measured once the window system has framed it,
// else the caption bar.
int FrameHeight(const QWidget *window, int captionHeight);

// Moves `window` (measured with its frame; before the window system has framed it, with a
// caption bar of captionHeight above it) inside `work`.
void KeepInside(QWidget *window, const QRect &work, int captionHeight);

} // namespace WindowPlacement
