#include "desktop.h"

#include <QDesktopServices>
#include <QDialog>
#include <QEventLoop>
#include <QFileDialog>
#include <QProcess>

namespace {

QString chooseWithDialog(QWidget *parent, const Desktop::FileChoice &choice)
{
    if (choice.mode == Desktop::FileChoice::Mode::Folder)
        return QFileDialog::getExistingDirectory(parent, choice.title, choice.suggested);
    if (choice.mode == Desktop::FileChoice::Mode::Save)
        return QFileDialog::getSaveFileName(parent, choice.title, choice.suggested, choice.filter);
    return QFileDialog::getOpenFileName(parent, choice.title, choice.suggested, choice.filter);
}

// The caller's windows take no input meanwhile, but they are still painted
// when the desktop uncovers them.
bool runAndWait(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted(-1))
        return false;
    if (process.state() != QProcess::NotRunning) {
        QEventLoop waiting;
        QObject::connect(&process, &QProcess::finished, &waiting, &QEventLoop::quit);
        QObject::connect(&process, &QProcess::errorOccurred, &waiting, &QEventLoop::quit);
        waiting.exec(QEventLoop::ExcludeUserInputEvents);
    }
    return true;
}

} // namespace

Desktop::Desktop()
    : chooseFile(&chooseWithDialog)
    , runDialog([](QDialog &dialog) { return dialog.exec(); })
    , runProgram(&runAndWait)
    , openDocument([](const QUrl &url) { return QDesktopServices::openUrl(url); })
    , now([] { return QDateTime::currentDateTime(); })
{
    // The printer lives in the printing library, which only the main program links.
    defaultPrinter = [] { return QString(); };
}

Desktop &Desktop::system()
{
    static Desktop desktop;
    return desktop;
}
