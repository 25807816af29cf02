#include "account/frmFirstRun.h"
#include "platform/HttpTransfer.h"
#include "TestEnv.h"
#include "TestSite.h"
#include "WidgetFinder.h"

#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

namespace {

const QString Verified = QStringLiteral("Success. Login details verified.");

} // namespace

using WidgetFinder::control;

class TestFrmFirstRun : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<TestSite> m_site;
    QPointer<frmFirstRun> m_window;
    // What the store held each time the main window was asked to load.
    QStringList m_handOvers;

    QLineEdit *userBox() { return control<QLineEdit>(m_window, "txtUserName"); }
    QLineEdit *passwordBox() { return control<QLineEdit>(m_window, "txtPassword"); }
    QPushButton *button(const char *name) { return control<QPushButton>(m_window, name); }
    QString verifyText() { return control<QLabel>(m_window, "info_verify")->text(); }
    bool tickShown() { return control<QLabel>(m_window, "img_tick")->isVisible(); }
    bool crossShown() { return control<QLabel>(m_window, "img_cross")->isVisible(); }

    void typeDetails(const QString &user, const QString &password)
    {
        userBox()->clear();
        passwordBox()->clear();
        QTest::keyClicks(userBox(), user);
        QTest::keyClicks(passwordBox(), password);
    }

    void click(QPushButton *b) { QTest::mouseClick(b, Qt::LeftButton); }

private slots:
    void init()
    {
        m_env = std::make_unique<TestEnv>();
        m_site = std::make_unique<TestSite>();
        QVERIFY(m_site->isListening());
        m_env->useSite(m_site->baseUrl());
        m_handOvers.clear();
        m_window = new frmFirstRun(m_env->services, [this] {
            m_handOvers.append(m_env->store->ReadSettingText(QStringLiteral("site_username")) +
                               QLatin1Char('/') +
                               m_env->store->ReadSettingText(QStringLiteral("site_password")));
        });
        m_window->show();
    }
    void cleanup()
    {
        QCOMPARE(m_env->problems(), QString());
        delete m_window;
        m_site.reset();
        m_env.reset();
    }

    void opens()
    {
        QCOMPARE(m_window->objectName(), QStringLiteral("frmFirstRun"));
        QCOMPARE(m_window->windowTitle(), QStringLiteral("Pollwick - Please Login"));
        QCOMPARE(control<QLabel>(m_window, "info_title1")->text(),
                 QStringLiteral("Welcome to Pollwick!"));
        QCOMPARE(control<QLabel>(m_window, "info_title2")->text(),
                 QStringLiteral("Please enter your login details below"));
        // The doubled ampersand of the design shows as one.
        QCOMPARE(control<QLabel>(m_window, "Label2")->text(),
                 QStringLiteral("Pollwick needs to communicate with Vellumstacks. To do this it "
                                "needs a username & password."));
        QCOMPARE(control<QLabel>(m_window, "lblLabels_0")->text(), QStringLiteral("User Name:"));
        QCOMPARE(control<QLabel>(m_window, "lblLabels_1")->text(), QStringLiteral("Password:"));
        QCOMPARE(passwordBox()->echoMode(), QLineEdit::Password);
        QCOMPARE(verifyText(), QStringLiteral("Please enter your username and password."));
        QVERIFY(!tickShown());
        QVERIFY(!crossShown());
        QCOMPARE(button("command_check")->text(), QStringLiteral("Check Details"));
        QVERIFY(button("command_check")->isDefault());
        QCOMPARE(button("command_next")->text(), QStringLiteral("Continue"));
        QVERIFY(!button("command_next")->isEnabled());
        QCOMPARE(button("command_cancel")->text(), QStringLiteral("Cancel"));
        QTimer *tmrAni = control<QTimer>(m_window, "tmr_ani");
        QCOMPARE(tmrAni->interval(), 300);
        QVERIFY(!tmrAni->isActive());
        QCOMPARE(control<HttpTransfer>(m_window, "Inet1")->RequestTimeout(), 60);
    }

    // "Check Details" against the test site. setup: "status 3"/"status 4" change the demo
    // member, "script X" has the site answer X once.
    void check_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<bool>("verified");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("requests");
        QTest::newRow("verified") << "demo"
                                  << "demo"
                                  << "" << true << Verified << 1;
        QTest::newRow("reason 1, unknown user")
            << "nobody"
            << "demo"
            << "" << false << "Failed. Invalid username entered. Please check and try again." << 1;
        QTest::newRow("reason 2, wrong password")
            << "demo"
            << "wrong"
            << "" << false << "Failed. Incorrect password entered. Please check and try again."
            << 1;
        QTest::newRow("reason 3, disabled")
            << "demo"
            << "demo"
            << "status 3" << false << "Failed. Your account is disabled." << 1;
        QTest::newRow("reason 4, not a power user")
            << "demo"
            << "demo"
            << "status 4" << false << "Failed. You must be a Power User or above to use Pollwick."
            << 1;
        // An unknown reason leaves the text the animation showed last.
        QTest::newRow("unknown reason digit")
            << "demo"
            << "demo"
            << "script Unauthorised:7" << false << "Validating credentials" << 1;
        QTest::newRow("another feed version")
            << "demo"
            << "demo"
            << "script #PWKF11#\r\n\r\n"
            << false << "Failed. Feed wrong version. You may need to update Pollwick" << 1;
        QTest::newRow("empty reply")
            << "demo"
            << "demo"
            << "script " << false
            << "Failed. Bad data returned from site. The site may be offline or busy." << 1;
        QTest::newRow("one-character user name")
            << "d"
            << "demo"
            << "" << false << "Failed. Invalid username entered. Please check and try again." << 0;
    }
    void check()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, setup);
        QFETCH(bool, verified);
        QFETCH(QString, text);
        QFETCH(int, requests);
        if (setup == QLatin1String("status 3"))
            m_site->demoUser().status = SiteUser::Status::Disabled;
        else if (setup == QLatin1String("status 4"))
            m_site->demoUser().status = SiteUser::Status::NotPowerUser;
        else if (setup.startsWith(QLatin1String("script ")))
            m_site->scriptReply(QStringLiteral("/bots.php"), setup.mid(7).toLatin1());
        if (setup == QLatin1String("recheck")) {
            typeDetails(QStringLiteral("demo"), QStringLiteral("demo"));
            click(button("command_check"));
            QVERIFY(button("command_next")->isDefault());
        }

        typeDetails(user, password);
        click(button("command_check"));
        if (text.startsWith(QLatin1String("Validating")))
            QVERIFY2(verifyText().startsWith(text), qPrintable(verifyText()));
        else
            QCOMPARE(verifyText(), text);
        QCOMPARE(tickShown(), verified);
        QCOMPARE(crossShown(), !verified);
        QCOMPARE(button("command_next")->isEnabled(), verified);
        QCOMPARE(button("command_next")->isDefault(), verified);
        QCOMPARE(button("command_check")->isDefault(), !verified);
        QVERIFY(button("command_check")->isEnabled());
        QVERIFY(!control<QTimer>(m_window, "tmr_ani")->isActive());
        const QList<SiteRequest> sent = m_site->requestsTo(QStringLiteral("/bots.php"));
        QCOMPARE(sent.size(), requests);
        if (requests)
            QCOMPARE(QString::fromLatin1(sent.last().target),
                     QStringLiteral("/bots.php?limit=1&&u=%1&p=%2&v=11").arg(user, password));
        // Nothing is stored and nothing is handed over until "Continue".
        QCOMPARE(m_env->store->ReadSettingText(QStringLiteral("site_username")), QString());
        QVERIFY(m_handOvers.isEmpty());
        QVERIFY(m_env->endProgramCalls.isEmpty());
    }

    void continueStoresAndHandsOver()
    {
        typeDetails(QStringLiteral("demo"), QStringLiteral("demo"));
        click(button("command_check"));
        QCOMPARE(verifyText(), Verified);
        click(button("command_next"));
        // Stored before the main window loads: the user name, and the password scrambled
        // (each character moved down by its position: d-1, e-2, m-3, o-4).
        QCOMPARE(m_handOvers, QStringList{"demo/ccjk"});
        QVERIFY(!m_window->isVisible());
        QVERIFY(m_env->endProgramCalls.isEmpty());
        QVERIFY(!button("command_next")->isEnabled());
        QVERIFY(!button("command_cancel")->isEnabled());
        QVERIFY(!button("command_check")->isEnabled());
    }

    // Cancel, Esc and the close box all end the program, once, and store nothing.
    void leavingEndsTheProgram_data()
    {
        QTest::addColumn<QString>("way");
        QTest::addColumn<bool>("verifiedFirst");
        QTest::newRow("cancel") << "cancel" << false;
        QTest::newRow("cancel after a verified check") << "cancel" << true;
        QTest::newRow("escape") << "escape" << false;
        QTest::newRow("close box") << "close" << true;
    }
    void leavingEndsTheProgram()
    {
        QFETCH(QString, way);
        QFETCH(bool, verifiedFirst);
        if (verifiedFirst) {
            typeDetails(QStringLiteral("demo"), QStringLiteral("demo"));
            click(button("command_check"));
            QCOMPARE(verifyText(), Verified);
        }
        if (way == QLatin1String("cancel"))
            click(button("command_cancel"));
        else if (way == QLatin1String("escape"))
            QTest::keyClick(m_window, Qt::Key_Escape);
        else
            m_window->close();
        QVERIFY(!m_window->isVisible());
        QCOMPARE(m_env->endProgramCalls, QList<int>{0});
        QVERIFY(m_handOvers.isEmpty());
        QCOMPARE(m_env->store->ReadSettingText(QStringLiteral("site_username")), QString());
        m_window->close();
        QCOMPARE(m_env->endProgramCalls, QList<int>{0});
    }

    // Cancel while the site keeps the check waiting: the wait ends, the program ends, and
    // "Continue" was never on offer meanwhile.
    void cancelDuringACheck()
    {
        typeDetails(QStringLiteral("demo"), QStringLiteral("demo"));
        click(button("command_check"));
        QVERIFY(button("command_next")->isEnabled());

        m_site->misbehave(QStringLiteral("/bots.php"), SiteMisbehaviour::Stall);
        QStringList seen;
        QTimer poll;
        poll.setInterval(10);
        connect(&poll, &QTimer::timeout, this, [&] {
            if (m_site->requestsTo(QStringLiteral("/bots.php")).size() < 2)
                return;
            poll.stop();
            m_window->onTmrAniTick();
            seen << verifyText();
            seen << (button("command_next")->isEnabled() ? "continue offered" : "no continue");
            seen << (button("command_check")->isEnabled() ? "check enabled" : "check disabled");
            seen << (control<QTimer>(m_window, "tmr_ani")->isActive() ? "animating" : "still");
            click(button("command_cancel"));
        });
        poll.start();
        click(button("command_check"));
        QCOMPARE(seen, (QStringList{"Validating credentials.", "no continue", "check disabled",
                                    "animating"}));
        QCOMPARE(m_env->endProgramCalls, QList<int>{0});
        QVERIFY(!m_window->isVisible());
        QVERIFY(!control<QTimer>(m_window, "tmr_ani")->isActive());
        QVERIFY(!control<HttpTransfer>(m_window, "Inet1")->StillExecuting());
        QVERIFY(m_handOvers.isEmpty());
    }

    // Changing the details after a successful check withdraws "Continue": it would store
    // details nobody checked.
    void editingAfterSuccessWithdrawsContinue_data()
    {
        QTest::addColumn<QString>("box");
        QTest::newRow("user name") << "txtUserName";
        QTest::newRow("password") << "txtPassword";
    }
    void editingAfterSuccessWithdrawsContinue()
    {
        QFETCH(QString, box);
        typeDetails(QStringLiteral("demo"), QStringLiteral("demo"));
        click(button("command_check"));
        QVERIFY(button("command_next")->isEnabled());
        QTest::keyClick(control<QLineEdit>(m_window, qPrintable(box)), Qt::Key_X);
        QVERIFY(!button("command_next")->isEnabled());
        QVERIFY(button("command_check")->isDefault());
        QVERIFY(!tickShown());
        QCOMPARE(verifyText(), QStringLiteral("Please enter your username and password."));
        // A new check of the changed details decides again.
        QTest::keyClick(control<QLineEdit>(m_window, qPrintable(box)), Qt::Key_Backspace);
        click(button("command_check"));
        QVERIFY(button("command_next")->isEnabled());
        click(button("command_next"));
        QCOMPARE(m_handOvers, QStringList{"demo/ccjk"});
    }
};

QTEST_MAIN(TestFrmFirstRun)
#include "tst_frmfirstrun.moc"
