#include "account/AvatarAddress.h"
#include "account/AvatarFile.h"
#include "account/ProfileCache.h"
#include "account/ProfilePage.h"
#include "account/ThumbRule.h"
#include "platform/WholeFiles.h"

#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

// Reading the member's pages by their marker texts, profile.cache's layout, which avatar
// addresses are requested, the avatar file's size stop and the thumbnail's size.
class TestProfilePage : public QObject
{
    Q_OBJECT

    static const QString RatioStart;

    // One value of a details page by the name a test row gives it.
    static QString field(const ProfilePage::Details &d, const QString &name)
    {
        const QMap<QString, QString> values{
            {"joinDate", d.values.joinDate},     {"lastSeen", d.values.lastSeen},
            {"uploaded", d.values.uploaded},     {"downloaded", d.values.downloaded},
            {"shareRatio", d.values.shareRatio}, {"userClass", d.values.userClass},
            {"comments", d.values.comments},     {"posts", d.values.posts},
            {"newMessages", d.newMessages},      {"avatar", d.avatarAddress},
        };
        return values.value(name, "no such field");
    }

    static QString transferTable(const QStringList &rows)
    {
        return "<table class=main><tr><td class=colhead>Type</td><td class=colhead "
               "align=center>Conn.</td></tr>\n" +
               rows.join(QString()) + "</table>";
    }
    static QString torrentRow(const QString &id, const QString &name, const QString &ratioCell)
    {
        return "<tr><td style='padding: 0px'><img src=/pic/cat.gif></td><td><a "
               "href=details.php?id=" +
               id + "&amp;hit=1&amp;dllist=1><strong>" + name +
               "</strong></a></td><td align=center>yes</td><td align=center>700.00<br>MB</td>"
               "<td align=right>12</td><td align=right>3</td><td align=center>1.37<br>GB</td>"
               "<td align=center>350.00<br>MB</td><td align=center>" +
               ratioCell + "</td></tr>\n";
    }

private slots:
    void getelement_data()
    {
        QTest::addColumn<QString>("source");
        QTest::addColumn<QString>("expected");
        QTest::newRow("between") << "x[a]y"
                                 << "a";
        QTest::newRow("first start, next end") << "[a][b]"
                                               << "a";
        QTest::newRow("start missing") << "a]"
                                       << "";
        QTest::newRow("end missing after start") << "]x[a"
                                                 << "";
        QTest::newRow("nothing between") << "[]a]"
                                         << "";
    }
    void getelement()
    {
        QFETCH(QString, source);
        QFETCH(QString, expected);
        QCOMPARE(ProfilePage::getelement(source, "[", "]"), expected);
    }

    // Each marker of the details page, a page fragment per row.
    void detailsMarkers_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("expected");
        QTest::newRow("join date")
            << "<td>Join&nbsp;date</td><td align=left width=99%>2007-03-14 (1 year ago)</td>"
            << "joinDate"
            << "2007-03-14 (1 year ago)";
        QTest::newRow("last seen") << "Last&nbsp;seen</td><td align=left>2 mins ago</td>"
                                   << "lastSeen"
                                   << "2 mins ago";
        QTest::newRow("uploaded") << "Uploaded</td><td align=left>171.87 GB</td>"
                                  << "uploaded"
                                  << "171.87 GB";
        QTest::newRow("downloaded") << "Downloaded</td><td align=left>90.63 GB</td>"
                                    << "downloaded"
                                    << "90.63 GB";
        QTest::newRow("share ratio, 7-character colour") << RatioStart + "#007700>1.896\n</font>"
                                                         << "shareRatio"
                                                         << "1.896";
        QTest::newRow("share ratio, short colour keeps its digits")
            << RatioStart + "red>1.896\n</font>"
            << "shareRatio"
            << "1.896";
        QTest::newRow("share ratio, cell without a colour end") << RatioStart + "1.896\n</font>"
                                                                << "shareRatio"
                                                                << "";
        QTest::newRow("class") << "Class</td><td align=left>Power User</td>"
                               << "userClass"
                               << "Power User";
        QTest::newRow("comments without the member's link")
            << "Torrent&nbsp;comments</td><td align=left>"
               "<a href=userhistory.php?action=viewcomments&id=7>12</a></td>"
            << "comments"
            << "12";
        QTest::newRow("comments keep another member's link")
            << "Torrent&nbsp;comments</td><td align=left>"
               "<a href=userhistory.php?action=viewcomments&id=8>12</a></td>"
            << "comments"
            << "<a href=userhistory.php?action=viewcomments&id=8>12";
        QTest::newRow("posts") << "Forum&nbsp;posts</td><td align=left>"
                                  "<a href=userhistory.php?action=viewposts&id=7>34</a></td>"
                               << "posts"
                               << "34";
        QTest::newRow("new message notice") << "<b><font color=white>2 new messages</font></b>"
                                            << "newMessages"
                                            << "2 new messages";
        QTest::newRow("white text that is no notice") << "<font color=white>Welcome</font>"
                                                      << "newMessages"
                                                      << "";
        QTest::newRow("avatar address")
            << "Avatar</td><td align=left><img src=\"http://h/pic/a.png?x=1&amp;y=2\"></td>"
            << "avatar"
            << "http://h/pic/a.png?x=1&y=2";
        QTest::newRow("entities decoded")
            << "Class</td><td align=left>A &amp; B &lt;i&gt; &#65;&#x42; &bogus; &</td>"
            << "userClass"
            << "A & B <i> AB &bogus; &";
        // An entity is at most ten characters from "&" to ";"; a longer one is plain text.
        QTest::newRow("entity of ten characters") << "Class</td><td align=left>&#00000065;</td>"
                                                  << "userClass"
                                                  << "A";
        QTest::newRow("eleven characters are no entity")
            << "Class</td><td align=left>&#000000065;</td>"
            << "userClass"
            << "&#000000065;";
        QTest::newRow("line breaks become blanks")
            << "Class</td><td align=left>Power\r\nUser\nX&#10;Y</td>"
            << "userClass"
            << "Power User X Y";
        QTest::newRow("missing marker leaves the value empty") << "Class</td><td>Power User</td>"
                                                               << "userClass"
                                                               << "";
    }
    void detailsMarkers()
    {
        QFETCH(QString, page);
        QFETCH(QString, name);
        QFETCH(QString, expected);
        QCOMPARE(field(ProfilePage::details(page, 7), name), expected);
    }

    void transferRows()
    {
        const QString page =
            "Currently&nbsp;seeding</td><td align=left>" +
            transferTable({torrentRow("700001", "Some.Movie", "<font color=#007700>2.000</font>"),
                           torrentRow("700002", "A &amp; B", "<font color=red>0.500</font>")}) +
            "</td></tr><tr><td>Currently&nbsp;leeching</td><td align=left>" +
            transferTable({torrentRow("x9", "Third", "---")}) + "</td>";
        const QList<ProfileTorrent> rows = ProfilePage::details(page, 1).torrents;
        QCOMPARE(rows.size(), 3);
        const ProfileTorrent expected{"Some.Movie", "700001",  "yes",       "700.00 MB", "12",
                                      "3",          "1.37 GB", "350.00 MB", "2.000"};
        QCOMPARE(rows.at(0), expected);
        QCOMPARE(rows.at(1).name, QStringLiteral("A & B"));
        QCOMPARE(rows.at(1).ratio, QStringLiteral("0.500"));
        QCOMPARE(rows.at(2).id, QStringLiteral("x9"));
        QCOMPARE(rows.at(2).ratio, QString()); // no font in the cell
        QVERIFY(ProfilePage::tableRows(transferTable({})).isEmpty());
        QVERIFY(ProfilePage::tableRows(QString()).isEmpty());
    }

    void ownPage_data()
    {
        QTest::addColumn<QString>("page");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("id");
        QTest::newRow("private page")
            << "<title>Vellumstacks :: demo's private page</title>Welcome, <a "
               "href=userdetails.php?id=42>demo</a>"
            << "demo" << 42;
        QTest::newRow("login failed") << "<title>Vellumstacks :: Login failed!</title>"
                                      << "" << 0;
        QTest::newRow("id that is no number")
            << "Vellumstacks :: d's private page Welcome, <a href=userdetails.php?id=../x>"
            << "d" << 0;
    }
    void ownPage()
    {
        QFETCH(QString, page);
        QFETCH(QString, name);
        QFETCH(int, id);
        QCOMPARE(ProfilePage::ownName(page), name);
        QCOMPARE(ProfilePage::ownUserId(page), id);
    }

    void numberFrom_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");
        QTest::newRow("one") << "1" << 1;
        QTest::newRow("leading zero") << "0700001" << 700001;
        QTest::newRow("largest") << "2147483647" << 2147483647;
        QTest::newRow("past 32 bits") << "2147483648" << 0;
        QTest::newRow("eleven digits") << "00000000001" << 0;
        QTest::newRow("zero") << "0" << 0;
        QTest::newRow("sign") << "-1" << 0;
        QTest::newRow("blank") << " 1" << 0;
        QTest::newRow("trailing text") << "12&x=1" << 0;
        QTest::newRow("empty") << "" << 0;
    }
    void numberFrom()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        QCOMPARE(ProfilePage::numberFrom(text), number);
    }

    void cacheFormat()
    {
        const ProfileTexts texts{"demo", "2007", "now", "1 GB",  "2 GB",
                                 "0.5",  "User", "3",   "4\r\nx"};
        QCOMPARE(ProfileCache::format("demo", 12, texts),
                 QStringLiteral("#PWKPC10#\r\ndemo\r\n12\r\ndemo\r\n2007\r\nnow\r\n1 GB\r\n2 "
                                "GB\r\n0.5\r\nUser\r\n3\r\n4  x"));
    }

    void cacheParse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        const QString good =
            ProfileCache::format("demo", 12, ProfileTexts::fromList(QStringList(9, "v")));
        QTest::newRow("written for the user") << good << true;
        QTest::newRow("another user") << ProfileCache::format("Demo", 12, {}) << false;
        QTest::newRow("eleven lines") << good.left(good.lastIndexOf("\r\n")) << false;
        QTest::newRow("thirteen lines") << good + "\r\n" << false;
        QTest::newRow("LF only") << QString(good).replace("\r\n", "\n") << false;
        QTest::newRow("other header") << QString(good).replace("#PWKPC10#", "#PWKPC11#") << false;
        QTest::newRow("id no number") << QString(good).replace("\r\n12\r\n", "\r\n1x\r\n") << false;
        QTest::newRow("empty") << "" << false;
    }
    void cacheParse()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const ProfileCache::Entry entry = ProfileCache::parse(text, "demo");
        QCOMPARE(entry.valid, valid);
        if (valid) {
            QCOMPARE(entry.userId, 12);
            QCOMPARE(entry.texts.toList(), QStringList(9, "v"));
        }
    }

    void cacheWriteReplacesTheFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("profile.cache");
        QVERIFY(ReplaceTextFileAtomically(path, QString(500, 'x')));
        const ProfileTexts texts = ProfileTexts::fromList(QStringList(9, "v"));
        QVERIFY(ProfileCache::write(path, "demo", 3, texts));
        QCOMPARE(ReadTextFile(path), ProfileCache::format("demo", 3, texts));
        const ProfileCache::Entry entry = ProfileCache::read(path, "demo");
        QVERIFY(entry.valid);
        QCOMPARE(entry.texts, texts);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"profile.cache"});
    }

    void avatarAddress_data()
    {
        QTest::addColumn<QString>("site");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("requested");
        const QString site = "http://127.0.0.1:8080";
        QTest::newRow("site's own address")
            << site << site + "/pic/avatar1.png" << site + "/pic/avatar1.png";
        QTest::newRow("host in capitals")
            << site << "HTTP://127.0.0.1:8080/a.png" << site + "/a.png";
        QTest::newRow("absolute path") << site << "/pic/a.png" << site + "/pic/a.png";
        QTest::newRow("relative path") << site << "pic/a.png" << site + "/pic/a.png";
        QTest::newRow("local file") << site << "file:///etc/passwd"
                                    << "";
        QTest::newRow("another host") << site << "http://elsewhere.invalid/a.png"
                                      << "";
        QTest::newRow("another host, no scheme") << site << "//elsewhere.invalid/a.png"
                                                 << "";
        QTest::newRow("another host on the site's port")
            << site << "http://elsewhere.invalid:8080/a.png"
            << "";
        QTest::newRow("another host, both on the standard port") << "http://vellumstacks.example"
                                                                 << "http://elsewhere.example/a.png"
                                                                 << "";
        QTest::newRow("another port") << site << "http://127.0.0.1:8081/a.png"
                                      << "";
        QTest::newRow("same host, default port") << site << "http://127.0.0.1/a.png"
                                                 << "";
        QTest::newRow("another scheme") << site << "ftp://127.0.0.1:8080/a.png"
                                        << "";
        QTest::newRow("script") << site << "javascript:alert(1)"
                                << "";
        QTest::newRow("empty") << site << ""
                               << "";
        QTest::newRow("https from a site on the standard port")
            << "http://vellumstacks.example"
            << "https://vellumstacks.example/a.png"
            << "https://vellumstacks.example/a.png";
        QTest::newRow("https on another port") << "http://vellumstacks.example"
                                               << "https://vellumstacks.example:8443/a.png"
                                               << "";
    }
    void avatarAddress()
    {
        QFETCH(QString, site);
        QFETCH(QString, address);
        QFETCH(QString, requested);
        QCOMPARE(AvatarAddress::resolve(address, site), requested);
    }

    void thumbSize_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("painted");
        QTest::newRow("fits exactly") << QSize(150, 185) << QSize(150, 185);
        QTest::newRow("one pixel too wide") << QSize(151, 100) << QSize(150, 99);
        QTest::newRow("one pixel too high") << QSize(100, 186) << QSize(99, 185);
        QTest::newRow("wide, too high") << QSize(300, 200) << QSize(150, 100);
        QTest::newRow("high, too high") << QSize(100, 370) << QSize(50, 185);
        QTest::newRow("square, large") << QSize(200, 200) << QSize(150, 185);
        QTest::newRow("high but wider than the box at full height")
            << QSize(180, 190) << QSize(150, 158);
        QTest::newRow("no picture") << QSize(0, 0) << QSize();
        QTest::newRow("no width") << QSize(0, 40) << QSize();
        QTest::newRow("no height") << QSize(40, 0) << QSize();
        QTest::newRow("one pixel") << QSize(1, 1) << QSize(1, 1);
        QTest::newRow("one pixel wide, too high") << QSize(1, 400) << QSize(1, 185);
    }
    void thumbSize()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, painted);
        QCOMPARE(ThumbRule::fit(picture), painted);
    }

    void avatarFileStopsPastTheLimit_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<bool>("stored");
        QTest::newRow("exactly 2 MiB") << AvatarFile::MaxBytes << true;
        QTest::newRow("one byte more") << AvatarFile::MaxBytes + 1 << false;
        QTest::newRow("nothing") << qint64(0) << false;
    }
    void avatarFileStopsPastTheLimit()
    {
        QFETCH(qint64, bytes);
        QFETCH(bool, stored);
        QTemporaryDir dir;
        const QString target = dir.filePath("avatar.img");
        QVERIFY(ReplaceTextFileAtomically(target, "old"));
        QVERIFY(ReplaceTextFileAtomically(target + ".temp", "leftover"));
        AvatarFile file(target);
        QVERIFY(file.open());
        bool accepted = true;
        for (qint64 sent = 0; sent < bytes && accepted; sent += 1024)
            accepted = file.write(QByteArray(int(std::min<qint64>(1024, bytes - sent)), 'p'));
        QCOMPARE(accepted, bytes <= AvatarFile::MaxBytes);
        QCOMPARE(file.tooLarge(), bytes > AvatarFile::MaxBytes);
        if (accepted)
            QCOMPARE(file.commit(), stored);
        else
            file.discard();
        QCOMPARE(QFileInfo(target).size(), stored ? bytes : 3);
        QVERIFY(!QFileInfo::exists(target + ".temp"));
        QCOMPARE(file.errorString().isEmpty(), stored); // a reason exactly when it failed
    }

    // A commit with no temporary file fails and keeps the reason the file could not be
    // opened; one that was never opened says so.
    void avatarFileCommitWithoutAFile_data()
    {
        QTest::addColumn<bool>("opened");
        QTest::newRow("the folder is missing") << true;
        QTest::newRow("never opened") << false;
    }
    void avatarFileCommitWithoutAFile()
    {
        QFETCH(bool, opened);
        QTemporaryDir dir;
        AvatarFile file(dir.filePath("missing/avatar.img"));
        QString openError;
        if (opened) {
            QVERIFY(!file.open());
            openError = file.errorString();
            QVERIFY(!openError.isEmpty());
            QVERIFY(!file.write("picture"));
        }
        QVERIFY(!file.commit());
        QCOMPARE(file.errorString(), opened ? openError : QStringLiteral("No file was open"));
        QVERIFY(!QFileInfo::exists(file.target()));
    }
};

const QString TestProfilePage::RatioStart =
    "Share ratio</td><td align=left valign=center style='padding-top: 1px; padding-bottom:\n"
    "0px'><table border=0 cellspacing=0 cellpadding=0><tr><td class=embedded><font color=";

QTEST_GUILESS_MAIN(TestProfilePage)
#include "tst_profilepage.moc"
