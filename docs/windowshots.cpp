// Takes the pictures of the user manual and the README from the real windows:
// a few calls are typed into a fresh working folder, and each window is
// rendered offscreen into a PNG file.
//   windowshots <output folder>

#include "About1.h"
#include "AboutVN.h"
#include "FontDialog1.h"
#include "Print1rec.h"
#include "Printprefiewform.h"
#include "Stringgridreview.h"
#include "VNConfigUnit1.h"
#include "VorlenMainFile.h"
#include "Warning.h"
#include "callbackswindow.h"
#include "callbacktablemodel.h"
#include "callrecord.h"
#include "companionstore.h"
#include "configfile.h"
#include "datafile.h"
#include "desktop.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTableView>
#include <QTemporaryDir>

#include <cstdio>

namespace {

// The screen the pictures are taken on: wide enough for the log-entry window's
// one row, at twice the pixels so that the pictures stay sharp on paper.
constexpr int ScreenWidth = 1280;
constexpr int ScreenHeight = 800;
constexpr int PixelRatio = 2;

struct Call
{
    QRadioButton *TMainForm::*type;
    const char *date, *time, *phone, *name, *company, *notes;
};

const Call calls[] = {
    {&TMainForm::RadioIn, "3/2/2026", "0915", "8005550142", "Ann Lee", "Acme Tools",
     "Asked for the spring catalogue; call back on Friday"},
    {&TMainForm::RadioOut, "3/3/2026", "2:40pm", "6175550199", "Bob Marsh", "Harbor Bank",
     "Confirmed the loan meeting for March 12"},
    {&TMainForm::RadioMsg, "3/5/2026", "11:05am", "2125550110", "Carla Diaz", "", "Left a message about invoice 2291"},
    {&TMainForm::RadioIn, "3/6/2026", "0830", "3125550175", "Dan Ortiz", "Ortiz Freight",
     "Delivery moved to Tuesday morning"},
};

void waitFor(int milliseconds)
{
    QElapsedTimer timer;
    timer.start();
    do
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    while (timer.elapsed() < milliseconds);
}

// Moves the focus as Tab does, so that the field's exit rule runs.
void enter(QWidget *control, const QString &text = QString())
{
    control->setFocus(Qt::TabFocusReason);
    waitFor(0);
    if (auto *field = qobject_cast<QLineEdit *>(control); field && !text.isNull())
        field->setText(text);
    else if (auto *notes = qobject_cast<QPlainTextEdit *>(control); notes && !text.isNull())
        notes->setPlainText(text);
}

void type(TMainForm &window, const Call &call)
{
    (window.*call.type)->setChecked(true);
    enter(window.*call.type);
    enter(window.EditDate, QString::fromLatin1(call.date));
    enter(window.EditTime, QString::fromLatin1(call.time));
    enter(window.EditPhone, QString::fromLatin1(call.phone));
    enter(window.EditName, QString::fromUtf8(call.name));
    enter(window.EditCompany, QString::fromUtf8(call.company));
    enter(window.Memo1, QString::fromUtf8(call.notes));
}

// Changes a record's name in the data file as another program would, leaving its hash.
bool alterName(const QString &path, int n, const QString &name)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadWrite) || !file.seek(qint64(n - 1) * RecordSize))
        return false;
    CallRecord record;
    if (file.read(reinterpret_cast<char *>(record.bytes.data()), RecordSize) != RecordSize)
        return false;
    record.setText(CallRecord::Name, name);
    return file.seek(qint64(n - 1) * RecordSize)
        && file.write(reinterpret_cast<const char *>(record.bytes.data()), RecordSize) == RecordSize;
}

class Camera
{
public:
    explicit Camera(const QString &folder)
        : m_folder(folder)
    {
    }

    // Shows the window, lets it finish its own showing, and keeps its picture.
    void take(QWidget &window, const char *name)
    {
        if (!window.isVisible())
            window.show();
        waitFor(150);
        QImage picture = window.grab().toImage().convertToFormat(QImage::Format_RGB32);
        // The screen's resolution goes with the picture, so that it is printed at the window's size.
        const int dotsPerMeter = qRound(96.0 * PixelRatio / 0.0254);
        picture.setDotsPerMeterX(dotsPerMeter);
        picture.setDotsPerMeterY(dotsPerMeter);
        const QString path = QDir(m_folder).filePath(QString::fromLatin1(name) + QLatin1String(".png"));
        if (!picture.save(path)) {
            std::fprintf(stderr, "windowshots: %s could not be written\n", qPrintable(path));
            m_failed = true;
        }
    }

    bool failed() const { return m_failed; }

private:
    QString m_folder;
    bool m_failed = false;
};

// Call-backs for three of the calls: one overdue, one due later today, one next week.
void takeCallBacks(TMainForm &window, Desktop &desktop, Camera &camera)
{
    const std::pair<int, QDateTime> due[] = {{1, QDateTime(QDate(2026, 3, 6), QTime(9, 0))},
                                             {3, QDateTime(QDate(2026, 3, 6), QTime(17, 30))},
                                             {4, QDateTime(QDate(2026, 3, 10), QTime(10, 0))}};
    const QString notes[] = {QStringLiteral("Catalogue sent?"), QString(), QStringLiteral("Confirm delivery")};
    for (int i = 0; i < 3; ++i) {
        CallRecord record;
        DataFile::readRecord(window.state().DataFileName, due[i].first, record);
        window.log().setCallBack(RecordKey::of(record), due[i].second.toSecsSinceEpoch(), notes[i]);
    }
    window.refreshCallBackCounts();
    TFormCallBackList list(window.log(), desktop, &window);
    list.resize(900, 220);
    list.CallBackGrid->setCurrentIndex(list.model()->index(2, 0));
    camera.take(list, "callbacks");
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: windowshots <output folder>\n");
        return 2;
    }
    const QString output = QDir(QString::fromLocal8Bit(argv[1])).absolutePath();
    QTemporaryDir work;
    QFile screen(work.filePath(QStringLiteral("screen.json")));
    if (!work.isValid() || !screen.open(QIODevice::WriteOnly)) {
        std::fprintf(stderr, "windowshots: no temporary folder\n");
        return 1;
    }
    screen.write(QStringLiteral(R"({"screens": [{"name": "shots", "width": %1, "height": %2, "dpr": %3}]})")
                     .arg(ScreenWidth)
                     .arg(ScreenHeight)
                     .arg(PixelRatio)
                     .toUtf8());
    screen.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screen.fileName()));

    QApplication app(argc, argv);
    if (!QDir().mkpath(output)) {
        std::fprintf(stderr, "windowshots: %s could not be made\n", qPrintable(output));
        return 1;
    }
    QDir::setCurrent(work.path());
    Camera camera(output);

    {
        TFormAbout splash;
        camera.take(splash, "splash");
    }

    // A settings file, so that the window opens without a message.
    const ConfigurationLines settings = {
        QStringLiteral("VNData.dta\n"), QStringLiteral("-\n"),
        QStringLiteral("###\n"),        QStringLiteral("###\n"),
        QStringLiteral("Arial\n"),      QString::number(WindowTextColorValue) + QLatin1Char('\n'),
        QStringLiteral("10\n")};
    QString error;
    if (!WriteConfiguration(settings, 0, ConfigFileName, &error)) {
        std::fprintf(stderr, "windowshots: %s\n", qPrintable(error));
        return 1;
    }

    Desktop desktop;
    desktop.now = [] { return QDateTime(QDate(2026, 3, 6), QTime(16, 20)); };
    TMainForm window(desktop);
    window.show();
    QApplication::setActiveWindow(&window);
    waitFor(100);
    for (const Call &call : calls) {
        type(window, call);
        window.SaveCurrent1Click();
    }
    alterName(window.state().DataFileName, 2, QStringLiteral("Rob Marsh"));

    type(window,
         {&TMainForm::RadioOut, "3/6/2026", "4:20pm", "8005550142", "Ann Lee", "Acme Tools",
          "Sent the price list; she orders next week"});
    camera.take(window, "entry");

    window.Read1Click();
    window.SpinEditSelect->setValue(3);
    camera.take(window, "select");

    window.SpinEditSelect->setValue(2);
    window.ButtonSelectClick();
    camera.take(window, "compromised");
    window.ClearCurrent1Click();

    {
        TFormRecordReview review(window.log(), desktop, &window);
        review.resize(860, 300);
        camera.take(review, "review");
    }
    takeCallBacks(window, desktop, camera);
    {
        TPrintPreviewForm report(window.log(), desktop, &window);
        report.resize(860, 420);
        camera.take(report, "report");
    }
    {
        TForm1 single(window.log(), desktop, &window);
        single.PanelRec->setText(QStringLiteral("1"));
        single.resize(804, 520);
        camera.take(single, "single");
    }
    {
        TAbout2 about(&window);
        camera.take(about, "about");
    }
    {
        TFormWarning warning(&window);
        camera.take(warning, "warning");
    }
    {
        TFormConfig1 config;
        camera.take(config, "config");
        FontColorDialog font(&config);
        camera.take(font, "fontdialog");
    }
    return camera.failed() ? 1 : 0;
}
