#include "platform/WindowHelpers.h"

#include "platform/Dialogs.h"
#include "platform/ScreenMetrics.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QHeaderView>
#include <QLayout>
#include <QStyle>
#include <QTreeView>
#include <QWidget>

#include <cmath>

namespace WindowHelpers {

bool IsFormLoaded(const QString &name)
{
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (const QWidget *w : windows) {
        if (w->objectName() == name && w->isVisible())
            return true;
    }
    return false;
}

QString AskYesNo(Dialogs &dialogs, QWidget *parent, const QString &caption, const QString &question)
{
    return dialogs.askYesNo(parent, caption, question, Dialogs::Information) ? QStringLiteral("Y")
                                                                             : QStringLiteral("N");
}

void SortListByColumn(QTreeView *list, int column)
{
    const char *property = "pollwickSortDescending";
    const bool descending = !list->property(property).toBool();
    list->setProperty(property, descending);
    list->setSortingEnabled(false);
    list->sortByColumn(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
    list->header()->setSortIndicatorShown(true);
    // Switching the view's own sorting off also makes its header unclickable, which would
    // leave the list sortable only once.
    list->header()->setSectionsClickable(true);
}

int TaskbarHeight(const ScreenMetrics &screen)
{
    const QRect s = screen.screenGeometry();
    const QRect w = screen.workArea();
    const double band = (s.y() + s.height()) - (w.y() + w.height());
    return band > 0 ? static_cast<int>(std::lround(band)) : 0;
}

int SetWindowOpacity(QWidget *window, int level)
{
    if (level < 0 || level > 255)
        return 1;
    if (!window)
        return 2;
    window->setWindowOpacity(level / 255.0);
    return 0;
}

int CaptionHeight(const QWidget *window)
{
    const QStyle *style = window ? window->style() : QApplication::style();
    return style ? style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window) : 0;
}

void InstallMinimumSize(QWidget *window, QSize minimum, bool developerMode)
{
    if (!developerMode)
        window->setMinimumSize(minimum);
}

QSize FontFittedMinimum(QWidget *window, QTreeView *list, QSize minimum,
                        const ColumnWidths &columnWidths)
{
    const QHeaderView *header = list->header();
    QList<int> needed;
    for (int section = 0; section < header->count(); ++section)
        needed << header->fontMetrics().horizontalAdvance(
                      list->model()->headerData(section, Qt::Horizontal).toString()) +
                      12;
    const auto fits = [&](int width) {
        const QList<int> widths = columnWidths(width);
        for (qsizetype i = 0; i < needed.size() && i < widths.size(); ++i) {
            if (widths[i] < needed[i])
                return false;
        }
        return true;
    };
    // Each column grows with the list: the narrowest list that fits is found by halving.
    int low = 0;
    int high = 1 << 16;
    while (low < high) {
        const int middle = (low + high) / 2;
        if (fits(middle))
            high = middle;
        else
            low = middle + 1;
    }
    // The layout's own minimum holds every push button at its sizeHint().
    if (window->layout())
        window->layout()->activate();
    const int frame = window->width() - list->width();
    return minimum.expandedTo(window->minimumSizeHint()).expandedTo(QSize(low + frame, 0));
}

int TwipsToPixelsX(const ScreenMetrics &screen, double twips)
{
    return static_cast<int>(std::lround(twips / screen.twipsPerPixelX()));
}

int TwipsToPixelsY(const ScreenMetrics &screen, double twips)
{
    return static_cast<int>(std::lround(twips / screen.twipsPerPixelY()));
}

double PixelsToTwipsX(const ScreenMetrics &screen, double pixels)
{
    return pixels * screen.twipsPerPixelX();
}

double PixelsToTwipsY(const ScreenMetrics &screen, double pixels)
{
    return pixels * screen.twipsPerPixelY();
}

double TextWidthTwips(const QFont &font, const QString &text, const ScreenMetrics &screen)
{
    return QFontMetricsF(font).horizontalAdvance(text) * screen.twipsPerPixelX();
}

QFont LabelFont()
{
    static const QFont font = [] {
        if (QFontDatabase::families().contains(QStringLiteral("Tahoma"))) {
            QFont f(QStringLiteral("Tahoma"));
            f.setPointSizeF(8.25);
            return f;
        }
        return QApplication::font();
    }();
    return font;
}

} // namespace WindowHelpers
