#include "notify/MatchRecord.h"
#include "platform/AppConfig.h"
#include "platform/TextUtils.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <unistd.h>
#include <sys/resource.h>

class TestTextUtils : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }
    static void writeBytes(const QString &file, const QByteArray &bytes)
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    static QByteArray readBytes(const QString &file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

private slots:
    void durationText_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("zero") << 0 << "00m 00s";
        QTest::newRow("595") << 595 << "09m 55s";
        QTest::newRow("one minute") << 60 << "01m 00s";
        QTest::newRow("just under an hour") << 3599 << "59m 59s";
        QTest::newRow("one hour") << 3600 << "1h 00m 00s";
        QTest::newRow("3900") << 3900 << "1h 05m 00s";
        QTest::newRow("largest") << 32767 << "9h 06m 07s";
    }
    void durationText()
    {
        QFETCH(int, seconds);
        QFETCH(QString, text);
        QCOMPARE(DurationText(qint16(seconds)), text);
    }

    void scrambleRoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("empty") << QString();
        QTest::newRow("plain") << QStringLiteral("s3cret pass");
        QTest::newRow("symbols") << QStringLiteral("a&b#c+d%e=f?g");
        QTest::newRow("high codes") << QString::fromLatin1("\xe9t\xe9\xff\xfe");
        // Longer than its smallest code: shifted codes leave 0..255 and must wrap.
        QTest::newRow("long password") << QString(300, QLatin1Char('!'));
        QTest::newRow("control codes") << QString::fromLatin1("\x01\x02\x03", 3);
    }
    void scrambleRoundTrip()
    {
        QFETCH(QString, text);
        const QString scrambled = ScrambleText(text);
        QCOMPARE(scrambled.size(), text.size());
        QCOMPARE(UnscrambleText(scrambled), text);
        QCOMPARE(ScrambleText(UnscrambleText(text)), text);
    }

    void scrambleShiftsByPosition()
    {
        // Character i (from 1) moves down by i.
        QCOMPARE(ScrambleText(QStringLiteral("bcd")), QStringLiteral("aaa"));
        QCOMPARE(UnscrambleText(QStringLiteral("aaa")), QStringLiteral("bcd"));
    }

    void builtInSiteAddressIsScrambled()
    {
        qunsetenv("POLLWICK_SITE_URL");
        QVERIFY(!BuiltInSiteUrlScrambled().contains(QStringLiteral("vellumstacks")));
        QCOMPARE(SiteBaseUrl(), QStringLiteral("https://www.vellumstacks.example"));
        qputenv("POLLWICK_SITE_URL", "http://127.0.0.1:8080/");
        QCOMPARE(SiteBaseUrl(), QStringLiteral("http://127.0.0.1:8080"));
        qunsetenv("POLLWICK_SITE_URL");
    }

    void urlEncode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("encoded");
        QTest::newRow("letters and digits kept") << "Az09" << "Az09";
        QTest::newRow("blank and ampersand") << "a b&c" << "a+b%26c";
        QTest::newRow("unreserved still encoded") << "~-_." << "%7E%2D%5F%2E";
        QTest::newRow("slash and line feed") << "/\n" << "%2F%0A";
        QTest::newRow("plus hash percent") << "+#%" << "%2B%23%25";
        QTest::newRow("high byte") << QString::fromLatin1("\xe9") << "%E9";
        QTest::newRow("empty") << "" << "";
    }
    void urlEncode()
    {
        QFETCH(QString, text);
        QFETCH(QString, encoded);
        QCOMPARE(UrlEncode(text), encoded);
    }

    void downloadUrlPath()
    {
        MatchRecord r;
        r.Id = 123456;
        r.FileName = QStringLiteral("x[filename].torrent");
        QCOMPARE(DownloadUrlPath(r), QStringLiteral("/download.php?id=123456"));
    }

    void readMissingFileDoesNotCreateIt()
    {
        const QString p = path(QStringLiteral("missing.txt"));
        QCOMPARE(ReadTextFile(p), QString());
        QVERIFY(!QFile::exists(p));
    }

    void readCutsAtNulAndKeepsLatin1()
    {
        const QString p = path(QStringLiteral("nul.txt"));
        writeBytes(p, QByteArray("caf\xe9\r\nline", 10) + QByteArray(1, '\0') + "tail");
        QCOMPARE(ReadTextFile(p), QString::fromLatin1("caf\xe9\r\nline"));
        QCOMPARE(BytesToText(QByteArray("ab\0cd", 5)), QStringLiteral("ab"));
        QCOMPARE(BytesToText(QByteArray("abcd")), QStringLiteral("abcd"));
    }

    void readOpensReadOnly()
    {
        // A filters file the user may read but not write must still read whole.
        const QString p = path(QStringLiteral("readonly.dat"));
        writeBytes(p, "110linux\r\n*\r\n");
        QFile::setPermissions(p, QFileDevice::ReadOwner | QFileDevice::ReadGroup);
        bool immutable = false;
        if (geteuid() == 0) {
            // Permission bits do not stop root; an immutable file does.
            immutable = QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), p}) == 0;
            if (!immutable)
                QSKIP("cannot make a file unwritable for root here");
        }
        QFile probe(p);
        QVERIFY(!probe.open(QIODevice::ReadWrite));
        const QString text = ReadTextFile(p);
        if (immutable)
            QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), p});
        QCOMPARE(text, QStringLiteral("110linux\r\n*\r\n"));
    }

    void writeKeepsExistingFileWhenAsked()
    {
        const QString p = path(QStringLiteral("keep.txt"));
        writeBytes(p, "original");
        QVERIFY(!WriteTextFile(p, QStringLiteral("new"), true));
        QCOMPARE(readBytes(p), QByteArray("original"));
    }

    void writeDoesNotTruncate()
    {
        const QString p = path(QStringLiteral("long.txt"));
        writeBytes(p, "0123456789");
        QVERIFY(WriteTextFile(p, QStringLiteral("abc"), false));
        QCOMPARE(readBytes(p), QByteArray("abc3456789"));
    }

    void writeCreatesLatin1File()
    {
        const QString p = path(QStringLiteral("new.txt"));
        QVERIFY(WriteTextFile(p, QString::fromLatin1("\xe9\r\n"), false));
        QCOMPARE(readBytes(p), QByteArray("\xe9\r\n"));
        QVERIFY(!WriteTextFile(path(QStringLiteral("no/such/folder.txt")), QStringLiteral("x"),
                               false));
    }

    void atomicReplaceWritesWholeFile()
    {
        const QString p = path(QStringLiteral("replace.txt"));
        writeBytes(p, "0123456789");
        QVERIFY(ReplaceTextFileAtomically(p, QStringLiteral("abc")));
        QCOMPARE(readBytes(p), QByteArray("abc"));
    }

    void atomicReplaceKeepsOldFileWhenWriteFails()
    {
        const QString p = path(QStringLiteral("precious.txt"));
        writeBytes(p, "the user's data");
        // Limit the size of files this process may write, so the new file cannot be written
        // whole (permission bits do not stop root).
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        rlimit small = old;
        small.rlim_cur = 64;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        QString error;
        const bool ok = ReplaceFileAtomically(p, QByteArray(4096, 'x'), &error);
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(!ok);
        QVERIFY(!error.isEmpty());
        QCOMPARE(readBytes(p), QByteArray("the user's data"));
        // No temporary file is left beside it.
        QCOMPARE(QDir(m_dir.path()).entryList({QStringLiteral("precious*")}, QDir::Files).size(),
                 1);
    }

    void atomicReplaceFailsIntoMissingFolder()
    {
        QString error;
        QVERIFY(!ReplaceFileAtomically(path(QStringLiteral("none/x.txt")), "x", &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestTextUtils)
#include "tst_textutils.moc"
