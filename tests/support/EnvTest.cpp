#include "EnvTest.h"

#include <QLocale>
#include <QTest>

void EnvTest::init()
{
    QLocale::setDefault(QLocale::c());
    env = std::make_unique<TestEnv>();
    startHarness();
}

void EnvTest::cleanup()
{
    stopHarness();
    const QString problems = env ? env->problems() : QString();
    env.reset();
    QCOMPARE(problems, QString());
}
