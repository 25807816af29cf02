// Runs the fuzz targets without libFuzzer: a fixed number of inputs made by mutating a small
// seed corpus with a seeded generator, so the run is the same every time. CTest runs it in
// every build; a sanitizer build (POLLWICK_SANITIZE) turns memory errors into failures.
//
//   fuzz_parsers [iterations] [seed]
#include <QByteArray>
#include <QList>
#include <QRandomGenerator>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

namespace {

QList<QByteArray> seeds()
{
    return {
        "#PWKF12#\r\nMusic\tTV/"
        "HD\r\n700001\t1048576\tMusic\t1\tSome.Album.2008\tSome.Album.torrent\r\n",
        "#PWKF12#\r\n\r\n5\t100\t\tx\tA.B.C\tf.torrent\r\n6\t7\r\n\r\n",
        "<html><head>The server load is too high</head></html>",
        "Unauthorised:2",
        "110linux&&iso\r\nAppz/PC ISO, Music\r\n021\r\n*\r\n1xy*\r\n",
        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\Pollwick]\r\n\"a\"=\"b\\\"c\"\r\n"
        "\"n\"=dword:0000ffff\r\n\"h\"=hex(1):61,00,62\r\n\"x\"=hex(2):25,00,\\\r\n  00\r\n",
        "700001\t1\t\t1\tName.With.Dots\tfile.torrent\r\n700002\tx\r\n",
        // torrents.db rows for the search loader; the last byte, "4", chooses that target.
        "s0#\t1\tTV\t1\tShow.S01E05\tf\r\nbad\r\n7\t2\t\t0\tA.\xC9\nb\tg\r\n8\t3\r\n4",
        "s0#e1#\nshow s01e05 hdtv",
        "[!a-z]iso\n1iso",
        "*[a-\n[z-a]",
        "<title>Vellumstacks :: demo's private page</title>Welcome, <a "
        "href=userdetails.php?id=1>demo</a><font color=white>1 new message</font>",
        "Vellumstacks :: Details for demo<td>Join&nbsp;date</td><td align=left width=99%>2007</td>"
        "Share ratio</td><td align=left valign=center style='padding-top: 1px; padding-bottom:\n"
        "0px'><table border=0 cellspacing=0 cellpadding=0><tr><td class=embedded><font "
        "color=red>1.5\n</font>Torrent&nbsp;comments</td><td align=left><a "
        "href=userhistory.php?action=viewcomments&id=1>12</a></td>Avatar</td><td align=left><img "
        "src=\"/pic/a.png\"></td>Currently&nbsp;seeding</td><td align=left><table><tr>h<tr><td><a "
        "href=details.php?id=7&amp;hit=1&amp;dllist=1><strong>A &amp; B</strong></a></td><td "
        "align=center>yes</td><td align=center>1<br>GB</td><td align=right>2</td><td "
        "align=right>3</td><td align=center>4<br>GB</td><td align=center>5<br>GB</td><td "
        "align=center><font color=#000000>0.8</font></td></tr></table>",
        "<a\n>\nx<a y>z<a>>",
    };
}

QByteArray mutate(QByteArray input, QRandomGenerator &rng)
{
    static const char specials[] = "\t\r\n\\\"[]!*?#&,:;=-.%\0";
    const int edits = 1 + int(rng.bounded(8));
    for (int e = 0; e < edits; ++e) {
        const int pos = input.isEmpty() ? 0 : int(rng.bounded(input.size() + 1));
        switch (rng.bounded(5)) {
        case 0: // insert a special character
            input.insert(pos, specials[rng.bounded(int(sizeof specials - 1))]);
            break;
        case 1: // insert a random byte
            input.insert(pos, char(rng.bounded(256)));
            break;
        case 2: // delete a run
            if (!input.isEmpty())
                input.remove(std::min<qsizetype>(pos, input.size() - 1), 1 + rng.bounded(8));
            break;
        case 3: // duplicate a run
            if (!input.isEmpty())
                input.insert(pos, input.mid(rng.bounded(input.size()), 1 + rng.bounded(32)));
            break;
        default: // flip a byte
            if (!input.isEmpty())
                input[std::min<qsizetype>(pos, input.size() - 1)] = char(rng.bounded(256));
            break;
        }
    }
    return input;
}

} // namespace

int main(int argc, char **argv)
{
    const int iterations = argc > 1 ? std::atoi(argv[1]) : 20000;
    QRandomGenerator rng(argc > 2 ? quint32(std::atoi(argv[2])) : 512u);
    const QList<QByteArray> corpus = seeds();
    for (int i = 0; i < iterations; ++i) {
        QByteArray input = mutate(corpus[int(rng.bounded(corpus.size()))], rng);
        input.append(char(rng.bounded(256))); // the selector byte
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(input.constData()),
                               size_t(input.size()));
    }
    std::printf("%d inputs, no failures\n", iterations);
    return 0;
}
