#include "account/AccountWindows.h"
#include "account/frmAbout.h"
#include "account/frmFirstRun.h"
#include "account/frmLogin.h"
#include "MainWindowHarness.h"
#include "core/TrayIconState.h"
#include "platform/WindowHelpers.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using WidgetFinder::clickOption;
using WidgetFinder::control;

// A new user's way in: the first-run wizard in front of the main window's first start, the
// login dialog behind the options page's user name, and the About window from the tray menu.
class TestAccountFlow : public QObject
{
    Q_OBJECT

    std::unique_ptr<MainWindowHarness> m;

    void typeDetails(QWidget *window, const QString &user, const QString &password)
    {
        QLineEdit *userBox = control<QLineEdit>(window, "txtUserName");
        QLineEdit *passwordBox = control<QLineEdit>(window, "txtPassword");
        userBox->clear();
        passwordBox->clear();
        QTest::keyClicks(userBox, user);
        QTest::keyClicks(passwordBox, password);
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
    bool applyEnabled() const { return m->control<QPushButton>("command_APPLY")->isEnabled(); }
    QString userCaption() const { return m->control<QLabel>("info_username")->text(); }

private slots:
    void init()
    {
        m = std::make_unique<MainWindowHarness>();
        QVERIFY(m->ready());
    }
    void cleanup()
    {
        const QString problems = m->problems();
        m.reset();
        QCOMPARE(problems, QString());
    }

    // A first start with an empty program folder: the wizard turns a wrong password down and
    // takes the right one; "Continue" stores the details and the main window's first start
    // follows in the same process, whose first check records the newest torrent without
    // alerting.
    void firstStartFromAnEmptyFolder()
    {
        QVERIFY(QDir(m->env.folder()).isEmpty());
        m->makeApp();
        QCOMPARE(m->app->start(), PollwickApp::LoadEnd::FirstRun);
        QPointer<frmFirstRun> w = m->app->firstRunWizard();
        QVERIFY(w);
        QVERIFY(w->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral("Pollwick - Please Login"));
        QVERIFY(m->messages().contains("No username/firsrun. Showing login wizard."));
        QTRY_VERIFY(!m->window());
        QVERIFY(!m->app->trayIcon().wanted());
        QVERIFY(m->site.requests().isEmpty());

        typeDetails(w, "demo", "wrong");
        click(w, "command_check");
        QCOMPARE(control<QLabel>(w, "info_verify")->text(),
                 QStringLiteral("Failed. Incorrect password entered. Please check and try again."));
        QVERIFY(!control<QPushButton>(w, "command_next")->isEnabled());

        typeDetails(w, "demo", "demo");
        click(w, "command_check");
        QCOMPARE(control<QLabel>(w, "info_verify")->text(),
                 QStringLiteral("Success. Login details verified."));
        QVERIFY(control<QPushButton>(w, "command_next")->isEnabled());
        QCOMPARE(m->env.store->ReadSettingText("site_username"), QString());

        // The first check's reply comes slowly; while the check waits for it, the window gets
        // the stages that follow the parse (filters and the alert bookkeeping).
        click(w, "command_next");
        QTRY_VERIFY(!w);
        QTRY_VERIFY(m->window() && m->window()->isVisible());
        // The first check records the newest torrent.
        QTRY_COMPARE(m->env.store->ReadSettingText("lastparsed"),
                     QString::number(m->site.catalogue().lastId()));
        QCOMPARE(m->env.store->ReadSettingText("site_username"), QStringLiteral("demo"));
        QCOMPARE(m->env.store->ReadSettingText("site_password"), QStringLiteral("ccjk"));
        QVERIFY(m->messages().contains(
            "First run detected. Existing torrents will be ignored. Showing main window."));
        // No second-instance refusal, nor any other box; the program goes on.
        QVERIFY(m->env.dialogs.shown().isEmpty());
        QVERIFY(m->env.endProgramCalls.isEmpty());
        QVERIFY(m->app->trayIcon().wanted());
        QCOMPARE(userCaption(), QStringLiteral("demo (click to change)"));
        QCOMPARE(feedRequests(), (QStringList{"/bots.php?limit=1&&u=demo&p=wrong&v=11",
                                              "/bots.php?limit=1&&u=demo&p=demo&v=11",
                                              "/bots.php?limit=20&u=demo&p=demo&v=11&c=1"}));
        // ... without alerting: no results, no popup, the tray without new torrents.
        QVERIFY(m->state().results.isEmpty());
        QVERIFY(!WindowHelpers::IsFormLoaded(QStringLiteral("FrmVSPopUp")));
        QCOMPARE(m->app->trayState().IconState(), QStringLiteral("nonew"));
    }

    // Every way of leaving the wizard but "Continue" ends the program; nothing loads.
    void leavingTheWizardEndsTheProgram_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("Cancel") << "cancel";
        QTest::newRow("Esc") << "escape";
        QTest::newRow("close box") << "close";
    }
    void leavingTheWizardEndsTheProgram()
    {
        QFETCH(QString, way);
        m->makeApp();
        QCOMPARE(m->app->start(), PollwickApp::LoadEnd::FirstRun);
        QPointer<frmFirstRun> w = m->app->firstRunWizard();
        typeDetails(w, "demo", "demo");
        if (way == "cancel")
            click(w, "command_cancel");
        else if (way == "escape")
            QTest::keyClick(w, Qt::Key_Escape);
        else
            w->close();
        QCOMPARE(m->env.endProgramCalls, QList<int>{0});
        QTRY_VERIFY(!w);
        QVERIFY(!m->window());
        QVERIFY(!m->app->trayIcon().wanted());
        QVERIFY(m->site.requests().isEmpty());
        QCOMPARE(m->env.store->ReadSettingText("site_username"), QString());
    }

    // The user name on the options page opens "User Details" over the main window; what it
    // accepts shows at once and is stored, like every option, when the options are applied.
    void loginDialogFromTheOptions_data()
    {
        QTest::addColumn<bool>("remove");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("storedUser");
        QTest::addColumn<QString>("storedPassword");
        QTest::newRow("another user") << false << "alice"
                                      << "s3cret&more"
                                      << ""
                                      << "alice (click to change)"
                                      << "alice" << ScrambleText("s3cret&more");
        QTest::newRow("details removed") << true << ""
                                         << ""
                                         << "Y"
                                         << "Not set (click to change)"
                                         << ""
                                         << "";
        QTest::newRow("removal refused, then cancelled") << true << ""
                                                         << ""
                                                         << "N"
                                                         << "demo (click to change)"
                                                         << "demo" << QStringLiteral("ccjk");
    }
    void loginDialogFromTheOptions()
    {
        QFETCH(bool, remove);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, answer);
        QFETCH(QString, caption);
        QCOMPARE(m->startShown(), PollwickApp::LoadEnd::FirstStart);
        QLabel *name = m->control<QLabel>("info_username");
        QCOMPARE(name->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(!applyEnabled());

        QTest::mouseClick(name, Qt::LeftButton);
        QPointer<frmLogin> dialog = m->window()->accountWindows().loginDialog();
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QVERIFY(dialog->isModal());
        QCOMPARE(dialog->parentWidget(), m->window());
        // A second click cannot reach the window behind the dialog; asked anyway, the dialog on
        // show stays the only one.
        m->window()->accountWindows().showLogin();
        QCOMPARE(m->window()->findChildren<frmLogin *>().size(), 1);

        if (remove) {
            clickOption(control<QCheckBox>(dialog, "Check1"));
            if (answer == "Y")
                m->env.dialogs.answerYes();
            else
                m->env.dialogs.answerNo();
        } else {
            typeDetails(dialog, user, password);
        }
        click(dialog, "cmdOK");
        if (remove)
            QCOMPARE(m->env.dialogs.take().kind, QStringLiteral("yesno"));
        if (answer == "N") {
            QVERIFY(dialog->isVisible());
            click(dialog, "cmdCancel");
        }
        QTRY_VERIFY(!dialog);
        QTEST(userCaption(), "caption");
        QCOMPARE(applyEnabled(), answer != "N");
        // Nothing is stored before the options are applied.
        QCOMPARE(m->env.store->ReadSettingText("site_username"), QStringLiteral("demo"));

        if (applyEnabled())
            QTest::mouseClick(m->control<QPushButton>("command_APPLY"), Qt::LeftButton);
        QTEST(m->env.store->ReadSettingText("site_username"), "storedUser");
        QTEST(m->env.store->ReadSettingText("site_password"), "storedPassword");
        QVERIFY(!applyEnabled());
        if (!user.isEmpty()) {
            // The next check asks the site with the new details.
            m->control<QAction>("mnuCheck")->trigger();
            QCOMPARE(feedRequests().last(),
                     QStringLiteral("/bots.php?startid=%1&limit=150&u=alice&p=s3cret%26more&v=11&c=0")
                         .arg(m->site.catalogue().lastId()));
        }
    }

    // "About" in the tray menu opens the About window over the main window, shown or hidden
    // in the tray; one at a time, modeless, gone when closed.
    void aboutFromTheTrayMenu_data()
    {
        QTest::addColumn<QString>("lastparsed");
        QTest::newRow("options window shown") << "";
        QTest::newRow("main window in the tray") << "700030";
    }
    void aboutFromTheTrayMenu()
    {
        QFETCH(QString, lastparsed);
        if (!lastparsed.isEmpty())
            m->env.store->WriteSettingText("lastparsed", lastparsed);
        m->startShown();
        QCOMPARE(m->window()->isVisible(), lastparsed.isEmpty());
        QAction *about = nullptr;
        for (QAction *entry : m->window()->mnuFile()->actions()) {
            if (entry->objectName() == "mnuAbout")
                about = entry;
        }
        QVERIFY(about);
        QVERIFY(about->isEnabled());
        about->trigger();
        QPointer<frmAbout> window = m->window()->accountWindows().aboutWindow();
        QVERIFY(window);
        QVERIFY(window->isVisible());
        QVERIFY(!window->isModal());
        QCOMPARE(window->parentWidget(), m->window());
        QCOMPARE(window->windowTitle(), QStringLiteral("About Pollwick"));
        QCOMPARE(control<QLabel>(window, "Label2")->text(),
                 QStringLiteral("Version 1.3  Build 512"));
        about->trigger();
        QCOMPARE(m->window()->findChildren<frmAbout *>().size(), 1);
        QCOMPARE(m->window()->accountWindows().aboutWindow(), window.data());
        // The main window goes on working behind it.
        m->control<QAction>("mnuCheck")->trigger();
        QCOMPARE(m->site.requestsTo("/bots.php").size(), 2);
        click(window, "Command1");
        QTRY_VERIFY(!window);
        QVERIFY(!m->window()->accountWindows().aboutWindow());
    }
};

QTEST_MAIN(TestAccountFlow)
#include "tst_accountflow.moc"
