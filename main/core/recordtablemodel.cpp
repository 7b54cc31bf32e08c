#include "recordtablemodel.h"

#include "callbackmarks.h"
#include "callentry.h"

namespace {

struct Letter
{
    char16_t letter;
    const char *meaning;
};

const Letter TypeLetters[] = {
    {letterOf(CallType::In), "In"},
    {letterOf(CallType::Out), "Out"},
    {letterOf(CallType::Message), "Msg"},
};

const Letter StatusLetters[] = {
    {letterOf(RecordStatus::Original), "saved"},
    {letterOf(RecordStatus::Edited), "edited"},
    {letterOf(RecordStatus::Compromised), "altered outside the program"},
};

QString line(const Letter &letter)
{
    return QStringLiteral("%1 = %2").arg(QChar(letter.letter), QLatin1String(letter.meaning));
}

template<size_t N> QString explain(const Letter (&letters)[N], QStringView letter)
{
    QStringList lines;
    for (const Letter &known : letters) {
        if (letter.size() == 1 && letter.at(0) == QChar(known.letter))
            return line(known);
        lines << line(known);
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

const std::array<CallRecord::Field, RecordTableModel::ColumnCount> RecordTableModel::ColumnFields = {
    CallRecord::RecordNumber, CallRecord::Status, CallRecord::Type,    CallRecord::Date,  CallRecord::Phone,
    CallRecord::Time,         CallRecord::Name,   CallRecord::Company, CallRecord::Notes,
};

const std::array<QString, RecordTableModel::ColumnCount> RecordTableModel::Headings = {
    QStringLiteral("Record"), QStringLiteral("Status "),  QStringLiteral("Type "),
    QStringLiteral("Date "),  QStringLiteral("Phone "),   QStringLiteral("Time "),
    QStringLiteral("Name "),  QStringLiteral("Company "), QStringLiteral("Notes "),
};

const QString RecordTableModel::CallBackHeading = QStringLiteral("Call back");

QString RecordTableModel::heading(int column)
{
    if (column == CallBackColumn)
        return CallBackHeading;
    return column >= 0 && column < ColumnCount ? Headings[size_t(column)] : QString();
}

RecordTableModel::RecordTableModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void RecordTableModel::setRows(ReviewRows rows, CallBacks callBacks)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_callBacks = std::move(callBacks);
    endResetModel();
}

void RecordTableModel::setRecords(const std::vector<CallRecord> &records, const CallBackMarks *callBacks)
{
    ReviewRows rows;
    rows.reserve(qint64(records.size()));
    rows.append(records.data(), 0, qint64(records.size()));
    CallBacks found;
    if (callBacks)
        callBacks->collect(records.data(), 0, qint64(records.size()), found);
    setRows(std::move(rows), std::move(found));
}

QString RecordTableModel::text(int row, int column) const
{
    if (row < 0 || row >= rowCount() || column < 0 || column >= ShownColumnCount)
        return QString();
    if (column == CallBackColumn)
        return CallBackMarks::cellText(callBack(row));
    return m_rows.text(row, column);
}

const CallBack *RecordTableModel::callBack(int row) const
{
    const auto found = m_callBacks.find(row);
    return found == m_callBacks.end() ? nullptr : &found->second;
}

int RecordTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int RecordTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ShownColumnCount;
}

QString RecordTableModel::legend(int column)
{
    return meaning(column, QStringView());
}

QString RecordTableModel::meaning(int column, QStringView letter)
{
    if (column == TypeColumn)
        return explain(TypeLetters, letter);
    if (column == StatusColumn)
        return explain(StatusLetters, letter);
    return QString();
}

QVariant RecordTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return QVariant();
    if (role == Qt::DisplayRole)
        return text(index.row(), index.column());
    if (role == Qt::ToolTipRole && (index.column() == TypeColumn || index.column() == StatusColumn))
        return meaning(index.column(), text(index.row(), index.column()));
    return QVariant();
}

QVariant RecordTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ShownColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return heading(section);
    if (role == Qt::ToolTipRole && !legend(section).isEmpty())
        return legend(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}
