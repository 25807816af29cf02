#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QListWidget>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTest>
#include <QTreeView>

// Finding a window's controls by objectName and working them as a user does, for the GUI
// tests of the windows.
namespace WidgetFinder {

// The control of that type and name; a window without it ends the test program.
template <typename T> T *control(QObject *window, const char *name)
{
    T *w = window->findChild<T *>(QString::fromLatin1(name));
    if (!w)
        qFatal("the window has no %s named %s", T::staticMetaObject.className(), name);
    return w;
}

// Clicks a radio button or check box on its indicator, where a user clicks: the middle of a
// wide button may lie beside its text, where a click does nothing.
inline void clickOption(QAbstractButton *button)
{
    QStyleOptionButton option;
    option.initFrom(button);
    const QStyle::SubElement indicator = qobject_cast<QRadioButton *>(button)
                                             ? QStyle::SE_RadioButtonIndicator
                                             : QStyle::SE_CheckBoxIndicator;
    const QPoint at = button->style()->subElementRect(indicator, &option, button).center();
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier, at);
}

// The texts of a list's entries, in order.
inline QStringList entries(const QListWidget *list)
{
    QStringList out;
    for (int row = 0; row < list->count(); ++row)
        out.append(list->item(row)->text());
    return out;
}

// Clicks the rows of a list, holding Ctrl after the first, as a user picks several.
inline void pickRows(QListWidget *list, const QList<int> &rows)
{
    bool first = true;
    for (int row : rows) {
        const QPoint at = list->visualItemRect(list->item(row)).center();
        QTest::mouseClick(list->viewport(), Qt::LeftButton,
                          first ? Qt::NoModifier : Qt::ControlModifier, at);
        first = false;
    }
}

// The visible top-level windows of that type.
template <typename T> QList<T *> shownWindows()
{
    QList<T *> out;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *t = qobject_cast<T *>(w); t && t->isVisible())
            out << t;
    return out;
}

// A click on a column's header.
inline void clickHeader(QTreeView *list, int column)
{
    QHeaderView *header = list->header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + 10, header->height() / 2));
}

} // namespace WidgetFinder
