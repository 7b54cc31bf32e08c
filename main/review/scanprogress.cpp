#include "scanprogress.h"

#include "recordtablemodel.h"

#include <QElapsedTimer>
#include <QProgressDialog>

#include <memory>

namespace {

// Shows a progress dialog with Cancel once a scan has taken half a second;
// the store reports at least every megabyte it reads.
class ScanProgress
{
public:
    explicit ScanProgress(QWidget *parent)
        : m_parent(parent)
    {
        m_clock.start();
    }

    bool operator()(qint64 done, qint64 total)
    {
        if (!m_dialog) {
            if (m_clock.elapsed() < 500 || done >= total)
                return true;
            m_dialog = std::make_unique<QProgressDialog>(QStringLiteral("Reading the log\u2026"),
                                                         QStringLiteral("Cancel"), 0, 1000, m_parent);
            m_dialog->setObjectName(QStringLiteral("ScanProgress"));
            m_dialog->setWindowModality(Qt::WindowModal);
            m_dialog->setMinimumDuration(0);
        }
        m_dialog->setValue(int(total > 0 ? done * 1000 / total : 1000));
        return !m_dialog->wasCanceled();
    }

private:
    QWidget *m_parent;
    QElapsedTimer m_clock;
    std::unique_ptr<QProgressDialog> m_dialog;
};

} // namespace

DataFile::ScanOutcome scanLog(QWidget *parent, const QString &path, DataFile::ScanMode mode,
                              std::vector<CallRecord> &records, bool mayWrite)
{
    auto progress = std::make_shared<ScanProgress>(parent);
    return DataFile::scan(
        path, mode, records, [progress](qint64 done, qint64 total) { return (*progress)(done, total); }, mayWrite);
}

DataFile::ScanOutcome scanLog(QWidget *parent, const QString &path, DataFile::ScanMode mode,
                              const DataFile::RecordVisitor &visit, bool mayWrite,
                              const DataFile::RecordPreparer &prepare)
{
    auto progress = std::make_shared<ScanProgress>(parent);
    DataFile::ScanOptions options;
    options.prepare = prepare;
    options.progress = [progress](qint64 done, qint64 total) { return (*progress)(done, total); };
    options.mayWrite = mayWrite;
    return DataFile::scan(path, mode, visit, options);
}

DataFile::ScanOutcome scanLogInto(QWidget *parent, const QString &path, DataFile::ScanMode mode,
                                  RecordTableModel &model, bool mayWrite)
{
    std::vector<CallRecord> records;
    const DataFile::ScanOutcome outcome = scanLog(parent, path, mode, records, mayWrite);
    if (outcome.opened && !outcome.cancelled)
        model.setRecords(std::move(records));
    return outcome;
}

QString scanNotice(const DataFile::ScanOutcome &outcome)
{
    if (!outcome.opened)
        return QString();
    if (outcome.cancelled)
        return QStringLiteral("Reading cancelled - nothing shown");
    if (outcome.check.state == DataFile::LogState::NotALog)
        return QStringLiteral("Not a call log - nothing shown");
    if (outcome.check.damaged())
        return QStringLiteral("Log damaged - nothing marked; use File > Repair");
    if (outcome.emptySlots > 0)
        return QStringLiteral("Log damaged: %1 empty slots at byte %2 - nothing marked")
            .arg(outcome.emptySlots)
            .arg(outcome.firstEmptyOffset);
    if (outcome.markFailed)
        return QStringLiteral("Marks NOT written: %1").arg(outcome.markError);
    if (outcome.readOnly)
        return QStringLiteral("Read-only log - nothing marked");
    return QString();
}
