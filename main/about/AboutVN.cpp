#include "AboutVN.h"

#include "vorlenerpicture.h"
#include "windowfont.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const QColor SkyBlue(0xA6, 0xCA, 0xF0);

using WindowFont::arial;

const char *const AboutText = "Vorlener - a personal telephone call log\n"
                              "\n"
                              "Vorlener records the calls you make and take and the messages you receive. "
                              "Each entry holds the kind of call (in, out or message), its date and time, "
                              "the phone number, the name of the caller, the company and your notes.\n"
                              "\n"
                              "Entries are kept in a data file, one after the other, each with its own "
                              "number, the time it was first saved and a fingerprint of its contents. When "
                              "an entry is read back the fingerprint is checked again: an entry that was "
                              "changed outside the program is marked \"X\" and cannot be edited.\n"
                              "\n"
                              "Records > Read shows an entry by number, to read or correct it. Records > "
                              "Review lists the whole log in a table; double-click a line to open that "
                              "entry. File > Export writes the log to VNExport.txt for a spreadsheet; "
                              "File > Print and Records > Print Current print the whole log or the entry "
                              "on show.\n"
                              "\n"
                              "The configuration manager, VNConfig (File > Create New), sets the data "
                              "file, the font of the entry fields and the phone number defaults. "
                              "About > Manual opens the user manual, VNUM.pdf.";

} // namespace

TAbout2::TAbout2(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("About2"));
    setWindowTitle(QStringLiteral("About Vorlener"));
    setFixedSize(454, 418);

    QPalette colours = palette();
    colours.setColor(QPalette::Window, SkyBlue);
    colours.setColor(QPalette::Base, SkyBlue);
    setPalette(colours);
    setAutoFillBackground(true);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(53, 0, 393, 337);
    Memo1->setFont(arial(11));
    Memo1->setReadOnly(true);
    Memo1->setPlainText(QString::fromUtf8(AboutText));

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(8, 332, 193, 86);
    Image1->setScaledContents(true);
    Image1->setPixmap(VorlenerPicture(QSize(100, 100)));
    Image1->lower();

    Label2 = new QLabel(QStringLiteral("V-3.0.0"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(arial(13, true));
    Label2->setGeometry(216, 352, 80, 20);

    Label1 = new QLabel(QStringLiteral("Vorlener call log"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(arial(11));
    Label1->setGeometry(216, 376, 120, 18);

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setFont(arial(13, true));
    Button1->setGeometry(348, 370, 75, 28);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TAbout2::Button1Click);
}

void TAbout2::Button1Click()
{
    accept();
}
