#include "calllogapplication.h"

#include <QMessageBox>

#include <cstdlib>
#include <exception>

CallLogApplication::CallLogApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    // Per-user settings (QSettings) go under ~/.config/Vorlener/, one file a program.
    setOrganizationName(QStringLiteral("Vorlener"));
    setOrganizationDomain(QStringLiteral("vorlener.net"));
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
    // The program did not end as it should: a script or desktop that started
    // it must be able to tell.
    return EXIT_FAILURE;
}

void CallLogApplication::showException(const QString &message)
{
    QMessageBox::critical(nullptr, QApplication::applicationName(), message);
}
