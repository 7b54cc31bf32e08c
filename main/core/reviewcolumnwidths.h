#ifndef REVIEWCOLUMNWIDTHS_H
#define REVIEWCOLUMNWIDTHS_H

#include "recordtablemodel.h"

#include <array>

constexpr int ReviewDefaultColumnWidth = 50;

// Space added to the widest text of the column to the left, for columns 3 to 8.
constexpr std::array<int, RecordTableModel::ColumnCount> ReviewColumnMargins = {0, 0, 0, 75, 50, 0, 100, 50, 225};

using ReviewColumnArray = std::array<int, RecordTableModel::ColumnCount>;

// Widths of the review grid's columns from the widest text of each column:
// columns 0 to 2 keep the default width; column c from 3 on is as wide as the
// widest text of column c - 1 plus its margin.
ReviewColumnArray ReviewColumnWidths(const ReviewColumnArray &widestText);

#endif // REVIEWCOLUMNWIDTHS_H
