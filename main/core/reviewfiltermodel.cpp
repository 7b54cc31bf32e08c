#include "reviewfiltermodel.h"

#include "callbackmarks.h"
#include "recordtablemodel.h"

#include <QCollator>
#include <QDateTime>
#include <QLocale>

#include <algorithm>
#include <numeric>

namespace {

QCollator textCollator()
{
    // The C locale would order by code point, putting "é" after "z".
    QLocale locale;
    if (locale.language() == QLocale::C)
        locale = QLocale(QLocale::English, QLocale::UnitedStates);
    QCollator collator(locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

// Where a goes against b on one level of a sort: -1 first, 1 after, 0 the
// level does not decide. A negative (unreadable) key goes after the others
// either way.
int levelOrder(qint32 a, qint32 b, bool descending)
{
    if (a == b)
        return 0;
    if ((a < 0) != (b < 0))
        return a < 0 ? 1 : -1;
    return (descending ? a > b : a < b) ? -1 : 1;
}

// The number of a record as a key; -1 when it is not one.
qint32 recordNumberKey(const ReviewRows &rows, qint64 row)
{
    char16_t units[ReviewRows::MaxTextUnits];
    bool ok = false;
    const int number = QStringView(units, rows.units(row, 0, units)).trimmed().toInt(&ok, 10);
    return ok && number >= 0 ? number : -1;
}

} // namespace

ReviewFilterModel::ReviewFilterModel(QObject *parent)
    : QAbstractProxyModel(parent)
{
}

void ReviewFilterModel::setRecordModel(RecordTableModel *records)
{
    beginResetModel();
    if (m_records)
        disconnect(m_records, nullptr, this, nullptr);
    m_records = records;
    QAbstractProxyModel::setSourceModel(records);
    if (m_records) {
        connect(m_records, &QAbstractItemModel::modelAboutToBeReset, this, &ReviewFilterModel::recordsAboutToChange);
        connect(m_records, &QAbstractItemModel::modelReset, this, &ReviewFilterModel::recordsChanged);
    }
    forgetKeys();
    rebuild();
    endResetModel();
    emit rowsShownChanged();
}

void ReviewFilterModel::forgetKeys()
{
    m_searchIndex.clear();
    for (std::vector<SortKey> &keys : m_sortKeys)
        keys.clear();
    m_order.clear();
}

void ReviewFilterModel::recordsAboutToChange()
{
    beginResetModel();
}

void ReviewFilterModel::recordsChanged()
{
    // The records were read again: their keys are made afresh, the filter
    // and the order the user chose stay.
    forgetKeys();
    rebuild();
    endResetModel();
    emit rowsShownChanged();
}

void ReviewFilterModel::setFilter(const CallSearch::Filter &filter)
{
    beginResetModel();
    m_filter = filter;
    rebuild();
    endResetModel();
    emit rowsShownChanged();
}

void ReviewFilterModel::sort(int column, Qt::SortOrder order)
{
    if (!m_records || column >= m_records->columnCount())
        return;
    emit layoutAboutToBeChanged();
    const QModelIndexList before = persistentIndexList();
    std::vector<int> recordRows;
    recordRows.reserve(size_t(before.size()));
    for (const QModelIndex &index : before)
        recordRows.push_back(index.isValid() ? m_shown[size_t(index.row())] : -1);

    m_sortColumn = column;
    m_sortOrder = order;
    m_order.clear();
    rebuild();

    QModelIndexList after;
    after.reserve(before.size());
    for (int i = 0; i < before.size(); ++i) {
        const int recordRow = recordRows[size_t(i)];
        after.append(recordRow < 0 ? QModelIndex() : mapFromSource(m_records->index(recordRow, before[i].column())));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged();
    emit rowsShownChanged();
}

void ReviewFilterModel::ensureSearchIndex()
{
    if (m_records && m_searchIndex.size() != m_records->rows().size())
        m_searchIndex.build(m_records->rows());
}

const std::vector<ReviewFilterModel::SortKey> &ReviewFilterModel::sortKeys(int column)
{
    std::vector<SortKey> &keys = m_sortKeys[size_t(column)];
    if (qint64(keys.size()) != m_records->rows().size())
        fillSortKeys(column, keys);
    return keys;
}

void ReviewFilterModel::fillSortKeys(int column, std::vector<SortKey> &keys) const
{
    if (column == RecordTableModel::CallBackColumn) {
        fillCallBackKeys(keys);
        return;
    }
    const ReviewRows &rows = m_records->rows();
    const size_t count = size_t(rows.size());
    const CallRecord::Field field = RecordTableModel::ColumnFields[size_t(column)];
    // Filled in place: a refilled grid sorts again into the memory it had.
    keys.assign(count, SortKey());
    if (field != CallRecord::RecordNumber && field != CallRecord::Date && field != CallRecord::Time) {
        std::vector<QString> texts;
        texts.reserve(count);
        for (size_t i = 0; i < count; ++i)
            texts.push_back(rows.text(qint64(i), column));
        const std::vector<int> ranks = CallSearch::collationRanks(texts, textCollator());
        for (size_t i = 0; i < ranks.size(); ++i)
            keys[i].first = ranks[i];
        return;
    }
    constexpr int DateColumn = 3;
    constexpr int TimeColumn = 5;
    char16_t units[ReviewRows::MaxTextUnits];
    for (size_t i = 0; i < count; ++i) {
        const qint64 row = qint64(i);
        SortKey &key = keys[i];
        if (field == CallRecord::RecordNumber) {
            key.first = recordNumberKey(rows, row);
        } else if (field == CallRecord::Time) {
            key.first = CallSearch::storedMinutes(QStringView(units, rows.units(row, TimeColumn, units)));
        } else {
            int year = 0;
            int month = 0;
            int day = 0;
            const QStringView date(units, rows.units(row, DateColumn, units));
            key.first = CallSearch::storedDateParts(date, year, month, day)
                ? qint32(QDate(year, month, day).toJulianDay())
                : -1;
            key.second = CallSearch::storedMinutes(QStringView(units, rows.units(row, TimeColumn, units)));
            key.third = recordNumberKey(rows, row);
        }
    }
}

// By when the call is to be returned, on the local clock; calls without a
// call-back come last.
void ReviewFilterModel::fillCallBackKeys(std::vector<SortKey> &keys) const
{
    const int count = m_records->rowCount();
    keys.assign(size_t(count), SortKey());
    for (int row = 0; row < count; ++row) {
        const CallBack *callBack = m_records->callBack(row);
        if (!callBack)
            continue;
        const QDateTime due = QDateTime::fromSecsSinceEpoch(callBack->dueAt);
        keys[size_t(row)].first = qint32(due.date().toJulianDay());
        keys[size_t(row)].second = due.time().msecsSinceStartOfDay() / 1000;
        keys[size_t(row)].third = callBack->isDone() ? 1 : 0;
    }
}

void ReviewFilterModel::sortRows()
{
    const std::vector<SortKey> &keys = sortKeys(m_sortColumn);
    m_order.resize(keys.size());
    for (size_t i = 0; i < m_order.size(); ++i)
        m_order[i] = int(i);
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    // Equal keys keep file order.
    std::stable_sort(m_order.begin(), m_order.end(), [&keys, descending](int a, int b) {
        const SortKey &ka = keys[size_t(a)];
        const SortKey &kb = keys[size_t(b)];
        int order = levelOrder(ka.first, kb.first, descending);
        if (order == 0)
            order = levelOrder(ka.second, kb.second, descending);
        if (order == 0)
            order = levelOrder(ka.third, kb.third, descending);
        return order < 0;
    });
}

void ReviewFilterModel::rebuild()
{
    m_shown.clear();
    m_shownAt.clear();
    if (!m_records)
        return;
    const int count = m_records->rowCount();
    if (m_sortColumn >= 0 && m_order.size() != size_t(count))
        sortRows();

    const bool filtering = !m_filter.isEmpty();
    if (!filtering && !m_filter.openCallBacksOnly) {
        // Every row, as a long log mostly opens.
        if (m_sortColumn >= 0)
            m_shown = m_order;
        else {
            m_shown.resize(size_t(count));
            std::iota(m_shown.begin(), m_shown.end(), 0);
        }
        return;
    }
    std::vector<unsigned char> passes;
    if (filtering) {
        ensureSearchIndex();
        passes = m_searchIndex.matches(m_filter);
    }
    m_shown.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const int row = m_sortColumn >= 0 ? m_order[size_t(i)] : i;
        if (m_filter.openCallBacksOnly && !CallBackMarks::isOpen(m_records->callBack(row)))
            continue;
        if (!filtering || passes[size_t(row)])
            m_shown.push_back(row);
    }
}

QString ReviewFilterModel::text(int row, int column) const
{
    if (!m_records || row < 0 || size_t(row) >= m_shown.size())
        return QString();
    return m_records->text(m_shown[size_t(row)], column);
}

QModelIndex ReviewFilterModel::index(int row, int column, const QModelIndex &parent) const
{
    if (parent.isValid() || row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return QModelIndex();
    return createIndex(row, column);
}

QModelIndex ReviewFilterModel::parent(const QModelIndex &) const
{
    return QModelIndex();
}

int ReviewFilterModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_shown.size());
}

int ReviewFilterModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() || !m_records ? 0 : m_records->columnCount();
}

QModelIndex ReviewFilterModel::mapToSource(const QModelIndex &proxyIndex) const
{
    if (!m_records || !proxyIndex.isValid() || proxyIndex.model() != this || proxyIndex.row() >= rowCount())
        return QModelIndex();
    return m_records->index(m_shown[size_t(proxyIndex.row())], proxyIndex.column());
}

QModelIndex ReviewFilterModel::mapFromSource(const QModelIndex &sourceIndex) const
{
    if (!m_records || !sourceIndex.isValid() || sourceIndex.model() != m_records)
        return QModelIndex();
    if (m_shownAt.size() != size_t(m_records->rowCount())) {
        m_shownAt.assign(size_t(m_records->rowCount()), -1);
        for (size_t i = 0; i < m_shown.size(); ++i)
            m_shownAt[size_t(m_shown[i])] = int(i);
    }
    const int row = sourceIndex.row() < int(m_shownAt.size()) ? m_shownAt[size_t(sourceIndex.row())] : -1;
    return row < 0 ? QModelIndex() : index(row, sourceIndex.column());
}

QVariant ReviewFilterModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (!m_records)
        return QVariant();
    return m_records->headerData(section, orientation, role);
}
