#pragma once

#include "core/frmMain.h"
#include "core/PollwickApp.h"
#include "core/TrayIcon.h"
#include "download/frmDownload.h"
#include "EnvTest.h"
#include "feed/FeedCheck.h"
#include "model/ProgramState.h"
#include "platform/PasswordScramble.h"
#include "platform/SettingsStore.h"
#include "platform/WholeFiles.h"
#include "TestSite.h"
#include "WidgetFinder.h"

#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QTest>

#include <memory>

// The whole program for one test in a test's environment (EnvTest's `env`): the test site
// (the program's site address points at it), and the application with its main window,
// driven through objectNames. Build one in init(), drop it in cleanup() before the environment.
class MainWindowHarness
{
public:
    explicit MainWindowHarness(TestEnv &testEnv) : env(testEnv) { env.useSite(site.baseUrl()); }
    ~MainWindowHarness() { app.reset(); }

    bool ready() const { return site.isListening(); }

    void makeApp(const QStringList &arguments = {"/usr/bin/pollwick"})
    {
        app = std::make_unique<PollwickApp>(env.services, arguments);
        app->trayIcon().setAvailabilityProbe([] { return false; });
    }

    // The details of the site's demo member, as the first-run wizard stores them.
    void storeUser(const QString &user = QStringLiteral("demo"))
    {
        env.store->WriteSettingText("appbuild", "512");
        env.store->WriteSettingText("site_username", user);
        env.store->WriteSettingText("site_password", ScrambleText(site.password()));
    }

    // A first start with a stored user: the options window shows and the first check has run.
    PollwickApp::LoadEnd startShown()
    {
        storeUser();
        makeApp();
        return app->start();
    }

    frmMain *window() const { return app ? app->mainWindow() : nullptr; }
    ProgramState &state() { return app->state(); }
    template <typename T> T *control(const char *name) const
    {
        return WidgetFinder::control<T>(window(), name);
    }

    QStringList messages() const { return env.messages(); }

    QString filtersDat() const { return ReadTextFile(env.file(QStringLiteral("filters.dat"))); }

    // Download windows open right now (an automatic download opens one, minimised).
    static int downloadWindows() { return int(WidgetFinder::shownWindows<frmDownload>().size()); }

    // Clicks the entries of a menu on show, one level after the other ("Change Action",
    // "Notify"): each click on a submenu entry opens that submenu.
    static void chooseFromMenu(QMenu *menu, const QStringList &path)
    {
        for (const QString &caption : path) {
            QVERIFY2(menu && menu->isVisible(), qPrintable("no menu on show for " + caption));
            QAction *entry = nullptr;
            for (QAction *a : menu->actions()) {
                if (a->text() == caption)
                    entry = a;
            }
            QVERIFY2(entry, qPrintable("no menu entry " + caption));
            QMenu *sub = entry->menu();
            QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier,
                              menu->actionGeometry(entry).center());
            if (sub)
                QTRY_VERIFY(sub->isVisible());
            menu = sub;
        }
    }

    TestEnv &env;
    TestSite site;
    std::unique_ptr<PollwickApp> app;
};

// The base of a test class that drives the whole program: `m` for each test function.
class MainWindowTest : public EnvTest
{
protected:
    void startHarness() override
    {
        m = std::make_unique<MainWindowHarness>(*env);
        QVERIFY(m->ready());
    }
    void stopHarness() override { m.reset(); }

    std::unique_ptr<MainWindowHarness> m;
};
