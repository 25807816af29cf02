#include "platform/RegFile.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <sys/resource.h>

class TestSettingsStore : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir *m_dir = nullptr;
    SettingsStore *m_store = nullptr;
    QString regPath() const { return m_dir->filePath(QStringLiteral("settings.reg")); }
    QString autostartPath() const { return m_dir->filePath(QStringLiteral("autostart/Pollwick.desktop")); }
    QByteArray fileBytes() const
    {
        QFile f(regPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writeFile(const QByteArray &bytes)
    {
        QFile f(regPath());
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    static constexpr auto HKCU = SettingsStore::HKEY_CURRENT_USER;

private slots:
    void init()
    {
        m_dir = new QTemporaryDir;
        m_store = new SettingsStore(regPath(), autostartPath());
    }
    void cleanup()
    {
        delete m_store;
        delete m_dir;
    }

    void missingValuesReadEmptyAndCreateNothing()
    {
        QCOMPARE(m_store->ReadSettingText(QStringLiteral("lastparsed")), QString());
        QCOMPARE(m_store->ReadSettingNumber(QStringLiteral("interval")), qint16(0));
        QCOMPARE(m_store->RegReadText(HKCU, QStringLiteral("Software\\Other"), QStringLiteral("x")),
                 QString());
        QVERIFY(!QFile::exists(regPath()));
    }

    void textAndNumberRoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("plain") << QStringLiteral("512");
        QTest::newRow("empty") << QString();
        QTest::newRow("quotes and backslashes") << QStringLiteral("C:\\a \"b\"\\");
        QTest::newRow("latin1") << QString::fromLatin1("caf\xe9 \xff");
        QTest::newRow("line breaks") << QStringLiteral("a\r\nb");
        QTest::newRow("scrambled password") << QString::fromLatin1("\x01\x7f\x80 =[]", 7);
    }
    void textAndNumberRoundTrip()
    {
        QFETCH(QString, text);
        QVERIFY(m_store->WriteSettingText(QStringLiteral("value"), text));
        QCOMPARE(m_store->ReadSettingText(QStringLiteral("value")), text);
        // A fresh store over the same file reads the same.
        SettingsStore again(regPath(), autostartPath());
        QCOMPARE(again.ReadSettingText(QStringLiteral("VALUE")), text);
    }

    void numbersAreSixteenBitSignExtended_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("minus one") << -1 << QByteArray("dword:ffffffff");
        QTest::newRow("600") << 600 << QByteArray("dword:00000258");
        QTest::newRow("largest") << 32767 << QByteArray("dword:00007fff");
        QTest::newRow("smallest") << -32768 << QByteArray("dword:ffff8000");
        QTest::newRow("zero") << 0 << QByteArray("dword:00000000");
    }
    void numbersAreSixteenBitSignExtended()
    {
        QFETCH(int, number);
        QFETCH(QByteArray, stored);
        QVERIFY(m_store->WriteSettingNumber(QStringLiteral("n"), qint16(number)));
        QVERIFY2(fileBytes().contains("\"n\"=" + stored), fileBytes().constData());
        QCOMPARE(m_store->ReadSettingNumber(QStringLiteral("n")), qint16(number));
    }

    void handEditedNumbersAreTruncatedToSixteenBits()
    {
        writeFile("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Pollwick]\r\n"
                  "\"big\"=dword:00012345\r\n");
        QCOMPARE(m_store->ReadSettingNumber(QStringLiteral("big")), qint16(0x2345));
        QCOMPARE(m_store->RegReadNumber(HKCU, SettingsStore::ProgramKey(), QStringLiteral("big")),
                 0x12345);
    }

    void typesDoNotCross()
    {
        writeFile("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Pollwick]\r\n"
                  "\"text\"=\"42\"\r\n"
                  "\"num\"=dword:0000002a\r\n"
                  "\"expand\"=hex(2):25,00\r\n"
                  "\"binary\"=hex:01,02\r\n");
        QCOMPARE(m_store->ReadSettingNumber(QStringLiteral("text")), qint16(0));
        QCOMPARE(m_store->ReadSettingText(QStringLiteral("num")), QString());
        QCOMPARE(m_store->ReadSettingText(QStringLiteral("expand")), QString());
        QCOMPARE(m_store->ReadSettingNumber(QStringLiteral("expand")), qint16(0));
        QCOMPARE(m_store->ReadSettingText(QStringLiteral("binary")), QString());
        // Values of other types survive a rewrite as they were.
        QVERIFY(m_store->WriteSettingText(QStringLiteral("new"), QStringLiteral("x")));
        QVERIFY(fileBytes().contains("\"expand\"=hex(2):25,00\r\n"));
        QVERIFY(fileBytes().contains("\"binary\"=hex:01,02\r\n"));
    }

    void nulCutsText()
    {
        const QString withNul = QStringLiteral("ab") + QChar(0) + QStringLiteral("cd");
        QVERIFY(m_store->WriteSettingText(QStringLiteral("cut"), withNul));
        QCOMPARE(m_store->ReadSettingText(QStringLiteral("cut")), QStringLiteral("ab"));
        QVERIFY(fileBytes().contains("\"cut\"=hex(1):61,62,00,63,64\r\n"));
    }

    void fileFormatIsRegedit4()
    {
        QVERIFY(m_store->WriteSettingText(QStringLiteral("appbuild"), QStringLiteral("512")));
        QVERIFY(m_store->WriteSettingNumber(QStringLiteral("interval"), 600));
        QCOMPARE(fileBytes(), QByteArray("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Pollwick]\r\n"
                                         "\"appbuild\"=\"512\"\r\n"
                                         "\"interval\"=dword:00000258\r\n\r\n"));
        QVERIFY(m_store->WriteSettingText(QStringLiteral("APPBUILD"), QStringLiteral("513")));
        QVERIFY(fileBytes().contains("\"appbuild\"=\"513\"\r\n"));
        QVERIFY(!fileBytes().contains("APPBUILD"));
    }

    void keyPathsCompareWithoutCase()
    {
        QVERIFY(m_store->RegWriteText(HKCU, QStringLiteral("Software\\pollwick"),
                                      QStringLiteral("a"), QStringLiteral("1")));
        QCOMPARE(m_store->ReadSettingText(QStringLiteral("a")), QStringLiteral("1"));
        QCOMPARE(RegFile::parse(fileBytes()).keys().size(), 1);
        // The upgrade deletes "Software\Pollwick"; that is the program key.
        m_store->RegDeleteKeyPath(HKCU, QStringLiteral("Software\\Pollwick"));
        QCOMPARE(m_store->ReadSettingText(QStringLiteral("a")), QString());
    }

    void deletingWhatIsMissingIsSilent()
    {
        m_store->RegDeleteValueName(HKCU, SettingsStore::ProgramKey(), QStringLiteral("none"));
        m_store->RegDeleteKeyPath(HKCU, SettingsStore::ProgramKey());
        QVERIFY(!QFile::exists(regPath()));
        QVERIFY(m_store->WriteSettingText(QStringLiteral("keep"), QStringLiteral("k")));
        QVERIFY(m_store->WriteSettingText(QStringLiteral("drop"), QStringLiteral("d")));
        m_store->RegDeleteValueName(HKCU, SettingsStore::ProgramKey(), QStringLiteral("DROP"));
        m_store->RegDeleteValueName(HKCU, SettingsStore::ProgramKey(), QStringLiteral("drop"));
        QCOMPARE(m_store->ReadSettingText(QStringLiteral("drop")), QString());
        QCOMPARE(m_store->ReadSettingText(QStringLiteral("keep")), QStringLiteral("k"));
    }

    void handEditedFileWithOddLinesLoads()
    {
        writeFile("REGEDIT4\n"
                  "; a comment\n"
                  "garbage line without meaning\n"
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Pollwick]\n"
                  "\"site_username\"=\"not this one\"\n"
                  "[HKEY_CURRENT_USER\\SOFTWARE\\Pollwick]\n"
                  "\"site_username\"=\"jo \\\"the\\\" user\"\n"
                  "\"broken\"=\"no closing quote\n"
                  "\"noequals\" \"x\"\n"
                  "\"interval\"=dword:zz\n"
                  "  \"torrentpath\" = \"/home/jo/torrents/\"  \n"
                  "\"long\"=hex(1):61,62,\\\n"
                  "  63,00\n"
                  "[HKEY_CURRENT_USER\\SOFTWARE\\Pollwick\n"
                  "\"lastparsed\"=\"700123\"\n");
        QCOMPARE(m_store->ReadSettingText(QStringLiteral("site_username")),
                 QStringLiteral("jo \"the\" user"));
        QCOMPARE(m_store->ReadSettingText(QStringLiteral("torrentpath")),
                 QStringLiteral("/home/jo/torrents/"));
        QCOMPARE(m_store->ReadSettingText(QStringLiteral("long")), QStringLiteral("abc"));
        QCOMPARE(m_store->ReadSettingNumber(QStringLiteral("interval")), qint16(0));
        QCOMPARE(m_store->ReadSettingText(QStringLiteral("broken")), QString());
        // A write keeps every good value.
        QVERIFY(m_store->WriteSettingNumber(QStringLiteral("interval"), 300));
        QCOMPARE(m_store->ReadSettingText(QStringLiteral("site_username")),
                 QStringLiteral("jo \"the\" user"));
        QCOMPARE(m_store->ReadSettingText(QStringLiteral("long")), QStringLiteral("abc"));
    }

    void failedProgramKeyWriteIsReported()
    {
        // The settings file's folder is a plain file, so no write can succeed.
        QFile blocker(m_dir->filePath(QStringLiteral("blocked")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        SettingsStore store(m_dir->filePath(QStringLiteral("blocked/settings.reg")), autostartPath());
        QSignalSpy spy(&store, &SettingsStore::programKeyWriteFailed);
        QVERIFY(!store.WriteSettingText(QStringLiteral("a"), QStringLiteral("b")));
        QVERIFY(!store.WriteSettingNumber(QStringLiteral("n"), 1));
        QCOMPARE(spy.count(), 2);
        QVERIFY(!store.lastError().isEmpty());
        // The generic operations report only through their result.
        QVERIFY(!store.RegWriteText(HKCU, QStringLiteral("Software\\X"), QStringLiteral("a"),
                                    QStringLiteral("b")));
        QCOMPARE(spy.count(), 2);
    }

    void failedWriteLeavesOldFile()
    {
        QVERIFY(m_store->WriteSettingText(QStringLiteral("site_username"), QStringLiteral("jo")));
        const QByteArray before = fileBytes();
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        rlimit small = old;
        small.rlim_cur = before.size() + 8;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const bool ok = m_store->WriteSettingText(QStringLiteral("big"), QString(500, QLatin1Char('x')));
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(!ok);
        QCOMPARE(fileBytes(), before);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 1);
    }

    void runEntryIsTheAutostartFile()
    {
        const QString run = SettingsStore::RunKey();
        const QString name = QStringLiteral("Pollwick");
        QCOMPARE(m_store->RegReadText(HKCU, run, name), QString());
        const QString command = QStringLiteral("\"/opt/poll wick/bin/pollwick\" /startup");
        QVERIFY(m_store->RegWriteText(HKCU, run, name, command));
        QFile entry(autostartPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        const QByteArray text = entry.readAll();
        QVERIFY(text.startsWith("[Desktop Entry]\n"));
        QVERIFY(text.contains("\nExec=\"/opt/poll wick/bin/pollwick\" /startup\n"));
        QVERIFY(text.contains("\nType=Application\n"));
        QCOMPARE(m_store->RegReadText(HKCU, QStringLiteral("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run"),
                                      QStringLiteral("pollwick")),
                 command);
        // The settings file is not touched by the Run entry.
        QVERIFY(!QFile::exists(regPath()));
        m_store->RegDeleteValueName(HKCU, run, name);
        QVERIFY(!QFile::exists(autostartPath()));
        QCOMPARE(m_store->RegReadText(HKCU, run, name), QString());
        m_store->RegDeleteValueName(HKCU, run, name); // silent when missing
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
