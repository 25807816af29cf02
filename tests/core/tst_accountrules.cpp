#include "account/AboutTexts.h"
#include "account/LoginDialogRules.h"
#include "core/Settings.h"
#include "platform/AppInfo.h"
#include "TestEnv.h"

#include <QtTest>
#include <QUrl>

class TestAccountRules : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnv> m_env;

private slots:
    void init() { m_env = std::make_unique<TestEnv>(); }
    void cleanup()
    {
        QCOMPARE(m_env->problems(), QString());
        m_env.reset();
    }

    // OK in the login dialog, starting from the stored details "old" / "secret". `answer` is
    // the Yes/No answer queued for the removal question ("" when none is expected).
    void loginOk_data()
    {
        QTest::addColumn<bool>("remove");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("answer");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("userAfter");
        QTest::addColumn<QString>("passwordAfter");
        QTest::newRow("new details") << false << "bob"
                                     << "pw"
                                     << "" << true << "bob (click to change)"
                                     << ""
                                     << "bob"
                                     << "pw";
        QTest::newRow("no user name") << false << ""
                                      << "pw"
                                      << "" << false << ""
                                      << "Please enter a username "
                                      << "old"
                                      << "secret";
        QTest::newRow("no password") << false << "bob"
                                     << ""
                                     << "" << false << ""
                                     << "Please enter a password "
                                     << "old"
                                     << "secret";
        QTest::newRow("both empty asks for the user name") << false << ""
                                                           << ""
                                                           << "" << false << ""
                                                           << "Please enter a username "
                                                           << "old"
                                                           << "secret";
        QTest::newRow("remove answered No") << true << "bob"
                                            << "pw"
                                            << "N" << false << ""
                                            << ""
                                            << "old"
                                            << "secret";
        QTest::newRow("remove answered Yes") << true << "bob"
                                             << "pw"
                                             << "Y" << true << "Not set (click to change)"
                                             << ""
                                             << ""
                                             << "";
        QTest::newRow("remove ignores the empty boxes")
            << true << ""
            << ""
            << "Y" << true << "Not set (click to change)"
            << ""
            << ""
            << "";
    }
    void loginOk()
    {
        QFETCH(QString, answer);
        QFETCH(QString, message);
        QFETCH(bool, remove);
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(bool, accepted);
        QFETCH(QString, caption);
        QFETCH(QString, userAfter);
        QFETCH(QString, passwordAfter);
        Settings settings;
        settings.SiteUserName = QStringLiteral("old");
        settings.SitePassword = QStringLiteral("secret");
        if (answer == QLatin1String("Y"))
            m_env->dialogs.answerYes();
        else if (answer == QLatin1String("N"))
            m_env->dialogs.answerNo();
        Dialogs *dialogs = &m_env->dialogs;
        const LoginDialogRules::Result result = LoginDialogRules::ok(
            settings, remove, user, password, [dialogs](const QString &question) {
                return dialogs->askYesNo(nullptr, AppInfo::Title, question, Dialogs::Question);
            });
        QCOMPARE(result.accepted, accepted);
        QCOMPARE(result.userCaption, caption);
        QCOMPARE(result.message, message);
        QCOMPARE(settings.SiteUserName, userAfter);
        QCOMPARE(settings.SitePassword, passwordAfter);
        if (!answer.isEmpty()) {
            const ScriptedDialogs::Shown box = m_env->dialogs.take();
            QCOMPARE(box.kind, QStringLiteral("yesno"));
            QCOMPARE(box.text, QStringLiteral("By removing your login details you will no longer "
                                              "be able to use Pollwick.\r\nAre you sure?"));
        }
    }

    void userCaption_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("caption");
        QTest::newRow("a name") << "demo"
                                << "demo (click to change)";
        QTest::newRow("no name") << ""
                                 << "Not set (click to set)";
    }
    void userCaption()
    {
        QFETCH(QString, user);
        QFETCH(QString, caption);
        QCOMPARE(LoginDialogRules::userCaption(user), caption);
    }

    void aboutTexts()
    {
        QCOMPARE(AboutTexts::caption(), QStringLiteral("About Pollwick"));
        QCOMPARE(AboutTexts::title(), QStringLiteral("Pollwick"));
        QCOMPARE(AboutTexts::version(), QStringLiteral("Version 1.3  Build 512"));
        const QUrl home(AboutTexts::homePage());
        QVERIFY(home.isValid());
        QCOMPARE(home.scheme(), QStringLiteral("https"));
        QVERIFY(AboutTexts::legalNotice().contains(QStringLiteral("Pollwick")));
        QCOMPARE(
            AboutTexts::internalBuildNote(),
            QStringLiteral("This is an internal build and is not intended for public release."));
    }
};

QTEST_GUILESS_MAIN(TestAccountRules)
#include "tst_accountrules.moc"
