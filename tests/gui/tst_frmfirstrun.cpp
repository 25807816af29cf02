#include "account/frmFirstRun.h"
#include "EnvTest.h"
#include "FileRewriteCounter.h"
#include "TestSite.h"
#include "WidgetFinder.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

using WidgetFinder::control;

// The first-run wizard against the local test site; its way into the main window's first
// start is tst_accountflow's.
class TestFrmFirstRun : public EnvTest
{
    Q_OBJECT

    std::unique_ptr<TestSite> m_site;
    QPointer<frmFirstRun> m_window;
    QStringList m_handOvers; // what the store held each time the main window was to load

    QPushButton *button(const char *name) { return control<QPushButton>(m_window, name); }
    QString verifyText() { return control<QLabel>(m_window, "info_verify")->text(); }
    void checkDetails(const QString &user = "demo", const QString &password = "demo")
    {
        control<QLineEdit>(m_window, "txtUserName")->setText(user);
        control<QLineEdit>(m_window, "txtPassword")->setText(password);
        QTest::mouseClick(button("command_check"), Qt::LeftButton);
    }

private slots:
    void init()
    {
        EnvTest::init();
        m_site = std::make_unique<TestSite>();
        QVERIFY(m_site->isListening());
        env->useSite(m_site->baseUrl());
        m_handOvers.clear();
        m_window = new frmFirstRun(env->services, [this] {
            m_handOvers << env->store->ReadSettingText("site_username") + '/' +
                               env->store->ReadSettingText("site_password");
        });
        m_window->show();
    }
    void cleanup()
    {
        delete m_window;
        m_site.reset();
        EnvTest::cleanup();
    }

    // "Check Details": the verdict, and "Continue" only after a verified login; nothing stored.
    // setup: "status N" changes the demo member, "script X" has the site answer X once.
    void check_data()
    {
        QTest::addColumn<QString>("user"); // one character: the site is not asked
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("text");
        const QString bad = "Failed. Invalid username entered. Please check and try again.";
        // clang-format off
        QTest::newRow("verified") << "demo" << "demo" << "" << "Success. Login details verified.";
        QTest::newRow("reason 2, wrong password") << "demo" << "wrong" << ""
            << "Failed. Incorrect password entered. Please check and try again.";
        QTest::newRow("reason 3, disabled") << "demo" << "demo" << "status 3"
            << "Failed. Your account is disabled.";
        QTest::newRow("reason 4, not a power user") << "demo" << "demo" << "status 4"
            << "Failed. You must be a Power User or above to use Pollwick.";
        // An unknown reason keeps the text the animation showed last.
        QTest::newRow("unknown reason digit") << "demo" << "demo" << "script Unauthorised:7"
            << "Validating credentials";
        // The reason is the 14th character, whatever the 13th; the word is matched exactly.
        QTest::newRow("reason after the separator") << "demo" << "demo" << "script Unauthorised21"
            << bad;
        QTest::newRow("letter case of the word matters") << "demo" << "demo"
            << "script unauthorised:1"
            << "Failed. Bad data returned from site. The site may be offline or busy.";
        QTest::newRow("another feed version") << "demo" << "demo" << "script #PWKF11#\r\n\r\n"
            << "Failed. Feed wrong version. You may need to update Pollwick";
        QTest::newRow("one-character user name") << "d" << "demo" << "" << bad;
        QTest::newRow("reason 1, unknown user of two characters") << "de" << "demo" << "" << bad;
        // clang-format on
    }
    void check()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, setup);
        QFETCH(QString, text);
        if (setup == "status 3")
            m_site->demoUser().status = SiteUser::Status::Disabled;
        else if (setup == "status 4")
            m_site->demoUser().status = SiteUser::Status::NotPowerUser;
        else if (setup.startsWith("script "))
            m_site->scriptReply("/bots.php", setup.mid(7).toLatin1());
        checkDetails(user, password);
        QVERIFY2(text.startsWith("Validating") ? verifyText().startsWith(text)
                                               : verifyText() == text,
                 qPrintable(verifyText()));
        const bool verified = text.startsWith("Success");
        QCOMPARE(control<QLabel>(m_window, "img_tick")->isVisible(), verified);
        QCOMPARE(control<QLabel>(m_window, "img_cross")->isVisible(), !verified);
        QCOMPARE(button("command_next")->isEnabled(), verified);
        QCOMPARE(button("command_next")->isDefault(), verified);
        QVERIFY(!control<QTimer>(m_window, "tmr_ani")->isActive());
        // The address asked is tst_accountflow's and tst_credentialcheck's.
        QCOMPARE(m_site->requestsTo("/bots.php").size(), user.size() > 1 ? 1 : 0);
        QCOMPARE(env->store->ReadSettingText("site_username"), QString());
        QVERIFY(m_handOvers.isEmpty());
    }

    // Cancel, also after a verified check, ends the program, once, and stores nothing.
    void cancelEndsTheProgram()
    {
        checkDetails();
        QTest::mouseClick(button("command_cancel"), Qt::LeftButton);
        m_window->close();
        QCOMPARE(env->endProgramCalls, QList<int>{0});
        QVERIFY(!m_window->isVisible() && m_handOvers.isEmpty());
    }

    // Editing either box after a successful check withdraws "Continue", which would store
    // unchecked details; "Continue" stores the scrambled password, then the name (a name is
    // never stored without its password), before the main window loads.
    void editingAfterSuccessWithdrawsContinue()
    {
        for (const char *box : {"txtUserName", "txtPassword"}) {
            checkDetails();
            QTest::keyClick(control<QLineEdit>(m_window, box), Qt::Key_X);
            QVERIFY(!button("command_next")->isEnabled());
            QVERIFY(!control<QLabel>(m_window, "img_tick")->isVisible());
            QCOMPARE(verifyText(), QStringLiteral("Please enter your username and password."));
        }
        checkDetails();
        FileRewriteCounter rewrites(env->services.config.settingsPath());
        QVERIFY(rewrites.isValid());
        QTest::mouseClick(button("command_next"), Qt::LeftButton);
        // Each character moved down by its position: d-1, e-2, m-3, o-4.
        QCOMPARE(m_handOvers, QStringList{"demo/ccjk"});
        QCOMPARE(rewrites.count(), 2);
        QVERIFY(!m_window->isVisible());
        QVERIFY(env->endProgramCalls.isEmpty());
    }

    // Details that cannot be stored are not handed over: the failure is reported (the
    // application ends on it) and the wizard keeps its buttons.
    void continueWithDetailsThatCannotBeStored()
    {
        checkDetails();
        QSignalSpy reported(env->store.get(), &SettingsStore::programKeyWriteFailed);
        // Permission bits do not stop root: limit the size of files this process may write.
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const rlimit small{rlim_t(8), old.rlim_max};
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        QTest::mouseClick(button("command_next"), Qt::LeftButton);
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &old), 0);
        QCOMPARE(reported.count(), 1);
        QVERIFY(m_handOvers.isEmpty());
        QCOMPARE(env->store->ReadSettingText("site_username"), QString());
        QVERIFY(m_window->isVisible());
        for (const char *name : {"command_next", "command_cancel", "command_check"})
            QVERIFY2(button(name)->isEnabled(), name);
    }
};

QTEST_MAIN(TestFrmFirstRun)
#include "tst_frmfirstrun.moc"
