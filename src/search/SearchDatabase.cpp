#include "search/SearchDatabase.h"

#include <QChar>
#include <QFile>

#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <string_view>
#include <unordered_map>

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
    if (file.size() > qint64(std::numeric_limits<quint32>::max()) - 2) {
        result.status = Status::TooLarge;
        return result;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        result.status = Status::Unreadable;
        result.error = file.errorString();
        return result;
    }
    return fromBytes(std::move(bytes));
}

SearchDatabase::LoadResult SearchDatabase::fromBytes(QByteArray bytes)
{
    LoadResult result;
    if (bytes.size() > qint64(std::numeric_limits<quint32>::max()) - 2) {
        result.status = Status::TooLarge;
        return result;
    }
    std::shared_ptr<SearchDatabase> db(new SearchDatabase);
    db->m_file = std::move(bytes);
    const char *base = db->m_file.constData();
    const char *end = base + db->m_file.size();
    const uchar *lower = nameLowerTable();

    // Names take about a third of a line; the buffer grows when they take more.
    std::vector<char> &lowered = db->m_lowered;
    lowered.reserve(size_t(db->m_file.size() / 3) + 64);
    db->m_nameStart.push_back(0);
    std::unordered_map<std::string_view, quint32> categoryIndex;
    static constexpr std::string_view NoCategory("n/a");

    const char *line = base;
    while (const char *cr = lineEnd(line, end)) {
        const char *next = cr + 2;
        const char *f0End = fieldEnd(line, cr);
        if (f0End == cr) {
            ++result.skippedRows;
            line = next;
            continue;
        }
        // Fields 1 to 4: size, category, the unused field, name.
        const char *f1End = fieldEnd(f0End + 1, cr);
        const char *f2Start = std::min(f1End + 1, cr);
        const char *f2End = fieldEnd(f2Start, cr);
        const char *f3End = fieldEnd(std::min(f2End + 1, cr), cr);
        const char *f4Start = std::min(f3End + 1, cr);
        const char *f4End = fieldEnd(f4Start, cr);

        std::string_view category(f2Start, size_t(f2End - f2Start));
        if (category.empty())
            category = NoCategory;
        auto found = categoryIndex.find(category);
        if (found == categoryIndex.end()) {
            found = categoryIndex.emplace(category, quint32(db->m_categories.size())).first;
            db->m_categories.append(
                QString::fromLatin1(category.data(), qsizetype(category.size())));
        }

        const size_t nameLength = size_t(f4End - f4Start);
        const size_t at = lowered.size();
        lowered.resize(at + nameLength + 1);
        char *out = lowered.data() + at;
        for (size_t i = 0; i < nameLength; ++i)
            out[i] = char(lower[uchar(f4Start[i])]);
        out[nameLength] = '\n';

        db->m_rows.push_back({quint32(line - base), quint32(cr - base), found->second});
        db->m_nameStart.push_back(quint32(lowered.size()));
        line = next;
    }

    if (db->m_rows.empty()) {
        result.status = Status::NoRows;
        return result;
    }
    lowered.shrink_to_fit();
    db->m_rows.shrink_to_fit();
    db->m_nameStart.shrink_to_fit();
    result.status = Status::Loaded;
    result.database = std::move(db);
    return result;
}

QByteArrayView SearchDatabase::field(int row, int index) const
{
    const Row &r = m_rows[row];
    const char *end = m_file.constData() + r.end;
    const char *start = m_file.constData() + r.start;
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
    // nameStart(r) <= position < nameStart(r + 1)
    const auto first = m_nameStart.begin() + from + 1;
    const auto it = std::upper_bound(first, m_nameStart.end(), position);
    return int(it - m_nameStart.begin()) - 1;
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
    return m_file.capacity() + qint64(m_lowered.capacity()) +
           qint64(m_rows.capacity() * sizeof(Row)) +
           qint64(m_nameStart.capacity() * sizeof(quint32));
}
