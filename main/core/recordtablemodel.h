#ifndef RECORDTABLEMODEL_H
#define RECORDTABLEMODEL_H

#include "callrecord.h"
#include "companionstore.h"
#include "reviewrows.h"

#include <QAbstractTableModel>

#include <array>
#include <unordered_map>
#include <vector>

// The records of the review grid, one row each in file order. Only the texts
// the grid shows are kept, compactly (ReviewRows), so a long log costs about
// an eighth of its file. The Status and Type cells and headings explain their
// letters in their tool tips. After the record's nine columns comes the
// "Call back" column, from the companion store.
class CallBackMarks;

class RecordTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    static constexpr int ColumnCount = 9;
    // Field shown in each column, left to right.
    static const std::array<CallRecord::Field, ColumnCount> ColumnFields;
    static const std::array<QString, ColumnCount> Headings;
    // The column after the record's own: when the call is to be returned.
    static constexpr int CallBackColumn = ColumnCount;
    static constexpr int ShownColumnCount = ColumnCount + 1;
    static const QString CallBackHeading;
    static QString heading(int column);

    explicit RecordTableModel(QObject *parent = nullptr);

    // The rows' call-backs, by row; few rows have one.
    using CallBacks = std::unordered_map<int, CallBack>;
    void setRows(ReviewRows rows, CallBacks callBacks = {});
    // The same for records in slots 0, 1, 2 and on, their call-backs found in
    // `callBacks` (none when it is null).
    void setRecords(const std::vector<CallRecord> &records, const CallBackMarks *callBacks = nullptr);
    const ReviewRows &rows() const { return m_rows; }

    QString text(int row, int column) const;
    // The call-back of the call on `row`, or null.
    const CallBack *callBack(int row) const;

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
    CallBacks m_callBacks;
};

#endif // RECORDTABLEMODEL_H
