// Keeping the log safe from the log-entry window: one window per log, a log
// that is not whole records is named and repaired rather than written, every
// refused save says why, and an unsaved entry is not dropped on the way out.

#include "VorlenMainFile.h"

#include "datafile.h"
#include "statusshape.h"

#include <QAction>
#include <QCloseEvent>
#include <QDateTime>
#include <QFileInfo>
#include <QLabel>
#include <QLockFile>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTextDocument>

#include <climits>

namespace {

const QString HintEditing = QStringLiteral("Editing-Record not saved");
const QString HintFileOpenError = QStringLiteral("File: Open ERROR");
const QString HintSaveRefused = QStringLiteral("Save FAILED - log not written");

QString fileNameOf(const QString &path)
{
    return QFileInfo(path).fileName();
}

} // namespace

QString TMainForm::notesAsTyped() const
{
    // The plain-text view turns a no-break space into a space and a line
    // separator into a line feed; the raw text keeps both. Only the breaks
    // between paragraphs become the line feeds they were typed as.
    QString text = Memo1->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

void TMainForm::takeLogLock(const QString &path)
{
    const QString log = QFileInfo(path).absoluteFilePath();
    if (log == m_lockedLog && (m_logLock || m_logHolder == 0))
        return;
    m_logLock.reset();
    m_logHolder = 0;
    m_lockedLog = log;
    auto lock = std::make_unique<QLockFile>(DataFile::lockPath(log));
    // A lock is stale only when its program has ended, however long it is held.
    lock->setStaleLockTime(0);
    if (lock->tryLock(0)) {
        m_logLock = std::move(lock);
        return;
    }
    if (lock->error() == QLockFile::LockFailedError) {
        qint64 pid = 0;
        QString host;
        QString application;
        lock->getLockInfo(&pid, &host, &application);
        m_logHolder = pid > 0 ? pid : -1;
    }
    // A folder that takes no lock file takes no other window's either; the
    // log is used as it is.
}

void TMainForm::openLog()
{
    takeLogLock(m_state.DataFileName);
    bool rolledBack = false;
    if (m_logHolder == 0)
        rolledBack = DataFile::rollBackJournal(m_state.DataFileName) == DataFile::Rollback::RolledBack;
    m_logCheck = DataFile::checkLog(m_state.DataFileName);
    if (m_logHolder != 0 || !m_logCheck.writable()) {
        showLogProblem();
    } else if (rolledBack) {
        showMessage(QStringLiteral("An interrupted save was undone"), 9);
        setIndicator(Yellow);
    }
}

void TMainForm::showLogProblem()
{
    const DataFile::LogCheck &check = m_logCheck;
    QString text;
    if (m_logHolder != 0) {
        text = m_logHolder > 0
            ? QStringLiteral("Log in use by another Vorlen3 (process %1) - read only").arg(m_logHolder)
            : QStringLiteral("Log in use by another Vorlen3 - read only");
    } else if (check.damaged()) {
        text = QStringLiteral("Log damaged: %1 good records, %2 stray bytes at byte %3 - File > Repair")
                   .arg(check.goodRecords)
                   .arg(check.strayBytes)
                   .arg(check.strayOffset);
    } else if (check.state == DataFile::LogState::NotALog) {
        text = QStringLiteral("Not a call log: %1 - nothing will be written").arg(fileNameOf(m_state.DataFileName));
    } else if (check.state == DataFile::LogState::Unreadable) {
        text = HintFileOpenError;
    } else {
        return;
    }
    setIndicator(Red, text);
    showMessage(text, 9);
}

bool TMainForm::logWritable()
{
    takeLogLock(m_state.DataFileName);
    if (m_logHolder != 0) {
        showLogProblem();
        m_entryRefused = true;
        m_state.EditMode = false;
        return false;
    }
    return true;
}

void TMainForm::showSaveRefused(DataFile::WriteResult result)
{
    m_entryRefused = true;
    QString text;
    switch (result) {
    case DataFile::WriteResult::Written:
        return;
    case DataFile::WriteResult::OpenFailed:
    case DataFile::WriteResult::WriteFailed:
    case DataFile::WriteResult::DiskFull:
    case DataFile::WriteResult::TooLarge:
    case DataFile::WriteResult::ReadOnly:
    case DataFile::WriteResult::NameUnusable:
        // The file could not be opened, or the disk refused the record: the log is as it was.
        text = HintFileOpenError;
        break;
    case DataFile::WriteResult::NotALog:
    case DataFile::WriteResult::Damaged:
        m_logCheck = DataFile::checkLog(m_state.DataFileName);
        showLogProblem();
        return;
    case DataFile::WriteResult::InUse:
        text = QStringLiteral("Log in use by another Vorlen3 (process %1) - not saved")
                   .arg(DataFile::lockHolder(m_state.DataFileName));
        break;
    case DataFile::WriteResult::NumberTaken:
        // Another program added records: the next try takes the next free number.
        m_state.RecordCount = DataFile::findRecordCount(m_state.DataFileName);
        text = QStringLiteral("Log changed by another program - save again");
        break;
    case DataFile::WriteResult::NoSuchRecord:
        text = QStringLiteral("Record %1 is no longer in the log - not saved").arg(m_state.SelectedRecord);
        break;
    case DataFile::WriteResult::CountAtLimit:
        text = QStringLiteral("Record count at its limit - not saved");
        break;
    }
    setIndicator(Red, text == HintFileOpenError ? HintFileOpenError : HintSaveRefused);
    showMessage(text, text == HintFileOpenError ? 12 : 9);
}

void TMainForm::Repair1Click()
{
    takeLogLock(m_state.DataFileName);
    if (m_logHolder != 0) {
        showLogProblem();
        return;
    }
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    const DataFile::RepairResult result = DataFile::repairLog(m_state.DataFileName, stamp);
    if (!result.repaired) {
        m_logCheck = DataFile::checkLog(m_state.DataFileName);
        if (!m_logCheck.damaged() && m_logCheck.state != DataFile::LogState::NotALog) {
            setIndicator(Lime);
            showMessage(QStringLiteral("Log is whole - nothing to repair"), 9);
            return;
        }
        const QString text = m_logCheck.state == DataFile::LogState::NotALog
            ? QStringLiteral("Not a call log: %1 - Repair cannot help").arg(fileNameOf(m_state.DataFileName))
            : QStringLiteral("Repair FAILED: %1").arg(result.error);
        setIndicator(Red, text);
        showMessage(text, 9);
        return;
    }
    loadRecordCount();
    setIndicator(Lime, QStringLiteral("Record Status OK"));
    showMessage(QStringLiteral("Repaired: %1 bytes moved to %2").arg(result.movedBytes).arg(fileNameOf(result.movedTo)),
                9);
}

bool TMainForm::entryUnsaved() const
{
    return ShapeStatus->toolTip() == HintEditing || m_entryRefused;
}

void TMainForm::closeEvent(QCloseEvent *event)
{
    if (!entryUnsaved()) {
        event->accept();
        return;
    }
    QMessageBox ask(QMessageBox::Question, QStringLiteral("Vorlen Entry"),
                    QStringLiteral("Save the entry before leaving?"),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    ask.setObjectName(QStringLiteral("SaveBeforeLeaving"));
    ask.setDefaultButton(QMessageBox::Save);
    ask.setEscapeButton(QMessageBox::Cancel);
    const int answer = ask.exec();
    if (answer == QMessageBox::Discard || (answer == QMessageBox::Save && saveEntry()))
        event->accept();
    else
        event->ignore();
}
