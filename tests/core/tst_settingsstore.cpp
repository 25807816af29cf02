#include "FileRewriteCounter.h"
#include "platform/BrokenFiles.h"
#include "platform/SettingsStore.h"
#include "platform/WholeFiles.h"

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

    // Hand edits that a rewrite once changed: the user name survives the program's own writes,
    // and a second write gives the same bytes as the first.
    void handEditsSurviveRewrites_data()
    {
        QTest::addColumn<QByteArray>("lines"); // after the program key's section line
        QTest::addColumn<QString>("section");  // the section line's key path
        QTest::addColumn<QByteArray>("kept");  // a line the rewrite holds
        const QByteArray user = "\"site_username\"=\"jo\"\r\n";
        const QString key = "SOFTWARE\\Pollwick";
        // clang-format off
        QTest::newRow("hex data ending in a backslash") << "\"note\"= hex\\\r\n" + user << key
            << QByteArray("\"note\"=hex\r\n");
        QTest::newRow("hex data, backslash, then a section") << "\"note\"=hex:01,\\\r\n[HKCU\\Software\\Pollwick]\r\n"
            + user << key << QByteArray("\"note\"=hex:01,\r\n");
        QTest::newRow("continued over two lines") << "\"note\"=hex(7):61,\\\r\n  00,\\\r\n 62\r\n"
            + user << key << QByteArray("\"note\"=hex(7):61,00,62\r\n");
        QTest::newRow("comment ending in =hex and a backslash") << "; old =hex\\\r\n" + user
            << key << QByteArray();
        QTest::newRow("key path ending in backslash, blank and TAB") << user
            << key + "\\ \t\\" << QByteArray("[HKEY_CURRENT_USER\\SOFTWARE\\Pollwick]\r\n");
        QTest::newRow("key path starting with blanks") << user << " \\ " + key
            << QByteArray("[HKEY_CURRENT_USER\\SOFTWARE\\Pollwick]\r\n");
        // clang-format on
    }
    void handEditsSurviveRewrites()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QString, section);
        QFETCH(QByteArray, kept);
        QFile file(regPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\" + section.toLatin1() + "]\r\n" + lines);
        file.close();
        QByteArray written;
        for (int pass = 0; pass < 3; ++pass) {
            QCOMPARE(m_store->ReadSettingText("site_username"), QStringLiteral("jo"));
            QVERIFY(m_store->WriteSettingText("lastparsed", "700001"));
            if (pass > 0)
                QCOMPARE(fileBytes(), written);
            written = fileBytes();
        }
        QVERIFY2(written.contains(kept), written.constData());
    }

    // What makes a stored file unreadable: no way to open it, or content without its mark.
    void brokenFiles_data()
    {
        QTest::addColumn<bool>("settings"); // else filters.dat
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("broken");
        // clang-format off
        QTest::newRow("settings: missing") << true << QByteArray("<missing>") << false;
        QTest::newRow("settings: empty") << true << QByteArray() << false;
        QTest::newRow("settings: CR LF") << true << QByteArray("REGEDIT4\r\n[x]") << false;
        QTest::newRow("settings: LF, blanks") << true << QByteArray(" REGEDIT4 \n") << false;
        QTest::newRow("settings: the line alone") << true << QByteArray("REGEDIT4") << false;
        QTest::newRow("settings: another first line") << true << QByteArray("\nREGEDIT4\r\n")
            << true;
        QTest::newRow("settings: another version") << true << QByteArray("REGEDIT5\r\n") << true;
        QTest::newRow("filters: missing") << false << QByteArray("<missing>") << false;
        QTest::newRow("filters: empty") << false << QByteArray() << false;
        QTest::newRow("filters: CR LF at the end") << false << QByteArray("110a\r\n*\r\n") << false;
        QTest::newRow("filters: CR LF across pieces") << false << QByteArray(65535, 'a') + "\r\n"
            << false;
        QTest::newRow("filters: CR ends a piece, no LF after") << false
            << QByteArray(65535, 'a') + "\rx" << true;
        QTest::newRow("filters: LF alone") << false << QByteArray("110a\n*\n") << true;
        QTest::newRow("filters: CR alone") << false << QByteArray("110a\r*\r") << true;
        QTest::newRow("filters: a folder") << false << QByteArray("<folder>") << true;
        // clang-format on
    }
    void brokenFiles()
    {
        QFETCH(bool, settings);
        QFETCH(QByteArray, content);
        const QString path = m_dir->filePath(settings ? "settings.reg" : "filters.dat");
        if (content == "<folder>")
            QVERIFY(QDir().mkpath(path));
        else if (content != "<missing>")
            QVERIFY(ReplaceFileAtomically(path, content));
        QTEST(BrokenFiles::isBroken(path, settings ? BrokenFiles::Kind::Settings
                                                   : BrokenFiles::Kind::Filters),
              "broken");
    }

    void setAsideReplacesAnOlderCopy_data()
    {
        QTest::addColumn<QString>("older");
        QTest::newRow("nothing in the way") << "<missing>";
        QTest::newRow("a link to nowhere") << "<dangling link>";
        QTest::newRow("a link to a file") << "<link>";
        QTest::newRow("a folder") << "<folder>";
    }

    // The file set aside replaces whatever an earlier run left under that name (an older file:
    // tst_frmmain's brokenFilesAreKept); a link in the way goes, not the file it points to.
    void setAsideReplacesAnOlderCopy()
    {
        QFETCH(QString, older);
        const QString bad = regPath() + ".bad";
        const QString target = m_dir->filePath("elsewhere");
        QVERIFY(ReplaceFileAtomically(regPath(), "garbage"));
        if (older == "<folder>") {
            QVERIFY(QDir().mkpath(bad + "/inside"));
        } else if (older == "<dangling link>") {
            QVERIFY(QFile::link(m_dir->filePath("nowhere"), bad));
        } else if (older == "<link>") {
            QVERIFY(ReplaceFileAtomically(target, "kept"));
            QVERIFY(QFile::link(target, bad));
        } else if (older != "<missing>") {
            QVERIFY(ReplaceFileAtomically(bad, older.toLatin1()));
        }
        QString reason;
        QCOMPARE(BrokenFiles::setAside(regPath(), &reason), bad);
        QCOMPARE(reason, QString());
        QVERIFY(!QFileInfo(bad).isSymLink());
        QFile moved(bad);
        QVERIFY(moved.open(QIODevice::ReadOnly));
        QCOMPARE(moved.readAll(), QByteArray("garbage"));
        QVERIFY(!QFileInfo::exists(regPath()));
        if (older == "<link>") {
            QFile file(target);
            QVERIFY(file.open(QIODevice::ReadOnly));
            QCOMPARE(file.readAll(), QByteArray("kept"));
        }
    }

    void writeSetsABrokenFileAside_data()
    {
        QTest::addColumn<bool>("inBatch");
        QTest::newRow("a single write") << false;
        QTest::newRow("a batch") << true;
    }

    // A file that turns unreadable while the program runs is set aside by the next write (or
    // batch), which starts a fresh file; a file that cannot even be set aside is not written
    // over.
    void writeSetsABrokenFileAside()
    {
        QFETCH(bool, inBatch);
        QVERIFY(ReplaceFileAtomically(regPath(), "garbage \"site_username\"=\"jo\""));
        QSignalSpy aside(m_store.get(), &SettingsStore::fileSetAside);
        if (inBatch) {
            SettingsStore::Batch batch(*m_store);
            QVERIFY(m_store->WriteSettingText("lastparsed", "1"));
            QCOMPARE(m_store->ReadSettingText("site_username"), QString());
        } else {
            QVERIFY(m_store->WriteSettingText("lastparsed", "1"));
        }
        QCOMPARE(aside.count(), 1);
        QCOMPARE(aside.first().first().toString(),
                 "settings.reg could not be read; kept as " + regPath() + ".bad");
        QVERIFY(QFileInfo(regPath() + ".bad").isFile()); // its content: setAsideReplacesAnOlderCopy
        QCOMPARE(fileBytes(),
                 QByteArray("REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Pollwick]\r\n"
                            "\"lastparsed\"=\"1\"\r\n\r\n"));
        QVERIFY(m_store->WriteSettingText("lastparsed", "2"));
        QCOMPARE(aside.count(), 1);

        // A broken file that cannot be renamed (its name + ".bad" is too long for the file
        // system) is not written over either; the write fails.
        const QString longPath = m_dir->filePath(QString(252, 's'));
        QVERIFY(ReplaceFileAtomically(longPath, "garbage"));
        SettingsStore store(longPath, autostartPath());
        QSignalSpy failed(&store, &SettingsStore::fileSetAside);
        QSignalSpy reported(&store, &SettingsStore::programKeyWriteFailed);
        if (inBatch) {
            SettingsStore::Batch batch(store);
            QVERIFY(store.WriteSettingText("lastparsed", "3"));
            QVERIFY(!batch.commit());
        } else {
            QVERIFY(!store.WriteSettingText("lastparsed", "3"));
        }
        QCOMPARE(failed.count(), 1);
        QCOMPARE(reported.count(), 1);
        QVERIFY(failed.first().first().toString().startsWith(
            QString(252, 's') + " could not be read, nor set aside: "));
        QFile kept(longPath);
        QVERIFY(kept.open(QIODevice::ReadOnly));
        QCOMPARE(kept.readAll(), QByteArray("garbage"));
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
        QVERIFY(!spy.first().first().toString().isEmpty()); // the reason goes with it
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

    // The command line is the Exec value, escaped as a desktop entry's strings are; its program,
    // unquoted, is the TryExec value, so that a session does not start a removed program.
    void runEntryIsTheAutostartFile_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QByteArray>("exec");
        QTest::addColumn<QByteArray>("tryExec");
        QTest::newRow("a blank in the path")
            << R"("/opt/poll wick/bin/pollwick" /startup)"
            << QByteArray(R"("/opt/poll wick/bin/pollwick" /startup)")
            << QByteArray("/opt/poll wick/bin/pollwick");
        QTest::newRow("a backslash in the command line")
            << R"("/opt/a\b\\c/pollwick" /startup)"
            << QByteArray(R"("/opt/a\\b\\\\c/pollwick" /startup)")
            << QByteArray(R"(/opt/ab\\c/pollwick)");
        QTest::newRow("quoted reserved characters")
            << "\"/o/my a\\\"b\\$c\\`d%%e\" /startup"
            << QByteArray("\"/o/my a\\\\\"b\\\\$c\\\\`d%%e\" /startup")
            << QByteArray("/o/my a\"b$c`d%e");
        QTest::newRow("not quoted")
            << "/usr/bin/pollwick /startup" << QByteArray("/usr/bin/pollwick /startup")
            << QByteArray("/usr/bin/pollwick");
    }
    void runEntryIsTheAutostartFile()
    {
        QFETCH(QString, command);
        const QString run = SettingsStore::RunKey();
        QVERIFY(m_store->RegWriteText(HKCU, run, "Pollwick", command));
        QFile entry(autostartPath());
        QVERIFY(entry.open(QIODevice::ReadOnly));
        QFETCH(QByteArray, exec);
        QFETCH(QByteArray, tryExec);
        const QByteArray text = entry.readAll();
        QVERIFY(text.contains("\nExec=" + exec + "\nTryExec=" + tryExec + "\n"));
        QCOMPARE(m_store->RegReadText(HKCU, run.toUpper(), "pollwick"), command);
        QVERIFY(!QFile::exists(regPath()));
        m_store->RegDeleteValueName(HKCU, run, "Pollwick");
        QVERIFY(!QFile::exists(autostartPath()));
        QCOMPARE(m_store->RegReadText(HKCU, run, "Pollwick"), QString());
    }
};

QTEST_GUILESS_MAIN(TestSettingsStore)
#include "tst_settingsstore.moc"
