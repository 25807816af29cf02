#pragma once

#include "core/DebugLog.h"
#include "Fakes.h"
#include "platform/ScreenMetrics.h"
#include "platform/Services.h"
#include "platform/SettingsStore.h"
#include "platform/SiteWait.h"
#include "platform/StoredPassword.h"
#include "ScriptedDialogs.h"

#include <QNetworkAccessManager>
#include <QTemporaryDir>

#include <memory>

// A fresh program folder, settings store and set of test doubles for one test. Sets
// POLLWICK_HOME and XDG_CONFIG_HOME to the temporary folder and clears POLLWICK_SITE_URL for
// its lifetime; restores nothing else. Build one in init(), check problems() in cleanup().
class TestEnv
{
public:
    TestEnv();
    ~TestEnv();

    // Path of a file in the program folder.
    QString file(const QString &name) const { return services.config.programFile(name); }
    QString folder() const { return services.config.programFolder(); }

    // Points the program at a site (sets POLLWICK_SITE_URL).
    void useSite(const QString &baseUrl);

    // Problems found by the doubles (unexpected boxes, unused answers); empty when clean.
    QString problems() const;

    // The debug log's lines without their time.
    QStringList messages() const;
    // A file's bytes, or "<missing>" when it cannot be read.
    static QByteArray readFile(const QString &path);

    QTemporaryDir dir;
    FakeClock clock;
    ScriptedDialogs dialogs;
    RecordingShell shell;
    RecordingSound sound;
    FakeProcessList processes;
    FixedScreenMetrics screen;
    RecordingNotifier notifier;
    QNetworkAccessManager network;
    std::unique_ptr<SettingsStore> store;
    std::unique_ptr<SiteWait> siteWait;
    std::unique_ptr<DebugLog> log;
    // Without a keyring: the settings file keeps the password.
    std::unique_ptr<StoredPassword> sitePassword;
    std::unique_ptr<StoredPassword> qbittorrentPassword;
    std::unique_ptr<StoredPassword> transmissionPassword;
    Services services;
    QList<int> endProgramCalls;
};
