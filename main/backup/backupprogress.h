#ifndef BACKUPPROGRESS_H
#define BACKUPPROGRESS_H

#include "backup.h"

#include <QElapsedTimer>
#include <QString>

#include <memory>

class QProgressDialog;
class QWidget;

// Work on the window thread that reports its progress (a backup, a
// restore): once it has taken half a second, a progress window with Cancel
// appears. Meanwhile no window takes input, so that nothing is saved while
// the log is copied, but every window is still painted.
class BackupProgress
{
public:
    BackupProgress(QWidget *parent, const QString &label);
    ~BackupProgress();
    BackupProgress(const BackupProgress &) = delete;
    BackupProgress &operator=(const BackupProgress &) = delete;

    // To hand to the work; it lives as long as this object.
    Backup::Progress callback();

    // How long the work runs before the progress window appears.
    static int showAfterMs;

private:
    bool step(qint64 done, qint64 total);

    QWidget *m_parent;
    QString m_label;
    QElapsedTimer m_clock;
    std::unique_ptr<QProgressDialog> m_dialog;
};

#endif // BACKUPPROGRESS_H
