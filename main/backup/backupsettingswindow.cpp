#include "backupsettingswindow.h"

#include "backup.h"
#include "desktop.h"
#include "openlog.h"

#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

namespace {

QString workingFolder()
{
    return QDir::currentPath();
}

} // namespace

QString backupFolderSetting(bool *chosen)
{
    const QSettings settings;
    if (chosen)
        *chosen = !settings.value(Backup::FolderSetting).toString().isEmpty();
    return Backup::folder(settings, workingFolder());
}

TFormBackupSettings::TFormBackupSettings(const OpenLog &log, Desktop &desktop, QWidget *parent)
    : QDialog(parent)
    , m_log(log)
    , m_desktop(desktop)
{
    setObjectName(QStringLiteral("FormBackupSettings"));
    setWindowTitle(QStringLiteral("Backup Settings"));
    buildControls();
    EditBackupFolder->setText(QDir::toNativeSeparators(backupFolderSetting()));
    showLastBackup();
}

void TFormBackupSettings::buildControls()
{
    auto *grid = new QGridLayout(this);
    auto *label = new QLabel(QStringLiteral("&Backups go to:"), this);
    EditBackupFolder = new QLineEdit(this);
    EditBackupFolder->setObjectName(QStringLiteral("EditBackupFolder"));
    EditBackupFolder->setMinimumWidth(380);
    label->setBuddy(EditBackupFolder);
    ButtonBrowse = new QPushButton(QStringLiteral("C&hoose\u2026"), this);
    ButtonBrowse->setObjectName(QStringLiteral("ButtonBrowse"));
    ButtonDefault = new QPushButton(QStringLiteral("&Default"), this);
    ButtonDefault->setObjectName(QStringLiteral("ButtonDefault"));
    ButtonDefault->setToolTip(QStringLiteral("\"Backups\" in the working folder"));
    grid->addWidget(label, 0, 0);
    grid->addWidget(EditBackupFolder, 0, 1);
    grid->addWidget(ButtonBrowse, 0, 2);
    grid->addWidget(ButtonDefault, 0, 3);

    LabelProblem = new QLabel(this);
    LabelProblem->setObjectName(QStringLiteral("LabelProblem"));
    LabelProblem->setStyleSheet(QStringLiteral("color: red"));
    LabelProblem->hide();
    grid->addWidget(LabelProblem, 1, 1, 1, 3);

    auto *rule = new QLabel(QStringLiteral("A backup of the log and its companion store is made at the first start of "
                                           "each day and by File > Back Up Now.\nKept: the newest backup of each of "
                                           "the last 7 days, 4 weeks and 12 months that have one."),
                            this);
    grid->addWidget(rule, 2, 0, 1, 4);
    LabelLastBackup = new QLabel(this);
    LabelLastBackup->setObjectName(QStringLiteral("LabelLastBackup"));
    grid->addWidget(LabelLastBackup, 3, 0, 1, 4);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    grid->addWidget(buttons, 4, 0, 1, 4);
    connect(buttons, &QDialogButtonBox::accepted, this, &TFormBackupSettings::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TFormBackupSettings::reject);
    connect(ButtonBrowse, &QPushButton::clicked, this, &TFormBackupSettings::browse);
    connect(ButtonDefault, &QPushButton::clicked, this, [this] {
        EditBackupFolder->setText(QDir::toNativeSeparators(Backup::defaultFolder(workingFolder())));
        showLastBackup();
    });
    connect(EditBackupFolder, &QLineEdit::editingFinished, this, &TFormBackupSettings::showLastBackup);
}

QString TFormBackupSettings::chosenFolder() const
{
    const QString typed = QDir::fromNativeSeparators(EditBackupFolder->text().trimmed());
    if (typed.isEmpty())
        return Backup::defaultFolder(workingFolder());
    return QDir::cleanPath(QDir(workingFolder()).absoluteFilePath(typed));
}

void TFormBackupSettings::browse()
{
    Desktop::FileChoice choice;
    choice.mode = Desktop::FileChoice::Mode::Folder;
    choice.title = QStringLiteral("Backup folder");
    choice.suggested = chosenFolder();
    const QString folder = m_desktop.chooseFile(this, choice);
    if (folder.isEmpty())
        return;
    EditBackupFolder->setText(QDir::toNativeSeparators(folder));
    showLastBackup();
}

void TFormBackupSettings::showLastBackup()
{
    const QString logName = Backup::logNameOf(m_log.path());
    for (const Backup::Entry &entry : Backup::listBackups(chosenFolder(), logName)) {
        if (!entry.good)
            continue;
        LabelLastBackup->setText(QStringLiteral("Last backup there: %1, %2 records")
                                     .arg(entry.time.toString(QStringLiteral("MM/dd/yyyy h:mmAP")))
                                     .arg(entry.records));
        return;
    }
    LabelLastBackup->setText(QStringLiteral("No backup of %1 there yet").arg(QFileInfo(m_log.path()).fileName()));
}

void TFormBackupSettings::accept()
{
    const QString folder = chosenFolder();
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir()) {
        LabelProblem->setText(QStringLiteral("%1 is a file, not a folder").arg(QDir::toNativeSeparators(folder)));
        LabelProblem->show();
        return;
    }
    QSettings settings;
    // The default follows the working folder wherever the program is started.
    if (folder == Backup::defaultFolder(workingFolder()))
        settings.remove(Backup::FolderSetting);
    else
        Backup::setFolder(settings, folder);
    QDialog::accept();
}
