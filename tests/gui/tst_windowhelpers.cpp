#include "platform/ScreenMetrics.h"
#include "platform/WindowHelpers.h"
#include "ScriptedDialogs.h"

#include <QHeaderView>
#include <QTest>
#include <QTreeWidget>

class TestWindowHelpers : public QObject
{
    Q_OBJECT
private slots:
    void isFormLoaded()
    {
        QWidget info;
        info.setObjectName("frmTorrentInfo");
        QVERIFY(!WindowHelpers::IsFormLoaded("frmTorrentInfo"));
        info.show();
        QVERIFY(WindowHelpers::IsFormLoaded("frmTorrentInfo"));
        QVERIFY(!WindowHelpers::IsFormLoaded("frmtorrentinfo"));
        QVERIFY(!WindowHelpers::IsFormLoaded("frmTorrent"));
    }

    void askYesNo()
    {
        ScriptedDialogs dialogs;
        dialogs.answerYes();
        dialogs.answerNo();
        QCOMPARE(WindowHelpers::AskYesNo(dialogs, nullptr, "Save Changes?", "q"),
                 QStringLiteral("Y"));
        QCOMPARE(WindowHelpers::AskYesNo(dialogs, nullptr, "Save Changes?", "q"),
                 QStringLiteral("N"));
        const auto box = dialogs.take();
        QCOMPARE(box.kind, QStringLiteral("yesno"));
        QCOMPARE(box.icon, Dialogs::Information);
        dialogs.take();
        QCOMPARE(dialogs.problems(), QString());
    }

    // Every click flips the order, also when another column is clicked.
    void sortListByColumn()
    {
        QTreeWidget list;
        list.setColumnCount(2);
        list.addTopLevelItem(new QTreeWidgetItem({"b", "1"}));
        list.addTopLevelItem(new QTreeWidgetItem({"c", "3"}));
        list.addTopLevelItem(new QTreeWidgetItem({"a", "2"}));
        const auto column = [&list](int c) {
            QStringList out;
            for (int i = 0; i < list.topLevelItemCount(); ++i)
                out << list.topLevelItem(i)->text(c);
            return out;
        };
        WindowHelpers::SortListByColumn(&list, 0);
        const QStringList first = column(0);
        WindowHelpers::SortListByColumn(&list, 0);
        const QStringList second = column(0);
        QVERIFY(first == QStringList({"a", "b", "c"}) || first == QStringList({"c", "b", "a"}));
        QCOMPARE(second, QStringList({first[2], first[1], first[0]}));
        WindowHelpers::SortListByColumn(&list, 1);
        const bool secondWasAscending = second.first() == "a";
        QCOMPARE(column(1),
                 secondWasAscending ? QStringList({"3", "2", "1"}) : QStringList({"1", "2", "3"}));
        QCOMPARE(list.header()->sortIndicatorSection(), 1);
    }

    void taskbarHeight_data()
    {
        QTest::addColumn<QRect>("work");
        QTest::addColumn<int>("height");
        QTest::newRow("bottom") << QRect(0, 0, 1280, 994) << 30;
        QTest::newRow("top") << QRect(0, 30, 1280, 994) << 0;
        QTest::newRow("left") << QRect(48, 0, 1232, 1024) << 0;
        QTest::newRow("none") << QRect(0, 0, 1280, 1024) << 0;
    }
    void taskbarHeight()
    {
        QFETCH(QRect, work);
        const FixedScreenMetrics screen(QRect(0, 0, 1280, 1024), work);
        QTEST(WindowHelpers::TaskbarHeight(screen), "height");
    }

    void setWindowOpacity_data()
    {
        QTest::addColumn<int>("level");
        QTest::addColumn<int>("result");
        QTest::addColumn<double>("opacity");
        QTest::newRow("transparent") << 0 << 0 << 0.0;
        QTest::newRow("opaque") << 255 << 0 << 1.0;
        QTest::newRow("half") << 128 << 0 << 128 / 255.0;
        QTest::newRow("256") << 256 << 1 << 1.0;
        QTest::newRow("-1") << -1 << 1 << 1.0;
    }
    void setWindowOpacity()
    {
        QFETCH(int, level);
        QWidget popup;
        popup.show();
        QTEST(WindowHelpers::SetWindowOpacity(&popup, level), "result");
        QFETCH(double, opacity);
        QVERIFY(qAbs(popup.windowOpacity() - opacity) < 0.01);
    }

    void minimumSize_data()
    {
        QTest::addColumn<bool>("developer");
        QTest::newRow("normal") << false;
        QTest::newRow("developer mode") << true;
    }
    void minimumSize()
    {
        QFETCH(bool, developer);
        QWidget summary;
        WindowHelpers::InstallMinimumSize(&summary, QSize(639, 182), developer);
        summary.resize(100, 100);
        if (developer) {
            QCOMPARE(summary.size(), QSize(100, 100));
        } else {
            QCOMPARE(summary.size(), QSize(639, 182));
        }
    }

    void twips()
    {
        const FixedScreenMetrics at96(QRect(0, 0, 1280, 1024), QRect(0, 0, 1280, 994), 15.0);
        QCOMPARE(WindowHelpers::TwipsToPixelsX(at96, 6845), 456);
        QCOMPARE(WindowHelpers::TwipsToPixelsY(at96, 6105), 407);
        QCOMPARE(WindowHelpers::PixelsToTwipsY(at96, 30), 450.0);
        const FixedScreenMetrics at120(QRect(0, 0, 1280, 1024), QRect(0, 0, 1280, 994), 12.0);
        QCOMPARE(WindowHelpers::TwipsToPixelsY(at120, 6105), 509);
        QVERIFY(WindowHelpers::CaptionHeight(nullptr) > 0);
    }
};

QTEST_MAIN(TestWindowHelpers)
#include "tst_windowhelpers.moc"
