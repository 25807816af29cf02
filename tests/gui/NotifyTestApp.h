#pragma once

#include "core/frmMain.h"
#include "core/PollwickApp.h"
#include "core/TrayIcon.h"
#include "EnvTest.h"
#include "notify/frmSummary.h"
#include "notify/FrmVSPopUp.h"
#include "notify/NotifyWindows.h"
#include "platform/SettingsStore.h"
#include "platform/TextUtils.h"
#include "TestSite.h"

#include <QApplication>
#include <QFile>
#include <QTest>
#include <QWidget>

#include <memory>

// The program against the local test site for the notification tests, in a test's environment
// (EnvTest's `env`): the member demo stored, and the application started the way the user
// starts it. Controls are found by their object names. Dropped before the environment.
class NotifyTestApp
{
public:
    explicit NotifyTestApp(TestEnv &testEnv) : env(&testEnv)
    {
        site = std::make_unique<TestSite>();
        env->useSite(site->baseUrl());
        env->store->WriteSettingText("appbuild", "512");
        env->store->WriteSettingText("site_username", "demo");
        env->store->WriteSettingText("site_password", ScrambleText("demo"));
    }
    ~NotifyTestApp()
    {
        app.reset();
        site.reset();
    }

    // Starts the program; with a stored lastparsed it starts hidden and checks at once.
    PollwickApp::LoadEnd start()
    {
        app = std::make_unique<PollwickApp>(env->services, QStringList{"/usr/bin/pollwick"});
        app->trayIcon().setAvailabilityProbe([] { return false; });
        return app->start();
    }

    frmMain *main() const { return app ? app->mainWindow() : nullptr; }
    ProgramState &state() { return app->state(); }
    NotifyWindows &notify() { return app->notifyWindows(); }
    FrmVSPopUp *popup() { return notify().popup(); }
    frmSummary *summary() { return notify().summary(); }

    static void writeFile(const QString &path, const QByteArray &bytes)
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    static QByteArray readFile(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

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

    // Log lines without their time.
    QStringList messages() const
    {
        QStringList out;
        for (const QString &line : env->log->lines())
            out << line.mid(line.indexOf(") ") + 2);
        return out;
    }

    TestEnv *env;
    std::unique_ptr<TestSite> site;
    std::unique_ptr<PollwickApp> app;
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
