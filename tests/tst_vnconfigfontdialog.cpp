// The configuration manager's font dialog: Qt's font chooser with a colour
// choice, yielding what the configuration file keeps.

#include "FontDialog1.h"

#include "configfile.h"
#include "testdesktop.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

// Says which font a failed comparison saw.
char *toString(const FontChoice &choice)
{
    return QTest::toString(QStringLiteral("%1 %2 pt, colour %3, style %4")
                               .arg(choice.faceName)
                               .arg(choice.pointSize)
                               .arg(choice.colorValue)
                               .arg(choice.style));
}

namespace {

// Clicks `text` in whichever list of the chooser holds it, as a person does.
bool clickInList(FontColorDialog &dialog, const QString &text)
{
    for (QAbstractItemView *list : dialog.FontChooser->findChildren<QAbstractItemView *>()) {
        const QModelIndexList found =
            list->model()->match(list->model()->index(0, 0), Qt::DisplayRole, text, 1, Qt::MatchExactly);
        if (found.isEmpty())
            continue;
        list->scrollTo(found.first());
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualRect(found.first()).center());
        return true;
    }
    return false;
}

} // namespace

class TestVNConfigFontDialog : public QObject
{
    Q_OBJECT

private slots:
    void startsWithWindowTextRegular();
    void colourValues_data();
    void colourValues();
    void styleByte_data();
    void styleByte();
    void familyChangeKeepsTheStyle_data();
    void familyChangeKeepsTheStyle();
    void sizesAboveNineHundredNinetyNineAreRefused();
    void keysOfTheEmbeddedChooserReachTheDialog_data();
    void keysOfTheEmbeddedChooserReachTheDialog();
    void askReturnsTheChoiceOrNothing();
};

void TestVNConfigFontDialog::startsWithWindowTextRegular()
{
    FontColorDialog dialog;
    const FontChoice choice = dialog.choice();
    QCOMPARE(choice.pointSize, 10);
    QCOMPARE(choice.style, std::uint8_t(0));
    QCOMPARE(choice.colorValue, WindowTextColorValue);
    QCOMPARE(dialog.ComboColor->currentText(), QStringLiteral("Window Text"));
    QCOMPARE(dialog.ComboColor->count(), 17);
    QVERIFY(!choice.faceName.isEmpty());
}

void TestVNConfigFontDialog::colourValues_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("value");
    QTest::newRow("window text") << "Window Text" << int(WindowTextColorValue);
    QTest::newRow("black") << "Black" << 0;
    QTest::newRow("red in the lowest byte") << "Red" << 255;
    QTest::newRow("maroon") << "Maroon" << 128;
    QTest::newRow("navy, blue in the third byte") << "Navy" << 0x800000;
    QTest::newRow("olive") << "Olive" << 0x008080;
    QTest::newRow("aqua") << "Aqua" << 0xFFFF00;
    QTest::newRow("white") << "White" << 0xFFFFFF;
}

void TestVNConfigFontDialog::colourValues()
{
    QFETCH(QString, name);
    QFETCH(int, value);
    FontColorDialog dialog;
    const int index = dialog.ComboColor->findText(name);
    QVERIFY(index >= 0);
    dialog.ComboColor->setCurrentIndex(index);
    QCOMPARE(dialog.choice().colorValue, value);

    // Set back from a value, the same entry is chosen.
    dialog.ComboColor->setCurrentIndex(index == 0 ? 1 : 0);
    FontChoice choice = dialog.choice();
    choice.colorValue = value;
    dialog.setChoice(choice);
    QCOMPARE(dialog.ComboColor->currentText(), name);
}

void TestVNConfigFontDialog::styleByte_data()
{
    QTest::addColumn<bool>("bold");
    QTest::addColumn<bool>("italic");
    QTest::addColumn<bool>("underline");
    QTest::addColumn<bool>("strikeOut");
    QTest::addColumn<int>("style");
    QTest::newRow("regular") << false << false << false << false << 0;
    QTest::newRow("bold") << true << false << false << false << 1;
    QTest::newRow("italic") << false << true << false << false << 2;
    QTest::newRow("underline") << false << false << true << false << 4;
    QTest::newRow("strike-out") << false << false << false << true << 8;
    QTest::newRow("italic and strike-out") << false << true << false << true << 10;
    QTest::newRow("everything") << true << true << true << true << 15;
}

void TestVNConfigFontDialog::styleByte()
{
    QFETCH(bool, bold);
    QFETCH(bool, italic);
    QFETCH(bool, underline);
    QFETCH(bool, strikeOut);
    QFETCH(int, style);

    // The dialog starts from the font it last returned, style included.
    FontColorDialog dialog;
    const FontChoice given{QStringLiteral("Liberation Sans"), 14, 255, std::uint8_t(style)};
    dialog.setChoice(given);
    const QFont shown = dialog.FontChooser->currentFont();
    QCOMPARE(shown.bold(), bold);
    QCOMPARE(shown.italic(), italic);
    QCOMPARE(shown.underline(), underline);
    QCOMPARE(shown.strikeOut(), strikeOut);
    QCOMPARE(dialog.choice(), given);
}

void TestVNConfigFontDialog::familyChangeKeepsTheStyle_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<int>("style");
    QTest::addColumn<QString>("picked");
    QTest::addColumn<QString>("to");
    QTest::addColumn<int>("expected");

    const QString sans = QStringLiteral("Liberation Sans"), serif = QStringLiteral("DejaVu Serif");
    QTest::newRow("regular, to a family whose regular is Book") << sans << 0 << QString() << serif << 0;
    QTest::newRow("bold") << sans << 1 << QString() << serif << 1;
    QTest::newRow("italic") << sans << 2 << QString() << serif << 2;
    QTest::newRow("everything") << sans << 15 << QString() << serif << 15;
    QTest::newRow("Book to Regular") << serif << 0 << QString() << sans << 0;
    QTest::newRow("italic to oblique") << serif << 2 << QString() << "DejaVu Sans" << 2;
    QTest::newRow("italic picked in the list") << sans << 0 << "Italic" << serif << 2;
    QTest::newRow("regular picked in the list") << sans << 1 << "Regular" << serif << 0;
}

// Another family keeps the style the user chose, where the family has it.
void TestVNConfigFontDialog::familyChangeKeepsTheStyle()
{
    QFETCH(QString, from);
    QFETCH(int, style);
    QFETCH(QString, picked);
    QFETCH(QString, to);
    QFETCH(int, expected);

    FontColorDialog dialog;
    dialog.setChoice(FontChoice{from, 12, 255, std::uint8_t(style)});
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    if (!picked.isEmpty())
        QVERIFY(clickInList(dialog, picked));
    QVERIFY(clickInList(dialog, to));
    QCOMPARE(dialog.choice(), (FontChoice{to, 12, 255, std::uint8_t(expected)}));
}

void TestVNConfigFontDialog::sizesAboveNineHundredNinetyNineAreRefused()
{
    QCOMPARE(fontRefusal(QFont(QStringLiteral("Liberation Sans"), 999)), QString());
    QVERIFY(!fontRefusal(QFont(QStringLiteral("Liberation Sans"), 1000)).isEmpty());

    FontColorDialog dialog;
    dialog.show();
    dialog.FontChooser->setCurrentFont(QFont(QStringLiteral("Liberation Sans"), 1000));
    if (dialog.FontChooser->currentFont().pointSize() != 1000)
        QSKIP("the font chooser does not offer sizes this large");
    dialog.accept();
    QVERIFY(dialog.isVisible());
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(dialog.LabelRefusal->isVisible());
    QVERIFY(dialog.LabelRefusal->text().contains(QStringLiteral("999")));
}

void TestVNConfigFontDialog::keysOfTheEmbeddedChooserReachTheDialog_data()
{
    QTest::addColumn<bool>("inList");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("result");
    QTest::newRow("Enter in a field accepts") << false << int(Qt::Key_Return) << int(QDialog::Accepted);
    QTest::newRow("Escape in a field cancels") << false << int(Qt::Key_Escape) << int(QDialog::Rejected);
    QTest::newRow("Enter in the family list accepts") << true << int(Qt::Key_Return) << int(QDialog::Accepted);
    QTest::newRow("Escape in the family list cancels") << true << int(Qt::Key_Escape) << int(QDialog::Rejected);
}

void TestVNConfigFontDialog::keysOfTheEmbeddedChooserReachTheDialog()
{
    QFETCH(bool, inList);
    QFETCH(int, key);
    QFETCH(int, result);
    FontColorDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    dialog.setResult(-1);
    // Pressed inside the chooser, the key must close the whole dialog, not
    // only hide the chooser within it.
    QWidget *target = nullptr;
    if (inList) {
        const auto lists = dialog.FontChooser->findChildren<QAbstractItemView *>();
        QVERIFY(!lists.isEmpty());
        target = lists.first();
    } else {
        const auto edits = dialog.FontChooser->findChildren<QLineEdit *>();
        QVERIFY(!edits.isEmpty());
        target = edits.first();
    }
    QTest::keyClick(target, Qt::Key(key));
    QCOMPARE(dialog.result(), result);
    QVERIFY(!dialog.isVisible());
    QVERIFY(dialog.FontChooser->isVisibleTo(&dialog));
}

void TestVNConfigFontDialog::askReturnsTheChoiceOrNothing()
{
    const FontChoice initial{QStringLiteral("Liberation Sans"), 11, 255, 2};
    auto answer = [](bool accept) {
        return ModalAnswerer::only<FontColorDialog>([accept](FontColorDialog *dialog) {
            if (accept)
                dialog->Buttons->button(QDialogButtonBox::Ok)->click();
            else
                dialog->Buttons->button(QDialogButtonBox::Cancel)->click();
        });
    };
    TestDesktop desktop;
    {
        ModalAnswerer answerer(desktop);
        answerer.answer = answer(true);
        const std::optional<FontChoice> accepted = FontColorDialog::ask(desktop, nullptr, initial);
        QCOMPARE(answerer.seen, QStringList({"FontColorDialog"}));
        QVERIFY(accepted);
        QCOMPARE(*accepted, initial);
    }
    {
        ModalAnswerer answerer(desktop);
        answerer.answer = answer(false);
        QVERIFY(!FontColorDialog::ask(desktop, nullptr, initial));
        QCOMPARE(answerer.seen, QStringList({"FontColorDialog"}));
    }
}

QTEST_MAIN(TestVNConfigFontDialog)
#include "tst_vnconfigfontdialog.moc"
