#include "core/LoginRefusalNotice.h"
#include "EnvTest.h"

#include <QTest>

// Checks ending one after the other: "6" refused, "ok" got through, "c" a connection failure;
// with the details each used. What the notifier was told.
class TestLoginRefusalNotice : public EnvTest
{
    Q_OBJECT
private slots:
    void saidOncePerDetails_data()
    {
        QTest::addColumn<QStringList>("checks"); // failure:user:password
        QTest::addColumn<QStringList>("events"); // N notify, W withdraw
        QTest::newRow("refused again and again")
            << QStringList{"6:a:x", "6:a:x", "6:a:x"} << QStringList{"N"};
        QTest::newRow("another password")
            << QStringList{"6:a:x", "6:a:y", "6:a:y"} << QStringList{"N", "W", "N"};
        QTest::newRow("another user name")
            << QStringList{"6:a:x", "6:b:x"} << QStringList{"N", "W", "N"};
        QTest::newRow("a connection failure keeps the notice")
            << QStringList{"6:a:x", "c:a:x"} << QStringList{"N"};
        QTest::newRow("a check that gets through withdraws it")
            << QStringList{"6:a:x", "ok:a:x", "ok:a:x", "6:a:x"} << QStringList{"N", "W"};
        QTest::newRow("changed and changed back")
            << QStringList{"6:a:x", "ok:a:y", "6:a:x"} << QStringList{"N", "W", "N"};
        QTest::newRow("nothing refused") << QStringList{"ok:a:x", "c:a:y"} << QStringList{};
    }
    void saidOncePerDetails()
    {
        QFETCH(QStringList, checks);
        LoginRefusalNotice notice(env->services);
        for (const QString &check : std::as_const(checks)) {
            const QStringList p = check.split(':');
            const FeedFailure failure = p[0] == "6"    ? FeedFailure::Error6
                                        : p[0] == "ok" ? FeedFailure::None
                                                       : FeedFailure::Connection;
            notice.checkEnded(failure, p[1], p[2]);
        }
        QStringList events;
        for (const QString &e : std::as_const(env->notifier.events))
            events << (e == "withdraw" ? "W" : "N");
        QTEST(events, "events");
    }
};

QTEST_GUILESS_MAIN(TestLoginRefusalNotice)
#include "tst_loginrefusalnotice.moc"
