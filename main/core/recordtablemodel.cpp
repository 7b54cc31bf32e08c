#include "recordtablemodel.h"

const std::array<CallRecord::Field, RecordTableModel::ColumnCount> RecordTableModel::ColumnFields = {
    CallRecord::RecordNumber, CallRecord::Status, CallRecord::Type,    CallRecord::Date,  CallRecord::Phone,
    CallRecord::Time,         CallRecord::Name,   CallRecord::Company, CallRecord::Notes,
};

const std::array<QString, RecordTableModel::ColumnCount> RecordTableModel::Headings = {
    QStringLiteral("Record"), QStringLiteral("Status "),  QStringLiteral("Type "),
    QStringLiteral("Date "),  QStringLiteral("Phone "),   QStringLiteral("Time "),
    QStringLiteral("Name "),  QStringLiteral("Company "), QStringLiteral("Notes "),
};

RecordTableModel::RecordTableModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void RecordTableModel::setRecords(std::vector<CallRecord> records)
{
    beginResetModel();
    m_records = std::move(records);
    endResetModel();
}

QString RecordTableModel::text(int row, int column) const
{
    if (row < 0 || size_t(row) >= m_records.size() || column < 0 || column >= ColumnCount)
        return QString();
    return m_records[size_t(row)].text(ColumnFields[size_t(column)]);
}

int RecordTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_records.size());
}

int RecordTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RecordTableModel::data(const QModelIndex &index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return QVariant();
    return text(index.row(), index.column());
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return Headings[size_t(section)];
}
