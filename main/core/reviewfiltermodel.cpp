#include "reviewfiltermodel.h"

#include "recordtablemodel.h"

#include <QCollator>
#include <QLocale>

#include <algorithm>

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
    m_searchRows.clear();
    m_order.clear();
    rebuild();
    endResetModel();
    emit rowsShownChanged();
}

void ReviewFilterModel::recordsAboutToChange()
{
    beginResetModel();
}

void ReviewFilterModel::recordsChanged()
{
    // The records were read again: their keys are made afresh, the filter
    // and the order the user chose stay.
    m_searchRows.clear();
    m_order.clear();
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

void ReviewFilterModel::ensureSearchRows()
{
    if (!m_records || !m_searchRows.empty())
        return;
    const std::vector<CallRecord> &records = m_records->records();
    m_searchRows.reserve(records.size());
    for (const CallRecord &record : records)
        m_searchRows.push_back(CallSearch::rowOf(record));
}

std::vector<qint64> ReviewFilterModel::sortKeys(int column) const
{
    const std::vector<CallRecord> &records = m_records->records();
    const CallRecord::Field field = RecordTableModel::ColumnFields[size_t(column)];
    std::vector<qint64> keys(records.size());
    if (field == CallRecord::RecordNumber || field == CallRecord::Date || field == CallRecord::Time) {
        for (size_t i = 0; i < records.size(); ++i) {
            const QString text = records[i].text(field);
            qint64 key = -1;
            if (field == CallRecord::RecordNumber) {
                bool ok = false;
                const int number = text.trimmed().toInt(&ok, 10);
                key = ok && number >= 0 ? number : -1;
            } else if (field == CallRecord::Date) {
                const QDate date = CallSearch::storedDate(text);
                key = date.isValid() ? date.toJulianDay() : -1;
            } else {
                key = CallSearch::storedMinutes(text);
            }
            keys[i] = key;
        }
        return keys;
    }
    std::vector<QString> texts;
    texts.reserve(records.size());
    for (const CallRecord &record : records)
        texts.push_back(record.text(field));
    const std::vector<int> ranks = CallSearch::collationRanks(texts, textCollator());
    for (size_t i = 0; i < ranks.size(); ++i)
        keys[i] = ranks[i];
    return keys;
}

void ReviewFilterModel::rebuild()
{
    m_shown.clear();
    m_shownAt.clear();
    if (!m_records)
        return;
    const int count = m_records->rowCount();
    if (m_sortColumn >= 0 && m_order.size() != size_t(count)) {
        const std::vector<qint64> keys = sortKeys(m_sortColumn);
        m_order.resize(size_t(count));
        for (int i = 0; i < count; ++i)
            m_order[size_t(i)] = i;
        const bool descending = m_sortOrder == Qt::DescendingOrder;
        // Texts that are not what the column holds come after the readable
        // ones either way; equal keys keep file order.
        std::stable_sort(m_order.begin(), m_order.end(), [&keys, descending](int a, int b) {
            const qint64 ka = keys[size_t(a)];
            const qint64 kb = keys[size_t(b)];
            if ((ka < 0) != (kb < 0))
                return kb < 0;
            return descending ? ka > kb : ka < kb;
        });
    }

    const bool filtering = !m_filter.isEmpty();
    if (filtering)
        ensureSearchRows();
    const CallSearch::Matcher matcher(m_filter);
    m_shown.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        const int row = m_sortColumn >= 0 ? m_order[size_t(i)] : i;
        if (!filtering || matcher.matches(m_searchRows[size_t(row)]))
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
