// The configuration manager's font dialog: Qt's font chooser with a colour
// choice, yielding what the configuration file keeps.

#include "FontDialog1.h"

#include "configfile.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFontDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

class TestVNConfigFontDialog : public QObject
{
    Q_OBJECT

private slots:
    void startsWithWindowTextRegular();
    void colourValues_data();
    void colourValues();
    void styleByte_data();
    void styleByte();
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

    FontColorDialog dialog;
    QFont font(QStringLiteral("DejaVu Sans"), 14);
    font.setBold(bold);
    font.setItalic(italic);
    font.setUnderline(underline);
    font.setStrikeOut(strikeOut);
    dialog.FontChooser->setCurrentFont(font);
    const FontChoice choice = dialog.choice();
    QCOMPARE(int(choice.style), style);
    QCOMPARE(choice.pointSize, 14);
    QCOMPARE(choice.faceName, QStringLiteral("DejaVu Sans"));

    // And a choice given to the dialog comes back unchanged.
    FontColorDialog second;
    second.setChoice(choice);
    QCOMPARE(second.choice(), choice);
}

void TestVNConfigFontDialog::sizesAboveNineHundredNinetyNineAreRefused()
{
    QCOMPARE(fontRefusal(QFont(QStringLiteral("DejaVu Sans"), 999)), QString());
    QVERIFY(!fontRefusal(QFont(QStringLiteral("DejaVu Sans"), 1000)).isEmpty());

    FontColorDialog dialog;
    dialog.show();
    dialog.FontChooser->setCurrentFont(QFont(QStringLiteral("DejaVu Sans"), 1000));
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
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("result");
    QTest::newRow("Enter accepts") << int(Qt::Key_Return) << int(QDialog::Accepted);
    QTest::newRow("Escape cancels") << int(Qt::Key_Escape) << int(QDialog::Rejected);
}

void TestVNConfigFontDialog::keysOfTheEmbeddedChooserReachTheDialog()
{
    QFETCH(int, key);
    QFETCH(int, result);
    FontColorDialog dialog;
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    dialog.setResult(-1);
    // Pressed in the chooser's size field, the key must close the whole dialog,
    // not only hide the chooser inside it.
    const QList<QLineEdit *> edits = dialog.FontChooser->findChildren<QLineEdit *>();
    QVERIFY(!edits.isEmpty());
    QTest::keyClick(edits.last(), Qt::Key(key));
    QCOMPARE(dialog.result(), result);
    QVERIFY(!dialog.isVisible());
    QVERIFY(dialog.FontChooser->isVisibleTo(&dialog));
}

void TestVNConfigFontDialog::askReturnsTheChoiceOrNothing()
{
    const FontChoice initial{QStringLiteral("DejaVu Sans"), 11, 255, 2};
    auto answer = [](bool accept) {
        QTimer::singleShot(0, [accept]() {
            auto *dialog = qobject_cast<FontColorDialog *>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            if (accept)
                dialog->Buttons->button(QDialogButtonBox::Ok)->click();
            else
                dialog->Buttons->button(QDialogButtonBox::Cancel)->click();
        });
    };
    answer(true);
    const std::optional<FontChoice> accepted = FontColorDialog::ask(nullptr, initial);
    QVERIFY(accepted);
    QCOMPARE(*accepted, initial);
    answer(false);
    QVERIFY(!FontColorDialog::ask(nullptr, initial));
}

QTEST_MAIN(TestVNConfigFontDialog)
#include "tst_vnconfigfontdialog.moc"
