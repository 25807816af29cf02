#include "download/DownloadAttempts.h"
#include "download/DownloadFileWriter.h"
#include "download/DownloadQueue.h"
#include "download/DownloadTarget.h"
#include "download/DownloadTexts.h"
#include "download/LabelShortener.h"
#include "download/TorrentFileCheck.h"
#include "download/TransferRate.h"
#include "model/ActiveDownloads.h"
#include "notify/ToastText.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QtTest>

#include <unistd.h>

// The downloader's site file names, label fitting, and its progress, rate and time-left texts.
class TestDownloadCore : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void siteNamesStayInTheFolder_data()
    {
        QTest::addColumn<QString>("siteName");
        QTest::addColumn<QString>("built"); // DownloadTarget::path(folder, siteName)
        QTest::addColumn<QString>("given"); // confine(folder + siteName)
        QTest::addColumn<bool>("opened");   // of the built target
        // clang-format off
        QTest::newRow("climbs out") << "../../x.torrent" << "x.torrent" << "x.torrent" << true;
        QTest::newRow("climbs into a folder") << "../etc/cron.d/job" << "job" << "job" << false;
        QTest::newRow("back-slashes") << "..\\..\\x.torrent" << "x.torrent" << "x.torrent" << true;
        QTest::newRow("back-slash inside") << "sub\\x.torrent" << "x.torrent" << "x.torrent" << true;
        QTest::newRow("sub-folder") << "a/b.torrent" << "b.torrent" << "a/b.torrent" << true;
        QTest::newRow("hidden") << ".bashrc" << "bashrc" << "bashrc" << false;
        QTest::newRow("dot-dot alone") << ".." << "download.torrent" << "download.torrent" << true;
        QTest::newRow("control characters") << QString::fromLatin1("x\x01\0y.TORRENT", 12)
            << "xy.TORRENT" << "xy.TORRENT" << true;
        QTest::newRow("torrent, then more") << "a.torrent.sh" << "a.torrent.sh" << "a.torrent.sh"
            << false;
        // clang-format on
    }
    void siteNamesStayInTheFolder()
    {
        QFETCH(QString, siteName);
        QFETCH(QString, built);
        QFETCH(QString, given);
        // A hidden folder in the user's own setting is no concern.
        const QString folder = QStringLiteral("/home/jo/.local/share/Pollwick/torrents/");
        QCOMPARE(DownloadTarget::path(folder, siteName), folder + built);
        QCOMPARE(DownloadTarget::confine(folder + built), folder + built);
        QCOMPARE(DownloadTarget::confine(folder + siteName), folder + given);
        QTEST(DownloadTarget::isTorrentFile(folder + built), "opened");
    }

    // Speed ticks driven by hand (1 KB a tick is 10 KB/s); time left needs five samples.
    void rateAndTimeLeft_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("bytesPerTick");
        QTest::addColumn<int>("ticks");
        QTest::addColumn<qint64>("expected");
        QTest::addColumn<QString>("rate");
        QTest::addColumn<QString>("remaining"); // "none" while nothing is shown
        const qint64 kb = 1024;
        const QString ten = QStringLiteral("Transfer rate: 10.0 KB/Sec");
        // clang-format off
        QTest::newRow("ring not yet full") << "en_US" << 1024 << 5 << 104 * kb << ten << "none";
        QTest::newRow("ring full: 9.8 s") << "en_US" << 1024 << 6 << 104 * kb << ten
            << "10 Seconds";
        // Five samples of 2.5 sum to 10 when the running sum rounds halves to even (15 if
        // rounded up): 20 KB left at 2 KB/s. The rate has the locale's decimal comma.
        QTest::newRow("sum rounds halves to even, German") << "de_DE" << 256 << 6
            << 1536 + 20 * kb << "Transfer rate: 2,5 KB/Sec" << "10 Seconds";
        QTest::newRow("one second") << "en_US" << 1024 << 6 << 16 * kb << ten << "1 Second";
        QTest::newRow("more than announced") << "en_US" << 1024 << 6 << 2 * kb << ten
            << "<1 Second";
        QTest::newRow("size unknown") << "en_US" << 1024 << 8 << qint64(1) << ten << "none";
        QTest::newRow("nothing yet: sum 0 counts as 1") << "en_US" << 0 << 6 << 10 * kb
            << "Transfer rate: 0.0 KB/Sec" << "50 Seconds";
        // clang-format on
    }
    void rateAndTimeLeft()
    {
        QFETCH(QString, locale);
        QFETCH(int, bytesPerTick);
        QFETCH(int, ticks);
        QFETCH(qint64, expected);
        QLocale::setDefault(QLocale(locale));
        TransferRate transfer;
        TransferRate::Tick tick;
        for (int n = 1; n <= ticks; ++n) {
            transfer.setProgress(qint64(bytesPerTick) * n, expected);
            tick = transfer.tick();
        }
        QTEST(tick.rateText, "rate");
        QTEST(tick.remainingText.isNull() ? QStringLiteral("none") : tick.remainingText,
              "remaining");
    }
    // Widths in characters of 100 twips; the middle cut halves to even at every step. The
    // popup keeps its tail whole (4500 twips: 45 characters). Short texts, and limits nothing
    // fits in: shorteningMatchesStepByStep.
    void labelsShortenToFit_data()
    {
        QTest::addColumn<QString>("rule"); // "end", "middle" or "popup"
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("maxWidth");
        QTest::addColumn<QString>("shown");
        const QString mebibyte(1 << 20, QLatin1Char('a'));
        // clang-format off
        QTest::newRow("end: fits exactly") << "end" << "abcdefghij" << 1000.0 << "abcdefghij";
        QTest::newRow("end: one too many") << "end" << "abcdefghijk" << 1000.0 << "abcdefg...";
        QTest::newRow("end: a mebibyte") << "end" << mebibyte << 4710.0
            << QString(44, 'a') + "...";
        // 26 -> 21 -> 15 -> 11 -> 7; rounding halves up would end at "abc...xyz".
        QTest::newRow("middle: halves to even") << "middle" << "abcdefghijklmnopqrstuvwxyz"
            << 1000.0 << "ab...yz";
        // 1048576 characters step down by the rule to 51 and then 47 (H 22), which fits.
        QTest::newRow("middle: a mebibyte") << "middle" << mebibyte << 4845.0
            << QString(22, 'a') + "..." + QString(22, 'a');
        QTest::newRow("popup: 45 characters fit") << "popup" << QString(21, 'n') << 4500.0
            << QString(21, 'n');
        // 46 characters: 45 stay, of which the first 45 - 23 + 1 are kept, the blank included.
        QTest::newRow("popup: one too many") << "popup" << QString(22, 'n') << 4500.0
            << QString(22, 'n') + " ...";
        QTest::newRow("popup: a mebibyte") << "popup" << mebibyte << 4500.0
            << QString(23, 'a') + "...";
        QTest::newRow("popup: the tail alone is too wide") << "popup" << "x" << 2000.0 << "...";
        // clang-format on
    }
    void labelsShortenToFit()
    {
        QFETCH(QString, rule);
        QFETCH(QString, text);
        QFETCH(double, maxWidth);
        qint64 measured = 0; // characters measured: a long text must not be measured whole
        const auto width = [&](const QString &t) {
            measured += t.size();
            return 100.0 * t.size();
        };
        QString shown;
        if (rule == "end") {
            shown = LabelShortener::shortenEnd(text, maxWidth, width);
        } else if (rule == "middle") {
            shown = LabelShortener::shortenMiddle(text, maxWidth, width);
        } else {
            // The popup's limit is fixed at 4500 twips; a narrower row widens the characters. The
            // tail has 23 characters.
            const double scale = 4500.0 / maxWidth;
            shown = ToastText::fit(text, QStringLiteral("has just been uploaded."),
                                   [&](const QString &t) { return int(width(t) * scale); });
        }
        QTEST(shown, "shown");
        QVERIFY2(measured < 20000, qPrintable(QString::number(measured)));
    }

    // The search gives what the step-by-step rules give, for texts whose characters differ in
    // width (i narrow, W wide) and every limit from nothing to more than the text.
    void shorteningMatchesStepByStep()
    {
        const auto charWidth = [](QChar c) {
            return c == 'i' ? 30 : c == 'W' ? 190 : c == '.' ? 40 : 100;
        };
        const auto width = [&](const QString &t) {
            int w = 0;
            for (const QChar c : t)
                w += charWidth(c);
            return w;
        };
        // The rules one step at a time.
        const auto endByStep = [&](QString shown, double max) {
            while (width(shown) > max && shown.size() > 3)
                shown = shown.left(std::max<qsizetype>(0, shown.size() - 4)) + "...";
            return shown;
        };
        const auto middleByStep = [&](QString shown, double max) {
            while (width(shown) > max) {
                const auto keep =
                    std::max<qsizetype>(0, qsizetype(std::nearbyint(shown.size() / 2.0 - 4)));
                const QString shorter = shown.left(keep) + "..." + shown.right(keep);
                if (shorter.size() >= shown.size())
                    break;
                shown = shorter;
            }
            return shown;
        };
        QRandomGenerator rng(12);
        const QString letters = QStringLiteral("iWab.");
        for (int length = 0; length <= 70; ++length) {
            QString text;
            for (int i = 0; i < length; ++i)
                text += letters[int(rng.bounded(letters.size()))];
            for (int max = 0; max <= width(text) + 200; max += 37) {
                QCOMPARE(LabelShortener::shortenEnd(text, max, width), endByStep(text, max));
                QCOMPARE(LabelShortener::shortenMiddle(text, max, width), middleByStep(text, max));
                const QString tail = text.right(length % 7);
                const auto scaled = [&](const QString &t) { return width(t) * 4500 / (max + 1); };
                const auto scaledStep = [&](const QString &t, const QString &tl) {
                    QString label = t + ' ' + tl;
                    if (scaled(label) <= 4500)
                        return t;
                    while (!label.isEmpty() && scaled(label) >= 4501)
                        label.chop(1);
                    return label.left(std::clamp<qsizetype>(label.size() - tl.size() + 1, 0,
                                                            label.size())) +
                           "...";
                };
                QCOMPARE(ToastText::fit(text, tail, scaled), scaledStep(text, tail));
            }
        }
    }

    // A check's downloads: four run, the rest wait in order; running or waiting targets are
    // duplicates in any letter case; one that ends lets the next start.
    void queueRunsFourAtOnce()
    {
        ActiveDownloads active;
        DownloadQueue queue(active);
        const auto request = [](int n) {
            return DownloadRequest{"/download.php?id=" + QString::number(n),
                                   "/t/F" + QString::number(n) + ".torrent",
                                   "u",
                                   "p",
                                   "F",
                                   n};
        };
        QCOMPARE(queue.next(), std::nullopt); // a free place, but nothing waits
        for (int n = 0; n < 6; ++n)
            QCOMPARE(queue.submit(request(n)), n < DownloadQueue::MaxRunning);
        QCOMPARE(queue.running(), 4);
        QCOMPARE(queue.waiting(), 2);
        QVERIFY(queue.contains("/t/f5.TORRENT"));
        QVERIFY(!queue.contains("/t/F0.torrent")); // running, but its window has not said so
        active.add("/t/F0.torrent");
        QVERIFY(queue.contains("/t/../t/F0.torrent"));
        QCOMPARE(queue.next(), std::nullopt);
        queue.finished();
        QCOMPARE(queue.next(), std::optional(request(4)));
        QCOMPARE(queue.next(), std::nullopt);
        // A new one waits behind those already waiting, even with a free place.
        queue.finished();
        QVERIFY(!queue.submit(request(6)));
        QCOMPARE(queue.next(), std::optional(request(5)));
        queue.remove("/t/F6.TORRENT");
        QCOMPARE(queue.waiting(), 0);
        for (int n = 0; n < 6; ++n)
            queue.finished();
        QCOMPARE(queue.running(), 0);
        QVERIFY(queue.submit(request(7)));
    }

    // A torrent is one bencoded dictionary, ending at the last byte, with an "info" dictionary
    // at its top level, nested at most 64 deep; anything else is taken for a page.
    void torrentFileCheck_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("torrent");
        const QByteArray deep = "d1:a" + QByteArray(63, 'l') + QByteArray(63, 'e') + "4:infodee";
        const QByteArray deeper = "d1:a" + QByteArray(64, 'l') + QByteArray(64, 'e') + "4:infodee";
        // clang-format off
        QTest::newRow("smallest") << QByteArray("d4:infodee") << true;
        QTest::newRow("keys, integers, lists") << QByteArray(
            "d8:announce3:url0:i-42e4:infod6:lengthi7e4:name1:x5:filesld1:ai0eeee3:zzzlee") << true;
        QTest::newRow("64 deep") << deep << true;
        QTest::newRow("65 deep") << deeper << false;
        QTest::newRow("no info") << QByteArray("d8:announce4:goode") << false;
        QTest::newRow("info not a dictionary") << QByteArray("d4:info4:spame") << false;
        QTest::newRow("info one level down") << QByteArray("d1:ad4:infodeee") << false;
        QTest::newRow("a longer key") << QByteArray("d5:infoxdee") << false;
        QTest::newRow("a key like info") << QByteArray("d4:infxdee") << false;
        QTest::newRow("info and a NUL") << QByteArray("d5:info\0dee", 11) << false;
        QTest::newRow("a byte after the end") << QByteArray("d4:infodeex") << false;
        QTest::newRow("a line break after the end") << QByteArray("d4:infodee\r\n") << false;
        QTest::newRow("a blank before") << QByteArray(" d4:infodee") << false;
        QTest::newRow("a list") << QByteArray("ld4:infodeee") << false;
        QTest::newRow("cut short") << QByteArray("d4:infode") << false;
        QTest::newRow("string beyond the end") << QByteArray("d4:infod1:a9:bcee") << false;
        QTest::newRow("key without value") << QByteArray("d4:infode1:ae") << false;
        QTest::newRow("integer key") << QByteArray("di1e1:a4:infodee") << false;
        QTest::newRow("empty integer") << QByteArray("d1:aie4:infodee") << false;
        QTest::newRow("sign alone") << QByteArray("d1:ai-e4:infodee") << false;
        QTest::newRow("letter in a length") << QByteArray("d4:infod1x:aee") << false;
        QTest::newRow("empty key") << QByteArray("d0:i1e4:infodee") << true;
        QTest::newRow("page") << QByteArray("<!DOCTYPE html><html>Log in</html>") << false;
        QTest::newRow("nothing") << QByteArray() << false;
        // clang-format on
    }
    void torrentFileCheck()
    {
        QFETCH(QByteArray, body);
        QTEST(TorrentFileCheck::isTorrent(body), "torrent");
        // The same, a byte at a time, as pieces arrive.
        TorrentFileCheck check;
        for (const char c : std::as_const(body))
            check.add(QByteArrayView(&c, 1));
        QTEST(check.isTorrent(), "torrent");
    }

    // Five attempts: after each failure a countdown, which retries four times and then gives
    // up; the attempts are then used up and a further failure promises no retry.
    void attemptsAreUsedUpAfterFive()
    {
        DownloadAttempts attempts;
        QList<DownloadAttempts::RetryAction> ends;
        for (int attempt = 1; attempt <= DownloadAttempts::MaxRetries; ++attempt) {
            attempts.begin();
            QCOMPARE(attempts.lastAttempt(), attempt == DownloadAttempts::MaxRetries);
            QVERIFY(attempts.fail());
            DownloadAttempts::RetryStep step;
            for (int tick = 0; tick < DownloadAttempts::RetryTicks; ++tick)
                step = attempts.retryTick();
            ends << step.action;
        }
        using A = DownloadAttempts::RetryAction;
        QCOMPARE(ends, (QList<A>{A::Retry, A::Retry, A::Retry, A::Retry, A::GiveUp}));
        QVERIFY(!attempts.fail());
    }

    // A temporary file that holds fewer bytes than were written to it (cut short behind the
    // writer's back) is never put in place: the earlier file stays.
    void finishNoticesATemporaryFileCutShort_data()
    {
        QTest::addColumn<bool>("cut");
        QTest::newRow("whole") << false;
        QTest::newRow("cut short") << true;
    }
    void finishNoticesATemporaryFileCutShort()
    {
        QFETCH(bool, cut);
        QTemporaryDir dir;
        const QString target = dir.filePath("a.torrent");
        QFile earlier(target);
        QVERIFY(earlier.open(QIODevice::WriteOnly) && earlier.write("earlier") == 7);
        earlier.close();
        // Larger than the device's buffer, so the bytes reach the file as they are written.
        const QByteArray torrent = "d4:infod3:pad65536:" + QByteArray(65536, 'x') + "ee";
        DownloadFileWriter writer;
        QVERIFY(writer.open(target));
        writer.write(torrent);
        // The temporary file may have no name in the folder (O_TMPFILE): it is found through
        // the descriptor the writer holds.
        QString temporary;
        const QDir fds("/proc/self/fd");
        for (const QString &fd :
             fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)) {
            const QString file = QFileInfo(fds.filePath(fd)).symLinkTarget();
            if (file.startsWith(dir.path() + '/') && file != target)
                temporary = fds.filePath(fd);
        }
        QVERIFY(!temporary.isEmpty());
        if (cut)
            QCOMPARE(::truncate(QFile::encodeName(temporary).constData(), 3), 0);
        QCOMPARE(writer.finish(),
                 cut ? DownloadFileWriter::Outcome::Failed : DownloadFileWriter::Outcome::Saved);
        QCOMPARE(QFileInfo(target).size(), cut ? 7 : torrent.size());
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.torrent"});
    }

    // One writer serves every attempt: one cut short leaves nothing to the next (check, count).
    void writerStartsEachAttemptAfresh()
    {
        QTemporaryDir dir;
        DownloadFileWriter writer;
        QVERIFY(writer.open(dir.filePath("a.torrent")));
        writer.write("d4:infod3:pad");
        QVERIFY(writer.open(dir.filePath("a.torrent")));
        writer.write("d4:infodee");
        QCOMPARE(writer.size(), 10);
        QCOMPARE(writer.finish(), DownloadFileWriter::Outcome::Saved);
    }

    void progressTexts_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<qint64>("received");
        QTest::addColumn<qint64>("expectedOrTenths"); // expected bytes, or tenths when finished
        QTest::addColumn<QString>("text");
        // clang-format off
        QTest::newRow("bytes") << "en_US" << qint64(1023) << qint64(20480)
            << "(1023 Bytes of 20 KB downloaded)";
        QTest::newRow("size unknown") << "en_US" << qint64(1024) << qint64(1)
            << "(1 KB of 0 KB downloaded)";
        QTest::newRow("German grouping") << "de_DE" << qint64(1234 * 1024) << qint64(2000 * 1024)
            << "(1.234 KB of 2.000 KB downloaded)";
        QTest::newRow("finished under a second") << "en_US" << qint64(1500 * 1024) << qint64(9)
            << "Status: Finished (1,500 KB Downloaded in <1 Second)";
        QTest::newRow("finished in 1.5 s") << "en_US" << qint64(20480) << qint64(15)
            << "Status: Finished (20 KB Downloaded in 1 Second)";
        QTest::newRow("finished in 1.0 s") << "en_US" << qint64(1024) << qint64(10)
            << "Status: Finished (1 KB Downloaded in 1 Second)";
        QTest::newRow("finished in 1.6 s") << "en_US" << qint64(1024) << qint64(16)
            << "Status: Finished (1 KB Downloaded in 2 Seconds)";
        QTest::newRow("finished in 2.5 s") << "en_US" << qint64(1536) << qint64(25)
            << "Status: Finished (2 KB Downloaded in 3 Seconds)";
        // clang-format on
    }
    void progressTexts()
    {
        QFETCH(QString, locale);
        QFETCH(qint64, received);
        QFETCH(qint64, expectedOrTenths);
        QLocale::setDefault(QLocale(locale));
        QTEST(QByteArray(QTest::currentDataTag()).startsWith("finished")
                  ? DownloadTexts::finished(received, expectedOrTenths)
                  : DownloadTexts::progress(received, expectedOrTenths),
              "text");
    }
};

QTEST_GUILESS_MAIN(TestDownloadCore)
#include "tst_downloadcore.moc"
