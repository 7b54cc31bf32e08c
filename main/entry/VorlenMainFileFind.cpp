#include "VorlenMainFile.h"

#include "callernames.h"
#include "csvexport.h"
#include "statusshape.h"

#include <QAction>
#include <QCompleter>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QStringListModel>
#include <QTimer>

void TMainForm::buildCompletion()
{
    m_callers = std::make_shared<CallerNames>();
    chooseCsvFile = [this](const QString &suggested) {
        return QFileDialog::getSaveFileName(this, QStringLiteral("Export as CSV"), suggested,
                                            QStringLiteral("CSV (*.csv)"));
    };

    auto offer = [this](QLineEdit *field, QStringListModel *&list, const char *name) {
        list = new QStringListModel(this);
        auto *completer = new QCompleter(list, this);
        completer->setObjectName(QLatin1String(name));
        completer->setCaseSensitivity(Qt::CaseInsensitive);
        completer->setModelSorting(QCompleter::UnsortedModel);
        completer->setCompletionMode(QCompleter::PopupCompletion);
        completer->setFilterMode(Qt::MatchStartsWith);
        completer->setMaxVisibleItems(8);
        field->setCompleter(completer);
    };
    offer(EditName, m_nameList, "NameCompleter");
    offer(EditCompany, m_companyList, "CompanyCompleter");
    connect(EditPhone, &QLineEdit::textChanged, this, &TMainForm::offerCallersOf);
}

void TMainForm::loadCallerNames()
{
    m_callers->load(m_state.DataFileName);
    offerCallersOf(EditPhone->text());
}

void TMainForm::offerCallersOf(const QString &phone)
{
    m_nameList->setStringList(m_callers->names(phone));
    m_companyList->setStringList(m_callers->companies(phone));
}

void TMainForm::rememberCaller(const CallRecord &record)
{
    m_callers->add(record);
    offerCallersOf(EditPhone->text());
}

QStringList TMainForm::offeredNames() const
{
    return m_nameList->stringList();
}

QStringList TMainForm::offeredCompanies() const
{
    return m_companyList->stringList();
}

void TMainForm::ExportCsv1Click()
{
    const QString path = chooseCsvFile(QDir::current().filePath(CsvExport::DefaultFileName));
    if (path.isEmpty())
        return;
    const CsvExport::Outcome outcome = CsvExport::writeLog(m_state.DataFileName, path);
    if (!outcome.written) {
        setIndicator(Red, outcome.error);
        showMessage(outcome.error, 9);
        return;
    }
    showMessage(QStringLiteral("Saved as %1").arg(QFileInfo(path).fileName()), 12);
}
