#include "restorewindow.h"

#include "desktop.h"
#include "openlog.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

enum Column { Made, Records, Calls, Check, Store, ColumnCount };

QString shownTime(const QDateTime &time)
{
    return time.toString(QStringLiteral("MM/dd/yyyy h:mmAP"));
}

QString shownDate(const QDate &date)
{
    return date.toString(QStringLiteral("MM/dd/yyyy"));
}

QString callDates(const Backup::Entry &entry)
{
    QString text = entry.firstCall.isValid()
        ? QStringLiteral("%1 \u2013 %2").arg(shownDate(entry.firstCall), shownDate(entry.lastCall))
        : QStringLiteral("no dated calls");
    if (entry.undated > 0)
        text += QStringLiteral(" (%1 undated)").arg(entry.undated);
    return text;
}

QString storeText(const Backup::Entry &entry)
{
    if (entry.hasStore)
        return entry.storeIntact ? QStringLiteral("Copied") : QStringLiteral("Damaged: %1").arg(entry.storeNote);
    return entry.storeNote.isEmpty() ? QStringLiteral("None") : QStringLiteral("Not copied: %1").arg(entry.storeNote);
}

// What the backup holds that is not a whole, sound log.
QStringList damageOf(const Backup::Entry &entry)
{
    QStringList damage;
    if (entry.failing > 0)
        damage << QStringLiteral("%1 records fail their hash check").arg(entry.failing);
    if (entry.tailBytes > 0)
        damage << QStringLiteral("a torn tail of %1 bytes").arg(entry.tailBytes);
    return damage;
}

} // namespace

TFormRestore::TFormRestore(const OpenLog &log, Desktop &desktop, const QString &folder, QWidget *parent)
    : QDialog(parent)
    , m_log(log)
    , m_desktop(desktop)
    , m_folder(folder)
{
    setObjectName(QStringLiteral("FormRestore"));
    setWindowTitle(QStringLiteral("Restore"));
    buildControls();
    fill();
}

void TFormRestore::buildControls()
{
    auto *layout = new QVBoxLayout(this);
    LabelFolder = new QLabel(this);
    LabelFolder->setObjectName(QStringLiteral("LabelFolder"));
    LabelFolder->setWordWrap(true);
    layout->addWidget(LabelFolder);

    GridBackups = new QTableWidget(0, ColumnCount, this);
    GridBackups->setObjectName(QStringLiteral("GridBackups"));
    GridBackups->setHorizontalHeaderLabels({QStringLiteral("Made"), QStringLiteral("Records"), QStringLiteral("Calls"),
                                            QStringLiteral("Check"), QStringLiteral("Companion store")});
    GridBackups->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridBackups->setSelectionMode(QAbstractItemView::SingleSelection);
    GridBackups->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridBackups->verticalHeader()->hide();
    GridBackups->horizontalHeader()->setStretchLastSection(true);
    GridBackups->setMinimumSize(760, 220);
    layout->addWidget(GridBackups);

    auto *note = new QLabel(
        QStringLiteral("Restore puts the chosen backup in place of the log. The log it replaces is backed up first."),
        this);
    note->setWordWrap(true);
    layout->addWidget(note);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    ButtonRestore = new QPushButton(QStringLiteral("&Restore"), this);
    ButtonRestore->setObjectName(QStringLiteral("ButtonRestore"));
    ButtonCancel = new QPushButton(QStringLiteral("Cancel"), this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    buttons->addWidget(ButtonRestore);
    buttons->addWidget(ButtonCancel);
    layout->addLayout(buttons);

    connect(ButtonRestore, &QPushButton::clicked, this, &TFormRestore::ButtonRestoreClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &TFormRestore::reject);
    connect(GridBackups, &QTableWidget::cellDoubleClicked, this, &TFormRestore::ButtonRestoreClick);
    connect(GridBackups, &QTableWidget::itemSelectionChanged, this,
            [this] { ButtonRestore->setEnabled(!GridBackups->selectedItems().isEmpty()); });
}

void TFormRestore::fill()
{
    const QString logFile = QFileInfo(m_log.path()).fileName();
    m_entries = Backup::listBackups(m_folder, Backup::logNameOf(m_log.path()));
    LabelFolder->setText(m_entries.empty()
                             ? QStringLiteral("No backups of %1 in %2").arg(logFile, QDir::toNativeSeparators(m_folder))
                             : QStringLiteral("Backups of %1 in %2").arg(logFile, QDir::toNativeSeparators(m_folder)));
    GridBackups->setRowCount(int(m_entries.size()));
    m_problems.clear();
    for (int row = 0; row < int(m_entries.size()); ++row) {
        const Backup::Entry &entry = m_entries[size_t(row)];
        m_problems.push_back(Backup::verify(entry));
        const QString texts[ColumnCount] = {shownTime(entry.time), QString::number(entry.records), callDates(entry),
                                            checkText(row), storeText(entry)};
        for (int column = 0; column < ColumnCount; ++column) {
            auto *item = new QTableWidgetItem(texts[column]);
            if (column == Records)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (column == Check && !m_problems.back().isEmpty())
                item->setForeground(Qt::red);
            GridBackups->setItem(row, column, item);
        }
    }
    GridBackups->resizeColumnsToContents();
    if (!m_entries.empty())
        GridBackups->selectRow(0);
    ButtonRestore->setEnabled(!m_entries.empty());
}

QString TFormRestore::checkText(int row) const
{
    if (row < 0 || size_t(row) >= m_entries.size())
        return QString();
    if (!m_problems[size_t(row)].isEmpty())
        return QStringLiteral("FAILED: %1").arg(m_problems[size_t(row)]);
    const QStringList damage = damageOf(m_entries[size_t(row)]);
    return damage.isEmpty()
        ? QStringLiteral("Verified")
        : QStringLiteral("Verified copy of a damaged log: %1").arg(damage.join(QStringLiteral(", ")));
}

QString TFormRestore::confirmation(const Backup::Entry &entry) const
{
    const QString logFile = QFileInfo(m_log.path()).fileName();
    QString text = QFileInfo(m_log.path()).isFile()
        ? QStringLiteral("Replace %1 (%2 records) with the backup of %3 (%4 records)?\n\nThe log it replaces is "
                         "backed up first.")
              .arg(logFile)
              .arg(m_log.state().RecordCount)
              .arg(shownTime(entry.time))
              .arg(entry.records)
        : QStringLiteral("Restore the backup of %1 (%2 records) as %3?")
              .arg(shownTime(entry.time))
              .arg(entry.records)
              .arg(logFile);
    const QStringList damage = damageOf(entry);
    if (!damage.isEmpty())
        text += QStringLiteral("\n\nThe backed-up log was damaged: %1.").arg(damage.join(QStringLiteral(", ")));
    return text;
}

bool TFormRestore::ask(const QString &text, bool warning)
{
    QMessageBox question(warning ? QMessageBox::Warning : QMessageBox::Question, QStringLiteral("Restore"), text,
                         QMessageBox::Yes | QMessageBox::No, this);
    question.setObjectName(warning ? QStringLiteral("RestoreFailedCheck") : QStringLiteral("RestoreConfirm"));
    question.setDefaultButton(QMessageBox::No);
    question.setEscapeButton(QMessageBox::No);
    return m_desktop.runDialog(question) == QMessageBox::Yes;
}

void TFormRestore::ButtonRestoreClick()
{
    const QList<QTableWidgetItem *> selected = GridBackups->selectedItems();
    if (selected.isEmpty())
        return;
    const int row = selected.front()->row();
    const Backup::Entry &entry = m_entries[size_t(row)];
    const QString &problem = m_problems[size_t(row)];
    bool forced = false;
    if (!problem.isEmpty()) {
        const QString warning = QStringLiteral("This backup FAILS its check: %1.\n\nIts files are not what was "
                                               "written when it was made; the log it gives back may be damaged or "
                                               "incomplete. Restore it anyway?")
                                    .arg(problem);
        if (!ask(warning, true))
            return;
        forced = true;
    }
    if (!ask(confirmation(entry), false))
        return;
    m_chosen = entry;
    m_forced = forced;
    accept();
}
