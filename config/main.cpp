#include "VNConfigUnit1.h"
#include "calllogapplication.h"
#include "platform.h"

int main(int argc, char *argv[])
{
    // A full disk or a file size limit must fail a write, not end the program.
    Platform::failWritesPastSizeLimit();

    CallLogApplication app(argc, argv);
    return CallLogApplication::run([] {
        TFormConfig1 FormConfig1;
        FormConfig1.show();
        return QApplication::exec();
    });
}
