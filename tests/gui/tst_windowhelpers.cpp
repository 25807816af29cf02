#include "platform/WindowHelpers.h"

#include <QHeaderView>
#include <QTest>
#include <QTreeWidget>

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

    void sortListByColumnFlipsOnEveryClick()
    {
        QTreeWidget list;
        for (const QString &name : QStringList{"b", "c", "a"})
            list.addTopLevelItem(new QTreeWidgetItem({name}));
        WindowHelpers::SortListByColumn(&list, 0);
        const QString once = list.topLevelItem(0)->text(0);
        WindowHelpers::SortListByColumn(&list, 0);
        QCOMPARE(once + list.topLevelItem(0)->text(0), once == "a" ? "ac" : "ca");
        // Turning the view's own sorting off must not leave the header unclickable.
        QVERIFY(list.header()->sectionsClickable());
    }

    void setWindowOpacityRefusesLevelsOutside0To255()
    {
        QWidget popup;
        popup.show();
        QCOMPARE(WindowHelpers::SetWindowOpacity(&popup, 255), 0);
        QCOMPARE(popup.windowOpacity(), 1.0);
        for (const int level : {-1, 256})
            QCOMPARE(WindowHelpers::SetWindowOpacity(&popup, level), 1);
        QCOMPARE(popup.windowOpacity(), 1.0); // unchanged
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
