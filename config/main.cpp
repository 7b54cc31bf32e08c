#include "VNConfigApplication.h"
#include "VNConfigUnit1.h"

#include <exception>

int main(int argc, char *argv[])
{
    VNConfigApplication application(argc, argv);
    try {
        TFormConfig1 FormConfig1;
        FormConfig1.show();
        return application.exec();
    } catch (const std::exception &error) {
        VNConfigApplication::showException(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        VNConfigApplication::showException(QString());
    }
    return 1;
}
