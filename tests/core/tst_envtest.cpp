#include "EnvTest.h"

#include <QtTest>

// The fixture every test file builds on: what cleanup() does must hold, or every test that
// relies on it would pass with problems unseen.
class Probe : public EnvTest
{
public:
    using EnvTest::cleanup;
    using EnvTest::env;
    using EnvTest::init;
    QStringList calls;

protected:
    void startHarness() override { calls << (env ? "start" : "start without env"); }
    void stopHarness() override { calls << (env ? "stop" : "stop without env"); }
};

class TestEnvTest : public QObject
{
    Q_OBJECT

private slots:
    // The harness runs inside the environment, and each test gets a fresh one.
    void harnessInsideTheEnvironment()
    {
        Probe p;
        p.init();
        const QString folder = p.env->folder();
        p.cleanup();
        QVERIFY(!p.env && !QFileInfo::exists(folder));
        QCOMPARE(p.calls, (QStringList{"start", "stop"}));
    }

    // An answer nobody asked for fails the test in cleanup().
    void problemsFailTheTest()
    {
        Probe p;
        p.init();
        p.env->dialogs.answerYes();
        QEXPECT_FAIL("", "the scripted answer was never used", Continue);
        p.cleanup();
        QVERIFY(!p.env);
    }
};

QTEST_MAIN(TestEnvTest)
#include "tst_envtest.moc"
