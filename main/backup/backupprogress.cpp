#include "backupprogress.h"

#include <QCoreApplication>
#include <QProgressDialog>

int BackupProgress::showAfterMs = 500;

BackupProgress::BackupProgress(QWidget *parent, const QString &label)
    : m_parent(parent)
    , m_label(label)
{
    m_clock.start();
}

BackupProgress::~BackupProgress() = default;

Backup::Progress BackupProgress::callback()
{
    return [this](qint64 done, qint64 total) { return step(done, total); };
}

bool BackupProgress::step(qint64 done, qint64 total)
{
    if (!m_dialog) {
        if (m_clock.elapsed() < showAfterMs || done >= total) {
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
            return true;
        }
        m_dialog = std::make_unique<QProgressDialog>(m_label, QStringLiteral("Cancel"), 0, 1000, m_parent);
        m_dialog->setObjectName(QStringLiteral("BackupProgress"));
        m_dialog->setWindowTitle(QStringLiteral("Vorlen Entry"));
        // Every window waits, the log-entry window too while it is not yet shown.
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->setMinimumDuration(0);
        m_dialog->setAutoClose(false);
        m_dialog->setAutoReset(false);
        m_dialog->show();
    }
    // A modal progress window handles the events itself, Cancel among them.
    m_dialog->setValue(int(total > 0 ? done * 1000 / total : 1000));
    return !m_dialog->wasCanceled();
}
