#include "account/CredentialCheck.h"
#include "EnvTest.h"
#include "platform/HttpTransfer.h"
#include "TestSite.h"

#include <QtTest>

// The credential test's address and animation; its reading of the site's answers is
// tst_frmfirstrun's.
class TestCredentialCheck : public EnvTest
{
    Q_OBJECT

private slots:
    // Only letters and digits go as typed; the animation's dots start again with each check.
    void specialCharactersReachTheSite()
    {
        TestSite site;
        env->useSite(site.baseUrl());
        site.catalogue().addUser("mary ann", "p&ss#w+rd%20=x");
        HttpTransfer transfer(&env->network);
        CredentialCheck check(&transfer);
        QStringList shown;
        for (int i = 0; i < 9; ++i)
            shown << check.onTmrAniTick().mid(22);
        QCOMPARE(shown, (QStringList{".", "..", "...", "....", ".", "..", "...", "....", "."}));
        QVERIFY(check.check("mary ann", "p&ss#w+rd%20=x").verified);
        QCOMPARE(check.onTmrAniTick(), QStringLiteral("Validating credentials."));
        QCOMPARE(QString::fromLatin1(site.lastRequest().target),
                 QStringLiteral("/bots.php?limit=1&&u=mary+ann&p=p%26ss%23w%2Brd%2520%3Dx&v=11"));
    }
};

QTEST_GUILESS_MAIN(TestCredentialCheck)
#include "tst_credentialcheck.moc"
