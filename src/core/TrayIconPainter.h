#pragma once

#include "core/TrayIconState.h"

#include <QIcon>
#include <QPixmap>

// Draws the tray pictures: a rounded badge whose colour and sign tell the state at a glance
// (blue arrow: nothing new; green arrow with a yellow dot: new torrents; red cross: the last
// check failed, with the yellow dot when results are still unread; grey or red with two bars:
// paused) and six frames of a blue spinner for a running check. Drawn on a 16-unit grid, so
// every size is sharp.
namespace TrayIconPainter {

QPixmap pixmap(TrayPicture picture, int size = 16);
// 16, 22, 32 and 48 pixels, for trays of any scale.
QIcon icon(TrayPicture picture);

} // namespace TrayIconPainter
