#include "About1.h"
#include "VorlenMainFile.h"
#include "calllogapplication.h"
#include "desktop.h"
#include "platform.h"
#include "reportprinter.h"
#include "workfolder.h"

#include <QEventLoop>
#include <QTimer>

#include <memory>

int main(int argc, char *argv[])
{
    // A full disk or a file size limit must fail a write, not end the program.
    Platform::failWritesPastSizeLimit();

    const int exitCode =
        WorkFolder::enter(argc, argv, QStringLiteral("Vorlen3"), QStringLiteral("The call log's log-entry window."));
    if (exitCode >= 0)
        return exitCode;

    // The user's settings (~/.config/CallLog/Vorlen3.conf) go under the per-user folder's name.
    QCoreApplication::setOrganizationName(QStringLiteral("CallLog"));
    QCoreApplication::setApplicationName(QStringLiteral("Vorlen3"));
    CallLogApplication app(argc, argv);
    Desktop::system().defaultPrinter = &ReportPrinter::systemDefaultPrinter;
    return CallLogApplication::run([] {
        auto splash = std::make_unique<TFormAbout>();
        splash->show();
        splash->repaint();
        QCoreApplication::processEvents();

        TMainForm mainForm;
        // The event loop runs through the splash's two seconds, so that it is
        // painted whenever the window manager exposes it.
        QEventLoop waiting;
        QTimer::singleShot(2000, &waiting, &QEventLoop::quit);
        waiting.exec(QEventLoop::ExcludeUserInputEvents);
        splash->hide();
        splash.reset();

        mainForm.show();
        return QApplication::exec();
    });
}
