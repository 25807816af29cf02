#include "ScriptedDialogs.h"

ScriptedDialogs::Shown ScriptedDialogs::take()
{
    if (m_taken >= m_shown.size())
        return Shown();
    return m_shown[m_taken++];
}

QString ScriptedDialogs::problems() const
{
    QStringList all = m_problems;
    for (qsizetype i = m_taken; i < m_shown.size(); ++i)
        all += QStringLiteral("box nobody took: [%1] %2: %3")
                   .arg(m_shown[i].kind, m_shown[i].caption, m_shown[i].text);
    if (!m_answers.isEmpty())
        all += QStringLiteral("answers left over: ") + m_answers.join(QLatin1Char(','));
    return all.join(QLatin1Char('\n'));
}

QString ScriptedDialogs::nextAnswer(const QString &what)
{
    if (m_answers.isEmpty()) {
        m_problems += QStringLiteral("no answer queued for ") + what;
        return QString();
    }
    return m_answers.takeFirst();
}

void ScriptedDialogs::message(QWidget *, const QString &caption, const QString &text, Icon icon)
{
    m_shown.append({QStringLiteral("message"), caption, text, icon});
}

bool ScriptedDialogs::askYesNo(QWidget *, const QString &caption, const QString &text, Icon icon)
{
    m_shown.append({QStringLiteral("yesno"), caption, text, icon});
    const QString a = nextAnswer(QStringLiteral("yes/no: ") + text);
    if (!a.isEmpty() && a != QLatin1String("Y") && a != QLatin1String("N"))
        m_problems += QStringLiteral("a path answer was given to a yes/no question");
    return a == QLatin1String("Y");
}

bool ScriptedDialogs::askRetryCancel(QWidget *, const QString &caption, const QString &text,
                                     Icon icon)
{
    m_shown.append({QStringLiteral("retrycancel"), caption, text, icon});
    const QString a = nextAnswer(QStringLiteral("retry/cancel: ") + text);
    return a == QLatin1String("Y");
}

QString ScriptedDialogs::pathAnswer(const QString &kind, const QString &title, const QString &start,
                                    const QString &filter)
{
    m_shown.append({kind, title, QString(), NoIcon});
    m_lastStart = start;
    m_lastFilter = filter;
    const QString a = nextAnswer(kind + QStringLiteral(" dialog: ") + title);
    if (!a.startsWith(QLatin1Char('P'))) {
        if (!a.isEmpty())
            m_problems += QStringLiteral("a yes/no answer was given to a file dialog");
        return QString();
    }
    return a.mid(1);
}

QString ScriptedDialogs::chooseFolder(QWidget *, const QString &title, const QString &startFolder)
{
    return pathAnswer(QStringLiteral("folder"), title, startFolder, QString());
}

QString ScriptedDialogs::openFile(QWidget *, const QString &title, const QString &startFolder,
                                  const QString &filter)
{
    return pathAnswer(QStringLiteral("open"), title, startFolder, filter);
}

QString ScriptedDialogs::saveFile(QWidget *, const QString &title, const QString &startPath,
                                  const QString &filter)
{
    return pathAnswer(QStringLiteral("save"), title, startPath, filter);
}
