#include "reviewcolumnsizer.h"

#include <cmath>

namespace {

// Columns 2 to 7 are measured; each one sizes the column to its right.
constexpr int FirstMeasured = 2;
constexpr int LastMeasured = 7;
constexpr int SliceMilliseconds = 30;

} // namespace

ReviewColumnSizer::ReviewColumnSizer(const QFont &font, QObject *parent)
    : QObject(parent)
    , m_metrics(font)
    , m_metricsF(font)
{
    m_slices.setInterval(0);
    connect(&m_slices, &QTimer::timeout, this, &ReviewColumnSizer::measureSlice);
}

void ReviewColumnSizer::start(const ReviewRows &rows)
{
    m_slices.stop();
    m_rows = &rows;
    m_next = 0;
    m_widest.fill(0);
    m_estimated.fill(0);
    m_known.clear();

    measure(m_budget);
    if (finished())
        return;

    // Until every text is measured, the rest count with their summed character advances.
    for (size_t row = m_next; row < rowCount(); ++row) {
        for (int column = FirstMeasured; column <= LastMeasured; ++column) {
            const int width = estimatedWidth(qint64(row), column);
            m_estimated[size_t(column)] = qMax(m_estimated[size_t(column)], width);
        }
    }
    m_slices.start();
}

ReviewColumnArray ReviewColumnSizer::widths() const
{
    ReviewColumnArray widest = m_widest;
    if (!finished()) {
        for (size_t column = 0; column < widest.size(); ++column)
            widest[column] = qMax(widest[column], m_estimated[column]);
    }
    return ReviewColumnWidths(widest);
}

void ReviewColumnSizer::measure(int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    const size_t rows = rowCount();
    while (m_next < rows) {
        const qint64 row = qint64(m_next++);
        for (int column = FirstMeasured; column <= LastMeasured; ++column) {
            const int width = textWidth(m_rows->text(row, column));
            m_widest[size_t(column)] = qMax(m_widest[size_t(column)], width);
        }
        if (clock.elapsed() >= milliseconds)
            break;
    }
    if (finished())
        m_known.clear();
}

void ReviewColumnSizer::measureSlice()
{
    measure(SliceMilliseconds);
    if (finished()) {
        m_slices.stop();
        emit widthsChanged();
    }
}

int ReviewColumnSizer::textWidth(const QString &text)
{
    auto found = m_known.constFind(text);
    if (found != m_known.cend())
        return *found;
    const int width = m_metrics.horizontalAdvance(text);
    m_known.insert(text, width);
    return width;
}

int ReviewColumnSizer::estimatedWidth(qint64 row, int column)
{
    if (m_charAdvance.empty())
        m_charAdvance.assign(0x10000, -1.0);
    // Read straight from the row's bytes: this pass sees every row at once.
    char16_t units[ReviewRows::MaxTextUnits];
    const int chars = m_rows->units(row, column, units);
    qreal width = 0;
    for (int i = 0; i < chars; ++i) {
        const char16_t unit = units[i];
        qreal &advance = m_charAdvance[unit];
        if (advance < 0)
            advance = m_metricsF.horizontalAdvance(QChar(unit));
        width += advance;
    }
    return int(std::ceil(width));
}
