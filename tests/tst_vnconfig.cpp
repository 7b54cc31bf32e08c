// The configuration manager's window driven as a person drives it: clicks,
// typing and Tab on the real widgets, the configuration file written into a
// fresh working folder and read back with the main program's reader.

#include "VNConfigUnit1.h"
#include "accessiblecheck.h"

#include "FontDialog1.h"
#include "configfile.h"
#include "screenfixture.h"
#include "statusshape.h"

#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDialog>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QTimer>
#include <QtTest>

#include <memory>

#ifdef Q_OS_LINUX
#include <csignal>
#include <sys/resource.h>
#endif

namespace {

const QString FileNamePrompt = QStringLiteral("Enter name for data file here.");

QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QColor textColor(const QPushButton *button)
{
    return button->palette().color(QPalette::ButtonText);
}

} // namespace

Q_DECLARE_METATYPE(FontChoice)

namespace {

enum Setup { Neutral, NeutralSomeDone, NeutralAllDone, PendingNoneDone, PendingSomeDone, PendingAllDone, Saved };

} // namespace

class TestVNConfig : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();

    void startsNeutralWithPrompts();
    void controlsAreNamed_data();
    void controlsAreNamed();
    void transitions_data();
    void transitions();
    void passingThroughWritesDefaults_data();
    void passingThroughWritesDefaults();
    void enterInNameOpensTheFontDialog();
    void cancelledFontDialogLeavesFontOpen();
    void secondSaveWritesNothing();
    void cancelAfterSaveWarnsThenResets();
    void exitWhilePendingWarns();
    void keyFilters_data();
    void keyFilters();
    void arrowsAndDeleteAreNotFiltered();
    void fileNameLength();
    void emptyAreaCodeAndPrefixGiveHashes();
    void failedWriteIsShownAndStaysPending();
    void failedWriteKeepsTheEarlierFile();
    void mainProgramReadsWhatIsWritten();
    void deactivationRunsNoRules();
    void focusReturningFromTheDialogRunsNoRule();
    void windowsFitTheScreen_data();
    void windowsFitTheScreen();
    void fieldsStayWholeAtAnyFontSize_data();
    void fieldsStayWholeAtAnyFontSize();

private:
    void activate(QWidget *window);
    void click(QWidget *widget) { QTest::mouseClick(widget, Qt::LeftButton); }
    void tab() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); }
    // Goes through all five items, typing the given texts; ends on Save.
    void completeAll(const QString &name = QString(), const QString &separator = QString(),
                     const QString &areaCode = QString(), const QString &prefix = QString());
    void bringTo(Setup setup);
    QString state() const;
    QStringList cutFields() const;

    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_oldDir;
    std::unique_ptr<TFormConfig1> m_form;
    std::optional<FontChoice> m_dialogAnswer;
    int m_dialogRuns = 0;
};

void TestVNConfig::initTestCase()
{
    QApplication::setQuitOnLastWindowClosed(false);
    m_oldDir = QDir::currentPath();
}

void TestVNConfig::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    QVERIFY(QDir::setCurrent(m_dir->path()));
    m_dialogAnswer = FontChoice{QStringLiteral("Arial"), 10, WindowTextColorValue, 0};
    m_dialogRuns = 0;
    m_form = std::make_unique<TFormConfig1>();
    m_form->runFontDialog = [this]() {
        ++m_dialogRuns;
        return m_dialogAnswer;
    };
    activate(m_form.get());
}

void TestVNConfig::cleanup()
{
    m_form.reset();
    QDir::setCurrent(m_oldDir);
    m_dir.reset();
}

void TestVNConfig::activate(QWidget *window)
{
    window->show();
    QApplication::setActiveWindow(window);
    QVERIFY(QTest::qWaitForWindowActive(window));
}

void TestVNConfig::completeAll(const QString &name, const QString &separator, const QString &areaCode,
                               const QString &prefix)
{
    click(m_form->Edit1FileName);
    QTest::keyClicks(m_form->Edit1FileName, name);
    tab(); // the font field, whose dialog moves on to the separator
    QCOMPARE(QApplication::focusWidget(), m_form->Edit2PhoneSep);
    QTest::keyClicks(m_form->Edit2PhoneSep, separator);
    tab();
    QTest::keyClicks(m_form->Edit3AreaC, areaCode);
    tab();
    QTest::keyClicks(m_form->Edit4Prefix, prefix);
    tab();
    QCOMPARE(QApplication::focusWidget(), m_form->BitBtn1Save);
}

void TestVNConfig::bringTo(Setup setup)
{
    switch (setup) {
    case Neutral:
        break;
    case NeutralSomeDone:
    case NeutralAllDone:
        // Items completed while the cancel warning shows, then its OK.
        completeAll();
        click(m_form->BitBtn1Save);
        click(m_form->BitBtn2Cancel);
        QVERIFY(m_form->Panel2Warn->isVisible());
        if (setup == NeutralAllDone) {
            completeAll();
        } else {
            click(m_form->Edit1FileName);
            QTest::keyClicks(m_form->Edit1FileName, QStringLiteral("abc"));
        }
        click(m_form->Button4OK);
        QVERIFY(QFile::remove(ConfigFileName));
        break;
    case PendingNoneDone: {
        const std::optional<FontChoice> answer = m_dialogAnswer;
        m_dialogAnswer.reset();
        click(m_form->Edit5Font);
        m_dialogAnswer = answer;
        break;
    }
    case PendingSomeDone:
        click(m_form->Edit1FileName);
        QTest::keyClicks(m_form->Edit1FileName, QStringLiteral("abc"));
        click(m_form->Edit3AreaC);
        break;
    case PendingAllDone:
        completeAll();
        break;
    case Saved:
        completeAll();
        click(m_form->BitBtn1Save);
        QVERIFY(QFile::remove(ConfigFileName));
        break;
    }
}

QString TestVNConfig::state() const
{
    const QColor fill = m_form->Shape1->fillColor();
    if (fill == TFormConfig1::Yellow)
        return QStringLiteral("pending");
    if (fill == TFormConfig1::Lime)
        return QStringLiteral("saved");
    if (fill == m_form->neutralColor())
        return QStringLiteral("neutral");
    return fill.name();
}

// The fields whose box is too small for their text at their font, the prompt
// included, or that cover another control or lie outside the form.
QStringList TestVNConfig::cutFields() const
{
    const std::pair<QLineEdit *, QString> fields[] = {
        {m_form->Edit1FileName, FileNamePrompt},
        {m_form->Edit5Font, m_form->Edit5Font->text()},
        {m_form->Edit2PhoneSep, QStringLiteral("Use - . \\ / :")},
        {m_form->Edit3AreaC, QStringLiteral("Default Area Code")},
        {m_form->Edit4Prefix, QStringLiteral("Default Prefix")},
    };
    const QWidget *form = m_form->Edit1FileName->parentWidget();
    QStringList cut;
    for (const auto &[field, prompt] : fields) {
        const int frame = 2 * field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth);
        const int textWidth = QFontMetrics(field->font()).horizontalAdvance(prompt);
        if (textWidth > field->width() - frame - 4 || field->height() < field->sizeHint().height())
            cut << field->objectName() + QLatin1String(" too small for ") + prompt;
        if (!form->rect().contains(field->geometry()))
            cut << field->objectName() + QLatin1String(" lies outside the form");
        for (const QWidget *other : form->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (other != field && other->isVisibleTo(form) && other->geometry().intersects(field->geometry()))
                cut << field->objectName() + QLatin1String(" covers ") + other->objectName();
        }
    }
    return cut;
}

void TestVNConfig::startsNeutralWithPrompts()
{
    QCOMPARE(m_form->windowTitle(), QStringLiteral("Configuration Manager"));
    QCOMPARE(m_form->size(), QSize(434, 347));
    QCOMPARE(m_form->minimumSize(), m_form->maximumSize());
    QVERIFY(!(m_form->windowFlags() & (Qt::WindowCloseButtonHint | Qt::WindowMinMaxButtonsHint)));
    QCOMPARE(QApplication::focusWidget(), m_form->Button3Done);
    QCOMPARE(state(), QStringLiteral("neutral"));
    QCOMPARE(m_form->Edit1FileName->text(), FileNamePrompt);
    QCOMPARE(m_form->Edit5Font->text(), QStringLiteral("Choose Font"));
    QCOMPARE(m_form->Edit2PhoneSep->text(), QStringLiteral("Use - . \\ / :"));
    QCOMPARE(m_form->Edit3AreaC->text(), QStringLiteral("Default Area Code"));
    QCOMPARE(m_form->Edit4Prefix->text(), QStringLiteral("Default Prefix"));
    QCOMPARE(m_form->Label3Sep->text(), QStringLiteral("Phone Seperator"));
    QCOMPARE(m_form->Label3CW->text(), QStringLiteral("Affect  last save"));
    QVERIFY(!m_form->Panel1Warn->isVisible());
    QVERIFY(!m_form->Panel2Warn->isVisible());
    QCOMPARE(textColor(m_form->BitBtn1Save), TFormConfig1::Grey);
    QCOMPARE(textColor(m_form->BitBtn2Cancel), m_form->windowTextColor());

    // Tab order: Exit, then the five items in their rows, Save, Cancel.
    const QList<QWidget *> order = {m_form->Edit1FileName, m_form->Edit5Font,   m_form->Edit2PhoneSep,
                                    m_form->Edit3AreaC,    m_form->Edit4Prefix, m_form->BitBtn1Save,
                                    m_form->BitBtn2Cancel};
    QWidget *widget = m_form->Button3Done;
    for (QWidget *expected : order) {
        widget = widget->nextInFocusChain();
        while (widget->focusPolicy() == Qt::NoFocus || !widget->isVisibleTo(m_form.get()))
            widget = widget->nextInFocusChain();
        QCOMPARE(widget, expected);
    }
}

void TestVNConfig::controlsAreNamed_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("name");

    QTest::newRow("data file") << "Edit1FileName" << "Label1File" << "Data File Name";
    QTest::newRow("font") << "Edit5Font" << "Label2Font" << "Font";
    QTest::newRow("separator") << "Edit2PhoneSep" << "Label3Sep" << "Phone Seperator";
    QTest::newRow("area code") << "Edit3AreaC" << "Label4AreaC" << "Phone Area Code";
    QTest::newRow("prefix") << "Edit4Prefix" << "Label5PhonePref" << "Phone Prefix";
    QTest::newRow("save status") << "Shape1" << "Label6Status" << "File Save Status";
    QTest::newRow("button") << "Button3Done" << QString() << "Exit";
}

void TestVNConfig::controlsAreNamed()
{
    QFETCH(QString, control);
    QFETCH(QString, caption);
    QFETCH(QString, name);
    auto *widget = m_form->findChild<QWidget *>(control);
    QVERIFY(widget);
    QCOMPARE(AccessibleCheck::name(widget), name);
    if (!caption.isEmpty())
        QCOMPARE(m_form->findChild<QLabel *>(caption)->buddy(), widget);
    QCOMPARE(AccessibleCheck::unnamedControls(m_form.get()), QStringList());
}

void TestVNConfig::transitions_data()
{
    QTest::addColumn<int>("setup");
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("expectedState");
    QTest::addColumn<bool>("written");
    QTest::addColumn<QString>("panel");
    QTest::addColumn<bool>("closed");
    QTest::addColumn<bool>("reset");
    QTest::addColumn<bool>("flagsClear");
    QTest::addColumn<bool>("saveGrey");
    QTest::addColumn<bool>("cancelGrey");

    const QString none;
    const QString exitWarning = QStringLiteral("Panel1Warn");
    const QString cancelWarning = QStringLiteral("Panel2Warn");
    const QString neutral = QStringLiteral("neutral"), pending = QStringLiteral("pending"),
                  saved = QStringLiteral("saved");

    // setup, command: state, written, panel, closed, reset, flags clear, Save grey, Cancel grey
    QTest::newRow("enter, neutral") << int(Neutral) << "enter" << pending << false << none << false << false
                                    << false << true << false;
    QTest::newRow("enter, pending") << int(PendingSomeDone) << "enter" << pending << false << none << false
                                    << false << false << true << false;
    QTest::newRow("enter, saved") << int(Saved) << "enter" << pending << false << none << false << false << false
                                  << true << false;
    QTest::newRow("save all, neutral") << int(NeutralAllDone) << "save" << saved << true << none << false << false
                                       << true << true << true;
    QTest::newRow("save all, pending") << int(PendingAllDone) << "save" << saved << true << none << false << false
                                       << true << true << true;
    QTest::newRow("save some, neutral") << int(NeutralSomeDone) << "save" << pending << false << none << false
                                        << false << true << true << false;
    QTest::newRow("save some, pending") << int(PendingSomeDone) << "save" << pending << false << none << false
                                        << false << true << true << false;
    QTest::newRow("save none, neutral") << int(Neutral) << "save" << neutral << false << none << false << true
                                        << true << true << false;
    QTest::newRow("save none, pending") << int(PendingNoneDone) << "save" << neutral << false << none << false
                                        << true << true << true << false;
    QTest::newRow("save none, saved") << int(Saved) << "save" << saved << false << none << false << false << true
                                      << true << true;
    QTest::newRow("cancel, neutral") << int(Neutral) << "cancel" << neutral << false << none << false << true
                                     << true << true << false;
    QTest::newRow("cancel, pending") << int(PendingSomeDone) << "cancel" << neutral << false << none << false
                                     << true << true << true << false;
    QTest::newRow("cancel, saved") << int(Saved) << "cancel" << saved << false << cancelWarning << false << false
                                   << true << true << true;
    QTest::newRow("exit, neutral") << int(Neutral) << "exit" << neutral << false << none << true << false << true
                                   << true << false;
    QTest::newRow("exit, pending") << int(PendingSomeDone) << "exit" << pending << false << exitWarning << false
                                   << false << false << true << false;
    QTest::newRow("exit, saved") << int(Saved) << "exit" << saved << false << none << true << false << true << true
                                 << true;
}

void TestVNConfig::transitions()
{
    QFETCH(int, setup);
    QFETCH(QString, command);
    QFETCH(QString, expectedState);
    QFETCH(bool, written);
    QFETCH(QString, panel);
    QFETCH(bool, closed);
    QFETCH(bool, reset);
    QFETCH(bool, flagsClear);
    QFETCH(bool, saveGrey);
    QFETCH(bool, cancelGrey);

    bringTo(Setup(setup));
    if (QTest::currentTestFailed())
        return;
    QVERIFY(!QFile::exists(ConfigFileName));

    if (command == QLatin1String("enter"))
        click(m_form->Edit4Prefix);
    else if (command == QLatin1String("save"))
        click(m_form->BitBtn1Save);
    else if (command == QLatin1String("cancel"))
        click(m_form->BitBtn2Cancel);
    else
        click(m_form->Button3Done);

    QCOMPARE(state(), expectedState);
    QCOMPARE(QFile::exists(ConfigFileName), written);
    QCOMPARE(m_form->Panel1Warn->isVisible(), panel == QLatin1String("Panel1Warn"));
    QCOMPARE(m_form->Panel2Warn->isVisible(), panel == QLatin1String("Panel2Warn"));
    QCOMPARE(m_form->isVisible(), !closed);
    if (closed)
        return;
    if (reset) {
        QCOMPARE(m_form->Edit1FileName->text(), FileNamePrompt);
        QCOMPARE(m_form->Edit5Font->text(), QStringLiteral("Choose Font"));
        QCOMPARE(m_form->Edit4Prefix->text(), QStringLiteral("Default Prefix"));
    }
    if (flagsClear)
        QCOMPARE(m_form->fieldDone(), (std::array<int, 5>{}));
    QCOMPARE(textColor(m_form->BitBtn1Save),
             saveGrey ? TFormConfig1::Grey : m_form->windowTextColor());
    QCOMPARE(textColor(m_form->BitBtn2Cancel), cancelGrey ? TFormConfig1::Grey : m_form->windowTextColor());
}

void TestVNConfig::passingThroughWritesDefaults_data()
{
    QTest::addColumn<FontChoice>("font");
    QTest::addColumn<QByteArray>("fontLines");

    QTest::newRow("Arial as the dialog starts")
        << FontChoice{QStringLiteral("Arial"), 10, WindowTextColorValue, 0}
        << QByteArray("Arial\n-16777208\n10\n\0", 20);
    QTest::newRow("italic and strike-out, a line feed's code")
        << FontChoice{QStringLiteral("Courier New"), 12, 255, 10} << QByteArray("Courier New\n255\n12\n\n");
    QTest::newRow("bold, italic, underlined, struck out")
        << FontChoice{QStringLiteral("Times New Roman"), 999, 0x800000, 15}
        << QByteArray("Times New Roman\n8388608\n999\n\x0f");
}

void TestVNConfig::passingThroughWritesDefaults()
{
    QFETCH(FontChoice, font);
    QFETCH(QByteArray, fontLines);
    m_dialogAnswer = font;

    completeAll();
    QCOMPARE(m_dialogRuns, 1);
    QCOMPARE(m_form->Edit5Font->text(), font.faceName);
    QCOMPARE(m_form->Edit3AreaC->font().family(), font.faceName);
    QCOMPARE(m_form->Edit3AreaC->font().italic(), bool(font.style & 2));
    QCOMPARE(textColor(m_form->BitBtn1Save), m_form->windowTextColor());
    click(m_form->BitBtn1Save);

    QCOMPARE(state(), QStringLiteral("saved"));
    QCOMPARE(readAll(ConfigFileName), QByteArray("VNData.dta\n-\n###\n###\n") + fontLines);
    QCOMPARE(QApplication::focusWidget(), m_form->Button3Done);
}

void TestVNConfig::enterInNameOpensTheFontDialog()
{
    click(m_form->Edit1FileName);
    QTest::keyClicks(m_form->Edit1FileName, QStringLiteral("Calls"));
    QCOMPARE(m_dialogRuns, 0);
    QTest::keyClick(m_form->Edit1FileName, Qt::Key_Return);
    QCOMPARE(m_dialogRuns, 1);
    QCOMPARE(QApplication::focusWidget(), m_form->Edit2PhoneSep);
    QCOMPARE(m_form->Edit2PhoneSep->text(), QString());

    // Enter moves on through the other fields to Save.
    QTest::keyClick(m_form->Edit2PhoneSep, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), m_form->Edit3AreaC);
    QCOMPARE(m_form->Edit2PhoneSep->text(), QStringLiteral("-"));
    QTest::keyClick(m_form->Edit3AreaC, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), m_form->Edit4Prefix);
    QTest::keyClick(m_form->Edit4Prefix, Qt::Key_Return);
    QCOMPARE(QApplication::focusWidget(), m_form->BitBtn1Save);
    QTest::keyClick(m_form->BitBtn1Save, Qt::Key_Return);
    QCOMPARE(state(), QStringLiteral("saved"));
    QVERIFY(readAll(ConfigFileName).startsWith("Calls.dta\n-\n###\n###\nArial\n"));
}

void TestVNConfig::cancelledFontDialogLeavesFontOpen()
{
    m_dialogAnswer.reset();
    click(m_form->Edit1FileName);
    QTest::keyClicks(m_form->Edit1FileName, QStringLiteral("Calls"));
    tab();
    QCOMPARE(m_dialogRuns, 1);
    QCOMPARE(QApplication::focusWidget(), m_form->Edit5Font);
    QCOMPARE(m_form->Edit5Font->text(), QStringLiteral("Choose Font"));
    QCOMPARE(state(), QStringLiteral("pending"));

    tab();
    tab();
    tab();
    tab();
    QCOMPARE(QApplication::focusWidget(), m_form->BitBtn1Save);
    QCOMPARE((m_form->fieldDone()), (std::array<int, 5>{1, 1, 1, 1, 0}));
    QCOMPARE(textColor(m_form->BitBtn1Save), TFormConfig1::Grey);
    click(m_form->BitBtn1Save);
    QCOMPARE(state(), QStringLiteral("pending"));
    QVERIFY(!QFile::exists(ConfigFileName));
}

void TestVNConfig::secondSaveWritesNothing()
{
    completeAll(QStringLiteral("Calls"));
    click(m_form->BitBtn1Save);
    const QByteArray written = readAll(ConfigFileName);
    QVERIFY(!written.isEmpty());
    const QDateTime longAgo = QDateTime::currentDateTime().addDays(-30);
    {
        QFile file(ConfigFileName);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(longAgo, QFileDevice::FileModificationTime));
    }

    click(m_form->BitBtn1Save);
    QCOMPARE(state(), QStringLiteral("saved"));
    QCOMPARE(readAll(ConfigFileName), written);
    QCOMPARE(QFileInfo(ConfigFileName).lastModified().toSecsSinceEpoch(), longAgo.toSecsSinceEpoch());
}

void TestVNConfig::cancelAfterSaveWarnsThenResets()
{
    completeAll(QStringLiteral("Calls"), QStringLiteral("."));
    click(m_form->BitBtn1Save);
    const QByteArray written = readAll(ConfigFileName);

    click(m_form->BitBtn2Cancel);
    QVERIFY(m_form->Panel2Warn->isVisible());
    QCOMPARE(m_form->Label2CW->text(), QStringLiteral("Cancel will NOT"));
    QCOMPARE(state(), QStringLiteral("saved"));
    QCOMPARE(m_form->Edit1FileName->text(), QStringLiteral("Calls"));

    click(m_form->Button4OK);
    QVERIFY(!m_form->Panel2Warn->isVisible());
    QCOMPARE(state(), QStringLiteral("neutral"));
    QCOMPARE(m_form->Edit1FileName->text(), QStringLiteral("Calls"));
    QCOMPARE(m_form->Edit2PhoneSep->text(), QStringLiteral("."));
    QCOMPARE(QApplication::focusWidget(), m_form->Button3Done);

    click(m_form->BitBtn2Cancel);
    QVERIFY(!m_form->Panel2Warn->isVisible());
    QCOMPARE(m_form->Edit1FileName->text(), FileNamePrompt);
    QCOMPARE(m_form->Edit2PhoneSep->text(), QStringLiteral("Use - . \\ / :"));
    QCOMPARE(m_form->chosenFont(), FontChoice());
    QCOMPARE(readAll(ConfigFileName), written);
}

void TestVNConfig::exitWhilePendingWarns()
{
    // Not every item gone through: the warning's Save writes nothing and stays.
    click(m_form->Edit1FileName);
    QTest::keyClicks(m_form->Edit1FileName, QStringLiteral("Calls"));
    click(m_form->Button3Done);
    QVERIFY(m_form->Panel1Warn->isVisible());
    QCOMPARE(m_form->Label8Warn->text(), QStringLiteral("File NOT saved"));
    click(m_form->BitBtn4Save);
    QVERIFY(m_form->isVisible());
    QVERIFY(!m_form->Panel1Warn->isVisible());
    QCOMPARE(state(), QStringLiteral("pending"));
    QCOMPARE(m_form->fieldDone(), (std::array<int, 5>{}));
    QVERIFY(!QFile::exists(ConfigFileName));

    // A close asked for by the desktop is an Exit too.
    completeAll(QStringLiteral("Calls"));
    QVERIFY(!m_form->close());
    QVERIFY(m_form->isVisible());
    QVERIFY(m_form->Panel1Warn->isVisible());
    click(m_form->BitBtn4Save); // everything gone through: writes and closes
    QVERIFY(!m_form->isVisible());
    QVERIFY(readAll(ConfigFileName).startsWith("Calls.dta\n"));
}

void TestVNConfig::keyFilters_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("paste");
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("expected");

    const QString name = QStringLiteral("Edit1FileName"), separator = QStringLiteral("Edit2PhoneSep"),
                  area = QStringLiteral("Edit3AreaC"), prefix = QStringLiteral("Edit4Prefix");

    QTest::newRow("name: letters, digits, - + _ blank") << name << false << "My Log_2+-x" << "My Log_2+-x";
    QTest::newRow("name: no dot, no path") << name << false << "a.b/c\\d:e" << "abcde";
    QTest::newRow("name: backspace") << name << false << "abc\b" << "ab";
    QTest::newRow("name: pasted, filtered") << name << true << "My.Log;1" << "MyLog1";
    for (const char *accepted : {"-", ".", "/", ":", "\\"})
        QTest::addRow("separator: %s", accepted) << separator << false << accepted << accepted;
    QTest::newRow("separator: letter") << separator << false << "a" << "";
    QTest::newRow("separator: digit") << separator << false << "5" << "";
    QTest::newRow("separator: hash") << separator << false << "#" << "";
    QTest::newRow("separator: one character") << separator << false << "-." << "-";
    QTest::newRow("separator: pasted, filtered") << separator << true << "x:" << ":";
    QTest::newRow("separator: pasted, too long") << separator << true << "-." << "";
    QTest::newRow("area code: # | ~") << area << false << "#|~" << "#|~";
    QTest::newRow("area code: digits, no letters") << area << false << "1a2" << "12";
    QTest::newRow("area code: three characters") << area << false << "1234" << "123";
    QTest::newRow("area code: pasted, filtered") << area << true << "(5#5)" << "5#5";
    QTest::newRow("prefix: digits") << prefix << false << "555" << "555";
    QTest::newRow("prefix: # | ~ refused") << prefix << false << "#|~" << "";
    QTest::newRow("prefix: three characters") << prefix << false << "5a-55 5" << "555";
    QTest::newRow("prefix: pasted, filtered") << prefix << true << "5 5" << "55";
    QTest::newRow("prefix: pasted, too long") << prefix << true << "5551" << "";
}

void TestVNConfig::keyFilters()
{
    QFETCH(QString, field);
    QFETCH(bool, paste);
    QFETCH(QString, input);
    QFETCH(QString, expected);

    auto *edit = m_form->findChild<QLineEdit *>(field);
    QVERIFY(edit);
    click(edit);
    QCOMPARE(edit->text(), QString());
    if (paste) {
        QApplication::clipboard()->setText(input);
        edit->paste();
    } else {
        QTest::keyClicks(edit, input);
    }
    QCOMPARE(edit->text(), expected);
    QCOMPARE(QApplication::focusWidget(), edit);
}

void TestVNConfig::arrowsAndDeleteAreNotFiltered()
{
    click(m_form->Edit3AreaC);
    QTest::keyClicks(m_form->Edit3AreaC, QStringLiteral("13"));
    QTest::keyClick(m_form->Edit3AreaC, Qt::Key_Left);
    QTest::keyClicks(m_form->Edit3AreaC, QStringLiteral("2"));
    QCOMPARE(m_form->Edit3AreaC->text(), QStringLiteral("123"));
    QTest::keyClick(m_form->Edit3AreaC, Qt::Key_Home);
    QTest::keyClick(m_form->Edit3AreaC, Qt::Key_Delete);
    QCOMPARE(m_form->Edit3AreaC->text(), QStringLiteral("23"));
}

void TestVNConfig::fileNameLength()
{
    click(m_form->Edit1FileName);
    QApplication::clipboard()->setText(QString(1019, QLatin1Char('n')));
    m_form->Edit1FileName->paste();
    QCOMPARE(m_form->Edit1FileName->text(), QString());
    QApplication::clipboard()->setText(QString(1018, QLatin1Char('n')));
    m_form->Edit1FileName->paste();
    QCOMPARE(m_form->Edit1FileName->text().size(), 1018);
    QTest::keyClicks(m_form->Edit1FileName, QStringLiteral("x"));
    QCOMPARE(m_form->Edit1FileName->text().size(), 1018);

    tab();
    QTest::keyClick(m_form->Edit2PhoneSep, Qt::Key_Return);
    QTest::keyClick(m_form->Edit3AreaC, Qt::Key_Return);
    QTest::keyClick(m_form->Edit4Prefix, Qt::Key_Return);
    click(m_form->BitBtn1Save);

    // The main program takes the whole name back.
    Configuration config;
    QVERIFY(readConfigurationFile(ConfigFileName, config));
    QCOMPARE(config.dataFile, QString(1018, QLatin1Char('n')) + QStringLiteral(".dta"));
    QCOMPARE(config.phoneSeparator, QStringLiteral("-"));
}

void TestVNConfig::emptyAreaCodeAndPrefixGiveHashes()
{
    completeAll(QStringLiteral("Calls"), QStringLiteral("/"), QStringLiteral("212"), QStringLiteral("555"));
    click(m_form->BitBtn1Save);
    QVERIFY(readAll(ConfigFileName).startsWith("Calls.dta\n/\n212\n555\n"));

    // After a save, entering clears the fields again; left empty they take "###".
    completeAll();
    QCOMPARE(m_form->Edit3AreaC->text(), QStringLiteral("###"));
    QCOMPARE(m_form->Edit4Prefix->text(), QStringLiteral("###"));
    click(m_form->BitBtn1Save);
    QVERIFY(readAll(ConfigFileName).startsWith("VNData.dta\n-\n###\n###\n"));
}

void TestVNConfig::failedWriteIsShownAndStaysPending()
{
    QVERIFY(QDir().mkdir(ConfigFileName));
    completeAll(QStringLiteral("Calls"));
    QVERIFY(!m_form->LabelSaveError->isVisible());
    click(m_form->BitBtn1Save);

    QCOMPARE(state(), QStringLiteral("pending"));
    QVERIFY(m_form->LabelSaveError->isVisible());
    QVERIFY(m_form->LabelSaveError->text().contains(QStringLiteral("NOT saved")));
    QVERIFY(m_form->LabelSaveError->text().contains(ConfigFileName));
    QVERIFY(QFileInfo(ConfigFileName).isDir());

    // Exit still warns, and the warning's Save does not close on a failed write.
    click(m_form->Button3Done);
    QVERIFY(m_form->Panel1Warn->isVisible());
    click(m_form->BitBtn4Save);
    QVERIFY(m_form->isVisible());
    QCOMPARE(state(), QStringLiteral("pending"));

    // Once the way is clear, Save writes without going through the items again.
    QVERIFY(QDir().rmdir(ConfigFileName));
    click(m_form->BitBtn1Save);
    QCOMPARE(state(), QStringLiteral("saved"));
    QVERIFY(!m_form->LabelSaveError->isVisible());
    QVERIFY(readAll(ConfigFileName).startsWith("Calls.dta\n"));
}

void TestVNConfig::failedWriteKeepsTheEarlierFile()
{
#ifdef Q_OS_LINUX
    completeAll(QStringLiteral("Earlier"));
    click(m_form->BitBtn1Save);
    const QByteArray earlier = readAll(ConfigFileName);
    QVERIFY(earlier.startsWith("Earlier.dta\n"));

    completeAll(QStringLiteral("Later"), QStringLiteral(":"));
    // A file size limit makes the write fail part way, whoever runs the test.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = 8;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &tight), 0);
    click(m_form->BitBtn1Save);
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &saved), 0);

    QCOMPARE(state(), QStringLiteral("pending"));
    QVERIFY(m_form->LabelSaveError->isVisible());
    QCOMPARE(readAll(ConfigFileName), earlier);
    QCOMPARE(QDir().entryList(QDir::Files | QDir::Hidden), QStringList{ConfigFileName});
#else
    QSKIP("needs a file size limit");
#endif
}

void TestVNConfig::mainProgramReadsWhatIsWritten()
{
    m_dialogAnswer = FontChoice{QStringLiteral("Courier New"), 12, 255, 10};
    click(m_form->Edit1FileName);
    QTest::keyClicks(m_form->Edit1FileName, QStringLiteral("My Log"));
    QTest::keyClick(m_form->Edit1FileName, Qt::Key_Return);
    QTest::keyClicks(m_form->Edit2PhoneSep, QStringLiteral("."));
    tab();
    QTest::keyClicks(m_form->Edit3AreaC, QStringLiteral("#1~"));
    tab();
    QTest::keyClicks(m_form->Edit4Prefix, QStringLiteral("555"));
    tab();
    click(m_form->BitBtn1Save);
    QCOMPARE(state(), QStringLiteral("saved"));

    Configuration config;
    QVERIFY(readConfigurationFile(ConfigFileName, config));
    QCOMPARE(config.dataFile, QStringLiteral("My Log.dta"));
    QCOMPARE(config.phoneSeparator, QStringLiteral("."));
    QCOMPARE(config.defaultAreaCode, QStringLiteral("#1~"));
    QCOMPARE(config.defaultPrefix, QStringLiteral("555"));
    QCOMPARE(config.fontName, QStringLiteral("Courier New"));
    QCOMPARE(config.fontColor, 255);
    QCOMPARE(colorFromValue(config.fontColor), QColor(Qt::red));
    QCOMPARE(config.fontSize, 12);
    QCOMPARE(int(config.fontStyle), 10);
    QString dataFile;
    ReadDataFileName(dataFile);
    QCOMPARE(dataFile, QStringLiteral("My Log.dta"));
}

void TestVNConfig::deactivationRunsNoRules()
{
    completeAll(QStringLiteral("Calls"));
    click(m_form->Edit2PhoneSep); // a completed form keeps the text on entering
    QCOMPARE(m_form->Edit2PhoneSep->text(), QStringLiteral("-"));
    QTest::keyClick(m_form->Edit2PhoneSep, Qt::Key_Backspace);
    QTest::keyClicks(m_form->Edit2PhoneSep, QStringLiteral("."));
    QCOMPARE(m_form->fieldDone()[TFormConfig1::ItemSeparator], 0);

    QWidget other;
    activate(&other);
    QCOMPARE(m_form->fieldDone()[TFormConfig1::ItemSeparator], 0); // no exit rule
    activate(m_form.get());
    QCOMPARE(QApplication::focusWidget(), m_form->Edit2PhoneSep);
    QCOMPARE(m_form->Edit2PhoneSep->text(), QStringLiteral(".")); // no enter rule

    tab();
    QCOMPARE(m_form->fieldDone()[TFormConfig1::ItemSeparator], 1);
}

void TestVNConfig::focusReturningFromTheDialogRunsNoRule()
{
    // A real modal dialog takes the focus away from the font field and gives it back.
    m_form->runFontDialog = [this]() -> std::optional<FontChoice> {
        ++m_dialogRuns;
        QDialog dialog(m_form.get());
        QTimer::singleShot(50, &dialog, &QDialog::accept);
        dialog.exec();
        return m_dialogAnswer;
    };
    click(m_form->Edit1FileName);
    tab();
    QCOMPARE(m_dialogRuns, 1);
    activate(m_form.get()); // as the desktop does when the dialog has gone
    QCOMPARE(QApplication::focusWidget(), m_form->Edit2PhoneSep);
    QCOMPARE(m_dialogRuns, 1);
    QCOMPARE(m_form->Edit2PhoneSep->text(), QString());
    QCOMPARE(m_form->fieldDone()[TFormConfig1::ItemFont], 1);
    QCOMPARE(m_form->fieldDone()[TFormConfig1::ItemFileName], 1);
}

void TestVNConfig::windowsFitTheScreen_data()
{
    ScreenFixture::addSmallScreenRows({"configuration manager", "exit warning", "cancel warning", "font dialog"});
}

// The fixed window keeps every control and text whole on a small screen and at
// 200 %, with either warning panel shown; the font dialog fits as well.
void TestVNConfig::windowsFitTheScreen()
{
    QFETCH(QString, window);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, scale);
    SCREENFIXTURE_RUN_ON(width, height, scale);

    std::unique_ptr<QWidget> shown;
    if (window == QLatin1String("font dialog")) {
        shown = std::make_unique<FontColorDialog>();
    } else {
        auto form = std::make_unique<TFormConfig1>();
        if (window == QLatin1String("exit warning"))
            form->Panel1Warn->show();
        else if (window == QLatin1String("cancel warning"))
            form->Panel2Warn->show();
        shown = std::move(form);
    }
    shown->show();
    QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
    QVERIFY(ScreenFixture::onItsScreen(shown.get()));
    const QStringList cut = ScreenFixture::cutTexts(shown.get());
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1String(", "))));
}

void TestVNConfig::fieldsStayWholeAtAnyFontSize_data()
{
    QTest::addColumn<int>("pointSize");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("scale");
    QTest::newRow("14 points") << 14 << 1024 << 768 << 1;
    QTest::newRow("72 points") << 72 << 1024 << 768 << 1;
    QTest::newRow("999 points, the largest") << 999 << 1024 << 768 << 1;
    QTest::newRow("72 points on 960x540 at 200 %") << 72 << 960 << 540 << 2;
}

// The chosen font shows whole in every field: the rows make room, the window
// grows within the screen and scrolls beyond it; Cancel brings the usual size back.
void TestVNConfig::fieldsStayWholeAtAnyFontSize()
{
    QFETCH(int, pointSize);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, scale);
    SCREENFIXTURE_RUN_ON(width, height, scale);

    m_dialogAnswer = FontChoice{QStringLiteral("Liberation Sans"), pointSize, WindowTextColorValue, 1};
    click(m_form->Edit5Font);
    QCOMPARE(m_form->Edit3AreaC->font().pointSize(), pointSize);
    QCOMPARE(m_form->Edit3AreaC->text(), QStringLiteral("Default Area Code"));
    QVERIFY(ScreenFixture::onItsScreen(m_form.get()));
    const QStringList cut = cutFields();
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1String(", "))));

    // A warning shows in view, however far the page scrolls.
    click(m_form->Button3Done);
    const QWidget *view = m_form->findChild<QScrollArea *>()->viewport();
    const QRect warning(m_form->Panel1Warn->mapTo(view, QPoint()), m_form->Panel1Warn->size());
    QVERIFY(m_form->Panel1Warn->isVisible());
    QVERIFY(view->rect().contains(warning));

    click(m_form->BitBtn2Cancel);
    QCOMPARE(m_form->size(), QSize(434, 347));
    QVERIFY(cutFields().isEmpty());
}

QTEST_MAIN(TestVNConfig)
#include "tst_vnconfig.moc"
