#include "VorlenMainFile.h"

#include "Print1rec.h"
#include "Printprefiewform.h"

#include <QAction>
#include <QLabel>

#include <memory>

void TMainForm::Print1Click()
{
    const auto preview = std::make_unique<TPrintPreviewForm>(this);
    preview->exec();
}

void TMainForm::PrintCurrentClick()
{
    const auto preview = std::make_unique<TForm1>(this);
    preview->PanelRec->setText(QString::number(m_state.SelectedRecord));
    // A cancelled preview leaves Print Current off until Read or Review turns it on.
    const bool printed = preview->exec() != TForm1::Cancelled;
    PrintCurrent->setEnabled(printed);
    PrintCurrentAllowed = printed;
}
