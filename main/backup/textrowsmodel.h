#ifndef TEXTROWSMODEL_H
#define TEXTROWSMODEL_H

#include <QAbstractTableModel>
#include <QStringList>

#include <functional>

// A read-only table of texts whose cells are asked of a function when they
// are painted, so that a preview of many thousand rows costs no widget per
// cell.
class TextRowsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using Cell = std::function<QString(int row, int column)>;

    TextRowsModel(const QStringList &headings, int rows, Cell cell, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QStringList m_headings;
    int m_rows;
    Cell m_cell;
};

#endif // TEXTROWSMODEL_H
