#ifndef SCREENFIXTURE_H
#define SCREENFIXTURE_H

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFile>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QScreen>
#include <QStyle>
#include <QTemporaryDir>
#include <QtTest>

#include <initializer_list>

// Test rows that need a screen of a given size and scale factor. The offscreen
// platform reads its screen from a configuration file once, at start-up; so a
// row whose screen is not this program's runs again in a copy of the test
// program started on that screen, and passes when that copy passes.
namespace ScreenFixture {

// Whether this program runs on a `width` x `height` screen (logical pixels) at `scale`.
inline bool onScreen(int width, int height, int scale)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen && screen->geometry().size() == QSize(width, height) && screen->devicePixelRatio() == qreal(scale);
}

// Adds the columns window, width, height and scale, and a row for each window
// on each small screen: 1024 x 768, and 960 x 540 logical pixels at 200 %.
inline void addSmallScreenRows(std::initializer_list<const char *> windows)
{
    QTest::addColumn<QString>("window");
    QTest::addColumn<int>("width");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("scale");
    const struct
    {
        int width, height, scale;
    } screens[] = {{1024, 768, 1}, {960, 540, 2}};
    for (const char *window : windows) {
        for (const auto &screen : screens)
            QTest::addRow("%s on %dx%d at %d00 %%", window, screen.width, screen.height, screen.scale)
                << QString::fromLatin1(window) << screen.width << screen.height << screen.scale;
    }
}

// Runs the current test row on that screen; returns what went wrong, or an
// empty text when the row passed there.
inline QString runOnScreen(int width, int height, int scale)
{
    if (qEnvironmentVariableIsSet("CALLLOG_TEST_SCREEN"))
        return QStringLiteral("the test program did not get the screen it was started on");
    QTemporaryDir dir;
    QFile config(dir.filePath(QStringLiteral("screen.json")));
    if (!config.open(QIODevice::WriteOnly))
        return config.errorString();
    config.write(QStringLiteral(R"({"screens": [{"name": "screen", "x": 0, "y": 0, "width": %1, "height": %2,
                                  "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})")
                     .arg(width * scale)
                     .arg(height * scale)
                     .toUtf8());
    config.close();

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + config.fileName());
    environment.insert(QStringLiteral("QT_SCALE_FACTOR"), QString::number(scale));
    environment.insert(QStringLiteral("CALLLOG_TEST_SCREEN"), QStringLiteral("1"));
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::MergedChannels);
    QString row = QString::fromLatin1(QTest::currentTestFunction());
    if (QTest::currentDataTag())
        row += QLatin1Char(':') + QString::fromUtf8(QTest::currentDataTag());
    program.start(QCoreApplication::applicationFilePath(), {row});
    if (!program.waitForFinished(120000))
        return QStringLiteral("the test program on that screen did not finish");
    if (program.exitStatus() == QProcess::NormalExit && program.exitCode() == 0)
        return QString();
    // What failed there, and where.
    QStringList failures;
    for (const QString &line : QString::fromLocal8Bit(program.readAll()).split(QLatin1Char('\n'))) {
        if (line.startsWith(QLatin1String("FAIL!")) || line.trimmed().startsWith(QLatin1String("Loc:")))
            failures << line.trimmed();
    }
    if (failures.isEmpty())
        return QStringLiteral("the test program on that screen failed");
    return failures.join(QLatin1Char('\n'));
}

// The rectangle a label's text takes, in the label's own coordinates.
inline QRect textRect(const QLabel *label)
{
    const int flags = int(label->alignment()) | Qt::TextShowMnemonic;
    const QRect area = label->contentsRect();
    return QFontMetrics(label->font()).boundingRect(area, flags, label->text());
}

// Whether `rect` of `widget` shows whole: inside the widget and inside every
// parent up to its window.
inline bool showsWhole(const QWidget *widget, const QRect &rect)
{
    QRect shown = rect;
    for (const QWidget *w = widget; w; w = w->parentWidget()) {
        if (!w->rect().contains(shown))
            return false;
        if (w->isWindow())
            break;
        shown.translate(w->pos());
    }
    return true;
}

// The controls of `window` whose one-line text is cut: a label's text wider or
// taller than the label, or covered by a control on the label; a button's text
// and icon wider than the button; a read-only field's text wider than the
// field; or a control that lies partly outside its window.
inline QStringList cutTexts(const QWidget *window)
{
    QStringList cut;
    auto name = [](const QWidget *widget) {
        return widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                              : widget->objectName();
    };
    for (const QWidget *widget : window->findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(window) || !showsWhole(widget, widget->rect()))
            continue;
        if (const auto *label = qobject_cast<const QLabel *>(widget)) {
            if (label->text().isEmpty() || label->wordWrap() || label->textFormat() == Qt::RichText)
                continue;
            const QRect text = textRect(label);
            bool covered = false;
            for (const QWidget *child : label->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
                covered = covered || (child->isVisibleTo(window) && child->geometry().intersects(text));
            if (!label->contentsRect().contains(text) || covered)
                cut << name(label) + QLatin1String(": ") + label->text();
        } else if (const auto *button = qobject_cast<const QAbstractButton *>(widget)) {
            if (button->text().isEmpty())
                continue;
            const QFontMetrics metrics(button->font());
            int needed = metrics.boundingRect(QRect(), Qt::TextShowMnemonic, button->text()).width();
            if (!button->icon().isNull())
                needed += button->iconSize().width() + 4;
            if (needed > button->width() - 4)
                cut << name(button) + QLatin1String(": ") + button->text();
        } else if (const auto *field = qobject_cast<const QLineEdit *>(widget)) {
            if (!field->isReadOnly() || field->text().isEmpty())
                continue;
            const int frame = field->hasFrame() ? 2 * field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) : 0;
            if (QFontMetrics(field->font()).horizontalAdvance(field->text()) > field->width() - frame - 4)
                cut << name(field) + QLatin1String(": ") + field->text();
        }
    }
    for (const QWidget *widget : window->findChildren<QWidget *>()) {
        if (widget->isVisibleTo(window) && !showsWhole(widget, widget->rect()))
            cut << name(widget) + QLatin1String(" lies outside its window");
    }
    return cut;
}

// Whether the window with its frame lies within its screen's available area.
inline bool onItsScreen(const QWidget *window)
{
    const QScreen *screen = window->screen();
    return screen && screen->availableGeometry().contains(window->frameGeometry());
}

} // namespace ScreenFixture

// Ends the test function here when this program is not on the screen the row
// needs, after running the row on that screen in a copy of the program.
#define SCREENFIXTURE_RUN_ON(width, height, scale)                                     \
    do {                                                                                \
        if (!ScreenFixture::onScreen(width, height, scale)) {                           \
            const QString screenFailure = ScreenFixture::runOnScreen(width, height, scale); \
            QVERIFY2(screenFailure.isEmpty(), qPrintable(screenFailure));               \
            return;                                                                     \
        }                                                                               \
    } while (false)

#endif // SCREENFIXTURE_H
