#pragma once

#include "search/SubstringFinder.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <memory>
#include <vector>

// torrents.db read into memory for searching: one unchangeable snapshot that the search window
// holds and other windows may share (std::shared_ptr<const SearchDatabase>).
//
// The file is read once into one buffer; a row is the offsets of its line in that buffer. The
// names are lower-cased once (each "." read as a blank, as every reader of the file does) into
// one contiguous text in which every name is followed by a LF, so a search is one pass over
// that text. Rows keep the file's order (ascending ids); row rowCount() - 1 is the newest.
//
// Rows are the lines ended by CR LF; whatever follows the last CR LF is not a row. A line
// without a TAB is skipped and counted; the rest still load.
class SearchDatabase
{
public:
    enum class Status
    {
        Loaded,     // at least one row
        Missing,    // no such file
        Unreadable, // the file exists but cannot be read
        NoRows,     // no line ended by CR LF, or no such line holds a TAB
        TooLarge,   // past the 4 GiB that the row offsets can address
    };

    struct LoadResult
    {
        Status status = Status::Missing;
        // The snapshot; null unless Loaded.
        std::shared_ptr<const SearchDatabase> database;
        // Lines ended by CR LF that hold no TAB and were left out.
        int skippedRows = 0;
        // Why the file could not be read (Unreadable).
        QString error;
    };

    // Reads the whole file.
    static LoadResult load(const QString &path);
    // Reads the file's bytes; sourceSize() is their length.
    static LoadResult fromBytes(QByteArray bytes);

    int rowCount() const { return int(m_rows.size()); }

    // The fields of a row, as the file holds them.
    QByteArrayView idText(int row) const { return field(row, 0); }
    QByteArrayView sizeText(int row) const { return field(row, 1); }
    // The Id as the 32-bit number a result carries (0 when it is not a number).
    qint32 id(int row) const;
    // The name with every "." shown as a blank.
    QString name(int row) const;
    // The category name; an empty field reads "n/a".
    const QString &category(int row) const { return m_categories[m_rows[size_t(row)].category]; }
    int categoryIndex(int row) const { return int(m_rows[size_t(row)].category); }
    QString fileName(int row) const;

    // The distinct category names of the rows, in the order they first occur.
    const QStringList &categories() const { return m_categories; }
    // The index of a category name (exact, case-sensitive), or -1 when no row has it.
    int categoryIndexOf(const QString &name) const { return int(m_categories.indexOf(name)); }

    // The lower-cased names, each followed by a LF; name(row) lowered starts at
    // nameStart(row) and ends (exclusive) at nameEnd(row), where its LF is.
    const char *loweredNames() const { return m_lowered.constData(); }
    qsizetype loweredSize() const { return m_lowered.size(); }
    quint32 nameStart(int row) const { return m_nameStart[row]; }
    quint32 nameEnd(int row) const { return m_nameStart[row + 1] - 1; }
    QByteArrayView loweredName(int row) const
    {
        return QByteArrayView(m_lowered.constData() + nameStart(row),
                              nameEnd(row) - nameStart(row));
    }
    // The row whose name (or its closing LF) holds the position of the lowered text, searching
    // from row `from` on.
    int rowAt(quint32 position, int from = 0) const;

    // Calls visit(row) once for every row, oldest first, whose lowered name holds `literal`
    // (lower-cased Latin-1 bytes; every row when it is empty). One pass over the lowered names;
    // an occurrence running on into the next name is none.
    template <typename Visit> void forEachRowHolding(const QByteArray &literal, Visit visit) const;

    // The Id text of the newest (last) row.
    QString lastIdText() const;
    // The length of the file the snapshot was read from.
    qint64 sourceSize() const { return m_file.size(); }
    // Bytes held by the snapshot (file buffer, lowered names and row tables).
    qint64 memoryBytes() const;

    // The lower-casing of names: the filters' matcher's (QString::toLower) for each Latin-1
    // character, with "." read as a blank as every reader of the file does.
    static const uchar *nameLowerTable();

private:
    // Offsets are 32-bit: a file up to this size.
    static constexpr qint64 MaxFileSize = qint64(0xFFFFFFFFu) - 2;

    struct Row
    {
        quint32 start; // first byte of the line in the file buffer
        quint32 category;
    };

    QByteArrayView field(int row, int index) const;

    QByteArray m_file;
    QByteArray m_lowered;
    std::vector<Row> m_rows;
    std::vector<quint32> m_nameStart; // rowCount() + 1 entries
    QStringList m_categories;
};

template <typename Visit>
void SearchDatabase::forEachRowHolding(const QByteArray &literal, Visit visit) const
{
    if (literal.isEmpty()) {
        for (int row = 0; row < rowCount(); ++row)
            visit(row);
        return;
    }
    const char *text = loweredNames();
    const size_t size = size_t(loweredSize());
    const size_t length = size_t(literal.size());
    const SubstringFinder finder(literal);
    size_t at = 0;
    int row = 0;
    while (at < size) {
        const size_t hit = finder.find(text, size, at);
        if (hit == SubstringFinder::NotFound)
            break;
        const quint32 position = quint32(hit);
        row = rowAt(position, row);
        if (position + length > nameEnd(row)) {
            at = position + 1; // runs on into the next name: no match there
            continue;
        }
        visit(row);
        at = nameStart(row + 1);
    }
}
