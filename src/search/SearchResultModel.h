#pragma once

#include "notify/MatchRecord.h"

#include <QAbstractTableModel>
#include <QLocale>

#include <memory>
#include <vector>

class SearchDatabase;

// The search window's result list as a table over result indices into a SearchDatabase: the
// columns "Torrent Name", "Type" and "Size (MB)" (bytes / 1048576 with two decimals in the
// locale's number format). Only the rows on screen are ever turned into text, so a list of a
// million results costs what a screenful does.
//
// Results keep the order they were found in (newest first) until sort() orders them by name
// or type, without regard to letter case; every new result list starts unsorted again. A
// result's key is "T" followed by its index in the result list, whatever the order shown.
class SearchResultModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        NameColumn,
        TypeColumn,
        SizeColumn,
        ColumnCount
    };

    explicit SearchResultModel(const QLocale &locale = QLocale(), QObject *parent = nullptr);
    ~SearchResultModel() override;

    // A new result list: rows of the database, in result order.
    void setResults(std::shared_ptr<const SearchDatabase> database, std::vector<quint32> rows);
    void clear();

    int resultCount() const { return int(m_results.size()); }
    // The result shown at a list row, or -1.
    int resultAt(int listRow) const;
    // "T" + the result index of a list row; empty for no row.
    QString key(int listRow) const;
    // The result index a key names, or -1 when it names none.
    int resultOfKey(const QString &key) const;
    // A result as a MatchRecord (Id, Name, Size, Category, FileName; FilterIndex and
    // Downloaded 0).
    MatchRecord record(int result) const;
    // The database row of a result.
    int databaseRow(int result) const { return int(m_results[size_t(result)]); }
    const std::shared_ptr<const SearchDatabase> &database() const { return m_database; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    // Orders the list by name or type (stable: equal entries keep their order); the size
    // column is left as it is.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    static QString headerText(int column);

private:
    QLocale m_locale;
    std::shared_ptr<const SearchDatabase> m_database;
    std::vector<quint32> m_results; // database rows in result order
    std::vector<quint32> m_order;   // list row -> result index
};
