#ifndef REVIEWCOLUMNWIDTHS_H
#define REVIEWCOLUMNWIDTHS_H

#include "recordtablemodel.h"

#include <QString>

#include <array>
#include <functional>
#include <vector>

constexpr int ReviewDefaultColumnWidth = 50;

// Space added to the widest text of the column to the left, for columns 3 to 8.
constexpr std::array<int, RecordTableModel::ColumnCount> ReviewColumnMargins = {0, 0, 0, 75, 50, 0, 100, 50, 225};

// Widths of the review grid's columns after filling: columns 0 to 2 keep the
// default width; column c from 3 on is as wide as the widest text of column
// c - 1 plus its margin. Each distinct text is measured once.
std::array<int, RecordTableModel::ColumnCount>
ReviewColumnWidths(const std::vector<CallRecord> &records, const std::function<int(const QString &)> &textWidth);

#endif // REVIEWCOLUMNWIDTHS_H
