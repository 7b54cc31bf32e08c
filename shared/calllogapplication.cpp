#include "calllogapplication.h"

#include <QMessageBox>

#include <exception>

CallLogApplication::CallLogApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
}

bool CallLogApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        showException(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        showException(QString());
    }
    return false;
}

int CallLogApplication::run(const std::function<int()> &program)
{
    try {
        return program();
    } catch (const std::exception &error) {
        showException(QString::fromLocal8Bit(error.what()));
    } catch (...) {
        showException(QString());
    }
    return 0;
}

void CallLogApplication::showException(const QString &message)
{
    QMessageBox::critical(nullptr, QApplication::applicationName(), message);
}
