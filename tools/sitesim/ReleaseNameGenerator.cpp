#include "ReleaseNameGenerator.h"

namespace {

const QStringList kTitleWords = {
    QStringLiteral("Silent"),   QStringLiteral("Harbour"),  QStringLiteral("Crimson"),
    QStringLiteral("Empire"),   QStringLiteral("Broken"),   QStringLiteral("Horizon"),
    QStringLiteral("Hidden"),   QStringLiteral("Protocol"), QStringLiteral("Golden"),
    QStringLiteral("Garden"),   QStringLiteral("Iron"),     QStringLiteral("Runner"),
    QStringLiteral("Midnight"), QStringLiteral("Witness"),  QStringLiteral("Burning"),
    QStringLiteral("Kingdom"),  QStringLiteral("Frozen"),   QStringLiteral("Signal"),
    QStringLiteral("Wild"),     QStringLiteral("Frontier"), QStringLiteral("Hollow"),
    QStringLiteral("River"),    QStringLiteral("Savage"),   QStringLiteral("Station"),
    QStringLiteral("Bitter"),   QStringLiteral("Legacy"),   QStringLiteral("Electric"),
    QStringLiteral("Shadows"),  QStringLiteral("Paper"),    QStringLiteral("Covenant"),
    QStringLiteral("Distant"),  QStringLiteral("Highway"),  QStringLiteral("Lantern"),
    QStringLiteral("Orchard"),  QStringLiteral("Velvet"),   QStringLiteral("Summit"),
    QStringLiteral("Copper"),   QStringLiteral("Tide"),     QStringLiteral("Glass"),
    QStringLiteral("Circuit"),  QStringLiteral("North"),    QStringLiteral("Winter"),
    QStringLiteral("Machine"),  QStringLiteral("Island"),   QStringLiteral("Thunder"),
    QStringLiteral("Mirror"),   QStringLiteral("Falcon"),   QStringLiteral("Stone")};

const QStringList kShowWords = {
    QStringLiteral("Harbour.Patrol"),   QStringLiteral("The.Lab.Files"),
    QStringLiteral("County.General"),   QStringLiteral("Night.Shift"),
    QStringLiteral("Desert.Rangers"),   QStringLiteral("The.Inspectors"),
    QStringLiteral("Kitchen.Wars"),     QStringLiteral("Station.Nine"),
    QStringLiteral("Lost.Valley"),      QStringLiteral("The.Ledger"),
    QStringLiteral("Coastline"),        QStringLiteral("Mystery.Manor"),
    QStringLiteral("Deep.Space.Crew"),  QStringLiteral("Vellum.Street"),
    QStringLiteral("The.Office.Hours"), QStringLiteral("Garage.Kings"),
    QStringLiteral("Northern.Lights"),  QStringLiteral("Top.Chefs.Abroad")};

const QStringList kArtists = {QStringLiteral("The.Paper.Kites"), QStringLiteral("Nora.Quill"),
                              QStringLiteral("Static.Orchard"),  QStringLiteral("DJ.Folio"),
                              QStringLiteral("Marble.Hands"),    QStringLiteral("Copper.Lung"),
                              QStringLiteral("The.Inkwells"),    QStringLiteral("Lena.Margins"),
                              QStringLiteral("Index.of.Ghosts"), QStringLiteral("Bookbinder")};

const QStringList kVendors = {QStringLiteral("Folio"),    QStringLiteral("Quillsoft"),
                              QStringLiteral("Inkworks"), QStringLiteral("Parchment.Labs"),
                              QStringLiteral("Margin"),   QStringLiteral("Codex")};

const QStringList kProducts = {QStringLiteral("Photo.Studio"),   QStringLiteral("Video.Converter"),
                               QStringLiteral("Disk.Utilities"), QStringLiteral("Office.Suite"),
                               QStringLiteral("Audio.Editor"),   QStringLiteral("Backup.Pro"),
                               QStringLiteral("PDF.Tools"),      QStringLiteral("3D.Modeller")};

const QStringList kGroups = {
    QStringLiteral("PWK"),    QStringLiteral("VELLUM"), QStringLiteral("STACKS"),
    QStringLiteral("NOiR"),   QStringLiteral("QUiLL"),  QStringLiteral("SCRiBE"),
    QStringLiteral("iNK"),    QStringLiteral("FOLiO"),  QStringLiteral("TOME"),
    QStringLiteral("CODEX"),  QStringLiteral("LEDGER"), QStringLiteral("PAGES"),
    QStringLiteral("MARGiN"), QStringLiteral("SERiF"),  QStringLiteral("GRP")};

const qint64 kMiB = 1024 * 1024;

} // namespace

ReleaseNameGenerator::ReleaseNameGenerator(QRandomGenerator &random) : m_random(random) {}

QString ReleaseNameGenerator::pick(const QStringList &words)
{
    return words.at(int(m_random.bounded(quint32(words.size()))));
}

int ReleaseNameGenerator::between(int low, int high)
{
    return m_random.bounded(low, high + 1);
}

QString ReleaseNameGenerator::group()
{
    return pick(kGroups);
}

QString ReleaseNameGenerator::title(int minWords, int maxWords)
{
    QStringList words;
    const int count = between(minWords, maxWords);
    if (between(0, 3) == 0)
        words << QStringLiteral("The");
    const qsizetype wanted = words.size() + count;
    while (words.size() < wanted) {
        const QString word = pick(kTitleWords);
        if (!words.contains(word))
            words << word;
    }
    return words.join(QLatin1Char('.'));
}

QString ReleaseNameGenerator::movieName(const QString &category)
{
    const QString year = QString::number(between(1978, 2008));
    QString tags;
    if (category.contains(QLatin1String("HD")))
        tags = pick({QStringLiteral("720p.BluRay.x264"), QStringLiteral("1080p.BluRay.x264"),
                     QStringLiteral("720p.HDDVD.x264")});
    else if (category.contains(QLatin1String("DVD-R")))
        tags = pick({QStringLiteral("NTSC.DVDR"), QStringLiteral("PAL.DVDR"),
                     QStringLiteral("MULTi.PAL.DVDR")});
    else if (category.contains(QLatin1String("SVCD")))
        tags = QStringLiteral("DVDRip.SVCD");
    else if (category.contains(QLatin1String("VCD")))
        tags = pick({QStringLiteral("TS.VCD"), QStringLiteral("DVDSCR.VCD")});
    else
        tags = pick({QStringLiteral("DVDRip.XviD"), QStringLiteral("LiMiTED.DVDRip.XviD"),
                     QStringLiteral("DVDSCR.XviD"), QStringLiteral("PROPER.DVDRip.XviD")});
    return title(1, 3) + QLatin1Char('.') + year + QLatin1Char('.') + tags + QLatin1Char('-') +
           group();
}

QString ReleaseNameGenerator::tvName(const QString &category)
{
    const QString episode = QStringLiteral("S%1E%2")
                                .arg(between(1, 9), 2, 10, QLatin1Char('0'))
                                .arg(between(1, 24), 2, 10, QLatin1Char('0'));
    QString tags;
    if (category.contains(QLatin1String("HD")))
        tags = QStringLiteral("720p.HDTV.x264");
    else if (category.contains(QLatin1String("HR")))
        tags = QStringLiteral("HR.HDTV.XviD");
    else
        tags = pick(
            {QStringLiteral("HDTV.XviD"), QStringLiteral("PDTV.XviD"), QStringLiteral("DSR.XviD")});
    return pick(kShowWords) + QLatin1Char('.') + episode + QLatin1Char('.') + tags +
           QLatin1Char('-') + group();
}

QString ReleaseNameGenerator::gameName(const QString &category)
{
    const QString name = title(1, 3);
    QString tags;
    if (category.contains(QLatin1String("360")))
        tags = pick({QStringLiteral("PAL.XBOX360"), QStringLiteral("USA.XBOX360")});
    else if (category.contains(QLatin1String("Xbox")))
        tags = QStringLiteral("PAL.XBOX");
    else if (category.contains(QLatin1String("PS3")))
        tags = QStringLiteral("USA.PS3");
    else if (category.contains(QLatin1String("PS2")))
        tags = pick({QStringLiteral("PAL.PS2DVD"), QStringLiteral("NTSC.PS2DVD")});
    else if (category.contains(QLatin1String("Wii")))
        tags = QStringLiteral("PAL.WII");
    else if (category.contains(QLatin1String("Rip")))
        tags = QStringLiteral("RIP");
    else if (category.contains(QLatin1String("Handheld")))
        tags = pick({QStringLiteral("NDS"), QStringLiteral("PSP")});
    else
        tags = pick({QStringLiteral("DVD"), QStringLiteral("MULTi5"), QStringLiteral("DVD9")});
    return name + QLatin1Char('.') + tags + QLatin1Char('-') + group();
}

QString ReleaseNameGenerator::appName(const QString &category)
{
    const QString version =
        QStringLiteral("v%1.%2.%3").arg(between(1, 12)).arg(between(0, 9)).arg(between(0, 99));
    QString name = pick(kVendors) + QLatin1Char('.') + pick(kProducts) + QLatin1Char('.') + version;
    if (category.contains(QLatin1String("ISO")))
        name += QStringLiteral(".DVD.ISO");
    return name + QLatin1Char('-') + group();
}

QString ReleaseNameGenerator::musicName(const QString &category)
{
    const QString year = QString::number(between(1990, 2008));
    if (category.contains(QLatin1String("Video")))
        return pick(kArtists) + QLatin1Char('-') + title(1, 2) + QStringLiteral(".DVDRip.x264-") +
               year + QLatin1Char('-') + group();
    return pick(kArtists) + QLatin1Char('-') + title(1, 3) + QLatin1Char('-') + year +
           QLatin1Char('-') + group();
}

QString ReleaseNameGenerator::otherName(const QString &category)
{
    if (category == QLatin1String("Anime"))
        return title(1, 2) +
               QStringLiteral(".Ep%1.DVDRip.XviD-").arg(between(1, 26), 2, 10, QLatin1Char('0')) +
               group();
    if (category == QLatin1String("DOX"))
        return title(1, 2) + QStringLiteral(".v1.0%1.Update-").arg(between(1, 9)) + group();
    if (category == QLatin1String("XXX"))
        return QStringLiteral("Studio.") + title(1, 2) +
               QStringLiteral(".Vol.%1.XXX.DVDRip.XviD-").arg(between(1, 12)) + group();
    if (category == QLatin1String("Misc"))
        return title(1, 3) +
               QStringLiteral(".Documentary.%1.DVDRip.XviD-").arg(between(1995, 2008)) + group();
    return movieName(category);
}

qint64 ReleaseNameGenerator::sizeFor(const QString &category)
{
    // Usual size ranges in MiB; the first entry whose word the category holds decides.
    struct Range
    {
        const char *word;
        int lowMiB;
        int highMiB;
    };
    static const Range ranges[] = {
        {"Movies/HD", 4300, 8900}, {"DVD-R", 4300, 8900}, {"TV/HD", 1100, 1600}, {"TV", 170, 400},
        {"XviD", 690, 1400},       {"ISO", 700, 7900},    {"360", 700, 7900},    {"PS3", 700, 7900},
        {"PS2", 700, 4400},        {"Wii", 700, 4400},    {"Xbox", 700, 4400},   {"Rip", 300, 2500},
        {"Music Videos", 40, 250}, {"Music", 40, 160},    {"Appz", 2, 600},      {"DOX", 0, 30},
        {"Handheld", 8, 512}};
    int lowMiB = 300;
    int highMiB = 800;
    for (const Range &range : ranges) {
        if (category.contains(QLatin1String(range.word))) {
            lowMiB = range.lowMiB;
            highMiB = range.highMiB;
            break;
        }
    }
    // Whole MiB plus an odd tail, so sizes do not look made up.
    return qint64(between(lowMiB, highMiB)) * kMiB + between(1, int(kMiB) - 1);
}

SiteTorrent ReleaseNameGenerator::make(const QStringList &categories)
{
    SiteTorrent torrent;
    torrent.category = categories.isEmpty() ? QString() : pick(categories);
    const QString &c = torrent.category;
    if (c.startsWith(QLatin1String("TV")))
        torrent.name = tvName(c);
    else if (c.startsWith(QLatin1String("Games")) || c == QLatin1String("Handheld"))
        torrent.name = gameName(c);
    else if (c.startsWith(QLatin1String("Appz")))
        torrent.name = appName(c);
    else if (c.startsWith(QLatin1String("Music")))
        torrent.name = musicName(c);
    else
        torrent.name = otherName(c);
    torrent.size = sizeFor(c);
    torrent.field3 = QString::number(between(0, 350));
    torrent.fileName = torrent.name + QStringLiteral(".torrent");
    return torrent;
}
