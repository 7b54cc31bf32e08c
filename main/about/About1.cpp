#include "About1.h"

#include "vorlenerpicture.h"
#include "windowfont.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QTextEdit>

TFormAbout::TFormAbout(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint)
{
    setObjectName(QStringLiteral("FormAbout"));
    setWindowTitle(QStringLiteral("About Vorlener"));
    setFixedSize(459, 307);

    // The desktop's gradient colour of an active caption.
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(0xB9, 0xD1, 0xEA));
    setPalette(colours);
    setAutoFillBackground(true);

    Image2 = new QLabel(this);
    Image2->setObjectName(QStringLiteral("Image2"));
    Image2->setGeometry(298, 0, 153, 153);
    Image2->setScaledContents(true);
    Image2->setAttribute(Qt::WA_TranslucentBackground);
    Image2->setPixmap(VorlenerPicture(QSize(153, 153)));

    Label2 = new QLabel(QStringLiteral("Vorlener"), this);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->setFont(WindowFont::italic(WindowFont::arial(40, true)));
    Label2->setGeometry(20, 45, 260, 60);

    RichEdit1 = new QTextEdit(this);
    RichEdit1->setObjectName(QStringLiteral("RichEdit1"));
    RichEdit1->setReadOnly(true);
    RichEdit1->setGeometry(21, 154, 417, 140);
    RichEdit1->setHtml(QStringLiteral("<p><b>Vorlener</b> keeps a log of your telephone calls and messages.</p>"
                                      "<p>Type the kind of call, its date and time, the phone number, the caller's "
                                      "name and company and your notes into one line and save it. Every entry is "
                                      "stored with its number, the time it was saved and a fingerprint of its "
                                      "contents, so an entry changed outside the program is recognised and "
                                      "marked.</p>"
                                      "<p>Look entries up by number, correct them, review the whole log in a "
                                      "table, export it as text for a spreadsheet, or print it as a report.</p>"));

    Label1 = new QLabel(QStringLiteral("Personal call log - version 3.0.0"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(WindowFont::tahoma(9));
    Label1->setGeometry(21, 294, 417, 13); // tall enough for the letters' descenders

    // Shown before the main window exists, so it is centred where that window will appear.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}
