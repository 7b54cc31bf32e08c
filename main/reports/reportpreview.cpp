#include "reportpreview.h"

#include "desktop.h"
#include "openlog.h"
#include "reportprinter.h"
#include "reporttext.h"

#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

ReportPreviewForm::ReportPreviewForm(const Kind &kind, const OpenLog &log, Desktop &desktop, QWidget *parent)
    : QDialog(parent)
    , m_kind(kind)
    , m_log(log)
    , m_desktop(desktop)
{
    setObjectName(kind.objectName);
    setWindowTitle(QStringLiteral("Print Preview"));
    setFont(QFont(QStringLiteral("Tahoma"), 8));

    Panel1 = new QLabel(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setAlignment(Qt::AlignCenter);

    ButtonPrint = new QPushButton(QStringLiteral("Print"), Panel1);
    ButtonPrint->setObjectName(QStringLiteral("ButtonPrint"));
    ButtonCancel = new QPushButton(QStringLiteral("Cancel"), Panel1);
    ButtonCancel->setObjectName(QStringLiteral("ButtonCancel"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);

    connect(ButtonPrint, &QPushButton::clicked, this, &ReportPreviewForm::ButtonPrintClick);
    connect(ButtonCancel, &QPushButton::clicked, this, &ReportPreviewForm::ButtonCancelClick);
}

void ReportPreviewForm::setViewer(QWidget *viewer)
{
    static_cast<QVBoxLayout *>(layout())->addWidget(viewer, 1);
}

const QString &ReportPreviewForm::dataFileName() const
{
    return m_log.path();
}

void ReportPreviewForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous() && !m_shown) {
        m_shown = true;
        FormShow();
    }
}

void ReportPreviewForm::showPanelMessage(const QString &text)
{
    Panel1->setText(text);
}

bool ReportPreviewForm::writeWorkFile(const QString &fileName, const QString &report)
{
    QString error;
    if (ReportText::writeWorkFile(fileName, report, &error))
        return true;
    showPanelMessage(QStringLiteral("Report NOT written: %1").arg(error));
    return false;
}

bool ReportPreviewForm::readWorkFile(const QString &fileName, QString &text)
{
    QString error;
    if (ReportText::readWorkFile(fileName, text, &error))
        return true;
    showPanelMessage(QStringLiteral("Report NOT read: %1").arg(error));
    return false;
}

void ReportPreviewForm::ButtonPrintClick()
{
    const ReportPrinter::Outcome outcome = ReportPrinter::print(linesToPrint(), printLook(), m_kind.jobTitle,
                                                                m_kind.pdfFileName, m_desktop.defaultPrinter());
    if (outcome.kind == ReportPrinter::Outcome::Failed) {
        // Nothing was printed: the window stays so the user can try again or cancel.
        showPanelMessage(QStringLiteral("Print FAILED: %1").arg(outcome.error));
        return;
    }
    if (outcome.kind == ReportPrinter::Outcome::SavedAsPdf) {
        QMessageBox told(QMessageBox::Information, windowTitle(), ReportPrinter::savedAsPdfMessage(outcome.where),
                         QMessageBox::Ok, this);
        told.setObjectName(QStringLiteral("SavedAsPdf"));
        m_desktop.runDialog(told);
    }
    done(m_kind.printedResult);
}

void ReportPreviewForm::ButtonCancelClick()
{
    done(m_kind.cancelledResult);
}

void ReportPreviewForm::reject()
{
    ButtonCancelClick();
}
