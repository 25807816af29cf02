#pragma once

#include <QIcon>
#include <QPixmap>

// The program's own picture, a tadpole on the tray pictures' blue tile: the windows' icon, the
// About window's picture and the icon installed for the application menu are all rendered from
// resources/icons/pollwick.svg, so the task switcher, the menu and the About window agree.
namespace ProgramIcon {

// Every rendered size (16 to 256 pixels), for the window icon and the task switcher.
QIcon icon();
// The picture at one of the rendered sizes; a null pixmap for any other size.
QPixmap pixmap(int size);

} // namespace ProgramIcon
