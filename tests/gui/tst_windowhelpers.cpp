#include "platform/WindowHelpers.h"

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
};

QTEST_MAIN(TestWindowHelpers)
#include "tst_windowhelpers.moc"
