#include "account/AccountWindows.h"
#include "account/frmAbout.h"
#include "account/frmFirstRun.h"
#include "account/frmLogin.h"
#include "MainWindowHarness.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

using WidgetFinder::control;

// A new user's way in: the first-run wizard in front of the main window's first start, the
// login dialog behind the options page's user name, and About from the tray menu.
class TestAccountFlow : public MainWindowTest
{
    Q_OBJECT

    static void typeDetails(QWidget *window, const QString &user, const QString &password)
    {
        control<QLineEdit>(window, "txtUserName")->setText(user);
        control<QLineEdit>(window, "txtPassword")->setText(password);
    }
    static void click(QWidget *window, const char *button)
    {
        QTest::mouseClick(control<QPushButton>(window, button), Qt::LeftButton);
    }
    QStringList feedRequests() const
    {
        QStringList out;
        for (const SiteRequest &r : m->site.requestsTo("/bots.php"))
            out << QString::fromLatin1(r.target);
        return out;
    }
    QString stored(const char *name) const { return m->env.store->ReadSettingText(name); }

private slots:

    // An empty program folder: the wizard takes the details (its refusals and what it stores
    // are tst_frmfirstrun's); the main window's first start follows, whose first check records
    // the newest id unalerted.
    void firstStartFromAnEmptyFolder()
    {
        QVERIFY(QDir(m->env.folder()).isEmpty());
        m->makeApp();
        QCOMPARE(m->app->start(), PollwickApp::LoadEnd::FirstRun);
        QPointer<frmFirstRun> w = m->app->firstRunWizard();
        QVERIFY(w && w->isVisible());
        QVERIFY(!m->window());
        QVERIFY(!m->app->trayIcon().wanted());

        typeDetails(w, "demo", "demo");
        click(w, "command_check");
        click(w, "command_next");
        QTRY_VERIFY(!w);
        QTRY_VERIFY(m->window() && m->window()->isVisible());
        QTRY_COMPARE(stored("lastparsed"), QString::number(m->site.catalogue().lastId()));
        QVERIFY(m->messages().contains(
            "First run detected. Existing torrents will be ignored. Showing main window."));
        // No second-instance refusal, nor any other box; the program goes on.
        QVERIFY(m->env.dialogs.shown().isEmpty());
        QVERIFY(m->env.endProgramCalls.isEmpty());
        QVERIFY(m->app->trayIcon().wanted());
        QCOMPARE(feedRequests(), (QStringList{"/bots.php?limit=1&&u=demo&p=demo&v=11",
                                              "/bots.php?limit=20&u=demo&p=demo&v=11&c=1"}));
        // ... without alerting: no results (what a first run alerts is tst_alertstage's).
        QVERIFY(m->state().results.isEmpty());
    }

    // The options page names the stored user, read again on Cancel; an empty name offers to set
    // one.
    void userCaption()
    {
        m->startShown();
        QCOMPARE(m->control<QLabel>("info_username")->text(),
                 QStringLiteral("demo (click to change)"));
        m->env.store->WriteSettingText("site_username", "");
        QTest::mouseClick(m->control<QPushButton>("command_CANCEL"), Qt::LeftButton);
        QCOMPARE(m->control<QLabel>("info_username")->text(),
                 QStringLiteral("Not set (click to set)"));
    }

    // "User Details" from the options page's user name: stored on Apply, used by the next check.
    void loginDialogFromTheOptions()
    {
        QCOMPARE(m->startShown(), PollwickApp::LoadEnd::FirstStart);
        QLabel *name = m->control<QLabel>("info_username");
        QPushButton *apply = m->control<QPushButton>("command_APPLY");
        QTest::mouseClick(name, Qt::LeftButton);
        QPointer<frmLogin> dialog = m->window()->accountWindows().loginDialog();
        QVERIFY(dialog && dialog->isVisible() && dialog->isModal());
        QCOMPARE(dialog->parentWidget(), m->window());
        typeDetails(dialog, "alice", "s3cret&more");
        click(dialog, "cmdOK");
        QTRY_VERIFY(!dialog);
        QCOMPARE(name->text(), QStringLiteral("alice (click to change)"));
        QCOMPARE(stored("site_username"), QStringLiteral("demo"));
        QTest::mouseClick(apply, Qt::LeftButton);
        QCOMPARE(stored("site_username"), QStringLiteral("alice"));
        QCOMPARE(stored("site_password"), ScrambleText("s3cret&more"));
        m->control<QAction>("mnuCheck")->trigger();
        QCOMPARE(feedRequests().last(),
                 QStringLiteral("/bots.php?startid=%1&limit=150&u=alice&p=s3cret%26more&v=11&c=0")
                     .arg(m->site.catalogue().lastId()));
    }
    // About from the tray menu while the main window waits in the tray: one modeless window
    // however often it is asked for, and checks go on behind it.
    void aboutFromTheTrayMenu()
    {
        m->env.store->WriteSettingText("lastparsed", "700030");
        m->startShown();
        QVERIFY(!m->window()->isVisible());
        QAction *about = m->control<QAction>("mnuAbout");
        QVERIFY(about->isEnabled()); // its place in the menu is tst_frmmain's
        about->trigger();
        QPointer<frmAbout> window = m->window()->accountWindows().aboutWindow();
        QVERIFY(window && window->isVisible() && !window->isModal());
        QCOMPARE(window->windowTitle(), QStringLiteral("About Pollwick"));
        about->trigger();
        QCOMPARE(m->window()->findChildren<frmAbout *>().size(), 1);
        const qsizetype checks = m->site.requestsTo("/bots.php").size();
        m->control<QAction>("mnuCheck")->trigger();
        QCOMPARE(m->site.requestsTo("/bots.php").size(), checks + 1);
        click(window, "Command1");
        QTRY_VERIFY(!window);
    }
};

QTEST_MAIN(TestAccountFlow)
#include "tst_accountflow.moc"
