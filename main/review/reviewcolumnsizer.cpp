#include "reviewcolumnsizer.h"

#include "datafile.h"
#include "sharedwork.h"

#include <cmath>

namespace {

// Columns 2 to 7 are measured; each one sizes the column to its right.
constexpr int FirstMeasured = 2;
constexpr int LastMeasured = 7;
constexpr int SliceMilliseconds = 30;
// How long the first measuring runs before it is known whether the whole log
// can be measured within the budget.
constexpr int ProbeMilliseconds = 10;
// Rows whose widths one thread estimates at a time.
constexpr qint64 EstimateBatch = 4096;

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

    // A long log is not measured in the budget: seen soon, it is estimated at once.
    const size_t before = m_next;
    const int probe = qMin(m_budget, ProbeMilliseconds);
    measure(probe);
    if (!finished() && (m_next - before) * size_t(m_budget) / size_t(qMax(1, probe)) >= rowCount() - before)
        measure(m_budget - probe);
    if (finished())
        return;
    // Until every text is measured, the rest count with their summed character advances.
    estimate();
    m_slices.start();
}

void ReviewColumnSizer::estimate()
{
    // The common characters' advances are looked up first; the threads only
    // read them, and leave a row with any other character to this one.
    for (char16_t unit = 0; unit < KnownBeforehand; ++unit)
        advanceOf(unit);
    struct Part
    {
        ReviewColumnArray widest{};
        std::vector<qint64> later;
    };
    const qint64 first = qint64(m_next);
    const qint64 n = qint64(rowCount()) - first;
    std::vector<Part> parts(size_t((n + EstimateBatch - 1) / EstimateBatch));
    SharedWork::run(n, EstimateBatch, DataFile::hashThreads(), [&](qint64 begin, qint64 end) {
        Part &part = parts[size_t(begin / EstimateBatch)];
        ReviewColumnArray widths{};
        for (qint64 row = first + begin; row < first + end; ++row) {
            if (!knownWidths(row, widths)) {
                part.later.push_back(row);
                continue;
            }
            for (int column = FirstMeasured; column <= LastMeasured; ++column)
                part.widest[size_t(column)] = qMax(part.widest[size_t(column)], widths[size_t(column)]);
        }
    });
    for (const Part &part : parts) {
        for (int column = FirstMeasured; column <= LastMeasured; ++column)
            m_estimated[size_t(column)] = qMax(m_estimated[size_t(column)], part.widest[size_t(column)]);
        for (qint64 row : part.later) {
            for (int column = FirstMeasured; column <= LastMeasured; ++column)
                m_estimated[size_t(column)] = qMax(m_estimated[size_t(column)], estimatedWidth(row, column));
        }
    }
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

qreal ReviewColumnSizer::advanceOf(char16_t unit)
{
    if (m_charAdvance.empty())
        m_charAdvance.assign(0x10000, -1.0);
    qreal &advance = m_charAdvance[unit];
    if (advance < 0)
        advance = m_metricsF.horizontalAdvance(QChar(unit));
    return advance;
}

int ReviewColumnSizer::estimatedWidth(qint64 row, int column)
{
    char16_t units[ReviewRows::MaxTextUnits];
    const int chars = m_rows->units(row, column, units);
    qreal width = 0;
    for (int i = 0; i < chars; ++i)
        width += advanceOf(units[i]);
    return int(std::ceil(width));
}

// Read straight from the row's bytes, every text of the row; false when one
// holds a character not looked up beforehand.
bool ReviewColumnSizer::knownWidths(qint64 row, ReviewColumnArray &widths) const
{
    for (int column = FirstMeasured; column <= LastMeasured; ++column) {
        const QByteArrayView bytes = m_rows->bytes(row, column);
        qreal width = 0;
        for (const char c : bytes) {
            const auto byte = static_cast<unsigned char>(c);
            if (byte >= KnownBeforehand)
                return false; // a character past U+007F: its bytes are all 0x80 or more
            width += m_charAdvance[byte];
        }
        widths[size_t(column)] = int(std::ceil(width));
    }
    return true;
}
