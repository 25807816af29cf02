#pragma once

#include "platform/Dialogs.h"

#include <QList>
#include <QString>
#include <QStringList>

// Answers message boxes and file dialogs from a queue and records every box shown. A box that
// nobody expected, a question with no answer queued, or answers left over make problems()
// non-empty; the fixture checks it after every test.
class ScriptedDialogs : public Dialogs
{
public:
    struct Shown
    {
        QString kind; // "message", "yesno", "retrycancel", "folder", "open", "save"
        QString caption;
        QString text;
        Icon icon = NoIcon;
    };

    // Queue answers, used in order by the questions and file dialogs.
    void answerYes() { m_answers.append(QStringLiteral("Y")); }
    void answerNo() { m_answers.append(QStringLiteral("N")); }
    void answerRetry() { m_answers.append(QStringLiteral("Y")); }
    void answerCancel() { m_answers.append(QStringLiteral("N")); }
    // A file or folder dialog's answer; empty text means cancelled.
    void answerPath(const QString &path) { m_answers.append(QStringLiteral("P") + path); }

    // Every box shown so far, oldest first.
    const QList<Shown> &shown() const { return m_shown; }
    // Takes the oldest box not yet taken; a test takes each box it expects. An empty Shown when
    // none is left.
    Shown take();
    // Number of boxes not yet taken.
    int pending() const { return int(m_shown.size() - m_taken); }

    // What went wrong: unexpected boxes, missing answers, answers left over.
    QString problems() const;

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

    // Where the last file dialog started and with which filter.
    QString lastStart() const { return m_lastStart; }
    QString lastFilter() const { return m_lastFilter; }

private:
    QString nextAnswer(const QString &what);
    QString pathAnswer(const QString &kind, const QString &title, const QString &start,
                       const QString &filter);

    QList<Shown> m_shown;
    qsizetype m_taken = 0;
    QStringList m_answers;
    QStringList m_problems;
    QString m_lastStart;
    QString m_lastFilter;
};
