#include "account/LoginDialogRules.h"

#include <QtTest>

// The options page's user name caption; what the login dialog decides is tst_frmlogin's.
class TestAccountRules : public QObject
{
    Q_OBJECT

private slots:
    void userCaption()
    {
        QCOMPARE(LoginDialogRules::userCaption("demo"), QStringLiteral("demo (click to change)"));
        QCOMPARE(LoginDialogRules::userCaption(""), QStringLiteral("Not set (click to set)"));
    }
};

QTEST_APPLESS_MAIN(TestAccountRules)
#include "tst_accountrules.moc"
