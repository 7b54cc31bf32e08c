#include "importcolumnswindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString cut(const QString &text)
{
    const QString line = text.simplified();
    return line.size() > 30 ? line.left(30) + QStringLiteral("\u2026") : line;
}

// "3: Phone number (555-0142)": the column's number, its first cell and the next.
QStringList columnChoices(const CsvReader::Table &table)
{
    QStringList choices;
    if (table.rows.empty())
        return choices;
    const QStringList &first = table.rows.front().fields;
    const QStringList second = table.rows.size() > 1 ? table.rows[1].fields : QStringList();
    for (int i = 0; i < first.size(); ++i) {
        QString text = QStringLiteral("%1: %2").arg(i + 1).arg(cut(first.at(i)));
        if (i < second.size() && !second.at(i).trimmed().isEmpty())
            text += QStringLiteral(" (%1)").arg(cut(second.at(i)));
        choices.append(text);
    }
    return choices;
}

} // namespace

TFormImportColumns::TFormImportColumns(const CsvImport::Source &source, const QString &fileName, QWidget *parent)
    : QDialog(parent)
    , m_choices(columnChoices(source.table))
{
    setObjectName(QStringLiteral("FormImportColumns"));
    setWindowTitle(QStringLiteral("Import CSV - Columns"));
    auto *layout = new QVBoxLayout(this);
    auto *intro = new QLabel(QStringLiteral("Which column of %1 holds each part of a call? A row without a date or "
                                            "a time is refused; an empty phone, name or company gets the default "
                                            "an empty field gets; a missing type is In.")
                                 .arg(fileName),
                             this);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    m_form = new QFormLayout;
    layout->addLayout(m_form);
    const CsvImport::Columns &guess = source.columns;
    ComboDate = addChoice("ComboDate", QStringLiteral("&Date"), guess.date);
    ComboTime = addChoice("ComboTime", QStringLiteral("&Time"), guess.time);
    ComboPhone = addChoice("ComboPhone", QStringLiteral("&Phone"), guess.phone);
    ComboName = addChoice("ComboName", QStringLiteral("&Name"), guess.name);
    ComboCompany = addChoice("ComboCompany", QStringLiteral("&Company"), guess.company);
    ComboNotes = addChoice("ComboNotes", QStringLiteral("N&otes"), guess.notes);
    ComboType = addChoice("ComboType", QStringLiteral("T&ype (In, Out, Msg)"), guess.type);
    CheckHeadingRow = new QCheckBox(QStringLiteral("The first row names the columns (it is not imported)"), this);
    CheckHeadingRow->setObjectName(QStringLiteral("CheckHeadingRow"));
    CheckHeadingRow->setChecked(guess.headingRow);
    layout->addWidget(CheckHeadingRow);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Preview"));
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &TFormImportColumns::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TFormImportColumns::reject);
}

QComboBox *TFormImportColumns::addChoice(const char *name, const QString &label, int guess)
{
    auto *combo = new QComboBox(this);
    combo->setObjectName(QLatin1String(name));
    combo->addItem(QStringLiteral("(none)"), -1);
    for (int i = 0; i < m_choices.size(); ++i)
        combo->addItem(m_choices.at(i), i);
    combo->setCurrentIndex(qMax(0, combo->findData(guess)));
    m_form->addRow(label, combo);
    return combo;
}

CsvImport::Columns TFormImportColumns::columns() const
{
    CsvImport::Columns columns;
    columns.date = ComboDate->currentData().toInt();
    columns.time = ComboTime->currentData().toInt();
    columns.phone = ComboPhone->currentData().toInt();
    columns.name = ComboName->currentData().toInt();
    columns.company = ComboCompany->currentData().toInt();
    columns.notes = ComboNotes->currentData().toInt();
    columns.type = ComboType->currentData().toInt();
    columns.headingRow = CheckHeadingRow->isChecked();
    return columns;
}
