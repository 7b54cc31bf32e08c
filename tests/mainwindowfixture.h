#ifndef MAINWINDOWFIXTURE_H
#define MAINWINDOWFIXTURE_H

#include "VorlenMainFile.h"
#include "datafile.h"
#include "statusshape.h"
#include "testdesktop.h"
#include "testrecords.h"
#include "workfolderfixture.h"
#include "entryrow.h"
#include "selectpanel.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QFrame>
#include <QGroupBox>
#include <QAction>
#include <QtTest>

#include <memory>

// The indicator's colours, as a person names them.
inline const QColor lime(0, 255, 0);
inline const QColor yellow(255, 255, 0);
inline const QColor red(255, 0, 0);

// A log-entry window in a fresh temporary working folder, shown and active,
// with the clock fixed at 7 March 2026, 3:25 PM.
class MainWindowFixture : public WorkFolderFixture
{
public:
    ~MainWindowFixture() { window.reset(); }

    static QDateTime fixedNow() { return TestDesktop::fixedNow(); }

    TMainForm *open()
    {
        window = std::make_unique<TMainForm>(desktop);
        window->show();
        QApplication::setActiveWindow(window.get());
        if (!QTest::qWaitForWindowActive(window.get()))
            qWarning("window not active");
        window->RadioIn->setFocus(Qt::OtherFocusReason);
        return window.get();
    }

    // The desktop a window of a fixture sits at.
    static TestDesktop &desktopOf(TMainForm *w) { return static_cast<TestDesktop &>(w->desktop()); }

    // Records 1 to count, named "Caller n", in the data file or in `file`.
    void writeRecords(int count, const QString &file = QString())
    {
        for (int i = 1; i <= count; ++i) {
            TestRecords::Entry entry;
            entry.name = QStringLiteral("Caller %1").arg(i);
            CallRecord record = TestRecords::make(i, entry);
            QVERIFY(DataFile::appendRecord(file.isEmpty() ? dataFile() : file, record));
        }
    }

    // Keys go to whatever has the focus, as a person's typing would.
    static void type(const QString &text) { QTest::keyClicks(QApplication::focusWidget(), text); }
    static void tab() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); }
    static void key(Qt::Key k, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(QApplication::focusWidget(), k, modifiers);
    }

    // Fills the entry row through the keyboard from the call type group,
    // leaving the focus in the notes. `typeKey` (an arrow) moves the call
    // type first.
    static void typeEntry(const QString &notes = QStringLiteral("Call back"), Qt::Key typeKey = Qt::Key_unknown)
    {
        if (typeKey != Qt::Key_unknown)
            key(typeKey);
        tab();
        type(QStringLiteral("6/14/2024"));
        tab();
        type(QStringLiteral("0930"));
        tab();
        type(QStringLiteral("5551234567"));
        tab();
        key(Qt::Key_A, Qt::ControlModifier);
        type(QStringLiteral("Ann Lee"));
        tab();
        key(Qt::Key_A, Qt::ControlModifier);
        type(QStringLiteral("Acme"));
        tab();
        type(notes);
    }

    // When a modal window closes, the desktop gives the activation back to
    // the window below it; the offscreen platform leaves that to us.
    static bool activate(QWidget *window)
    {
        QApplication::setActiveWindow(window);
        return QTest::qWaitForWindowActive(window);
    }

    // Activates the window again; where nothing has the focus, the window
    // gives it to its first control.
    static void reactivate(QWidget *window)
    {
        QVERIFY(activate(window));
        if (!QApplication::focusWidget())
            window->setFocus();
    }

    QColor indicator() const { return window->ShapeStatus->fillColor(); }
    QString hint() const { return window->ShapeStatus->toolTip(); }
    QString message() const
    {
        return window->LabelRecordStatus->isVisible() ? window->LabelRecordStatus->text() : QString();
    }

    TestDesktop desktop;
    std::unique_ptr<TMainForm> window;
};

#endif // MAINWINDOWFIXTURE_H
