#pragma once

#include "MainWindowHarness.h"
#include "notify/frmSummary.h"
#include "notify/FrmVSPopUp.h"
#include "notify/NotifyWindows.h"

#include <QFile>

// The whole program with the member demo stored, for the notification tests: started the way
// the user starts it, with its notification windows at hand. Controls are found by their
// object names.
class NotifyTestApp : public MainWindowHarness
{
public:
    explicit NotifyTestApp(TestEnv &testEnv) : MainWindowHarness(testEnv) { storeUser(); }

    // Starts the program; with a stored lastparsed it starts hidden and checks at once.
    PollwickApp::LoadEnd start()
    {
        makeApp();
        return app->start();
    }

    frmMain *main() const { return window(); }
    NotifyWindows &notify() { return app->notifyWindows(); }
    FrmVSPopUp *popup() { return notify().popup(); }
    frmSummary *summary() { return notify().summary(); }

    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    static QByteArray readFile(const QString &path) { return TestEnv::readFile(path); }

    // A visible top-level window with that object name, or null.
    static QWidget *openWindow(const QString &name)
    {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (w->objectName() == name && w->isVisible())
                return w;
        }
        return nullptr;
    }
    template <typename T> static T *child(QWidget *window, const char *name)
    {
        T *w = window ? window->findChild<T *>(QString::fromLatin1(name)) : nullptr;
        if (!w)
            qFatal("no control %s", name);
        return w;
    }
};

// The base of a test class that drives the program with the member demo stored: `t` for each
// test function.
class NotifyTest : public EnvTest
{
protected:
    void startHarness() override { t = std::make_unique<NotifyTestApp>(*env); }
    void stopHarness() override { t.reset(); }

    std::unique_ptr<NotifyTestApp> t;
};
