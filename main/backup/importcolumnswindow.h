#ifndef IMPORTCOLUMNSWINDOW_H
#define IMPORTCOLUMNSWINDOW_H

#include "csvimport.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QFormLayout;

// Import CSV for a file the program did not write: which of its columns
// holds each part of a call. The guess from the file's heading is chosen at
// first; "(none)" leaves a part out.
class TFormImportColumns : public QDialog
{
    Q_OBJECT

public:
    TFormImportColumns(const CsvImport::Source &source, const QString &fileName, QWidget *parent = nullptr);

    CsvImport::Columns columns() const;

    QComboBox *ComboDate = nullptr;
    QComboBox *ComboTime = nullptr;
    QComboBox *ComboPhone = nullptr;
    QComboBox *ComboName = nullptr;
    QComboBox *ComboCompany = nullptr;
    QComboBox *ComboNotes = nullptr;
    QComboBox *ComboType = nullptr;
    QCheckBox *CheckHeadingRow = nullptr;

private:
    QComboBox *addChoice(const char *name, const QString &label, int guess);

    QStringList m_choices; // one per column of the file
    QFormLayout *m_form = nullptr;
};

#endif // IMPORTCOLUMNSWINDOW_H
