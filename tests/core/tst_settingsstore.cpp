#include "FileRewriteCounter.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <memory>
#include <sys/resource.h>
#include <vector>

class TestSettingsStore : public QObject
{
    Q_OBJECT

    static constexpr auto HKCU = SettingsStore::HKEY_CURRENT_USER;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsStore> m_store;
    QString regPath() const { return m_dir->filePath("settings.reg"); }
    QString autostartPath() const { return m_dir->filePath("autostart/Pollwick.desktop"); }
    QByteArray fileBytes() const
    {
        QFile f(regPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // The values a batch test looks at, as "a=1 b=#7 old=o gone=- run=yes": text, "#" and a
    // number, "-" when missing; run: whether the Run entry is present.
    static QString snapshot(const SettingsStore &store)
    {
        QStringList out;
        for (const QString name : {"a", "b", "old", "gone"}) {
            const QString text = store.ReadSettingText(name);
            const qint16 number = store.ReadSettingNumber(name);
            out << name + "=" +
                       (!text.isEmpty() ? text
                        : number        ? "#" + QString::number(number)
                                        : "-");
        }
        const bool run = !store.RegReadText(HKCU, SettingsStore::RunKey(), "Pollwick").isEmpty();
        return out.join(' ') + (run ? " run=yes" : " run=-");
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_store = std::make_unique<SettingsStore>(regPath(), autostartPath());
    }

    void textRoundTrip_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("quotes and backslashes")
            << "C:\\a \"b\"\\" << QByteArray("\"C:\\\\a \\\"b\\\"\\\\\"");
        QTest::newRow("latin1") << QString::fromLatin1("caf\xe9") << QByteArray("\"caf\xe9\"");
        QTest::newRow("line breaks") << "a\r\nb" << QByteArray("hex(1):61,0d,0a,62");
        QTest::newRow("a NUL cuts the text")
            << QString::fromLatin1("ab\0cd", 5) << QByteArray("hex(1):61,62,00,63,64");
    }
    void textRoundTrip()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, stored);
        QVERIFY(m_store->WriteSettingText("value", text));
        QVERIFY2(fileBytes().contains("\"value\"=" + stored + "\r\n"), fileBytes().constData());
        // A fresh store over the same file reads the same, whatever the value name's case.
        QCOMPARE(SettingsStore(regPath(), autostartPath()).ReadSettingText("VALUE"),
                 text.left(text.indexOf(QChar(0))));
    }

    // Numbers are sixteen bits, stored sign-extended; key paths match without case.
    void fileFormatAndKeyPathsWithoutCase()
    {
        QVERIFY(m_store->WriteSettingText("appbuild", "512"));
        QVERIFY(m_store->WriteSettingNumber("max", 32767));
        QVERIFY(m_store->WriteSettingNumber("min", -32768));
        QVERIFY(m_store->RegWriteText(HKCU, "Software\\pollwick", "APPBUILD", "513"));
        QCOMPARE(fileBytes(),
                 QByteArray("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Pollwick]\r\n"
                            "\"appbuild\"=\"513\"\r\n\"max\"=dword:00007fff\r\n"
                            "\"min\"=dword:ffff8000\r\n\r\n"));
        QCOMPARE(m_store->ReadSettingNumber("max"), qint16(32767));
        QCOMPARE(m_store->ReadSettingNumber("min"), qint16(-32768));
        // The upgrade deletes "Software\Pollwick"; that is the program key.
        m_store->RegDeleteKeyPath(HKCU, "Software\\Pollwick");
        QCOMPARE(m_store->ReadSettingText("appbuild"), QString());
    }

    void handEditedFileLoadsByType()
    {
        QFile file(regPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("REGEDIT4\n; a comment\ngarbage line without meaning\n"
                   "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Pollwick]\n\"site_username\"=\"not this one\"\n"
                   "[HKEY_CURRENT_USER\\SOFTWARE\\Pollwick]\n"
                   "\"site_username\"=\"jo \\\"the\\\" user\"\n\"broken\"=\"no closing quote\n"
                   "\"noequals\" \"x\"\n\"interval\"=dword:zz\n"
                   "  \"torrentpath\" = \"/home/jo/torrents/\"  \n"
                   "\"long\"=hex(1):61,62,\\\n  63,00\n"
                   "\"text\"=\"42\"\n\"num\"=dword:0000002a\n\"big\"=dword:00012345\n"
                   "\"expand\"=hex(2):25,00\n\"binary\"=hex:01,02\n"
                   "[HKEY_CURRENT_USER\\SOFTWARE\\Pollwick\n\"lastparsed\"=\"700123\"\n");
        file.close();
        const QStringList texts =
            QStringLiteral("site_username=jo \"the\" user|long=abc|broken=|num=|"
                           "torrentpath=/home/jo/torrents/|expand=|binary=")
                .split('|');
        const QList<QPair<QString, int>> numbers = {
            {"text", 0}, {"interval", 0}, {"expand", 0}, {"big", 0x2345}};
        // Before and after a rewrite, which keeps every value, other types as they were.
        for (int pass = 0; pass < 2; ++pass) {
            for (const QString &text : texts)
                QCOMPARE(m_store->ReadSettingText(text.section('=', 0, 0)), text.section('=', 1));
            for (const auto &[name, number] : numbers)
                QCOMPARE(m_store->ReadSettingNumber(name), qint16(number));
            QCOMPARE(m_store->RegReadNumber(HKCU, SettingsStore::ProgramKey(), "big"), 0x12345);
            QVERIFY(m_store->WriteSettingText("other", "x"));
        }
        QVERIFY(fileBytes().contains("\"expand\"=hex(2):25,00\r\n\"binary\"=hex:01,02\r\n"));
    }

    void missingValuesReadEmptyAndDeleteSilently()
    {
        QCOMPARE(m_store->ReadSettingText("lastparsed"), QString());
        QCOMPARE(m_store->ReadSettingNumber("interval"), qint16(0));
        m_store->RegDeleteValueName(HKCU, SettingsStore::ProgramKey(), "none");
        m_store->RegDeleteKeyPath(HKCU, "Software\\Other");
        QVERIFY(!QFile::exists(regPath()));
        QVERIFY(m_store->WriteSettingText("keep", "k"));
        QVERIFY(m_store->WriteSettingText("drop", "d"));
        m_store->RegDeleteValueName(HKCU, SettingsStore::ProgramKey(), "DROP");
        m_store->RegDeleteValueName(HKCU, SettingsStore::ProgramKey(), "drop");
        QCOMPARE(m_store->ReadSettingText("drop"), QString());
        QCOMPARE(m_store->ReadSettingText("keep"), QStringLiteral("k"));
    }

    void failedWriteLeavesOldFileAndIsReported()
    {
        QVERIFY(m_store->WriteSettingText("site_username", "jo"));
        const QByteArray before = fileBytes();
        QSignalSpy spy(m_store.get(), &SettingsStore::programKeyWriteFailed);
        // Limit the size of files this process may write (permission bits do not stop root).
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit old{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &old), 0);
        const rlimit small{rlim_t(before.size() + 8), old.rlim_max};
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const QString big(500, QLatin1Char('x'));
        const bool programKey = m_store->WriteSettingText("big", big);
        const bool generic = m_store->RegWriteText(HKCU, "Software\\X", "a", big);
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(!programKey && !generic);
        // Only the program key's failure is reported; the generic operations give a result.
        QCOMPARE(spy.count(), 1);
        QCOMPARE(fileBytes(), before);

        // A batch too big for the limit stores none of its values and is reported once.
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        bool queued = false;
        bool committed = true;
        {
            SettingsStore::Batch batch(*m_store);
            queued = m_store->WriteSettingText("site_username", "someone else") &&
                     m_store->WriteSettingText("big", big);
            committed = batch.commit();
        }
        setrlimit(RLIMIT_FSIZE, &old);
        QVERIFY(queued && !committed);
        QCOMPARE(spy.count(), 2);
        QCOMPARE(fileBytes(), before);
        QCOMPARE(m_store->ReadSettingText("site_username"), QStringLiteral("jo"));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 1);
    }

    // Writes inside a batch are read back by the store that made them and reach the file in one
    // rewrite when the outermost batch ends; any other reader sees the values from before.
    void batchIsOneChange_data()
    {
        QTest::addColumn<QString>("ops"); // name=text, name#number, -name: delete, ( ): nested
        QTest::addColumn<QString>("after");
        QTest::addColumn<int>("rewrites");
        const QString before = "a=- b=- old=o gone=g run=-";
        QTest::newRow("text and number") << "a=1 b#7"
                                         << "a=1 b=#7 old=o gone=g run=-" << 1;
        QTest::newRow("a write and a delete") << "a=1 -gone"
                                              << "a=1 b=- old=o gone=- run=-" << 1;
        QTest::newRow("an inner batch ends with the outer one")
            << "a=1 ( b#7 old=n ) -gone"
            << "a=1 b=#7 old=n gone=- run=-" << 1;
        QTest::newRow("a value written twice keeps the last") << "a=1 a=2"
                                                              << "a=2 b=- old=o gone=g run=-" << 1;
        QTest::newRow("nothing changed: no rewrite") << "-missing ( )" << before << 0;
        QTest::newRow("the Run entry is written at once, outside the batch")
            << "a=1 run"
            << "a=1 b=- old=o gone=g run=yes" << 1;
    }
    void batchIsOneChange()
    {
        QFETCH(QString, ops);
        QFETCH(QString, after);
        QVERIFY(m_store->WriteSettingText("old", "o"));
        QVERIFY(m_store->WriteSettingText("gone", "g"));
        SettingsStore other(regPath(), autostartPath());
        const QString before = snapshot(other);
        FileRewriteCounter rewrites(regPath());
        QVERIFY(rewrites.isValid());
        {
            SettingsStore::Batch batch(*m_store);
            std::vector<std::unique_ptr<SettingsStore::Batch>> inner;
            for (const QString &op : ops.split(' ')) {
                if (op == "(") {
                    inner.push_back(std::make_unique<SettingsStore::Batch>(*m_store));
                } else if (op == ")") {
                    QVERIFY(inner.back()->commit());
                    inner.pop_back();
                } else if (op == "run") {
                    QVERIFY(m_store->RegWriteText(HKCU, SettingsStore::RunKey(), "Pollwick",
                                                  "/bin/pollwick /startup"));
                } else if (op.startsWith('-')) {
                    m_store->RegDeleteValueName(HKCU, SettingsStore::ProgramKey(), op.mid(1));
                } else if (op.contains('#')) {
                    QVERIFY(m_store->WriteSettingNumber(op.section('#', 0, 0),
                                                        op.section('#', 1).toShort()));
                } else {
                    QVERIFY(m_store->WriteSettingText(op.section('=', 0, 0), op.section('=', 1)));
                }
            }
            QCOMPARE(snapshot(*m_store), after);
            QCOMPARE(rewrites.count(), 0);
            // Only the Run entry, its own file, is seen by others before the batch ends.
            QCOMPARE(snapshot(other),
                     ops.contains("run") ? QString(before).replace("run=-", "run=yes") : before);
        }
        QTEST(rewrites.count(), "rewrites");
        QCOMPARE(snapshot(other), after);
        QCOMPARE(snapshot(*m_store), after);
    }

    // The command line is the Exec value, escaped as a desktop entry's strings are.
    void runEntryIsTheAutostartFile_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("exec");
        QTest::newRow("a blank in the path")
            << R"("/opt/poll wick/bin/pollwick" /startup)"
            << QByteArray(R"("/opt/poll wick/bin/pollwick" /startup)");
        QTest::newRow("a backslash in the command line")
            << R"("/opt/a\b\\c/pollwick" /startup)"
            << QByteArray(R"("/opt/a\\b\\\\c/pollwick" /startup)");
    }
    void runEntryIsTheAutostartFile()
    {
        QFETCH(QString, command);
        const QString run = SettingsStore::RunKey();
        QVERIFY(m_store->RegWriteText(HKCU, run, "Pollwick", command));
        QFile entry(autostartPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QFETCH(QByteArray, exec);
        QVERIFY(entry.readAll().contains("\nExec=" + exec + "\n"));
        QCOMPARE(m_store->RegReadText(HKCU, run.toUpper(), "pollwick"), command);
        QVERIFY(!QFile::exists(regPath()));
        m_store->RegDeleteValueName(HKCU, run, "Pollwick");
        QVERIFY(!QFile::exists(autostartPath()));
        QCOMPARE(m_store->RegReadText(HKCU, run, "Pollwick"), QString());
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
