#ifndef FAULTFIXTURE_H
#define FAULTFIXTURE_H

// What the fault tests share: the window's messages, the commands a person
// gives, and guards that put the machine back whatever the test did.
//
// The tests may run as root, whom file permissions do not stop; the commands
// that must meet a permission then run with the effective user and group of
// "nobody" (seteuid), which the kernel checks like any ordinary user.

#include "mainwindowfixture.h"
#include "testdesktop.h"

#include "Printprefiewform.h"
#include "Stringgridreview.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <sys/stat.h>
#include <unistd.h>

namespace FaultFixture {

using F = MainWindowFixture;
using TestRecords::readAll;

inline const QString OpenError = QStringLiteral("File: Open ERROR");
inline const QString NoFile = QStringLiteral("No file found - Save a record first");
inline const QString Exported = QStringLiteral("Saved as VNExport.txt");
inline const QString NoFileRead = QStringLiteral("NO FILE READ: Cancel & Save Records");
inline const QString ReadOnlyLog = QStringLiteral("Read-only log - nothing marked");
// A refused write names its cause; the indicator's hint stays "File: Open ERROR".
const QString ReadOnlySave = QStringLiteral("Log is read-only - not saved");
inline const QString DamagedNotMarked = QStringLiteral("Log damaged - nothing marked; use File > Repair");

inline QString damagedLog(int wholeRecords, int strayBytes)
{
    return QStringLiteral("Log damaged: %1 good records, %2 stray bytes at byte %3 - File > Repair")
        .arg(wholeRecords)
        .arg(strayBytes)
        .arg(qint64(wholeRecords) * RecordSize);
}

inline constexpr int WholeBytes = 3 * RecordSize;
inline constexpr uid_t Nobody = 65534;
// A command that takes longer than this has as good as hung.
inline constexpr qint64 CommandLimitMs = 5000;

// Drops the effective user and group to "nobody" while it lives, when the
// tests run as root; an ordinary user is already stopped by permissions.
class AsOrdinaryUser
{
public:
    AsOrdinaryUser()
    {
        if (geteuid() != 0)
            return;
        m_switched = setegid(Nobody) == 0 && seteuid(Nobody) == 0;
        m_ok = m_switched;
        if (!m_switched)
            setegid(0);
    }
    ~AsOrdinaryUser()
    {
        if (m_switched) {
            if (seteuid(0) != 0 || setegid(0) != 0)
                qFatal("cannot return to the test's own user");
        }
    }
    bool ok() const { return m_ok; }

private:
    bool m_switched = false;
    bool m_ok = true;
};

// Puts a path's permission bits back when the test ends, so that the
// temporary folder can be removed whatever happened.
class PermissionGuard
{
public:
    PermissionGuard(const QString &path, mode_t mode)
        : m_path(QFile::encodeName(path))
    {
        struct stat info;
        m_valid = ::stat(m_path.constData(), &info) == 0;
        m_old = info.st_mode & 07777;
        if (m_valid)
            ::chmod(m_path.constData(), mode);
    }
    ~PermissionGuard()
    {
        if (m_valid)
            ::chmod(m_path.constData(), m_old);
    }

private:
    QByteArray m_path;
    mode_t m_old = 0;
    bool m_valid = false;
};

// An incoming call, typed through the keyboard from the call type group.
inline void typeEntry(TMainForm *w)
{
    w->RadioIn->setFocus();
    F::typeEntry();
}

// Runs one command and fails the test when it took as long as a hang.
template <typename Command>
void timed(const char *what, Command command)
{
    QElapsedTimer clock;
    clock.start();
    command();
    QVERIFY2(clock.elapsed() < CommandLimitMs, what);
}

inline void readAndSelect(TMainForm *w, qint64 number)
{
    F::key(Qt::Key_R, Qt::ControlModifier);
    QCOMPARE(QApplication::focusWidget(), w->SpinEditSelect);
    w->SpinEditSelect->selectAll();
    QTest::keyClicks(w->SpinEditSelect, QString::number(number));
    QTest::keyClick(w->SpinEditSelect, Qt::Key_Return);
}

// Records > Review, answered with Cancel; the classes of the windows that opened.
inline QStringList review(TMainForm *w)
{
    QStringList seen;
    {
        ModalAnswerer answerer(MainWindowFixture::desktopOf(w));
        F::key(Qt::Key_V, Qt::ControlModifier);
        seen = answerer.seen;
    }
    F::reactivate(w);
    seen.sort();
    return seen;
}

// The command of Ctrl+`key`, cancelled; what the message line of the
// `Window` it opened said.
template <typename Window>
QString messageLineOf(TMainForm *w, Qt::Key key)
{
    QString panel = QStringLiteral("(not opened)");
    {
        ModalAnswerer answerer(MainWindowFixture::desktopOf(w));
        answerer.answer = [&panel](QDialog *dialog) {
            if (auto *window = qobject_cast<Window *>(dialog))
                panel = window->Panel1->text();
            return false;
        };
        F::key(key, Qt::ControlModifier);
    }
    F::reactivate(w);
    return panel;
}

// File > Print, cancelled; what the preview's message line said.
inline QString fullReport(TMainForm *w)
{
    return messageLineOf<TPrintPreviewForm>(w, Qt::Key_P);
}

inline QByteArray garbage(int size, quint32 seed)
{
    QRandomGenerator random(seed);
    QByteArray bytes(size, Qt::Uninitialized);
    for (char &b : bytes)
        b = char(random.bounded(256));
    return bytes;
}

} // namespace FaultFixture

#endif // FAULTFIXTURE_H
