#ifndef CALLBACKTABLEMODEL_H
#define CALLBACKTABLEMODEL_H

#include "callbackrows.h"
#include "callbacktime.h"

#include <QAbstractTableModel>
#include <QDateTime>

#include <algorithm>
#include <vector>

// The lines of the call-backs window: when each is due, the call it belongs
// to, and its note. Overdue ones are red, those due today bold, done ones grey.
class CallBackTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Due, Record, Name, Company, Phone, Note, Done, Notes, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    void setRows(std::vector<CallBackRow> rows, const QDateTime &now);
    const CallBackRow &row(int index) const { return m_rows[size_t(index)]; }
    int count(CallBackTime::Due due) const { return int(std::count(m_due.begin(), m_due.end(), due)); }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QString text(size_t row, int column) const;

    std::vector<CallBackRow> m_rows;
    // Worked out once per row: local times cost a look at the time zone.
    std::vector<CallBackTime::Due> m_due;
    std::vector<QString> m_dueText;
    std::vector<QString> m_doneText;
};

#endif // CALLBACKTABLEMODEL_H
