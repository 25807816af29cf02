#pragma once

#include <QString>

class QWidget;

// Message boxes and file dialogs. Windows ask through this seam so that tests answer them
// (ScriptedDialogs) instead of real modal dialogs.
class Dialogs
{
public:
    enum Icon
    {
        NoIcon,
        Information,
        Warning,
        Critical,
        Question
    };

    virtual ~Dialogs() = default;

    // A box with an OK button.
    virtual void message(QWidget *parent, const QString &caption, const QString &text,
                         Icon icon) = 0;
    // Yes and No buttons, No the default; true for Yes.
    virtual bool askYesNo(QWidget *parent, const QString &caption, const QString &text,
                          Icon icon) = 0;
    // Retry and Cancel buttons; true for Retry.
    virtual bool askRetryCancel(QWidget *parent, const QString &caption, const QString &text,
                                Icon icon) = 0;
    // Empty text when cancelled.
    virtual QString chooseFolder(QWidget *parent, const QString &title,
                                 const QString &startFolder) = 0;
    // filter in Qt's form, e.g. "Executables (*.exe);;All files (*)".
    virtual QString openFile(QWidget *parent, const QString &title, const QString &startFolder,
                             const QString &filter) = 0;
    virtual QString saveFile(QWidget *parent, const QString &title, const QString &startPath,
                             const QString &filter) = 0;
};
