#include "account/AccountWindows.h"
#include "account/frmProfile.h"
#include "MainWindowHarness.h"

#include <QGroupBox>
#include <QLabel>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QTreeWidget>
#include <QtTest>

using WidgetFinder::control;

// The whole program against the real pollwick-sitesim: the main window's profile procedure
// opens a complete "Profile" window. (A second opening shows the cache first: tst_frmprofile.)
class TestProfileSitesim : public MainWindowTest
{
    Q_OBJECT

    QProcess simulator;

    static QStringList values(QWidget *w)
    {
        QStringList out;
        for (const char *name :
             {"label_username", "label_joindate", "label_lastseen", "label_uploaded",
              "label_downloaded", "label_ratio", "label_class", "label_comments", "label_posts"})
            out << control<QLabel>(w, name)->text();
        return out;
    }
    static bool finished(QWidget *w)
    {
        return control<QLabel>(w, "Label4")->text() == "Status: Finished" &&
               control<QPushButton>(w, "Command1")->isEnabled();
    }

private slots:
    void init()
    {
        MainWindowTest::init();
        simulator.start(QStringLiteral(SITESIM_EXECUTABLE), {"--port", "0"});
        QVERIFY(simulator.waitForStarted(5000));
        QTRY_VERIFY_WITH_TIMEOUT(simulator.canReadLine(), 5000);
        const QByteArray line = simulator.readLine().trimmed();
        QVERIFY2(line.startsWith("listening on http://127.0.0.1:"), line.constData());
        m->env.useSite(QString::fromLatin1(line.mid(13)));
    }
    void cleanup()
    {
        MainWindowTest::cleanup();
        simulator.terminate();
        QVERIFY(simulator.waitForFinished(5000));
    }

    void showprofileOpensACompleteProfile()
    {
        QCOMPARE(m->startShown(), PollwickApp::LoadEnd::FirstStart);
        frmMain *main = m->window();
        QVERIFY(main);
        QVERIFY(!main->accountWindows().profileWindow());
        main->accountWindows().showProfile();
        QPointer<frmProfile> w = main->accountWindows().profileWindow();
        QVERIFY(w && w->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral("Profile"));
        QTRY_VERIFY_WITH_TIMEOUT(finished(w), 10000);

        const QStringList shown = values(w);
        QCOMPARE(shown.value(0), QStringLiteral("demo"));
        for (const QString &value : shown)
            QVERIFY2(!value.isEmpty(), qPrintable(shown.join(" | ")));
        QTreeWidget *list = control<QTreeWidget>(w, "ListView1");
        QCOMPARE(list->topLevelItemCount(), 5); // three seeding, two leeching
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            QVERIFY(!list->topLevelItem(i)->text(0).isEmpty() &&
                    !list->topLevelItem(i)->text(7).isEmpty());
        QLabel *pm = control<QLabel>(w, "pic_pm");
        QVERIFY(pm->isVisible());
        QCOMPARE(pm->toolTip(), QStringLiteral("1 new message"));
        QVERIFY(!control<QLabel>(w, "pic_avatar")->pixmap().isNull());
        QVERIFY(!control<QFrame>(w, "Frame3")->isVisible());
        // The window lies inside the work area.
        QVERIFY(m->env.screen.workArea().contains(w->geometry()));

        // A second call brings the same window forward.
        main->accountWindows().showProfile();
        QCOMPARE(main->accountWindows().profileWindow(), w.data());

        w->close();
        QTRY_VERIFY(w.isNull());
    }
};

QTEST_MAIN(TestProfileSitesim)
#include "tst_profilesitesim.moc"
