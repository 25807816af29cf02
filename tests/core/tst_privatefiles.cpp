#include "account/AvatarFile.h"
#include "account/ProfileCache.h"
#include "core/OptionsStore.h"
#include "EnvTest.h"
#include "model/Settings.h"
#include "platform/PasswordScramble.h"
#include "platform/PrivateFiles.h"
#include "platform/StoredPassword.h"
#include "platform/WholeFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

#include <sys/stat.h>

// The member's password survives the settings file whatever it holds, and the files that hold
// the member's details are the user's alone.
class TestPrivateFiles : public EnvTest
{
    Q_OBJECT

    // The mode bits ls shows, as a number: 0600, 0755...
    static int mode(const QString &path)
    {
        struct stat st
        {
        };
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 0777) : -1;
    }
    StoredPassword kept() const
    {
        return StoredPassword("site_password", "password_in_keyring", *env->store, nullptr,
                              *env->log);
    }
    // What a later start reads back.
    QString readBack() const
    {
        StoredPassword later = kept();
        later.load();
        return later.password();
    }

private slots:
    void initTestCase() { ::umask(022); }

    // Every Latin-1 character at every position from 1 to 255 comes back from the settings file
    // as it was stored, NUL bytes of the scramble (a character equal to its position) included.
    void everyCharacterAtEveryPosition()
    {
        for (int code = 0; code < 256; ++code) {
            const QString password(255, QChar(code));
            bool stored = false;
            kept().store(password, [&](bool ok) { stored = ok; });
            QVERIFY(stored);
            QVERIFY2(readBack() == password, qPrintable(QString::number(code)));
        }
    }

    // Passwords whose scramble holds NUL bytes, stored by the older store (whose text values
    // could hold them too), read back whole; other text values are still cut at a NUL. (Stored
    // by this store: everyCharacterAtEveryPosition.)
    void scrambleWithNulBytes_data()
    {
        QTest::addColumn<QString>("password");
        QTest::newRow("blank at 32 of 40") << QString(31, 'x') + ' ' + QString(8, 'y');
        QTest::newRow("0 at 48") << QString(47, 'a') + '0';
        QTest::newRow("A at 65 of 255") << QString(64, 'b') + 'A' + QString(190, 'c');
        QTest::newRow("one character, NUL at 1") << QString(QChar(1));
    }
    void scrambleWithNulBytes()
    {
        QFETCH(QString, password);
        QVERIFY(env->store->WriteSettingText("site_password", ScrambleText(password)));
        QVERIFY(env->store->ReadSettingBytes("site_password").contains('\0'));
        QVERIFY(env->store->ReadSettingText("site_password").size() < password.size());
        QCOMPARE(readBack(), password);
    }

    // At the usual umask the files with the member's details are created 0600 and the folders
    // the program creates 0700; the torrent folder keeps the umask.
    void createdPrivate()
    {
        const QString home = env->dir.filePath("new/Pollwick");
        const AppConfig config = AppConfig::inFolder(home);
        QCOMPARE(mode(config.programFolder()), 0700);
        QCOMPARE(mode(env->dir.filePath("new")), 0755);
        SettingsStore store(env->dir.filePath("config/Pollwick/settings.reg"), QString());
        QVERIFY(store.WriteSettingNumber("interval", 600));
        QCOMPARE(mode(store.filePath()), 0600);
        QCOMPARE(mode(env->dir.filePath("config/Pollwick")), 0700);

        QVERIFY(ProfileCache::write(config.programFile("profile.cache"), "demo", 1, {}));
        QCOMPARE(mode(config.programFile("profile.cache")), 0600);
        AvatarFile avatar(config.programFile("avatar.img"));
        QVERIFY(avatar.open() && avatar.write("GIF89a") && avatar.commit());
        QCOMPARE(mode(config.programFile("avatar.img")), 0600);

        Settings settings;
        OptionsStore(*env->store, env->services.config, *env->log, *env->sitePassword)
            .load(settings);
        QCOMPARE(mode(settings.TorrentFolder), 0755);
    }

    // At start, each of the private files that others may open becomes 0600, with a line for
    // the log; one that is private already, and the folders, stay as they are.
    void openFilesTightenedAtStart_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("before");
        QTest::addColumn<int>("after");
        for (const char *name :
             {"settings.reg", "settings.reg.bad", "udata.temp", "profile.cache", "avatar.img"}) {
            QTest::addRow("%s 0644", name) << QString(name) << 0644 << 0600;
            QTest::addRow("%s 0602", name) << QString(name) << 0602 << 0600;
        }
        QTest::newRow("settings.reg 0600") << "settings.reg" << 0600 << 0600;
        QTest::newRow("settings.reg 0400") << "settings.reg" << 0400 << 0400;
        QTest::newRow("filters.dat 0644, not private") << "filters.dat" << 0644 << 0644;
    }
    void openFilesTightenedAtStart()
    {
        QFETCH(QString, name);
        QFETCH(int, before);
        QFETCH(int, after);
        const QString path = env->file(name);
        QVERIFY(ReplaceFileAtomically(path, "REGEDIT4\r\n"));
        QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode_t(before)), 0);
        QCOMPARE(::chmod(QFile::encodeName(env->folder()).constData(), 0755), 0);
        const QStringList lines = PrivateFiles::tightenStoredFiles(env->services.config);
        QCOMPARE(mode(path), after);
        QCOMPARE(mode(env->folder()), 0755);
        if (before == after) {
            QVERIFY(lines.isEmpty());
            return;
        }
        QCOMPARE(lines, QStringList{name + QString(" could be opened by other users (0%1); it is "
                                                   "now yours alone (0600).")
                                               .arg(before, 3, 8, QChar('0'))});
    }
};

QTEST_GUILESS_MAIN(TestPrivateFiles)
#include "tst_privatefiles.moc"
