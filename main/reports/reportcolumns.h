#ifndef REPORTCOLUMNS_H
#define REPORTCOLUMNS_H

#include "reporttext.h"

#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QTextOption>

#include <array>

class QPaintDevice;

// The full report's columns in a font on a device (the screen or a printer):
// each column is as wide as the widest text it holds, measured on the report
// itself, so that every record's fields line up under the heading. Lengths
// are in the device's pixels.
class ReportColumns
{
public:
    using LineKind = ReportText::LineKind;
    static constexpr int Count = ReportText::ColumnCount;

    // Without a device, the screen's.
    explicit ReportColumns(const QFont &font, QPaintDevice *device = nullptr);

    // Widens the columns to the line's fields, or the report to its text.
    void measure(QStringView line, LineKind kind);
    // Narrows the widest columns alike until all fit into `available`.
    void fitWithin(qreal available);

    qreal start(int column) const { return m_starts[column]; }
    // The width of a column's widest text (or less, once fitted).
    qreal columnWidth(int column) const { return m_widths[column]; }
    // Where the last column ends.
    qreal columnsWidth() const { return m_starts[Count - 1] + m_widths[Count - 1]; }
    // The widest line measured.
    qreal width() const;

    // Where a line of that kind starts: a note's own lines under the notes.
    qreal indent(LineKind kind) const;
    // The tab stops that put the line's fields into their columns when the
    // line is laid out from `x` on; a heading skips a column with two tabs.
    QTextOption option(QStringView line, LineKind kind, qreal x) const;
    // The same for any text: the columns, then even stops `distance` apart.
    QTextOption option(qreal x, qreal distance) const;

    // A text's width, character by character.
    qreal textWidth(QStringView text) const;

private:
    void measureRecord(QStringView line);
    void place();
    qreal advance(char32_t c) const;
    QTextOption tabs(const QList<qreal> &stops, qreal x) const;

    QFontMetricsF m_metrics;
    qreal m_gap = 0;
    // Device pixels of a tab position: a layout takes them at 96 to the inch.
    qreal m_tabScale = 1;
    std::array<qreal, 128> m_ascii;
    mutable QHash<char32_t, qreal> m_others;
    std::array<qreal, Count> m_widths{};
    std::array<qreal, Count> m_starts{};
    qreal m_notesWidth = 0;
    qreal m_plainWidth = 0;
};

#endif // REPORTCOLUMNS_H
