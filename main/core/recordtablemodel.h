#ifndef RECORDTABLEMODEL_H
#define RECORDTABLEMODEL_H

#include "callrecord.h"
#include "reviewrows.h"

#include <QAbstractTableModel>

#include <array>
#include <vector>

// The records of the review grid, one row each in file order. Only the texts
// the grid shows are kept, compactly (ReviewRows), so a long log costs about
// an eighth of its file. The Status and Type cells and headings explain their
// letters in their tool tips.
class RecordTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int ColumnCount = 9;
    // Field shown in each column, left to right.
    static const std::array<CallRecord::Field, ColumnCount> ColumnFields;
    static const std::array<QString, ColumnCount> Headings;

    explicit RecordTableModel(QObject *parent = nullptr);

    void setRows(ReviewRows rows);
    // The same for records in slots 0, 1, 2 and on.
    void setRecords(const std::vector<CallRecord> &records);
    const ReviewRows &rows() const { return m_rows; }

    QString text(int row, int column) const;

    static constexpr int StatusColumn = 1;
    static constexpr int TypeColumn = 2;
    // What the letters of the Status or Type column stand for, one per line;
    // empty for the other columns.
    static QString legend(int column);
    // What the letter `letter` of that column stands for; the whole legend
    // when it is none of that column's letters.
    static QString meaning(int column, QStringView letter);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    ReviewRows m_rows;
};

#endif // RECORDTABLEMODEL_H
