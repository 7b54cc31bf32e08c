#ifndef IMPORTPREVIEWWINDOW_H
#define IMPORTPREVIEWWINDOW_H

#include "textrowsmodel.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QTableView;

// What an import would add, before anything is written: the rows as the log
// (or the address book) would take them, and every row refused with its
// line and the reason. Import confirms; Cancel writes nothing.
class TFormImportPreview : public QDialog
{
    Q_OBJECT

public:
    struct Rows
    {
        QStringList headings;
        int count = 0;
        TextRowsModel::Cell cell;
    };

    TFormImportPreview(const QString &title, const QString &summary, const Rows &accepted, const Rows &refused,
                       const QString &importText, QWidget *parent = nullptr);

    QLabel *LabelSummary = nullptr;
    QTableView *GridAccepted = nullptr;
    QLabel *LabelRefused = nullptr;
    QTableView *GridRefused = nullptr;
    QPushButton *ButtonImport = nullptr;
    QPushButton *ButtonCancel = nullptr;

private:
    QTableView *addGrid(const Rows &rows);
};

#endif // IMPORTPREVIEWWINDOW_H
