#pragma once

#include <QList>
#include <QSize>
#include <QString>

#include <functional>

class Dialogs;
class QFont;
class QTreeView;
class QWidget;
class ScreenMetrics;

// Small window-level services shared by several windows.
namespace WindowHelpers {

// True when a top-level window of exactly that object name is open (visible).
bool IsFormLoaded(const QString &name);

// Yes/No question with the information icon, No the default: "Y" or "N".
QString AskYesNo(Dialogs &dialogs, QWidget *parent, const QString &caption,
                 const QString &question);

// Sorts a list by the clicked column, flipping between ascending and descending on every
// click, also when another column is clicked.
void SortListByColumn(QTreeView *list, int column);

// Height in pixels of a taskbar docked at the bottom of the primary screen; 0 otherwise.
int TaskbarHeight(const ScreenMetrics &screen);

// Whole-window opacity from 0 (transparent) to 255 (opaque). Returns 0 when done, 1 when the
// level is out of range (nothing changes), 2 when the platform refused.
int SetWindowOpacity(QWidget *window, int level);

// Height of a window caption in pixels, from the style.
int CaptionHeight(const QWidget *window);

// The smallest size a user can drag a resizable window to; developer mode leaves it free.
void InstallMinimumSize(QWidget *window, QSize minimum, bool developerMode);

// The column widths in pixels that a window gives its list at a list width in pixels.
using ColumnWidths = std::function<QList<int>(int listWidth)>;
// The smallest size at which a window's own font fits: the larger of minimum and the size at
// which every push button gets its sizeHint() and every header section of list, sized by
// columnWidths, is at least its caption's horizontalAdvance plus 12 pixels.
QSize FontFittedMinimum(QWidget *window, QTreeView *list, QSize minimum,
                        const ColumnWidths &columnWidths);

// Twips <-> pixels with the screen's twips per pixel.
int TwipsToPixelsX(const ScreenMetrics &screen, double twips);
int TwipsToPixelsY(const ScreenMetrics &screen, double twips);
double PixelsToTwipsX(const ScreenMetrics &screen, double pixels);
double PixelsToTwipsY(const ScreenMetrics &screen, double pixels);

// Width of a text in twips when drawn in the given font.
double TextWidthTwips(const QFont &font, const QString &text, const ScreenMetrics &screen);

// The font of labels whose widths are measured in twips: Tahoma 8.25 pt where installed, else
// the system font.
QFont LabelFont();

} // namespace WindowHelpers
