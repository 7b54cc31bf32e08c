#include "About1.h"
#include "AboutVN.h"
#include "Print1rec.h"
#include "Printprefiewform.h"
#include "Stringgridreview.h"
#include "Warning.h"
#include "calllogapplication.h"
#include "logfixture.h"
#include "manualpath.h"

#include "mainwindowfixture.h"
#include "screenfixture.h"

#include <QAction>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextEdit>

class TestSmallWindows : public QObject
{
    Q_OBJECT

private slots:
    void warningWindow();
    void warningEnds_data();
    void warningEnds();
    void aboutWindow();
    void splashWindow();
    void aboutFromMenu();
    void manualFromWorkingDirectory_data();
    void manualFromWorkingDirectory();
    void escapingException_data();
    void escapingException();
    void windowsFitTheScreen_data();
    void windowsFitTheScreen();
};

void TestSmallWindows::warningWindow()
{
    TFormWarning warning;
    QCOMPARE(warning.windowTitle(), QStringLiteral("Error!"));
    QCOMPARE(warning.size(), QSize(247, 198));
    const Qt::WindowFlags flags = warning.windowFlags();
    QVERIFY(flags & Qt::WindowStaysOnTopHint);
    QVERIFY(!(flags & Qt::WindowCloseButtonHint));
    QVERIFY(!(flags & Qt::WindowSystemMenuHint));
    QVERIFY(!(flags & Qt::WindowContextHelpButtonHint));
    QCOMPARE(warning.palette().color(QPalette::Window), QColor(Qt::yellow));

    QCOMPARE(warning.Edit1->text(), QStringLiteral("Warning!"));
    QVERIFY(warning.Edit1->isReadOnly());
    QCOMPARE(warning.Edit1->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    QCOMPARE(warning.Edit1->font().pixelSize(), 27);
    QVERIFY(warning.Edit1->font().bold());
    QCOMPARE(warning.Edit1->palette().color(QPalette::Text), QColor(Qt::red));
    QCOMPARE(warning.Edit1->palette().color(QPalette::Base), QColor(Qt::yellow));
    QCOMPARE(warning.Edit2->text(), QStringLiteral("No Data Available"));
    QVERIFY(warning.Edit2->isReadOnly());
    QCOMPARE(warning.ButtonOK->text(), QStringLiteral("OK"));

    // OK takes the focus first, so Enter or Space closes the warning.
    warning.show();
    QVERIFY(QTest::qWaitForWindowActive(&warning));
    QCOMPARE(QApplication::focusWidget(), warning.ButtonOK);
}

void TestSmallWindows::warningEnds_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("OK") << "ok";
    QTest::newRow("Enter") << "enter";
    QTest::newRow("Escape") << "escape";
}

void TestSmallWindows::warningEnds()
{
    QFETCH(QString, how);
    TestDesktop desktop;
    ModalAnswerer answerer(desktop, [&](QDialog *dialog) {
        auto *warning = qobject_cast<TFormWarning *>(dialog);
        QVERIFY(warning);
        if (how == "ok")
            QTest::mouseClick(warning->ButtonOK, Qt::LeftButton);
        else
            QTest::keyClick(warning, how == "enter" ? Qt::Key_Return : Qt::Key_Escape);
    });
    TFormWarning warning;
    QCOMPARE(desktop.runDialog(warning), 1);
}

void TestSmallWindows::aboutWindow()
{
    TAbout2 about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About Vorlener"));
    QCOMPARE(about.size(), QSize(454, 418));
    QCOMPARE(about.Label2->text(), QStringLiteral("V-3.0.0"));
    QCOMPARE(about.Button1->text(), QStringLiteral("OK"));
    QVERIFY(about.Memo1->toPlainText().contains(QStringLiteral("call log")));
    QVERIFY(!about.Image1->pixmap().isNull());

    TestDesktop desktop;
    ModalAnswerer answerer(desktop, [](QDialog *dialog) {
        QTest::mouseClick(static_cast<TAbout2 *>(dialog)->Button1, Qt::LeftButton);
    });
    desktop.runDialog(about);
    QCOMPARE(answerer.seen, QStringList({"TAbout2"}));
    QVERIFY(!about.isVisible());
}

void TestSmallWindows::splashWindow()
{
    TFormAbout splash;
    QCOMPARE(splash.windowTitle(), QStringLiteral("About Vorlener"));
    QCOMPARE(splash.size(), QSize(459, 307));
    QVERIFY(splash.RichEdit1->isReadOnly());
    QVERIFY(!splash.RichEdit1->toPlainText().isEmpty());
    QVERIFY(splash.Label2->font().bold());
    QVERIFY(splash.Label2->font().italic());
    QVERIFY(!(splash.windowFlags() & Qt::WindowCloseButtonHint));
    // The picture sits at the top right, clear of the title.
    QVERIFY(splash.Image2->geometry().right() < splash.width());
    QVERIFY(!splash.Image2->geometry().intersects(splash.Label2->geometry()));
}

void TestSmallWindows::aboutFromMenu()
{
    MainWindowFixture fixture;
    TMainForm *window = fixture.open();
    QString version;
    ModalAnswerer answerer(fixture.desktop, [&version, window](QDialog *dialog) {
        auto *about = qobject_cast<TAbout2 *>(dialog);
        QVERIFY(about);
        QCOMPARE(about->parentWidget(), window); // owned by the main window
        version = about->Label2->text();
        QTest::mouseClick(about->Button1, Qt::LeftButton);
    });
    window->Vorlener1->trigger();
    QCOMPARE(answerer.seen, QStringList({"TAbout2"}));
    QCOMPARE(version, QStringLiteral("V-3.0.0"));
    QVERIFY(window->findChildren<TAbout2 *>().isEmpty()); // released when it closed
}

void TestSmallWindows::manualFromWorkingDirectory_data()
{
    QTest::addColumn<bool>("manualThere");
    QTest::addColumn<QString>("expected"); // empty: the working folder's
    QTest::newRow("manual present") << true << QString();
    // The test programs sit beside the built manual, as an installed program finds its own.
    QTest::newRow("manual missing: the program's own")
        << false << QDir(qEnvironmentVariable("CALLLOG_BIN_DIR")).filePath(QStringLiteral("VNUM.pdf"));
}

void TestSmallWindows::manualFromWorkingDirectory()
{
    QFETCH(bool, manualThere);
    QFETCH(QString, expected);
    MainWindowFixture fixture; // the working folder is not the program's folder
    QVERIFY(QDir::currentPath() != QCoreApplication::applicationDirPath());
    if (manualThere)
        QVERIFY(TestRecords::writeAll(QStringLiteral("VNUM.pdf"), "%PDF-1.4\n"));
    if (expected.isEmpty())
        expected = QDir(fixture.dir.path()).filePath(QStringLiteral("VNUM.pdf"));
    QVERIFY2(QFileInfo::exists(expected), qPrintable(expected));
    TMainForm *window = fixture.open();
    const QColor indicator = fixture.indicator();
    const QString message = fixture.message();

    window->Manual1->trigger();
    QCOMPARE(fixture.desktop.documentsOpened, QList<QUrl>({QUrl::fromLocalFile(expected)}));
    // Nothing is said either way.
    QCOMPARE(fixture.message(), message);
    QCOMPARE(fixture.indicator(), indicator);
    QVERIFY(fixture.desktop.messagesShown.isEmpty());

    // With no program to open it, a box says so; the log's message bar stays as it was.
    fixture.desktop.documentOpens = false;
    window->Manual1->trigger();
    QCOMPARE(fixture.desktop.messagesShown.size(), 1);
    QVERIFY2(fixture.desktop.messagesShown.first().startsWith(QStringLiteral("No program on this computer opens")),
             qPrintable(fixture.desktop.messagesShown.first()));
    QCOMPARE(fixture.message(), message);
}

void TestSmallWindows::escapingException_data()
{
    QTest::addColumn<int>("thrown"); // 0 none, 1 a standard exception, 2 anything else
    QTest::addColumn<QString>("shown");
    QTest::addColumn<bool>("failed");
    QTest::newRow("normal end") << 0 << QString() << false;
    QTest::newRow("standard exception") << 1 << "disk on fire" << true;
    QTest::newRow("other exception") << 2 << QString() << true;
}

// An exception that escapes is shown, and the exit code tells that the program failed.
void TestSmallWindows::escapingException()
{
    QFETCH(int, thrown);
    QFETCH(QString, shown);
    QFETCH(bool, failed);
    QString text;
    TestDesktop desktop;
    ModalAnswerer answerer(desktop, [&text](QDialog *dialog) {
        if (auto *box = qobject_cast<QMessageBox *>(dialog))
            text = box->text();
        dialog->accept();
    });
    const int code = CallLogApplication::run(
        [thrown]() -> int {
            if (thrown == 1)
                throw std::runtime_error("disk on fire");
            if (thrown == 2)
                throw 42;
            return 0;
        },
        desktop);
    QCOMPARE(code != 0, failed);
    QCOMPARE(answerer.seen, failed ? QStringList({"QMessageBox"}) : QStringList());
    QCOMPARE(text, shown);
}

void TestSmallWindows::windowsFitTheScreen_data()
{
    ScreenFixture::addSmallScreenRows({"splash", "about", "warning", "full report", "single record", "review"});
}

// Every window lies within a small screen, or one at 200 %, with its texts whole.
void TestSmallWindows::windowsFitTheScreen()
{
    QFETCH(QString, window);
    QFETCH(int, width);
    QFETCH(int, height);
    QFETCH(int, scale);
    SCREENFIXTURE_RUN_ON(width, height, scale);

    MainWindowFixture fixture;
    fixture.writeRecords(3);
    const std::unique_ptr<OpenLog> log = openedLog();
    std::unique_ptr<QWidget> shown;
    if (window == QLatin1String("splash")) {
        shown = std::make_unique<TFormAbout>();
    } else if (window == QLatin1String("about")) {
        shown = std::make_unique<TAbout2>();
    } else if (window == QLatin1String("warning")) {
        shown = std::make_unique<TFormWarning>();
    } else if (window == QLatin1String("full report")) {
        shown = std::make_unique<TPrintPreviewForm>(*log, fixture.desktop);
    } else if (window == QLatin1String("single record")) {
        auto preview = std::make_unique<TForm1>(*log, fixture.desktop);
        preview->PanelRec->setText(QStringLiteral("2"));
        shown = std::move(preview);
    } else {
        shown = std::make_unique<TFormRecordReview>(*log, fixture.desktop);
    }
    shown->show();
    QVERIFY(QTest::qWaitForWindowExposed(shown.get()));
    QVERIFY2(ScreenFixture::onItsScreen(shown.get()),
             qPrintable(QStringLiteral("%1 x %2 at %3, %4")
                            .arg(shown->frameGeometry().width())
                            .arg(shown->frameGeometry().height())
                            .arg(shown->frameGeometry().x())
                            .arg(shown->frameGeometry().y())));
    const QStringList cut = ScreenFixture::cutTexts(shown.get());
    QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QLatin1String(", "))));
}

QTEST_MAIN(TestSmallWindows)
#include "tst_smallwindows.moc"
