#include "textrowsmodel.h"

TextRowsModel::TextRowsModel(const QStringList &headings, int rows, Cell cell, QObject *parent)
    : QAbstractTableModel(parent)
    , m_headings(headings)
    , m_rows(rows)
    , m_cell(std::move(cell))
{
}

int TextRowsModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows;
}

int TextRowsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_headings.size());
}

QVariant TextRowsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return QVariant();
    return m_cell(index.row(), index.column());
}

QVariant TextRowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    return m_headings.value(section);
}
