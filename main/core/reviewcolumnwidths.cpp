#include "reviewcolumnwidths.h"

ReviewColumnArray ReviewColumnWidths(const ReviewColumnArray &widestText)
{
    ReviewColumnArray widths;
    widths.fill(ReviewDefaultColumnWidth);
    for (size_t column = 3; column < widths.size(); ++column)
        widths[column] = widestText[column - 1] + ReviewColumnMargins[column];
    return widths;
}
