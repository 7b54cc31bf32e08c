#include "callbacktablemodel.h"

#include "callbacktime.h"

#include <QColor>
#include <QFont>

namespace {

const QColor OverdueRed(192, 0, 0);
const QColor DoneGrey(120, 120, 120);

QString recordText(const CallBackRow &row)
{
    const QString number = QString::number(row.callBack.key.number);
    switch (row.call) {
    case CallBackRow::Call::Same:
        return number;
    case CallBackRow::Call::Altered:
        return number + QStringLiteral(" (altered record)");
    case CallBackRow::Call::Other:
        return number + QStringLiteral(" (now another call)");
    case CallBackRow::Call::Missing:
        return number + QStringLiteral(" (no longer in the log)");
    }
    return number;
}

} // namespace

void CallBackTableModel::setRows(std::vector<CallBackRow> rows, const QDateTime &now)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_due.clear();
    m_dueText.clear();
    m_doneText.clear();
    const qint64 nowSecs = now.toSecsSinceEpoch();
    const CallBackTime::Day today = CallBackTime::dayOf(now);
    for (const CallBackRow &row : m_rows) {
        m_due.push_back(CallBackTime::dueOf(row.callBack, nowSecs, today));
        m_dueText.push_back(CallBackTime::dueText(row.callBack.dueAt));
        m_doneText.push_back(row.callBack.doneAt ? CallBackTime::dueText(*row.callBack.doneAt) : QString());
    }
    endResetModel();
}

int CallBackTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CallBackTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QString CallBackTableModel::text(size_t index, int column) const
{
    const CallBackRow &row = m_rows[index];
    switch (column) {
    case Due:
        return m_dueText[index];
    case Name:
        return row.name;
    case Company:
        return row.company;
    case Phone:
        return row.phone;
    case Notes:
        return row.notes;
    case Note:
        return row.callBack.note;
    case Done:
        return m_doneText[index];
    case Record:
        return recordText(row);
    default:
        return QString();
    }
}

QVariant CallBackTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(m_rows.size()))
        return QVariant();
    const CallBackRow &row = m_rows[size_t(index.row())];
    const CallBackTime::Due due = m_due[size_t(index.row())];
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        return text(size_t(index.row()), index.column());
    case Qt::ForegroundRole:
        if (due == CallBackTime::Due::Overdue)
            return OverdueRed;
        if (due == CallBackTime::Due::Done || row.call == CallBackRow::Call::Other
            || row.call == CallBackRow::Call::Missing)
            return DoneGrey;
        return QVariant();
    case Qt::FontRole:
        if (due == CallBackTime::Due::Today) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return QVariant();
    case Qt::AccessibleDescriptionRole:
        switch (due) {
        case CallBackTime::Due::Overdue:
            return QStringLiteral("overdue");
        case CallBackTime::Due::Today:
            return QStringLiteral("due today");
        case CallBackTime::Due::Done:
            return QStringLiteral("done");
        case CallBackTime::Due::Later:
            break;
        }
        return QVariant();
    default:
        return QVariant();
    }
}

QVariant CallBackTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char *const headings[ColumnCount] = {"Call back by", "Record",         "Name", "Company",
                                                      "Phone",        "Call-back note", "Done", "Notes"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(headings[section]) : QVariant();
}
