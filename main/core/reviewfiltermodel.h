#ifndef REVIEWFILTERMODEL_H
#define REVIEWFILTERMODEL_H

#include "callsearch.h"
#include "recordtablemodel.h"
#include "reviewsearchindex.h"

#include <QAbstractProxyModel>

#include <array>
#include <vector>

// The review grid's rows as the user asked for them: the records that pass
// the filter, in the order of the heading last clicked (file order at first).
// Keys for the search and for each column's sort are made when first needed
// and kept until the records are read again, so that a keystroke costs one
// pass over the log and sorting a column again costs only the sort.
// Dates sort by the day, then the time by the clock, then the record number;
// texts that are not a number, date or time where one belongs come last in
// either direction.
class ReviewFilterModel : public QAbstractProxyModel
{
    Q_OBJECT

public:
    explicit ReviewFilterModel(QObject *parent = nullptr);

    void setRecordModel(RecordTableModel *records);
    RecordTableModel *recordModel() const { return m_records; }

    void setFilter(const CallSearch::Filter &filter);
    const CallSearch::Filter &filter() const { return m_filter; }

    // Column of the current order, -1 for file order.
    int sortColumn() const { return m_sortColumn; }
    Qt::SortOrder sortOrder() const { return m_sortOrder; }
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // Text of column `column` on shown row `row`.
    QString text(int row, int column) const;

    // The record rows shown, in their order.
    const std::vector<int> &shownRows() const { return m_shown; }

    QModelIndex index(int row, int column, const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QModelIndex mapToSource(const QModelIndex &proxyIndex) const override;
    QModelIndex mapFromSource(const QModelIndex &sourceIndex) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

signals:
    void rowsShownChanged();

private:
    void recordsAboutToChange();
    void recordsChanged();
    void rebuild();
    void forgetKeys();
    void ensureSearchIndex();
    // A record's place in a column's order, compared level by level; a
    // negative level is a text that cannot be read as what it should hold.
    // A date's levels are its day, its time and the record's number.
    struct SortKey
    {
        qint32 first = -1;
        qint32 second = 0;
        qint32 third = 0;
    };
    const std::vector<SortKey> &sortKeys(int column);
    void fillSortKeys(int column, std::vector<SortKey> &keys) const;
    void fillCallBackKeys(std::vector<SortKey> &keys) const;
    void sortRows();

    RecordTableModel *m_records = nullptr;
    CallSearch::Filter m_filter;
    int m_sortColumn = -1;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
    ReviewSearchIndex m_searchIndex; // empty until a filter needs it
    std::array<std::vector<SortKey>, RecordTableModel::ShownColumnCount>
        m_sortKeys; // per column, empty until sorted by it
    std::vector<int> m_order; // every record row in sort order; empty for file order
    std::vector<int> m_shown;
    mutable std::vector<int> m_shownAt; // record row to shown row, -1 when hidden; made on demand
};

#endif // REVIEWFILTERMODEL_H
