#include "platform/QtDialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace {

QMessageBox::Icon toQt(Dialogs::Icon icon)
{
    switch (icon) {
    case Dialogs::Information:
        return QMessageBox::Information;
    case Dialogs::Warning:
        return QMessageBox::Warning;
    case Dialogs::Critical:
        return QMessageBox::Critical;
    case Dialogs::Question:
        return QMessageBox::Question;
    case Dialogs::NoIcon:
        break;
    }
    return QMessageBox::NoIcon;
}

int run(QWidget *parent, const QString &caption, const QString &text, Dialogs::Icon icon,
        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton defaultButton)
{
    QMessageBox box(toQt(icon), caption, text, buttons, parent);
    box.setDefaultButton(defaultButton);
    return box.exec();
}

} // namespace

void QtDialogs::message(QWidget *parent, const QString &caption, const QString &text, Icon icon)
{
    run(parent, caption, text, icon, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtDialogs::askYesNo(QWidget *parent, const QString &caption, const QString &text, Icon icon)
{
    return run(parent, caption, text, icon, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
           QMessageBox::Yes;
}

bool QtDialogs::askRetryCancel(QWidget *parent, const QString &caption, const QString &text,
                               Icon icon)
{
    return run(parent, caption, text, icon, QMessageBox::Retry | QMessageBox::Cancel,
               QMessageBox::Retry) == QMessageBox::Retry;
}

QString QtDialogs::chooseFolder(QWidget *parent, const QString &title, const QString &startFolder)
{
    return QFileDialog::getExistingDirectory(parent, title, startFolder, QFileDialog::ShowDirsOnly);
}

QString QtDialogs::openFile(QWidget *parent, const QString &title, const QString &startFolder,
                            const QString &filter)
{
    return QFileDialog::getOpenFileName(parent, title, startFolder, filter);
}

QString QtDialogs::saveFile(QWidget *parent, const QString &title, const QString &startPath,
                            const QString &filter)
{
    return QFileDialog::getSaveFileName(parent, title, startPath, filter);
}
