#include "search/SearchResultModel.h"

#include "notify/SummaryRows.h"
#include "search/SearchDatabase.h"

#include <algorithm>
#include <cstring>
#include <numeric>

SearchResultModel::SearchResultModel(const QLocale &locale, QObject *parent)
    : QAbstractTableModel(parent), m_locale(locale)
{
}

SearchResultModel::~SearchResultModel() = default;

QString SearchResultModel::headerText(int column)
{
    switch (column) {
    case NameColumn:
        return QStringLiteral("Torrent Name");
    case TypeColumn:
        return QStringLiteral("Type");
    case SizeColumn:
        return QStringLiteral("Size (MB)");
    default:
        return QString();
    }
}

void SearchResultModel::setResults(std::shared_ptr<const SearchDatabase> database,
                                   std::vector<quint32> rows)
{
    beginResetModel();
    m_database = std::move(database);
    m_results = std::move(rows);
    if (!m_database)
        m_results.clear();
    m_order.resize(m_results.size());
    std::iota(m_order.begin(), m_order.end(), 0u);
    endResetModel();
}

void SearchResultModel::clear()
{
    setResults(nullptr, {});
}

int SearchResultModel::resultAt(int listRow) const
{
    if (listRow < 0 || size_t(listRow) >= m_order.size())
        return -1;
    return int(m_order[size_t(listRow)]);
}

QString SearchResultModel::key(int listRow) const
{
    const int result = resultAt(listRow);
    return result < 0 ? QString() : QLatin1Char('T') + QString::number(result);
}

int SearchResultModel::resultOfKey(const QString &key) const
{
    if (!key.startsWith(QLatin1Char('T')))
        return -1;
    bool ok = false;
    const int result = key.mid(1).toInt(&ok);
    return ok && result >= 0 && result < resultCount() ? result : -1;
}

MatchRecord SearchResultModel::record(int result) const
{
    MatchRecord r;
    const int row = databaseRow(result);
    const QByteArrayView size = m_database->sizeText(row);
    r.Id = m_database->id(row);
    r.Name = m_database->name(row);
    r.Size = QString::fromLatin1(size.data(), size.size());
    r.Category = m_database->category(row);
    r.FileName = m_database->fileName(row);
    return r;
}

int SearchResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_order.size());
}

int SearchResultModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SearchResultModel::data(const QModelIndex &index, int role) const
{
    const int result = index.isValid() ? resultAt(index.row()) : -1;
    if (result < 0)
        return QVariant();
    if (role == Qt::TextAlignmentRole && index.column() == SizeColumn)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return QVariant();
    const int row = databaseRow(result);
    switch (index.column()) {
    case NameColumn:
        return m_database->name(row);
    case TypeColumn:
        return m_database->category(row);
    case SizeColumn: {
        const QByteArrayView size = m_database->sizeText(row);
        return SummaryRows::sizeInMb(QString::fromLatin1(size.data(), size.size()), m_locale);
    }
    default:
        return QVariant();
    }
}

QVariant SearchResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return headerText(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void SearchResultModel::sort(int column, Qt::SortOrder order)
{
    if (!m_database || (column != NameColumn && column != TypeColumn))
        return;
    const SearchDatabase &db = *m_database;
    // Categories compare by their place among the category names sorted without regard to
    // case.
    std::vector<int> byName(size_t(db.categories().size()));
    std::iota(byName.begin(), byName.end(), 0);
    std::stable_sort(byName.begin(), byName.end(), [&](int a, int b) {
        return db.categories()[a].compare(db.categories()[b], Qt::CaseInsensitive) < 0;
    });
    std::vector<int> rank(byName.size());
    for (size_t i = 0; i < byName.size(); ++i) {
        const bool same = i > 0 && db.categories()[byName[i]].compare(
                                       db.categories()[byName[i - 1]], Qt::CaseInsensitive) == 0;
        rank[size_t(byName[i])] = same ? rank[size_t(byName[i - 1])] : int(i);
    }
    const auto less = [&](quint32 a, quint32 b) {
        const int rowA = int(m_results[a]);
        const int rowB = int(m_results[b]);
        if (column == TypeColumn)
            return rank[size_t(db.categoryIndex(rowA))] < rank[size_t(db.categoryIndex(rowB))];
        // The lowered names compare as the names do without regard to case.
        const QByteArrayView nameA = db.loweredName(rowA);
        const QByteArrayView nameB = db.loweredName(rowB);
        const int common =
            std::memcmp(nameA.data(), nameB.data(), size_t(std::min(nameA.size(), nameB.size())));
        return common != 0 ? common < 0 : nameA.size() < nameB.size();
    };
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // The selection and the current row follow their results to their new places.
    const QModelIndexList before = persistentIndexList();
    std::vector<int> resultsBefore;
    resultsBefore.reserve(size_t(before.size()));
    for (const QModelIndex &index : before)
        resultsBefore.push_back(resultAt(index.row()));
    if (order == Qt::AscendingOrder)
        std::stable_sort(m_order.begin(), m_order.end(), less);
    else
        std::stable_sort(m_order.begin(), m_order.end(),
                         [&](quint32 a, quint32 b) { return less(b, a); });
    std::vector<int> listRowOf(m_order.size());
    for (size_t i = 0; i < m_order.size(); ++i)
        listRowOf[m_order[i]] = int(i);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i) {
        const int result = resultsBefore[size_t(i)];
        after.append(result < 0 ? QModelIndex()
                                : createIndex(listRowOf[size_t(result)], before[i].column()));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}
