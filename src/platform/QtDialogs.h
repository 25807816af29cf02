#pragma once

#include "platform/Dialogs.h"

// The real message boxes and file dialogs.
class QtDialogs : public Dialogs
{
public:
    void message(QWidget *parent, const QString &caption, const QString &text, Icon icon) override;
    bool askYesNo(QWidget *parent, const QString &caption, const QString &text, Icon icon) override;
    bool askRetryCancel(QWidget *parent, const QString &caption, const QString &text,
                        Icon icon) override;
    QString chooseFolder(QWidget *parent, const QString &title,
                         const QString &startFolder) override;
    QString openFile(QWidget *parent, const QString &title, const QString &startFolder,
                     const QString &filter) override;
    QString saveFile(QWidget *parent, const QString &title, const QString &startPath,
                     const QString &filter) override;
};
