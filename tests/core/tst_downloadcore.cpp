#include "download/DownloadAttempts.h"
#include "download/DownloadFileWriter.h"
#include "download/DownloadLogin.h"
#include "download/DownloadTarget.h"
#include "download/DownloadTexts.h"
#include "download/LabelShortener.h"
#include "download/TransferRate.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QtTest>

// The downloader's rules that need no network: file names, label fitting, attempt counting,
// rate and time-left texts, progress texts, the login form and the file writer.
class TestDownloadCore : public QObject
{
    Q_OBJECT

    // 100 twips per character: widths that are easy to reason about.
    static double perCharacter(const QString &text) { return 100.0 * text.size(); }

    static QByteArray readAll(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void plainFileNameStaysInsideTheFolder_data()
    {
        QTest::addColumn<QString>("siteName");
        QTest::addColumn<QString>("plain");
        QTest::newRow("ordinary") << "Some.Movie.2008.torrent"
                                  << "Some.Movie.2008.torrent";
        QTest::newRow("climbs out") << "../../x.torrent"
                                    << "x.torrent";
        QTest::newRow("sub-folder") << "a/b.torrent"
                                    << "b.torrent";
        QTest::newRow("back-slashes") << "..\\..\\x.torrent"
                                      << "x.torrent";
        QTest::newRow("hidden") << ".bashrc"
                                << "bashrc";
        QTest::newRow("dot-dot alone") << ".."
                                       << "download.torrent";
        QTest::newRow("empty") << ""
                               << "download.torrent";
        QTest::newRow("folder only") << "dir/"
                                     << "download.torrent";
        QTest::newRow("blanks") << "  "
                                << "download.torrent";
        QTest::newRow("control characters")
            << QString::fromLatin1("x\x01y\x7f.torrent", 12) << "xy.torrent";
        QTest::newRow("NUL") << QString::fromLatin1("x.torrent\0.desktop", 18)
                             << "x.torrent.desktop";
        QTest::newRow("other type kept") << "evil.desktop"
                                         << "evil.desktop";
    }
    void plainFileNameStaysInsideTheFolder()
    {
        QFETCH(QString, siteName);
        QFETCH(QString, plain);
        QCOMPARE(DownloadTarget::plainFileName(siteName), plain);
        const QString folder = QStringLiteral("/home/jo/torrents/");
        const QString target = DownloadTarget::path(folder, siteName);
        QCOMPARE(target, folder + plain);
        // A target built that way is already confined.
        QCOMPARE(DownloadTarget::confine(target), target);
        QCOMPARE(DownloadTarget::folderOf(target), folder);
    }

    void confineCutsClimbingTargets_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("confined");
        QTest::newRow("plain") << "/t/f/x.torrent"
                               << "/t/f/x.torrent";
        QTest::newRow("dot-dot") << "/t/f/../../x.torrent"
                                 << "/t/f/x.torrent";
        QTest::newRow("dot") << "/t/f/./x.torrent"
                             << "/t/f/x.torrent";
        QTest::newRow("dot-dot then folder") << "/t/f/../etc/cron.d/job"
                                             << "/t/f/job";
        QTest::newRow("hidden file") << "/t/f/.profile"
                                     << "/t/f/profile";
        QTest::newRow("back-slash climb") << "/t/f/..\\..\\x.torrent"
                                          << "/t/f/x.torrent";
        QTest::newRow("name is dot-dot") << "/t/f/.."
                                         << "/t/f/download.torrent";
        QTest::newRow("hidden folder of the setting kept")
            << "/home/jo/.local/share/Pollwick/torrents/a.torrent"
            << "/home/jo/.local/share/Pollwick/torrents/a.torrent";
    }
    void confineCutsClimbingTargets()
    {
        QFETCH(QString, target);
        QFETCH(QString, confined);
        QCOMPARE(DownloadTarget::confine(target), confined);
    }

    void onlyTorrentFilesAreOpened_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("torrent");
        QTest::newRow("torrent") << "/t/a.torrent" << true;
        QTest::newRow("capitals") << "/t/A.TORRENT" << true;
        QTest::newRow("desktop entry") << "/t/evil.desktop" << false;
        QTest::newRow("torrent then more") << "/t/a.torrent.sh" << false;
        QTest::newRow("folder named .torrent") << "/t/a.torrent/run" << false;
        QTest::newRow("no dot") << "/t/torrent" << false;
    }
    void onlyTorrentFilesAreOpened()
    {
        QFETCH(QString, path);
        QFETCH(bool, torrent);
        QCOMPARE(DownloadTarget::isTorrentFile(path), torrent);
    }

    void shortenEnd_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("maxWidth");
        QTest::addColumn<QString>("shown");
        QTest::newRow("fits exactly") << "abcdefghij" << 1000.0 << "abcdefghij";
        QTest::newRow("one too many") << "abcdefghijk" << 1000.0 << "abcdefg...";
        QTest::newRow("much too long") << "abcdefghijklmnop" << 1000.0 << "abcdefg...";
        QTest::newRow("nothing fits") << "abcd" << 100.0 << "...";
        QTest::newRow("short text, nothing fits") << "ab" << 100.0 << "ab";
    }
    void shortenEnd()
    {
        QFETCH(QString, text);
        QFETCH(double, maxWidth);
        QFETCH(QString, shown);
        QCOMPARE(LabelShortener::shortenEnd(text, maxWidth, perCharacter), shown);
    }

    void shortenMiddle_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("maxWidth");
        QTest::addColumn<QString>("shown");
        QTest::newRow("fits") << "/t/a.torrent" << 1200.0 << "/t/a.torrent";
        // 26 -> 21 (H 9) -> 15 (H 6.5 -> 6) -> 11 (H 3.5 -> 4) -> 7 (H 1.5 -> 2): halves go to
        // the even number; rounding them up would end at "abc...xyz".
        QTest::newRow("halves to even") << "abcdefghijklmnopqrstuvwxyz" << 1000.0 << "ab...yz";
        QTest::newRow("nothing fits") << "abcdefgh" << 100.0 << "...";
    }
    void shortenMiddle()
    {
        QFETCH(QString, text);
        QFETCH(double, maxWidth);
        QFETCH(QString, shown);
        QCOMPARE(LabelShortener::shortenMiddle(text, maxWidth, perCharacter), shown);
    }

    void fiveAttemptsAtMost_data()
    {
        QTest::addColumn<int>("attempt");
        QTest::addColumn<QString>("firstLabel");
        QTest::addColumn<QString>("lastLabel");
        QTest::addColumn<int>("action");
        const int retry = int(DownloadAttempts::RetryAction::Retry);
        QTest::newRow("first") << 1 << "Retry in 60"
                               << "Retrying" << retry;
        QTest::newRow("fourth") << 4 << "Retry in 60"
                                << "Retrying" << retry;
        QTest::newRow("fifth gives up quietly") << 5 << ""
                                                << "" << int(DownloadAttempts::RetryAction::GiveUp);
    }
    void fiveAttemptsAtMost()
    {
        QFETCH(int, attempt);
        QFETCH(QString, firstLabel);
        QFETCH(QString, lastLabel);
        QFETCH(int, action);
        DownloadAttempts attempts;
        for (int a = 1; a <= attempt; ++a) {
            attempts.begin();
            QVERIFY(!attempts.failed());
            QVERIFY2(attempts.fail(), "every attempt up to the fifth is followed by a countdown");
            for (int tick = 1; tick <= DownloadAttempts::RetryTicks; ++tick) {
                const DownloadAttempts::RetryStep step = attempts.retryTick();
                if (a < attempt)
                    continue;
                if (tick == 1)
                    QCOMPARE(step.label, firstLabel);
                if (tick == 60 && attempt < 5)
                    QCOMPARE(step.label, QStringLiteral("Retry in 1"));
                if (tick < DownloadAttempts::RetryTicks)
                    QCOMPARE(int(step.action), int(DownloadAttempts::RetryAction::Wait));
                else {
                    QCOMPARE(step.label, lastLabel);
                    QCOMPARE(int(step.action), action);
                }
            }
        }
        QCOMPARE(attempts.retryCount(), attempt);
        if (attempt == 5) {
            QVERIFY(attempts.failed());
            QVERIFY2(!attempts.fail(), "no countdown after the fifth attempt");
        }
    }

    void eachAttemptGetsItsWholeTimeout_data()
    {
        QTest::addColumn<int>("ticksOfEarlierAttempt");
        QTest::newRow("fresh window") << 0;
        QTest::newRow("earlier attempt waited 12 s") << 12;
        QTest::newRow("earlier attempt waited 29 s") << 29;
    }
    void eachAttemptGetsItsWholeTimeout()
    {
        QFETCH(int, ticksOfEarlierAttempt);
        DownloadAttempts attempts;
        attempts.begin();
        for (int i = 0; i < ticksOfEarlierAttempt; ++i)
            QVERIFY(!attempts.timeoutTick());
        attempts.fail(); // e.g. file not found after those seconds
        attempts.begin();
        for (int i = 1; i < DownloadAttempts::TimeoutTicks; ++i)
            QVERIFY2(!attempts.timeoutTick(), qPrintable(QString::number(i)));
        QVERIFY(attempts.timeoutTick());
        QVERIFY(attempts.failed());
        QCOMPARE(attempts.timeoutTicks(), 0);
    }

    void rateAndTimeLeft_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("bytesPerTick");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<qint64>("expected");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("remaining"); // "null" while none is shown
        // 1 KB every tenth of a second is 10 KB/s throughout.
        QTest::newRow("first tick")
            << "en_US" << 1024 << 1 << qint64(104 * 1024) << "Transfer rate: 10.0 KB/Sec"
            << "null";
        QTest::newRow("ring not yet full")
            << "en_US" << 1024 << 5 << qint64(104 * 1024) << "Transfer rate: 10.0 KB/Sec"
            << "null";
        // (104 - 6) KB / 10 KB/s = 9.8 s
        QTest::newRow("ring full")
            << "en_US" << 1024 << 6 << qint64(104 * 1024) << "Transfer rate: 10.0 KB/Sec"
            << "10 Seconds";
        // Five samples of 2.5 add up to 10 when the running sum rounds halves to even (15 if
        // rounded up): 20 KB left at 2 KB/s.
        QTest::newRow("sum rounds halves to even")
            << "en_US" << 256 << 6 << qint64(1536 + 20 * 1024) << "Transfer rate: 2.5 KB/Sec"
            << "10 Seconds";
        QTest::newRow("one second")
            << "en_US" << 1024 << 6 << qint64(16 * 1024) << "Transfer rate: 10.0 KB/Sec"
            << "1 Second";
        QTest::newRow("almost done")
            << "en_US" << 1024 << 6 << qint64(7 * 1024) << "Transfer rate: 10.0 KB/Sec"
            << "<1 Second";
        QTest::newRow("more than announced")
            << "en_US" << 1024 << 6 << qint64(2 * 1024) << "Transfer rate: 10.0 KB/Sec"
            << "<1 Second";
        QTest::newRow("size unknown")
            << "en_US" << 1024 << 8 << qint64(1) << "Transfer rate: 10.0 KB/Sec"
            << "null";
        QTest::newRow("nothing yet: sum 0 counts as 1")
            << "en_US" << 0 << 6 << qint64(10 * 1024) << "Transfer rate: 0.0 KB/Sec"
            << "50 Seconds";
        QTest::newRow("German decimal comma")
            << "de_DE" << 256 << 6 << qint64(1536 + 20 * 1024) << "Transfer rate: 2,5 KB/Sec"
            << "10 Seconds";
    }
    void rateAndTimeLeft()
    {
        QFETCH(QString, locale);
        QFETCH(int, bytesPerTick);
        QFETCH(int, ticks);
        QFETCH(qint64, expected);
        QFETCH(QString, rate);
        QFETCH(QString, remaining);
        QLocale::setDefault(QLocale(locale));
        TransferRate transfer;
        transfer.restart();
        TransferRate::Tick tick;
        for (int n = 1; n <= ticks; ++n) {
            transfer.setProgress(qint64(bytesPerTick) * n, expected);
            tick = transfer.tick();
        }
        QCOMPARE(tick.rateText, rate);
        QCOMPARE(tick.remainingText.isNull() ? QStringLiteral("null") : tick.remainingText,
                 remaining);
        QCOMPARE(transfer.elapsedTenths(), qint64(ticks));
    }

    void restartKeepsTheRingPosition_data()
    {
        QTest::addColumn<int>("ticksBefore");
        QTest::addColumn<int>("firstTickWithTimeLeft");
        QTest::newRow("new window") << 0 << 6;
        // Positions 3 and 4 are filled anew; the ring counts as full when it wraps.
        QTest::newRow("after three ticks") << 3 << 3;
    }
    void restartKeepsTheRingPosition()
    {
        QFETCH(int, ticksBefore);
        QFETCH(int, firstTickWithTimeLeft);
        TransferRate transfer;
        transfer.setProgress(1024, 100 * 1024);
        for (int n = 0; n < ticksBefore; ++n)
            transfer.tick();
        transfer.restart();
        QCOMPARE(transfer.elapsedTenths(), qint64(0));
        int first = 0;
        for (int n = 1; n <= 10 && first == 0; ++n) {
            transfer.setProgress(1024 * n, 100 * 1024);
            if (!transfer.tick().remainingText.isNull())
                first = n;
        }
        QCOMPARE(first, firstTickWithTimeLeft);
    }

    void progressTexts_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<qint64>("received");
        QTest::addColumn<qint64>("expected");
        QTest::addColumn<QString>("text");
        QTest::newRow("bytes") << "en_US" << qint64(512) << qint64(20480)
                               << "(512 Bytes of 20 KB downloaded)";
        QTest::newRow("last byte count")
            << "en_US" << qint64(1023) << qint64(1) << "(1023 Bytes of 0 KB downloaded)";
        QTest::newRow("first KB") << "en_US" << qint64(1024) << qint64(2048)
                                  << "(1 KB of 2 KB downloaded)";
        QTest::newRow("grouping") << "en_US" << qint64(1234 * 1024) << qint64(2000 * 1024)
                                  << "(1,234 KB of 2,000 KB downloaded)";
        QTest::newRow("German grouping") << "de_DE" << qint64(1234 * 1024) << qint64(2000 * 1024)
                                         << "(1.234 KB of 2.000 KB downloaded)";
    }
    void progressTexts()
    {
        QFETCH(QString, locale);
        QFETCH(qint64, received);
        QFETCH(qint64, expected);
        QFETCH(QString, text);
        QLocale::setDefault(QLocale(locale));
        QCOMPARE(DownloadTexts::progress(received, expected), text);
    }

    void finishedTexts_data()
    {
        QTest::addColumn<qint64>("received");
        QTest::addColumn<qint64>("tenths");
        QTest::addColumn<QString>("text");
        QTest::newRow("under a second")
            << qint64(20480) << qint64(9) << "Status: Finished (20 KB Downloaded in <1 Second)";
        QTest::newRow("one second")
            << qint64(20480) << qint64(10) << "Status: Finished (20 KB Downloaded in 1 Second)";
        QTest::newRow("one and a half")
            << qint64(20480) << qint64(15) << "Status: Finished (20 KB Downloaded in 1 Second)";
        QTest::newRow("1.6 s") << qint64(20480) << qint64(16)
                               << "Status: Finished (20 KB Downloaded in 2 Seconds)";
        QTest::newRow("half a KB rounds")
            << qint64(1536) << qint64(25) << "Status: Finished (2 KB Downloaded in 3 Seconds)";
        QTest::newRow("grouped size") << qint64(1500 * 1024) << qint64(0)
                                      << "Status: Finished (1,500 KB Downloaded in <1 Second)";
    }
    void finishedTexts()
    {
        QFETCH(qint64, received);
        QFETCH(qint64, tenths);
        QFETCH(QString, text);
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        QCOMPARE(DownloadTexts::finished(received, tenths), text);
    }

    void loginForm_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("body");
        const QString tail = QStringLiteral("&login=Log+in&returnto=/download.php?id=700007\r\n");
        QTest::newRow("plain") << "demo"
                               << "demo"
                               << "username=demo&password=demo" + tail;
        QTest::newRow("blank and ampersand") << "jo smith"
                                             << "a&b=c"
                                             << "username=jo+smith&password=a%26b%3Dc" + tail;
        QTest::newRow("unreserved marks encoded") << "x~y"
                                                  << "-_."
                                                  << "username=x%7Ey&password=%2D%5F%2E" + tail;
        QTest::newRow("Latin-1") << QString::fromLatin1("J\xf6rg") << "pw"
                                 << "username=J%F6rg&password=pw" + tail;
    }
    void loginForm()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, body);
        const QString path = QStringLiteral("/download.php?id=700007");
        QCOMPARE(DownloadLogin::body(user, password, path), body);
        QCOMPARE(DownloadLogin::headers(QStringLiteral("http://127.0.0.1:8080"), path),
                 QStringLiteral("Referer: http://127.0.0.1:8080/download.php?id=700007\r\n"
                                "Content-Type: application/x-www-form-urlencoded\r\n"
                                "User-Agent: Pollwick Autodownloader - 1.3.512\r\n"));
    }

    void writerKeepsTheEarlierFileUntilComplete_data()
    {
        QTest::addColumn<QByteArray>("earlier"); // empty: no earlier file
        QTest::addColumn<QByteArray>("received");
        QTest::addColumn<bool>("discard");
        QTest::addColumn<int>("outcome");
        QTest::addColumn<QByteArray>("onDisk"); // "<missing>" when there is no file
        using O = DownloadFileWriter::Outcome;
        const QByteArray torrent = "d8:announce9:http://x/4:infod4:name1:aee";
        const QByteArray page = "<html><body>Login</body></html>";
        QTest::newRow("new file") << QByteArray() << torrent << false << int(O::Saved) << torrent;
        QTest::newRow("replaces earlier")
            << QByteArray("old") << torrent << false << int(O::Saved) << torrent;
        QTest::newRow("page, no earlier file")
            << QByteArray() << page << false << int(O::PageSaved) << page;
        QTest::newRow("page never replaces a torrent")
            << torrent << page << false << int(O::PageDiscarded) << torrent;
        QTest::newRow("capital tag is not the page")
            << torrent << QByteArray("<HTML>x") << false << int(O::Saved) << QByteArray("<HTML>x");
        QTest::newRow("discarded, earlier kept")
            << torrent << QByteArray("d8:ann") << true << -1 << torrent;
        QTest::newRow("discarded, nothing left")
            << QByteArray() << torrent << true << -1 << QByteArray("<missing>");
    }
    void writerKeepsTheEarlierFileUntilComplete()
    {
        QFETCH(QByteArray, earlier);
        QFETCH(QByteArray, received);
        QFETCH(bool, discard);
        QFETCH(int, outcome);
        QFETCH(QByteArray, onDisk);
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("a.torrent"));
        if (!earlier.isEmpty()) {
            QFile file(target);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(earlier);
        }
        {
            DownloadFileWriter writer;
            QVERIFY(writer.open(target));
            // In pieces, the first shorter than the tag it is checked for.
            writer.write(received.left(3));
            writer.write(received.mid(3));
            QCOMPARE(readAll(target), earlier.isEmpty() ? QByteArray("<missing>") : earlier);
            if (discard)
                writer.discard();
            else
                QCOMPARE(int(writer.finish()), outcome);
        }
        QCOMPARE(readAll(target), onDisk);
        const QStringList left = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden);
        QCOMPARE(left, onDisk == "<missing>" ? QStringList() : QStringList{"a.torrent"});
    }

    void writerReportsAFolderItCannotWriteTo()
    {
        QTemporaryDir dir;
        DownloadFileWriter writer;
        QVERIFY(!writer.open(dir.filePath(QStringLiteral("missing/a.torrent"))));
        QVERIFY(!writer.errorString().isEmpty());
        QCOMPARE(int(writer.finish()), int(DownloadFileWriter::Outcome::Failed));
    }
};

QTEST_GUILESS_MAIN(TestDownloadCore)
#include "tst_downloadcore.moc"
