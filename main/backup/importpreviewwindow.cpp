#include "importpreviewwindow.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

TFormImportPreview::TFormImportPreview(const QString &title, const QString &summary, const Rows &accepted,
                                       const Rows &refused, const QString &importText, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("FormImportPreview"));
    setWindowTitle(title);
    resize(900, 560);
    auto *layout = new QVBoxLayout(this);
    LabelSummary = new QLabel(summary, this);
    LabelSummary->setObjectName(QStringLiteral("LabelSummary"));
    LabelSummary->setWordWrap(true);
    layout->addWidget(LabelSummary);
    GridAccepted = addGrid(accepted);
    GridAccepted->setObjectName(QStringLiteral("GridAccepted"));
    layout->addWidget(GridAccepted, 3);

    LabelRefused = new QLabel(
        refused.count == 0 ? QStringLiteral("No row is refused.") : QStringLiteral("Refused (not imported):"), this);
    LabelRefused->setObjectName(QStringLiteral("LabelRefused"));
    layout->addWidget(LabelRefused);
    GridRefused = addGrid(refused);
    GridRefused->setObjectName(QStringLiteral("GridRefused"));
    GridRefused->setVisible(refused.count > 0);
    layout->addWidget(GridRefused, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    ButtonImport = new QPushButton(importText, this);
    ButtonImport->setObjectName(QStringLiteral("ButtonImport"));
    ButtonImport->setEnabled(accepted.count > 0);
    ButtonCancel = new QPushButton(QStringLiteral("Cancel"), this);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));
    ButtonCancel->setDefault(true);
    buttons->addWidget(ButtonImport);
    buttons->addWidget(ButtonCancel);
    layout->addLayout(buttons);
    connect(ButtonImport, &QPushButton::clicked, this, &TFormImportPreview::accept);
    connect(ButtonCancel, &QPushButton::clicked, this, &TFormImportPreview::reject);
}

QTableView *TFormImportPreview::addGrid(const Rows &rows)
{
    auto *grid = new QTableView(this);
    grid->setModel(new TextRowsModel(rows.headings, rows.count, rows.cell, grid));
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->setWordWrap(false);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    grid->horizontalHeader()->setStretchLastSection(true);
    // Sized from the first rows only: a preview of many thousand rows opens at once.
    grid->horizontalHeader()->setResizeContentsPrecision(50);
    grid->resizeColumnsToContents();
    return grid;
}
