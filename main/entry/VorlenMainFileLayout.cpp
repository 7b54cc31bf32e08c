#include "VorlenMainFile.h"

#include "screenfit.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

// One row across the whole screen, at its top.
void TMainForm::fitToScreen()
{
    const QRect area = ScreenFit::availableArea(this);
    const QMargins frame = ScreenFit::frameMargins(this);
    const int width = qMax(area.width() - frame.left() - frame.right(), 600);
    fitEntryRow(width);
    setFixedWidth(width);
    setFixedHeight(sizeHint().height());
    // Placed now, so that a message shown at start-up does not resize the window just shown.
    m_messageLineUsed = false;
    placeMessage();
    move(area.topLeft());
}

// Where the screen is too narrow for every field at its usual width, the name
// and company fields give up width, both alike, so that the notes keep theirs.
void TMainForm::fitEntryRow(int clientWidth)
{
    auto setTextFieldWidth = [this](int width) {
        EditName->setMinimumWidth(width);
        EditCompany->setMinimumWidth(width);
        Panel1->layout()->invalidate();
        Panel1->updateGeometry();
        centralWidget()->layout()->invalidate();
    };
    setTextFieldWidth(TextFieldWidth);
    const int shortBy = centralWidget()->layout()->minimumSize().width() - clientWidth;
    if (shortBy > 0)
        setTextFieldWidth(qMax(TextFieldWidth - (shortBy + 1) / 2, TextFieldMinimumWidth));
}

void TMainForm::requestMessagePlacement()
{
    if (m_placementPending)
        return;
    m_placementPending = true;
    // After the layout has given every control its place.
    QMetaObject::invokeMethod(this, &TMainForm::placeMessage, Qt::QueuedConnection);
}

// The message sits at the right of the caption row where it fits there whole;
// a longer one takes a line of its own under the fields, at the right as well,
// and the window grows by that line while the message shows.
void TMainForm::placeMessage()
{
    m_placementPending = false;
    if (!isVisible()) {
        // Not shown yet: the layouts give the controls their places now.
        for (QWidget *widget : std::initializer_list<QWidget *>{this, centralWidget(), Panel1})
            widget->layout()->activate();
    }
    const bool shown = LabelRecordStatus->isVisibleTo(this);
    if (shown) {
        const int room =
            m_captionMessage->geometry().width() - NoteLabel->sizeHint().width() - m_captionMessage->spacing();
        const int needed = qMax(LabelRecordStatus->sizeHint().width(),
                                QFontMetrics(LabelRecordStatus->font()).horizontalAdvance(LabelRecordStatus->text()));
        QHBoxLayout *home = needed <= room ? m_captionMessage : m_messageLine;
        if (home->indexOf(LabelRecordStatus) < 0) {
            (home == m_captionMessage ? m_messageLine : m_captionMessage)->removeWidget(LabelRecordStatus);
            home->addWidget(LabelRecordStatus, 1);
        }
    }
    const bool lineUsed = shown && m_messageLine->indexOf(LabelRecordStatus) >= 0;
    if (lineUsed == m_messageLineUsed)
        return;
    m_messageLineUsed = lineUsed;
    Panel1->layout()->invalidate();
    Panel1->updateGeometry();
    centralWidget()->updateGeometry();
    setFixedHeight(sizeHint().height());
}
