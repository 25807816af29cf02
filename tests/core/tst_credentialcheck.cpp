#include "account/CredentialCheck.h"
#include "platform/HttpTransfer.h"
#include "platform/TextUtils.h"
#include "TestEnv.h"
#include "TestSite.h"

#include <QSignalSpy>
#include <QTimer>
#include <QtTest>

class TestCredentialCheck : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestEnv> m_env;
    std::unique_ptr<TestSite> m_site;

private slots:
    void init()
    {
        m_env = std::make_unique<TestEnv>();
        m_site = std::make_unique<TestSite>();
        QVERIFY(m_site->isListening());
        m_env->useSite(m_site->baseUrl());
    }
    void cleanup()
    {
        QCOMPARE(m_env->problems(), QString());
        m_site.reset();
        m_env.reset();
    }

    void classify_data()
    {
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("verified");
        QTest::addColumn<QString>("text");
        const QString shown = QStringLiteral("Validating credentials..");
        QTest::newRow("magic alone") << "#PWKF12#" << true << "Success. Login details verified.";
        QTest::newRow("reason 3, any separator")
            << "Unauthorised 3" << false << "Failed. Your account is disabled.";
        QTest::newRow("character 13 is never read")
            << "Unauthorised21" << false
            << "Failed. Invalid username entered. Please check and try again.";
        QTest::newRow("unknown reason") << "Unauthorised:9" << false << shown;
        QTest::newRow("no reason") << "Unauthorised" << false << shown;
        QTest::newRow("old magic")
            << "#PWKF" << false << "Failed. Feed wrong version. You may need to update Pollwick";
        QTest::newRow("html")
            << "<html>busy</html>" << false
            << "Failed. Bad data returned from site. The site may be offline or busy.";
        QTest::newRow("case matters")
            << "unauthorised:1" << false
            << "Failed. Bad data returned from site. The site may be offline or busy.";
        QTest::newRow("leading blank")
            << " #PWKF12#" << false
            << "Failed. Bad data returned from site. The site may be offline or busy.";
    }
    void classify()
    {
        QFETCH(QString, reply);
        QFETCH(bool, verified);
        QFETCH(QString, text);
        const CredentialCheck::Outcome out =
            CredentialCheck::classify(reply, QStringLiteral("Validating credentials.."));
        QCOMPARE(out.verified, verified);
        QCOMPARE(out.text, text);
    }

    // A check against the test site. setup: "status 3"/"status 4" changes the demo member,
    // "script X" has the site answer X once.
    void againstSite_data()
    {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<QString>("setup");
        QTest::addColumn<bool>("verified");
        QTest::addColumn<QString>("text");
        QTest::newRow("verified") << "demo"
                                  << "demo"
                                  << "" << true << "Success. Login details verified.";
        QTest::newRow("unknown user")
            << "nobody"
            << "demo"
            << "" << false << "Failed. Invalid username entered. Please check and try again.";
        QTest::newRow("wrong password")
            << "demo"
            << "dem0"
            << "" << false << "Failed. Incorrect password entered. Please check and try again.";
        QTest::newRow("disabled") << "demo"
                                  << "demo"
                                  << "status 3" << false << "Failed. Your account is disabled.";
        QTest::newRow("not a power user")
            << "demo"
            << "demo"
            << "status 4" << false << "Failed. You must be a Power User or above to use Pollwick.";
        QTest::newRow("unknown reason digit")
            << "demo"
            << "demo"
            << "script Unauthorised:7" << false << "Validating credentials";
        QTest::newRow("another feed version")
            << "demo"
            << "demo"
            << "script #PWKF11#\r\n\r\n"
            << false << "Failed. Feed wrong version. You may need to update Pollwick";
        QTest::newRow("empty reply")
            << "demo"
            << "demo"
            << "script " << false
            << "Failed. Bad data returned from site. The site may be offline or busy.";
        QTest::newRow("two characters are enough")
            << "de"
            << "demo"
            << "" << false << "Failed. Invalid username entered. Please check and try again.";
    }
    void againstSite()
    {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(QString, setup);
        QFETCH(bool, verified);
        QFETCH(QString, text);
        if (setup == QLatin1String("status 3"))
            m_site->demoUser().status = SiteUser::Status::Disabled;
        else if (setup == QLatin1String("status 4"))
            m_site->demoUser().status = SiteUser::Status::NotPowerUser;
        else if (setup.startsWith(QLatin1String("script ")))
            m_site->scriptReply(QStringLiteral("/bots.php"), setup.mid(7).toLatin1());

        HttpTransfer transfer(&m_env->network);
        CredentialCheck check(&transfer);
        QSignalSpy texts(&check, &CredentialCheck::textChanged);
        const CredentialCheck::Outcome out = check.check(user, password);
        QVERIFY(out.asked);
        QCOMPARE(out.verified, verified);
        QCOMPARE(out.text, text);
        QCOMPARE(check.text(), out.text);
        QVERIFY(!check.isChecking());
        QCOMPARE(texts.first().first().toString(), QStringLiteral("Validating credentials"));
        const QList<SiteRequest> requests = m_site->requestsTo(QStringLiteral("/bots.php"));
        QCOMPARE(requests.size(), 1);
        QCOMPARE(QString::fromLatin1(requests.first().target),
                 QStringLiteral("/bots.php?limit=1&&u=%1&p=%2&v=11").arg(user, password));
    }

    void oneCharacterUserAsksNothing()
    {
        HttpTransfer transfer(&m_env->network);
        CredentialCheck check(&transfer);
        const CredentialCheck::Outcome out =
            check.check(QStringLiteral("d"), QStringLiteral("demo"));
        QVERIFY(!out.asked);
        QVERIFY(!out.verified);
        QCOMPARE(out.text,
                 QStringLiteral("Failed. Invalid username entered. Please check and try again."));
        QCOMPARE(check.check(QString(), QStringLiteral("demo")).asked, false);
        QVERIFY(m_site->requests().isEmpty());
    }

    // Letters and digits go as typed; "&", "#", "+", "%" and blanks are encoded, so the site
    // reads the password the member chose.
    void specialCharactersReachTheSite()
    {
        const QString user = QStringLiteral("mary ann");
        const QString password = QStringLiteral("p&ss#w+rd%20=x");
        m_site->catalogue().addUser(user, password);
        HttpTransfer transfer(&m_env->network);
        CredentialCheck check(&transfer);
        const CredentialCheck::Outcome out = check.check(user, password);
        QVERIFY(out.verified);
        QCOMPARE(QString::fromLatin1(m_site->lastRequest().target),
                 QStringLiteral("/bots.php?limit=1&&u=mary+ann&p=p%26ss%23w%2Brd%2520%3Dx&v=11"));
        QCOMPARE(CredentialCheck::testUrl(QStringLiteral("Ab9"), QStringLiteral("Zz0")),
                 m_site->baseUrl() + QStringLiteral("/bots.php?limit=1&&u=Ab9&p=Zz0&v=11"));
    }

    void animation()
    {
        HttpTransfer transfer(&m_env->network);
        CredentialCheck check(&transfer);
        QStringList shown;
        for (int i = 0; i < 5; ++i)
            shown << check.onTmrAniTick();
        QCOMPARE(shown, (QStringList{"Validating credentials.", "Validating credentials..",
                                     "Validating credentials...", "Validating credentials....",
                                     "Validating credentials."}));
        // A new check starts again from one dot.
        check.check(QStringLiteral("demo"), QStringLiteral("demo"));
        QCOMPARE(check.onTmrAniTick(), QStringLiteral("Validating credentials."));
    }

    // The animation keeps running while the reply drips in; an unknown reason keeps whatever
    // it showed last.
    void unknownReasonKeepsTheAnimationText()
    {
        m_site->scriptReply(QStringLiteral("/bots.php"), QByteArray("Unauthorised:x"));
        HttpTransfer transfer(&m_env->network);
        CredentialCheck check(&transfer);
        QTimer tmrAni;
        tmrAni.setInterval(0);
        connect(&tmrAni, &QTimer::timeout, &check, [&check] { check.onTmrAniTick(); });
        QSignalSpy texts(&check, &CredentialCheck::textChanged);
        tmrAni.start();
        const CredentialCheck::Outcome out =
            check.check(QStringLiteral("demo"), QStringLiteral("demo"));
        tmrAni.stop();
        QVERIFY(!out.verified);
        QVERIFY(texts.size() >= 2);
        QCOMPARE(out.text, texts.at(texts.size() - 2).first().toString());
        QVERIFY(out.text.startsWith(QStringLiteral("Validating credentials")));
    }

    void storeCredentials()
    {
        QVERIFY(CredentialCheck::storeCredentials(m_env->store.get(), QStringLiteral("demo"),
                                                  QStringLiteral("demo")));
        QCOMPARE(m_env->store->ReadSettingText(QStringLiteral("site_username")),
                 QStringLiteral("demo"));
        // Each character moved down by its position: d-1, e-2, m-3, o-4.
        QCOMPARE(m_env->store->ReadSettingText(QStringLiteral("site_password")),
                 QStringLiteral("ccjk"));
    }
};

QTEST_GUILESS_MAIN(TestCredentialCheck)
#include "tst_credentialcheck.moc"
