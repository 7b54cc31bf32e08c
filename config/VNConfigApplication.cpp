#include "VNConfigApplication.h"

#include <QMessageBox>

#include <exception>

VNConfigApplication::VNConfigApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool VNConfigApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        showException(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        showException(QString());
    }
    exit(1);
    return false;
}

void VNConfigApplication::showException(const QString &message)
{
    QMessageBox::critical(nullptr, QStringLiteral("VNConfig"), message);
}
