#include "Warning.h"

#include "desktop.h"

#include "windowfont.h"

#include <QGuiApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {

QLineEdit *centredText(QWidget *parent, const QString &text, const QFont &font)
{
    auto *edit = new QLineEdit(text, parent);
    edit->setReadOnly(true);
    edit->setAlignment(Qt::AlignCenter);
    edit->setFont(font);
    edit->setFrame(false);
    edit->setFocusPolicy(Qt::NoFocus);
    return edit;
}

} // namespace

TFormWarning::TFormWarning(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint)
{
    setObjectName(QStringLiteral("FormWarning"));
    setWindowTitle(QStringLiteral("Error!"));
    setFixedSize(247, 198);
    setFont(WindowFont::tahoma(19, true));

    QPalette colours = palette();
    colours.setColor(QPalette::Window, Qt::yellow);
    colours.setColor(QPalette::Base, Qt::yellow);
    colours.setColor(QPalette::WindowText, Qt::red);
    colours.setColor(QPalette::Text, Qt::red);
    setPalette(colours);
    setAutoFillBackground(true);

    ButtonOK = new QPushButton(QStringLiteral("OK"), this);
    ButtonOK->setObjectName(QStringLiteral("ButtonOK"));
    ButtonOK->setGeometry(86, 148, 75, 32);
    ButtonOK->setDefault(true);
    QPalette buttonColours = ButtonOK->palette();
    buttonColours.setColor(QPalette::ButtonText, Qt::black);
    ButtonOK->setPalette(buttonColours);

    Edit1 = centredText(this, QStringLiteral("Warning!"), WindowFont::tahoma(27, true));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setGeometry(8, 18, 231, 44);

    Edit2 = centredText(this, QStringLiteral("No Data Available"), font());
    Edit2->setObjectName(QStringLiteral("Edit2"));
    Edit2->setGeometry(8, 80, 231, 34);

    // OK is the only control that takes the focus, so it comes first in the tab order.
    ButtonOK->setFocus();

    connect(ButtonOK, &QPushButton::clicked, this, &TFormWarning::ButtonOKClick);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TFormWarning::showWarning(Desktop &desktop, QWidget *owner)
{
    TFormWarning warning(owner);
    desktop.runDialog(warning);
}

void TFormWarning::reject()
{
    done(1);
}

void TFormWarning::ButtonOKClick()
{
    done(1);
}
