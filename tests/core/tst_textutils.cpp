#include "platform/AppConfig.h"
#include "platform/Clock.h"
#include "platform/PasswordScramble.h"
#include "platform/TextUtils.h"
#include "platform/WholeFiles.h"
#include "TestEnv.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <ctime>
#include <unistd.h>

class TestTextUtils : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    // The system clock tells local time with the zone's offset, which it looks up itself.
    void systemClockTellsLocalTime()
    {
        const QByteArray oldZone = qgetenv("TZ");
        qputenv("TZ", "UTC-05:30"); // five and a half hours east of UTC
        tzset();
        SystemClock clock;
        const QDateTime now = clock.now();
        const qint64 reference = QDateTime::currentMSecsSinceEpoch();
        const qint64 seconds = clock.secondsSinceEpoch();
        if (oldZone.isNull())
            qunsetenv("TZ");
        else
            qputenv("TZ", oldZone);
        tzset();
        QCOMPARE(now.offsetFromUtc(), 5 * 3600 + 30 * 60);
        QVERIFY(qAbs(now.toMSecsSinceEpoch() - reference) < 2000);
        QVERIFY(qAbs(seconds - reference / 1000) <= 2);
    }

    // Minutes and seconds always two digits, hours from the first whole hour; a negative
    // count (a hand-edited start-up wait in the log line) keeps its sign on each part.
    void durationText_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing") << 0 << "00m 00s";
        QTest::newRow("last second of a minute") << 59 << "00m 59s";
        QTest::newRow("a whole minute") << 60 << "01m 00s";
        QTest::newRow("last second before an hour") << 3599 << "59m 59s";
        QTest::newRow("a whole hour") << 3600 << "1h 00m 00s";
        QTest::newRow("the largest") << 32767 << "9h 06m 07s";
        QTest::newRow("negative seconds") << -5 << "00m -05s";
        QTest::newRow("negative minutes") << -65 << "-01m -05s";
    }
    void durationText()
    {
        QFETCH(int, seconds);
        QTEST(DurationText(qint16(seconds)), "text");
    }

    void scrambleShiftsByPositionAndWraps()
    {
        QCOMPARE(ScrambleText("bcd"),
                 QStringLiteral("aaa")); // character i (from 1) moves down by i
        // Longer than its smallest code: shifted codes leave 0..255 and must wrap.
        const QString password(300, QLatin1Char('!'));
        QCOMPARE(UnscrambleText(ScrambleText(password)), password);
        QCOMPARE(ScrambleText(UnscrambleText(password)), password);
    }

    void urlEncodeKeepsOnlyLettersAndDigits()
    {
        QCOMPARE(UrlEncode(QString::fromLatin1("Az09 &~-_.\xe9")),
                 QStringLiteral("Az09+%26%7E%2D%5F%2E%E9"));
    }

    void builtInSiteAddressIsScrambled()
    {
        qunsetenv("POLLWICK_SITE_URL");
        QVERIFY(!BuiltInSiteUrlScrambled().contains("vellumstacks"));
        QCOMPARE(SiteBaseUrl(), QStringLiteral("https://www.vellumstacks.example"));
        qputenv("POLLWICK_SITE_URL", "http://127.0.0.1:8080/");
        QCOMPARE(SiteBaseUrl(), QStringLiteral("http://127.0.0.1:8080"));
        qunsetenv("POLLWICK_SITE_URL");
    }

    void readTextFile()
    {
        QCOMPARE(ReadTextFile(path("missing.txt")), QString());
        QVERIFY(!QFile::exists(path("missing.txt")));
        QCOMPARE(BytesToText(QByteArray("ab\0cd", 5)), QStringLiteral("ab"));
        QCOMPARE(BytesToText(QByteArray("\0cd", 3)), QString());
        // Read-only: a filters file the user may read but not write must still read whole.
        const QString p = path("readonly.dat");
        QVERIFY(ReplaceFileAtomically(p, QByteArray("110caf\xe9\r\n*\r\n\0tail", 17)));
        QFile::setPermissions(p, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        // Permission bits do not stop root; an immutable file does.
        const bool immutable = geteuid() == 0 && QProcess::execute("chattr", {"+i", p}) == 0;
        if (geteuid() == 0 && !immutable)
            QSKIP("cannot make a file unwritable for root here");
        QVERIFY(!QFile(p).open(QIODevice::ReadWrite));
        const QString text = ReadTextFile(p);
        if (immutable)
            QProcess::execute("chattr", {"-i", p});
        QCOMPARE(text, QString::fromLatin1("110caf\xe9\r\n*\r\n"));
    }

    void atomicReplace()
    {
        const QString p = path("precious.txt");
        QVERIFY(ReplaceFileAtomically(p, "0123456789"));
        QVERIFY(ReplaceTextFileAtomically(p, "the user's data"));
        QCOMPARE(TestEnv::readFile(p), QByteArray("the user's data"));
        // A write that fails keeps the old file and leaves no temporary one: the settings
        // store's failedWriteLeavesOldFileAndIsReported.
    }
};

QTEST_GUILESS_MAIN(TestTextUtils)
#include "tst_textutils.moc"
