#include "selectpanel.h"

#include "accessiblenames.h"
#include "windowfont.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

using WindowFont::tahoma;

SelectPanel::SelectPanel(QWidget *parent)
    : QFrame(parent)
{
    setObjectName(QStringLiteral("Panel2"));
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Raised);
    setLineWidth(2);
    QPalette panelPalette = palette();
    panelPalette.setColor(QPalette::Window, panelPalette.color(QPalette::Midlight));
    setPalette(panelPalette);
    setAutoFillBackground(true);
    auto *select = new QHBoxLayout(this);
    select->setContentsMargins(8, 4, 8, 4);

    auto label = [this](QLabel *&label, const char *name, const QString &text, const QFont &font) {
        label = new QLabel(text, this);
        label->setObjectName(QLatin1String(name));
        label->setFont(font);
    };
    auto *selectCaption = new QVBoxLayout;
    selectCaption->setSpacing(0);
    label(LabelSelect1, "LabelSelect1", QStringLiteral("Select a record"), tahoma(16));
    label(LabelSelect2, "LabelSelect2", QStringLiteral("to display"), tahoma(16));
    selectCaption->addWidget(LabelSelect1);
    selectCaption->addWidget(LabelSelect2);
    select->addLayout(selectCaption);

    ButtonSelect = new QPushButton(QStringLiteral("Select"), this);
    ButtonSelect->setObjectName(QStringLiteral("ButtonSelect"));
    SpinEditSelect = new QSpinBox(this);
    SpinEditSelect->setObjectName(QStringLiteral("SpinEditSelect"));
    SpinEditSelect->setFont(tahoma(16));
    SpinEditSelect->setRange(0, 0);
    SpinEditSelect->setValue(1);
    SpinEditSelect->setMinimumWidth(90);
    SpinEditSelect->installEventFilter(this);
    Button1Cancel = new QPushButton(QStringLiteral("Cancel"), this);
    Button1Cancel->setObjectName(QStringLiteral("Button1Cancel"));
    select->addWidget(ButtonSelect);
    select->addWidget(SpinEditSelect);
    select->addWidget(Button1Cancel);

    auto *lastRecord = new QVBoxLayout;
    lastRecord->setSpacing(0);
    label(RecNoteLabel, "RecNoteLabel", QStringLiteral("Last Availabel Record"), tahoma(13));
    label(RecNumbLabel, "RecNumbLabel", QStringLiteral("1"), tahoma(15, true));
    RecNumbLabel->setAlignment(Qt::AlignCenter);
    lastRecord->addWidget(RecNoteLabel);
    lastRecord->addWidget(RecNumbLabel);
    select->addLayout(lastRecord);
    adjustSize();
    hide();

    setTabOrder(ButtonSelect, SpinEditSelect);
    setTabOrder(SpinEditSelect, Button1Cancel);
    AccessibleNames::captionFor(LabelSelect1, SpinEditSelect);
    AccessibleNames::name(SpinEditSelect, LabelSelect1->text() + QLatin1Char(' ') + LabelSelect2->text());
}

void SelectPanel::showRecordCount(int recordCount)
{
    // A damaged number in the last record can make the count negative; the
    // spin edit's bounds never go below zero.
    SpinEditSelect->setMaximum(qMax(recordCount, 0));
    RecNumbLabel->setText(QString::number(recordCount));
}

void SelectPanel::startAtFirst(int recordCount)
{
    showRecordCount(recordCount);
    const int first = recordCount > 0 ? 1 : 0;
    SpinEditSelect->setMinimum(first);
    SpinEditSelect->setValue(first);
}

int SelectPanel::chosen()
{
    SpinEditSelect->interpretText();
    return SpinEditSelect->value();
}

void SelectPanel::showOver(const QWidget *area)
{
    adjustSize();
    move(qMax(0, (area->width() - width()) / 2), qMax(0, (area->height() - height()) / 2));
    show();
    raise();
}

bool SelectPanel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == SpinEditSelect && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            emit selectKeyPressed();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}
