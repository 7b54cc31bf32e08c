#ifndef BACKUPSETTINGSWINDOW_H
#define BACKUPSETTINGSWINDOW_H

#include <QDialog>

struct Desktop;
class OpenLog;
class QLabel;
class QLineEdit;
class QPushButton;

// File > Backup Settings: the folder the backups go to, a per-user setting
// (never the configuration file), and what is kept there. OK saves it.
class TFormBackupSettings : public QDialog
{
    Q_OBJECT

public:
    TFormBackupSettings(const OpenLog &log, Desktop &desktop, QWidget *parent = nullptr);

    // The folder the setting names now, absolute.
    QString chosenFolder() const;

    QLineEdit *EditBackupFolder = nullptr;
    QPushButton *ButtonBrowse = nullptr;
    QPushButton *ButtonDefault = nullptr;
    QLabel *LabelLastBackup = nullptr;
    QLabel *LabelProblem = nullptr;

    // Saves the folder when it can hold backups; otherwise says why.
    void accept() override;

private:
    void buildControls();
    void browse();
    void showLastBackup();

    const OpenLog &m_log;
    Desktop &m_desktop;
};

// The backup folder of the user's settings: the chosen one, or "Backups" in
// the working folder. `chosen` tells whether the user chose it.
QString backupFolderSetting(bool *chosen = nullptr);

#endif // BACKUPSETTINGSWINDOW_H
