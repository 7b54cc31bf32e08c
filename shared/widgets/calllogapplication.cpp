#include "calllogapplication.h"

#include "desktop.h"

#include <QMessageBox>

#include <cstdlib>
#include <exception>

CallLogApplication::CallLogApplication(int &argc, char **argv)
    : QApplication(argc, argv)
{
    // Per-user settings (QSettings) go under ~/.config/CallLog/, one file a
    // program, beside the per-user folder's name.
    setOrganizationName(QStringLiteral("CallLog"));
    setOrganizationDomain(QStringLiteral("vorlener.net"));
}

bool CallLogApplication::notify(QObject *receiver, QEvent *event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception &error) {
        showException(QString::fromLocal8Bit(error.what()), Desktop::system());
    } catch (...) {
        showException(QString(), Desktop::system());
    }
    return false;
}

int CallLogApplication::run(const std::function<int()> &program)
{
    return run(program, Desktop::system());
}

int CallLogApplication::run(const std::function<int()> &program, Desktop &desktop)
{
    try {
        return program();
    } catch (const std::exception &error) {
        showException(QString::fromLocal8Bit(error.what()), desktop);
    } catch (...) {
        showException(QString(), desktop);
    }
    // The program did not end as it should: a script or desktop that started
    // it must be able to tell.
    return EXIT_FAILURE;
}

void CallLogApplication::showException(const QString &message, Desktop &desktop)
{
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), message, QMessageBox::Ok);
    desktop.runDialog(box);
}
