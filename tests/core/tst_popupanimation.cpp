#include "notify/PopupAnimation.h"
#include "notify/PopupQueue.h"
#include "notify/ToastText.h"
#include "platform/ScreenMetrics.h"

#include <QtTest>

class TestPopupAnimation : public QObject
{
    Q_OBJECT

private slots:
    void wholeSequence_data()
    {
        QTest::addColumn<QRect>("screen");
        QTest::addColumn<QRect>("work");
        QTest::addColumn<double>("twips");
        QTest::addColumn<int>("baseOffset");
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("screenHeight");

        // 1280 x 1024 at 96 dpi, 30-pixel taskbar: (30 - 2) x 15 = 420 twips;
        // left = 1280 x 15 - 5385 - 17 x 15.
        QTest::newRow("taskbar at the bottom")
            << QRect(0, 0, 1280, 1024) << QRect(0, 0, 1280, 994) << 15.0 << 420 << 13560 << 15360;
        QTest::newRow("no taskbar: 2 pixels below the screen")
            << QRect(0, 0, 1280, 1024) << QRect(0, 0, 1280, 1024) << 15.0 << -30 << 13560 << 15360;
        QTest::newRow("taskbar at the top is no bottom band")
            << QRect(0, 0, 1280, 1024) << QRect(0, 30, 1280, 994) << 15.0 << -30 << 13560 << 15360;
        QTest::newRow("120 dpi, 40-pixel taskbar")
            << QRect(0, 0, 1920, 1080) << QRect(0, 0, 1920, 1040) << 12.0 << 456
            << 1920 * 12 - 5385 - 17 * 12 << 1080 * 12;
        QTest::newRow("screen not at the origin")
            << QRect(100, 50, 1280, 1024) << QRect(100, 50, 1280, 994) << 15.0 << 420 << 13560
            << 15360;
    }
    void wholeSequence()
    {
        QFETCH(QRect, screen);
        QFETCH(QRect, work);
        QFETCH(double, twips);
        QFETCH(int, baseOffset);
        QFETCH(int, left);
        QFETCH(int, screenHeight);

        const FixedScreenMetrics metrics(screen, work, twips);
        PopupAnimation popup(metrics);
        QCOMPARE(int(popup.baseOffset()), baseOffset);
        QCOMPARE(popup.left(), left);
        QCOMPARE(popup.width(), 5385);
        QCOMPARE(popup.height(), 0);
        QCOMPARE(popup.top(), screenHeight);
        const int restLine = screenHeight - baseOffset; // where the bottom edge rests

        // Slide in: growth ticks until arrival.
        QList<int> fades;
        PopupAnimation::Tick t;
        int ticks = 0;
        for (; ticks < 100; ++ticks) {
            t = popup.slideIn();
            if (t.arrived)
                break;
            QVERIFY(t.opacity.has_value());
            fades.append(*t.opacity);
            QCOMPARE(t.height, 40 * (ticks + 1));
            QCOMPARE(t.top + t.height, restLine); // grows upward from the resting line
        }
        QCOMPARE(ticks, 24);
        QList<int> expectedIn;
        for (int f = 0; f <= 230; f += 10)
            expectedIn.append(f);
        QCOMPARE(fades, expectedIn);
        QVERIFY(!t.opacity.has_value());
        QCOMPARE(t.height, 930);
        QCOMPARE(t.top, restLine - 930 - 30); // the 960-twip step's top stays
        QCOMPARE(popup.fadeLevel(), 240);

        // Slide out: shrinking ticks with falling fade, one last step, unload.
        fades.clear();
        for (ticks = 0; ticks < 100; ++ticks) {
            t = popup.slideOut();
            if (!t.opacity)
                break;
            fades.append(*t.opacity);
            QCOMPARE(t.height, 930 - 40 * (ticks + 1));
            QCOMPARE(t.top + t.height, restLine);
            QVERIFY(!t.unload);
        }
        QList<int> expectedOut;
        for (int f = 240; f >= 20; f -= 10)
            expectedOut.append(f);
        QCOMPARE(fades, expectedOut);
        QCOMPARE(t.height, 0); // the final step
        QCOMPARE(t.top, restLine - 10 + 40);
        QVERIFY(!t.unload);
        t = popup.slideOut();
        QVERIFY(t.unload);
        QCOMPARE(t.height, 0);
    }

    void toastText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("tail");
        QTest::addColumn<QString>("fitted");

        const QString single = "has just been uploaded."; // 23 characters
        const QString abc = "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
        // Every character measures 100 twips here, so 4500 twips hold 45 characters.
        QTest::newRow("short text unchanged") << "Film" << single << "Film";
        QTest::newRow("exactly 4500 twips unchanged") << abc.left(21) << single << abc.left(21);
        QTest::newRow("long name cut, tail whole")
            << abc << single << abc.left(45 - 23 + 1) + "...";
        QTest::newRow("count and the several tail") << "12"
                                                    << " new torrents have just been uploaded."
                                                    << "12";
        QTest::newRow("tail alone too wide") << "Film" << QString(50, QLatin1Char('t')) << "...";
    }
    void toastText()
    {
        QFETCH(QString, text);
        QFETCH(QString, tail);
        QFETCH(QString, fitted);
        const auto width = [](const QString &s) { return int(s.size()) * 100; };
        const QString result = ToastText::fit(text, tail, width);
        QCOMPARE(result, fitted);
        QCOMPARE(ToastText::line(result, tail), result + " " + tail);
    }

    // The label is measured after every character taken off, with the label's own font.
    void toastTextUsesTheMeasure()
    {
        // Wide capitals: "W" 300 twips, everything else 100.
        const auto width = [](const QString &s) {
            int w = 0;
            for (QChar c : s)
                w += c == QLatin1Char('W') ? 300 : 100;
            return w;
        };
        const QString text = QString(20, QLatin1Char('W')); // 6000 twips
        const QString tail = "x";
        // The label is cut to 15 W's (4500 twips, under 4501); keep 15 - 1 + 1 = 15.
        QCOMPARE(ToastText::fit(text, tail, width), QString(15, QLatin1Char('W')) + "...");
        // A measure that never fits ends with an empty label, not a hang.
        QCOMPARE(ToastText::fit("abc", "tail", [](const QString &) { return 99999; }),
                 QStringLiteral("..."));
    }

    // Two announcements in a row: the second waits until the first popup unloads.
    void oneAtATime()
    {
        PopupQueue queue;
        const PopupRequest a{"A", "has just been uploaded."};
        const PopupRequest b{"2", " new torrents have just been uploaded."};
        const PopupRequest c{"C", "has just been uploaded."};
        QVERIFY(queue.submit(a));
        QVERIFY(queue.popupVisible());
        QVERIFY(!queue.submit(b));
        QVERIFY(!queue.submit(c));
        QCOMPARE(queue.waiting(), 2);
        QCOMPARE(queue.unloaded(), std::optional<PopupRequest>(b));
        QVERIFY(queue.popupVisible());
        QCOMPARE(queue.unloaded(), std::optional<PopupRequest>(c));
        QCOMPARE(queue.unloaded(), std::nullopt);
        QVERIFY(!queue.popupVisible());
        QVERIFY(queue.submit(a));
    }
};

QTEST_APPLESS_MAIN(TestPopupAnimation)
#include "tst_popupanimation.moc"
