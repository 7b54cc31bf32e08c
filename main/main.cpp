#include "About1.h"
#include "VorlenMainFile.h"
#include "calllogapplication.h"
#include "platform.h"

#include <QThread>

#include <memory>

int main(int argc, char *argv[])
{
    // A full disk or a file size limit must fail a write, not end the program.
    Platform::failWritesPastSizeLimit();

    CallLogApplication app(argc, argv);
    return CallLogApplication::run([] {
        auto splash = std::make_unique<TFormAbout>();
        splash->show();
        splash->repaint();
        QCoreApplication::processEvents();

        TMainForm mainForm;
        QThread::msleep(2000);
        splash->hide();
        splash.reset();

        mainForm.show();
        return QApplication::exec();
    });
}
