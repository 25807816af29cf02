#include "search/SearchDatabase.h"

#include <QChar>
#include <QFile>

#if defined(__linux__)
#include <sys/mman.h>
#endif

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

namespace {

// The CR LF that ends the line starting at `from`, or null when none follows.
const char *lineEnd(const char *from, const char *end)
{
    const char *search = from;
    while (search < end) {
        const void *lf = std::memchr(search, '\n', size_t(end - search));
        if (!lf)
            return nullptr;
        const char *at = static_cast<const char *>(lf);
        if (at > from && at[-1] == '\r')
            return at - 1;
        search = at + 1;
    }
    return nullptr;
}

// The TAB at or after `from`, or `end`.
const char *fieldEnd(const char *from, const char *end)
{
    if (from >= end)
        return end;
    const void *tab = std::memchr(from, '\t', size_t(end - from));
    return tab ? static_cast<const char *>(tab) : end;
}

// Large buffers are backed by huge pages where the system offers them on request: touching a
// hundred megabytes page by page costs far more than reading them.
void adviseHugePages(const void *data, size_t size)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr uintptr_t HugePage = 2 * 1024 * 1024;
    const uintptr_t begin = (reinterpret_cast<uintptr_t>(data) + HugePage - 1) & ~(HugePage - 1);
    const uintptr_t end = (reinterpret_cast<uintptr_t>(data) + size) & ~(HugePage - 1);
    if (end > begin)
        madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#else
    Q_UNUSED(data)
    Q_UNUSED(size)
#endif
}

} // namespace

const uchar *SearchDatabase::nameLowerTable()
{
    static const auto table = [] {
        std::array<uchar, 256> t{};
        for (int c = 0; c < 256; ++c) {
            const char16_t lower = QChar(char16_t(c)).toLower().unicode();
            // Every Latin-1 letter lower-cases inside Latin-1; keep the character otherwise.
            t[c] = lower <= 0xff ? uchar(lower) : uchar(c);
        }
        t[uchar('.')] = uchar(' ');
        return t;
    }();
    return table.data();
}

SearchDatabase::LoadResult SearchDatabase::load(const QString &path)
{
    LoadResult result;
    QFile file(path);
    if (!file.exists())
        return result;
    if (!file.open(QIODevice::ReadOnly)) {
        result.status = Status::Unreadable;
        result.error = file.errorString();
        return result;
    }
    const qint64 size = file.size();
    if (size > MaxFileSize) {
        result.status = Status::TooLarge;
        return result;
    }
    // Exactly the file's length: the buffer is most of the snapshot's memory.
    QByteArray bytes(qsizetype(size), Qt::Uninitialized);
    adviseHugePages(bytes.constData(), size_t(size));
    qint64 read = 0;
    while (read < size) {
        const qint64 got = file.read(bytes.data() + read, size - read);
        if (got <= 0)
            break;
        read += got;
    }
    if (file.error() != QFileDevice::NoError) {
        result.status = Status::Unreadable;
        result.error = file.errorString();
        return result;
    }
    bytes.truncate(qsizetype(read));
    return fromBytes(std::move(bytes));
}

namespace {

// The distinct categories met while reading, found again by a small open-addressing hash
// table over their bytes in the file buffer.
class CategoryTable
{
public:
    CategoryTable() : m_slots(64, -1) {}

    quint32 indexOf(std::string_view name, QStringList &categories)
    {
        const quint32 hash = hashOf(name);
        size_t slot = hash & (m_slots.size() - 1);
        while (m_slots[slot] >= 0) {
            const int index = m_slots[slot];
            if (m_hashes[size_t(index)] == hash && m_names[size_t(index)] == name)
                return quint32(index);
            slot = (slot + 1) & (m_slots.size() - 1);
        }
        const int index = int(m_names.size());
        m_names.push_back(name);
        m_hashes.push_back(hash);
        m_slots[slot] = index;
        categories.append(QString::fromLatin1(name.data(), qsizetype(name.size())));
        if (m_names.size() * 2 > m_slots.size())
            grow();
        return quint32(index);
    }

private:
    static quint32 hashOf(std::string_view name)
    {
        quint32 hash = 2166136261u; // FNV-1a
        for (const char c : name)
            hash = (hash ^ uchar(c)) * 16777619u;
        return hash;
    }
    void grow()
    {
        std::vector<int> table(m_slots.size() * 2, -1);
        for (size_t index = 0; index < m_names.size(); ++index) {
            size_t slot = m_hashes[index] & (table.size() - 1);
            while (table[slot] >= 0)
                slot = (slot + 1) & (table.size() - 1);
            table[slot] = int(index);
        }
        m_slots.swap(table);
    }

    std::vector<int> m_slots;
    std::vector<std::string_view> m_names;
    std::vector<quint32> m_hashes;
};

const char *skipField(const char *from, const char *end)
{
    while (from < end && *from != '\t')
        ++from;
    return from;
}

} // namespace

SearchDatabase::LoadResult SearchDatabase::fromBytes(QByteArray bytes)
{
    LoadResult result;
    if (bytes.size() > MaxFileSize) {
        result.status = Status::TooLarge;
        return result;
    }
    std::shared_ptr<SearchDatabase> db(new SearchDatabase);
    db->m_file = std::move(bytes);
    const char *base = db->m_file.constData();
    const char *end = base + db->m_file.size();
    const uchar *lower = nameLowerTable();

    // One row per line end at most: the tables are sized once.
    size_t lineEnds = 0;
    for (const char *p = base; p < end; ++lineEnds) {
        const void *lf = std::memchr(p, '\n', size_t(end - p));
        if (!lf)
            break;
        p = static_cast<const char *>(lf) + 1;
    }
    db->m_rows.reserve(lineEnds);
    adviseHugePages(db->m_rows.data(), lineEnds * sizeof(Row));
    db->m_nameStart.reserve(lineEnds + 1);
    adviseHugePages(db->m_nameStart.data(), (lineEnds + 1) * sizeof(quint32));
    db->m_nameStart.push_back(0);
    // Names take about a third of a line; the text grows when they take more.
    QByteArray &lowered = db->m_lowered;
    lowered.resize(db->m_file.size() * 2 / 5 + 64);
    adviseHugePages(lowered.constData(), size_t(lowered.size()));
    qsizetype used = 0;
    CategoryTable categories;
    static constexpr std::string_view NoCategory("n/a");

    const char *line = base;
    while (const char *cr = lineEnd(line, end)) {
        // Fields: Id, Size, Category, the unused field, Name, FileName.
        const char *f0End = skipField(line, cr);
        if (f0End == cr) {
            ++result.skippedRows;
            line = cr + 2;
            continue;
        }
        const char *f2Start = std::min(skipField(f0End + 1, cr) + 1, cr);
        const char *f2End = skipField(f2Start, cr);
        const char *nameStart = std::min(skipField(std::min(f2End + 1, cr), cr) + 1, cr);

        std::string_view category(f2Start, size_t(f2End - f2Start));
        if (category.empty())
            category = NoCategory;

        // The name, lower-cased, and its LF.
        if (used + (cr - nameStart) + 1 > lowered.size()) {
            lowered.resize(std::max(lowered.size() * 2, used + (cr - nameStart) + 1));
            adviseHugePages(lowered.constData(), size_t(lowered.size()));
        }
        char *out = lowered.data();
        const char *in = nameStart;
        while (in < cr && *in != '\t')
            out[used++] = char(lower[uchar(*in++)]);
        out[used++] = '\n';

        db->m_rows.push_back(
            {quint32(line - base), categories.indexOf(category, db->m_categories)});
        db->m_nameStart.push_back(quint32(used));
        line = cr + 2;
    }

    if (db->m_rows.empty()) {
        result.status = Status::NoRows;
        return result;
    }
    lowered.truncate(used);
    if (lowered.capacity() - used > used / 16)
        lowered.squeeze();
    result.status = Status::Loaded;
    result.database = std::move(db);
    return result;
}

QByteArrayView SearchDatabase::field(int row, int index) const
{
    const char *start = m_file.constData() + m_rows[size_t(row)].start;
    const char *end = lineEnd(start, m_file.constData() + m_file.size());
    for (int i = 0; i < index; ++i) {
        start = fieldEnd(start, end);
        if (start == end)
            return QByteArrayView();
        ++start;
    }
    return QByteArrayView(start, fieldEnd(start, end) - start);
}

qint32 SearchDatabase::id(int row) const
{
    bool ok = false;
    const qint32 value = idText(row).trimmed().toInt(&ok);
    return ok ? value : 0;
}

QString SearchDatabase::name(int row) const
{
    const QByteArrayView bytes = field(row, 4);
    QString text = QString::fromLatin1(bytes.data(), bytes.size());
    text.replace(QLatin1Char('.'), QLatin1Char(' '));
    return text;
}

QString SearchDatabase::fileName(int row) const
{
    const QByteArrayView bytes = field(row, 5);
    return QString::fromLatin1(bytes.data(), bytes.size());
}

int SearchDatabase::rowAt(quint32 position, int from) const
{
    // The row r with nameStart(r) <= position < nameStart(r + 1). Searches find their hits in
    // ascending order, usually a few rows on: gallop forward from `from`, then halve.
    const quint32 *starts = m_nameStart.data();
    const int count = rowCount();
    int low = from;
    int high = from + 1;
    for (int step = 1; high < count && starts[high] <= position; step *= 2) {
        low = high;
        high = std::min(count, high + step);
    }
    return int(std::upper_bound(starts + low + 1, starts + high + 1, position) - starts) - 1;
}

QString SearchDatabase::lastIdText() const
{
    if (m_rows.empty())
        return QString();
    const QByteArrayView bytes = idText(rowCount() - 1);
    return QString::fromLatin1(bytes.data(), bytes.size());
}

qint64 SearchDatabase::memoryBytes() const
{
    return m_file.capacity() + m_lowered.capacity() + qint64(m_rows.capacity() * sizeof(Row)) +
           qint64(m_nameStart.capacity() * sizeof(quint32));
}
