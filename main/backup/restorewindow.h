#ifndef RESTOREWINDOW_H
#define RESTOREWINDOW_H

#include "backup.h"

#include <QDialog>

#include <optional>
#include <vector>

struct Desktop;
class OpenLog;
class QLabel;
class QPushButton;
class QTableWidget;

// File > Restore: the backups of the open log in the backup folder, newest
// first, each with its date, records, the dates of its calls and whether its
// files still match what was written. Restore asks before it replaces the
// log, and warns clearly before it takes a backup that fails its check; the
// open log does the restoring once the window has closed.
class TFormRestore : public QDialog
{
    Q_OBJECT

public:
    TFormRestore(const OpenLog &log, Desktop &desktop, const QString &folder, QWidget *parent = nullptr);

    // The backup the person chose and confirmed; none when the window was cancelled.
    const std::optional<Backup::Entry> &chosen() const { return m_chosen; }
    // The person insisted on a backup that fails its check.
    bool forced() const { return m_forced; }

    // The verification result shown for each backup, in the grid's order.
    QString checkText(int row) const;

    QLabel *LabelFolder = nullptr;
    QTableWidget *GridBackups = nullptr;
    QPushButton *ButtonRestore = nullptr;
    QPushButton *ButtonCancel = nullptr;

    // Restores the backup of the selected row, after the questions.
    void ButtonRestoreClick();

private:
    void buildControls();
    void fill();
    bool ask(const QString &text, bool warning);
    QString confirmation(const Backup::Entry &entry) const;

    const OpenLog &m_log;
    Desktop &m_desktop;
    QString m_folder;
    std::vector<Backup::Entry> m_entries;
    std::vector<QString> m_problems; // why each fails verification, or empty
    std::optional<Backup::Entry> m_chosen;
    bool m_forced = false;
};

#endif // RESTOREWINDOW_H
