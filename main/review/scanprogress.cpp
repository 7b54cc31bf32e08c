#include "scanprogress.h"

#include <QElapsedTimer>
#include <QProgressDialog>

#include <memory>

DataFile::ScanOutcome scanLog(QWidget *parent, const QString &path, DataFile::ScanMode mode,
                              std::vector<CallRecord> &records, bool mayWrite)
{
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QProgressDialog> dialog;
    const auto progress = [&](qint64 done, qint64 total) {
        if (!dialog) {
            if (clock.elapsed() < 500 || done >= total)
                return true;
            dialog = std::make_unique<QProgressDialog>(QStringLiteral("Reading the log\u2026"),
                                                       QStringLiteral("Cancel"), 0, 1000, parent);
            dialog->setObjectName(QStringLiteral("ScanProgress"));
            dialog->setWindowModality(Qt::WindowModal);
            dialog->setMinimumDuration(0);
        }
        dialog->setValue(int(total > 0 ? done * 1000 / total : 1000));
        return !dialog->wasCanceled();
    };
    return DataFile::scan(path, mode, records, progress, mayWrite);
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
    if (outcome.markFailed)
        return QStringLiteral("Marks NOT written: %1").arg(outcome.markError);
    if (outcome.readOnly)
        return QStringLiteral("Read-only log - nothing marked");
    return QString();
}
