#pragma once

#include "TestEnv.h"

#include <QObject>

#include <memory>

// The base of a test class whose functions each need a fresh program folder, services and
// scripted dialogs. init() makes `env` (and sets the C locale), then starts what a harness
// base adds; cleanup() stops that, drops `env` and fails the test when the doubles found a
// problem (an unexpected box, an answer left over). A test class's own init() extends them by
// calling EnvTest::init() first, its cleanup() by closing what it opened and calling
// EnvTest::cleanup() last.
class EnvTest : public QObject
{
    Q_OBJECT

protected:
    // What a harness base (the whole program, say) builds on the environment for each test.
    virtual void startHarness() {}
    virtual void stopHarness() {}

    std::unique_ptr<TestEnv> env;

protected slots:
    void init();
    void cleanup();
};
