#include "VNConfigUnit1.h"
#include "calllogapplication.h"
#include "platform.h"
#include "workfolder.h"

int main(int argc, char *argv[])
{
    // A full disk or a file size limit must fail a write, not end the program.
    Platform::failWritesPastSizeLimit();

    const int exitCode =
        WorkFolder::enter(argc, argv, QStringLiteral("VNConfig"),
                          QStringLiteral("The call log's configuration manager: writes VNConfig.cfg."));
    if (exitCode >= 0)
        return exitCode;

    CallLogApplication app(argc, argv);
    return CallLogApplication::run([] {
        TFormConfig1 FormConfig1;
        FormConfig1.show();
        return QApplication::exec();
    });
}
