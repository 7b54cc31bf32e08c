#include "reportcolumns.h"

#include <QTextLayout>

#include <algorithm>

namespace {

// Tab stops that follow the columns for a line whose tabs reach past them.
constexpr int StopsBeyond = 32;

} // namespace

ReportColumns::ReportColumns(const QFont &font, QPaintDevice *device)
    : m_metrics(device ? QFontMetricsF(font, device) : QFontMetricsF(font))
{
    // Four blanks between columns, as much as the report's own blanks.
    m_gap = 4 * m_metrics.horizontalAdvance(QLatin1Char(' '));
    for (char16_t c = 0; c < 128; ++c)
        m_ascii[c] = c == '\t' ? m_gap : m_metrics.horizontalAdvance(QChar(c));
    QTextLayout probe(QStringLiteral("\t"), font, device);
    QTextOption option;
    option.setTabs({QTextOption::Tab(96, QTextOption::LeftTab)});
    probe.setTextOption(option);
    probe.beginLayout();
    QTextLine line = probe.createLine();
    line.setLineWidth(1e6);
    probe.endLayout();
    if (line.cursorToX(1) > 0)
        m_tabScale = line.cursorToX(1) / 96;
    place();
}

qreal ReportColumns::advance(char32_t c) const
{
    const auto known = m_others.constFind(c);
    if (known != m_others.constEnd())
        return *known;
    const qreal width = m_metrics.horizontalAdvance(QString::fromUcs4(&c, 1));
    m_others.insert(c, width);
    return width;
}

qreal ReportColumns::textWidth(QStringView text) const
{
    // Every field of every record is measured: the common letters go by a table.
    qreal width = 0;
    const char16_t *end = text.utf16() + text.size();
    for (const char16_t *p = text.utf16(); p != end; ++p) {
        if (*p < 128) {
            width += m_ascii[*p];
            continue;
        }
        char32_t c = *p;
        if (QChar::isHighSurrogate(c) && p + 1 != end && QChar::isLowSurrogate(p[1])) {
            c = QChar::surrogateToUcs4(p[0], p[1]);
            ++p;
        }
        width += advance(c);
    }
    return width;
}

void ReportColumns::measure(QStringView line, LineKind kind)
{
    switch (kind) {
    case LineKind::Heading: {
        const ReportText::ColumnFields columns = ReportText::columnFields(line, kind);
        for (int k = 0; k < columns.count; ++k)
            m_widths[k] = std::max(m_widths[k], textWidth(columns.fields[k]));
        place();
        break;
    }
    case LineKind::Record:
        measureRecord(line);
        place();
        break;
    case LineKind::Notes:
        m_notesWidth = std::max(m_notesWidth, textWidth(line.mid(1)));
        break;
    case LineKind::NotesContinued:
        m_notesWidth = std::max(m_notesWidth, textWidth(line));
        break;
    case LineKind::Plain:
        m_plainWidth = std::max(m_plainWidth, textWidth(line));
        break;
    }
}

// A record's fields in one pass: every record of the log comes by here.
void ReportColumns::measureRecord(QStringView line)
{
    int column = 0;
    qreal width = 0;
    const char16_t *end = line.utf16() + line.size();
    for (const char16_t *p = line.utf16(); p != end; ++p) {
        if (*p == '\t' && column + 1 < Count) {
            m_widths[column] = std::max(m_widths[column], width);
            ++column;
            width = 0;
        } else if (*p < 128) {
            width += m_ascii[*p];
        } else {
            const qsizetype units = QChar::isHighSurrogate(*p) && p + 1 != end && QChar::isLowSurrogate(p[1]) ? 2 : 1;
            width += textWidth(QStringView(p, units));
            p += units - 1;
        }
    }
    m_widths[column] = std::max(m_widths[column], width);
}

void ReportColumns::place()
{
    for (int k = 1; k < Count; ++k)
        m_starts[k] = m_starts[k - 1] + m_widths[k - 1] + m_gap;
}

void ReportColumns::fitWithin(qreal available)
{
    if (columnsWidth() <= available)
        return;
    // The narrow columns keep their width; the others share what is left.
    std::array<qreal, Count> sorted = m_widths;
    std::sort(sorted.begin(), sorted.end());
    qreal left = std::max(available - m_gap * (Count - 1), qreal(Count));
    qreal cap = left / Count;
    for (int k = 0; k < Count; ++k) {
        cap = left / (Count - k);
        if (sorted[k] >= cap)
            break;
        left -= sorted[k];
    }
    for (qreal &width : m_widths)
        width = std::min(width, cap);
    place();
}

qreal ReportColumns::width() const
{
    return std::max({columnsWidth(), m_starts[1] + m_notesWidth, m_plainWidth});
}

qreal ReportColumns::indent(LineKind kind) const
{
    return kind == LineKind::NotesContinued ? m_starts[1] : 0;
}

QTextOption ReportColumns::tabs(const QList<qreal> &stops, qreal x) const
{
    QList<QTextOption::Tab> tabs;
    for (const qreal stop : stops) {
        if (stop > x)
            tabs.append(QTextOption::Tab((stop - x) / m_tabScale, QTextOption::LeftTab));
    }
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabs(tabs);
    return option;
}

QTextOption ReportColumns::option(QStringView line, LineKind kind, qreal x) const
{
    QList<qreal> stops;
    if (kind == LineKind::Heading) {
        const QList<QStringView> words = line.split(QLatin1Char('\t'));
        qreal end = textWidth(words.first());
        int column = 0;
        for (qsizetype i = 1; i < words.size(); ++i) {
            // The first of two tabs only steps past the word before it.
            const bool step = words[i].isEmpty() && i + 1 < words.size();
            qreal stop = step || column + 1 >= Count ? end + m_gap / 2 : m_starts[++column];
            if (stop <= end)
                stop = end + m_gap / 2;
            stops.append(stop);
            end = stop + textWidth(words[i]);
        }
        return tabs(stops, x);
    }
    for (int k = 1; k < Count; ++k)
        stops.append(m_starts[k]);
    const qreal last = columnsWidth() + m_gap;
    for (int k = 0; k < StopsBeyond; ++k)
        stops.append(last + k * 4 * m_gap);
    return tabs(stops, x);
}

QTextOption ReportColumns::option(qreal x, qreal distance) const
{
    QList<qreal> stops;
    distance = std::max(distance, qreal(1));
    for (int k = 1; stops.size() < StopsBeyond; ++k) {
        if (k * distance > x)
            stops.append(k * distance);
    }
    return tabs(stops, x);
}
