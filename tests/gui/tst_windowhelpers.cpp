#include "platform/SettingsStore.h"
#include "platform/WindowHelpers.h"
#include "platform/WindowPlacement.h"
#include "platform/WindowSizeStore.h"
#include "TestEnv.h"

#include <QTest>

class TestWindowHelpers : public QObject
{
    Q_OBJECT
private slots:
    void isFormLoadedWantsTheExactNameShown()
    {
        QWidget info;
        info.setObjectName("frmTorrentInfo");
        QVERIFY(!WindowHelpers::IsFormLoaded("frmTorrentInfo"));
        info.show();
        QVERIFY(WindowHelpers::IsFormLoaded("frmTorrentInfo"));
        QVERIFY(!WindowHelpers::IsFormLoaded("frmtorrentinfo"));
    }

    void setWindowOpacityRefusesLevelsOutside0To255()
    {
        QWidget popup;
        popup.show();
        QCOMPARE(WindowHelpers::SetWindowOpacity(&popup, 128), 0);
        for (const int level : {-1, 256})
            QCOMPARE(WindowHelpers::SetWindowOpacity(&popup, level), 1);
        QCOMPARE(qRound(popup.windowOpacity() * 255), 128); // unchanged
        QCOMPARE(WindowHelpers::SetWindowOpacity(&popup, 255), 0);
        QCOMPARE(popup.windowOpacity(), 1.0);
    }

    void minimumSizeIsLeftOutInDeveloperMode()
    {
        for (const bool developer : {false, true}) {
            QWidget summary;
            WindowHelpers::InstallMinimumSize(&summary, QSize(639, 182), developer);
            summary.resize(100, 100);
            QCOMPARE(summary.size(), developer ? QSize(100, 100) : QSize(639, 182));
        }
    }

    // A window that would leave the work area moves back in by as little as it takes; one
    // larger than the work area keeps its caption in it.
    void keptInsideTheWorkArea_data()
    {
        QTest::addColumn<QRect>("frame");
        QTest::addColumn<QPoint>("kept");
        const QRect work(100, 0, 900, 560); // a panel on the left, a taskbar below
        QTest::newRow("inside") << QRect(100, 0, 900, 560) << QPoint(100, 0);
        QTest::newRow("one pixel past the taskbar") << QRect(300, 1, 400, 560) << QPoint(300, 0);
        QTest::newRow("past the right edge") << QRect(700, 50, 301, 200) << QPoint(699, 50);
        QTest::newRow("under the left panel") << QRect(99, 50, 300, 200) << QPoint(100, 50);
        QTest::newRow("above the screen") << QRect(300, -1, 300, 200) << QPoint(300, 0);
        QTest::newRow("taller than the work area") << QRect(300, 100, 300, 600) << QPoint(300, 0);
    }
    void keptInsideTheWorkArea()
    {
        QFETCH(QRect, frame);
        QTEST(WindowPlacement::KeptInside(frame, QRect(100, 0, 900, 560)), "kept");
    }

    // A window no taller than the work area below its frame, and never below its minimum.
    void fittedHeight_data()
    {
        QTest::addColumn<int>("wanted");
        QTest::addColumn<int>("fitted");
        QTest::newRow("fits") << 536 << 536;
        QTest::newRow("one pixel too tall") << 537 << 536;
        QTest::newRow("its minimum wins") << 700 << 600;
    }
    void fittedHeight()
    {
        QFETCH(int, wanted);
        const int minimum = wanted == 700 ? 600 : 300;
        QTEST(WindowPlacement::FittedHeight(wanted, minimum, 24, QRect(0, 0, 1000, 560)), "fitted");
    }

    // Before the window system has framed a window, its caption bar is counted above it.
    // Remembered sizes (15 twips a pixel): below 1 keeps the window's; 16-bit, never wrapping.
    void windowSizeStore_data()
    {
        QTest::addColumn<int>("stored"); // -1: nothing stored
        QTest::addColumn<int>("restored");
        QTest::addColumn<int>("pixels");
        QTest::addColumn<int>("saved");
        QTest::newRow("nothing stored") << -1 << 200 << 0 << 1;
        QTest::newRow("0") << 0 << 200 << 1 << 15;
        QTest::newRow("1") << 1 << 0 << 2184 << 32760;
        QTest::newRow("30") << 30 << 2 << 2185 << 32767;
    }
    void windowSizeStore()
    {
        QFETCH(int, stored);
        TestEnv env;
        if (stored >= 0) {
            env.store->WriteSettingNumber("x_width", qint16(stored));
            env.store->WriteSettingNumber("x_height", qint16(stored));
        }
        const QSize fallback(200, 200);
        QFETCH(int, restored);
        QCOMPARE(WindowSizeStore::restored(*env.store, env.screen, "x", fallback),
                 QSize(restored, restored));
        QFETCH(int, pixels);
        WindowSizeStore::save(*env.store, env.screen, "x", QSize(pixels, pixels));
        QTEST(int(env.store->ReadSettingNumber("x_width")), "saved");
        QTEST(int(env.store->ReadSettingNumber("x_height")), "saved");
        WindowSizeStore::save(*env.store, env.screen, "y", QSize(10, 20));
        QCOMPARE(WindowSizeStore::restored(*env.store, env.screen, "y", {}), QSize(10, 20));
    }

    void keepInsideCountsTheCaptionOfAnUnframedWindow()
    {
        QWidget window;
        window.setGeometry(200, 500, 300, 100);
        WindowPlacement::KeepInside(&window, QRect(0, 0, 1000, 560), 20);
        QCOMPARE(window.pos(), QPoint(200, 440));
    }
};

QTEST_MAIN(TestWindowHelpers)
#include "tst_windowhelpers.moc"
