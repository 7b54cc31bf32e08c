#ifndef REVIEWCOLUMNSIZER_H
#define REVIEWCOLUMNSIZER_H

#include "reviewcolumnwidths.h"
#include "reviewrows.h"

#include <QElapsedTimer>
#include <QFontMetrics>
#include <QHash>
#include <QObject>
#include <QTimer>

#include <vector>

// Measures the texts of the review grid's records for its column widths.
// Each distinct text is measured once. A log that cannot be measured within
// the synchronous budget gets widths from summed character advances at once,
// and the exact measurement goes on in short slices while the window is in
// use; widthsChanged() brings the exact widths when it is done.
class ReviewColumnSizer : public QObject
{
    Q_OBJECT

public:
    explicit ReviewColumnSizer(const QFont &font, QObject *parent = nullptr);

    // Starts over with `rows`, which must stay alive and unchanged until
    // the next start() or the sizer's end.
    void start(const ReviewRows &rows);
    bool finished() const { return m_next >= rowCount(); }
    ReviewColumnArray widths() const;

    void setSynchronousBudget(int milliseconds) { m_budget = milliseconds; }

signals:
    void widthsChanged();

private:
    // Measures rows until all are done or `milliseconds` have passed.
    void measure(int milliseconds);
    void measureSlice();
    int textWidth(const QString &text);
    void estimate();
    qreal advanceOf(char16_t unit);
    int estimatedWidth(qint64 row, int column);
    bool knownWidths(qint64 row, ReviewColumnArray &widths) const;

    // Characters whose advances are looked up before the estimate is shared out: ASCII.
    static constexpr char16_t KnownBeforehand = 0x80;
    size_t rowCount() const { return m_rows ? size_t(m_rows->size()) : 0; }

    QFontMetrics m_metrics;
    QFontMetricsF m_metricsF;
    const ReviewRows *m_rows = nullptr;
    size_t m_next = 0;
    ReviewColumnArray m_widest{};
    ReviewColumnArray m_estimated{};
    QHash<QString, int> m_known;
    std::vector<qreal> m_charAdvance;
    QTimer m_slices;
    int m_budget = 100;
};

#endif // REVIEWCOLUMNSIZER_H
