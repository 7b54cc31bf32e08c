#include "shownrecords.h"

#include "callrecord.h"
#include "datafile.h"
#include "reviewrows.h"

#include <QFileInfo>

namespace ShownRecords {

namespace {

constexpr int StatusColumn = 1;
// Records read at once, at most.
constexpr qint64 MostRead = 4096;

// Hands out the records of the shown rows in their order, reading each run
// of rows whose records follow each other in the file in one read.
class Reader
{
public:
    Reader(const QString &dataPath, const ReviewRows &rows, const std::vector<int> &order)
        : m_rows(rows)
        , m_order(order)
        , m_reader(dataPath)
        , m_block(size_t(qMin<qint64>(MostRead, qint64(order.size()))))
    {
    }

    bool open() { return m_reader.open(); }

    // The record of shown row `i`; null when it cannot be read.
    const CallRecord *at(qint64 i)
    {
        if (i < m_first || i >= m_first + m_count) {
            const qint64 slot = slotOf(i);
            qint64 n = 1;
            while (i + n < qint64(m_order.size()) && n < MostRead && slotOf(i + n) == slot + n)
                ++n;
            m_count = 0;
            if (slot < 0 || !m_reader.read(slot, n, m_block.data()))
                return nullptr;
            for (qint64 k = 0; k < n; ++k)
                m_block[size_t(k)].setText(CallRecord::Status, m_rows.text(m_order[size_t(i + k)], StatusColumn));
            m_first = i;
            m_count = n;
        }
        return &m_block[size_t(i - m_first)];
    }

private:
    qint64 slotOf(qint64 i) const { return m_rows.slot(m_order[size_t(i)]); }

    const ReviewRows &m_rows;
    const std::vector<int> &m_order;
    DataFile::LogReader m_reader;
    std::vector<CallRecord> m_block;
    qint64 m_first = 0;
    qint64 m_count = 0;
};

} // namespace

CsvExport::Outcome writeCsv(const QString &csvPath, const QString &dataPath, const ReviewRows &rows,
                            const std::vector<int> &order, const CallBackMarks *callBacks)
{
    CsvExport::Outcome unreadable;
    unreadable.error = QStringLiteral("Could not read %1").arg(QFileInfo(dataPath).fileName());
    Reader reader(dataPath, rows, order);
    if (!reader.open())
        return unreadable;
    bool readFailed = false;
    const CsvExport::Outcome outcome = CsvExport::write(
        csvPath, qint64(order.size()),
        [&reader, &readFailed](qint64 i) {
            const CallRecord *record = reader.at(i);
            readFailed = !record;
            return record;
        },
        callBacks);
    return readFailed ? unreadable : outcome;
}

} // namespace ShownRecords
