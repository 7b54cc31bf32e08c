#include "fuzzsupport.h"

#include <QDir>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <unistd.h>

namespace FuzzTargets {

namespace {

// Kept apart from Qt's objects, as it is still needed after the statics are gone.
std::string *folderToRemove = nullptr;
FailureHandler failureHandler = nullptr;

void removeFolder()
{
    QDir(QString::fromStdString(*folderToRemove)).removeRecursively();
}

} // namespace

QString workFolder()
{
    // Shared memory where the system has it: the targets write files on every run.
    static const QString folder = [] {
        const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        const QString path = QStringLiteral("%1/calllog-fuzz-%2").arg(base).arg(::getpid());
        QDir().mkpath(path);
        folderToRemove = new std::string(path.toStdString());
        std::atexit(removeFolder);
        return path;
    }();
    return folder;
}

void require(bool condition, const char *what)
{
    if (condition)
        return;
    if (failureHandler)
        failureHandler(what);
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

void setFailureHandler(FailureHandler handler)
{
    failureHandler = handler;
}

} // namespace FuzzTargets
