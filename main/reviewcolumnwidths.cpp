#include "reviewcolumnwidths.h"

#include <QHash>

std::array<int, RecordTableModel::ColumnCount>
ReviewColumnWidths(const std::vector<CallRecord> &records, const std::function<int(const QString &)> &textWidth)
{
    std::array<int, RecordTableModel::ColumnCount> widths;
    widths.fill(ReviewDefaultColumnWidth);
    // A column's width follows the widest text of the column to its left.
    for (int column = 3; column < RecordTableModel::ColumnCount; ++column) {
        const CallRecord::Field measured = RecordTableModel::ColumnFields[size_t(column - 1)];
        QHash<QString, int> known;
        int widest = 0;
        for (const CallRecord &record : records) {
            const QString text = record.text(measured);
            auto found = known.constFind(text);
            const int width = found != known.cend() ? *found : *known.insert(text, textWidth(text));
            widest = qMax(widest, width);
        }
        widths[size_t(column)] = widest + ReviewColumnMargins[size_t(column)];
    }
    return widths;
}
