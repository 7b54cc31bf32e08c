#ifndef DESKTOP_H
#define DESKTOP_H

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <functional>

class QDialog;
class QWidget;

// What the windows need from around them: the person who answers a window
// and chooses a file, the other programs, the printer and the clock. Each
// window is given one; the program's is the real desktop, and a test puts its
// own answers in.
struct Desktop
{
    struct FileChoice
    {
        enum class Mode { Open, Save };
        Mode mode = Mode::Open;
        QString title;
        QString suggested; // a folder or a file name to start from
        QString filter; // as QFileDialog takes it

        // A file to write, starting from `suggested`.
        static FileChoice saving(const QString &title, const QString &suggested, const QString &filter)
        {
            return {Mode::Save, title, suggested, filter};
        }
    };

    // The chosen file, or an empty text when the person cancelled.
    std::function<QString(QWidget *parent, const FileChoice &choice)> chooseFile;
    // Shows a modal window (a question is a QMessageBox) until the person
    // ends it; returns its result.
    std::function<int(QDialog &dialog)> runDialog;
    // Starts a program and waits for its end while the windows keep being
    // painted; false when it could not be started.
    std::function<bool(const QString &program, const QStringList &arguments)> runProgram;
    // Opens a document with the application the desktop has for its type.
    std::function<bool(const QUrl &url)> openDocument;
    // The system's default printer, or an empty name when there is none.
    std::function<QString()> defaultPrinter;
    std::function<QDateTime()> now;

    // The real thing.
    Desktop();
    // The program's desktop, for windows that are given none.
    static Desktop &system();
};

#endif // DESKTOP_H
