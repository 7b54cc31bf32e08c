#include "workfolder.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <sys/stat.h>
#include <sys/types.h>

namespace WorkFolder {

namespace {

const QString FolderOption = QStringLiteral("--folder");
const QString UserFolderOption = QStringLiteral("--user-folder");

CommandLine refused(const QString &why)
{
    CommandLine line;
    line.action = Action::UsageError;
    line.error = why;
    return line;
}

bool sameFolder(const QString &a, const QString &b)
{
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

QString systemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// Creates the missing folders of `path` one by one, so that the first one that
// cannot be made is named with the system's reason. The last is owner-only.
QString makeFolders(const QString &path)
{
    const QString absolute = QDir::cleanPath(QDir::current().absoluteFilePath(path));
    QStringList missing;
    QString existing = absolute;
    while (!QFileInfo::exists(existing)) {
        missing.prepend(existing);
        const QString parent = QFileInfo(existing).path();
        if (parent == existing)
            break;
        existing = parent;
    }
    if (QFileInfo::exists(existing) && !QFileInfo(existing).isDir())
        return QStringLiteral("%1 is a file, not a folder").arg(QDir::toNativeSeparators(existing));
    for (const QString &folder : missing) {
        const bool last = folder == missing.last();
        const QByteArray name = QFile::encodeName(folder);
        if (::mkdir(name.constData(), last ? 0700 : 0755) != 0)
            return QStringLiteral("%1 cannot be created: %2").arg(QDir::toNativeSeparators(folder), systemError(errno));
        // The umask may have taken the owner's own rights away.
        if (last && ::chmod(name.constData(), 0700) != 0)
            return QStringLiteral("%1 cannot be made private: %2")
                .arg(QDir::toNativeSeparators(folder), systemError(errno));
    }
    return QString();
}

} // namespace

CommandLine parse(const QStringList &arguments)
{
    CommandLine line;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            line.action = Action::Help;
            return line;
        }
        if (argument == QLatin1String("--version")) {
            line.action = Action::Version;
            return line;
        }
        QString folder;
        if (argument == FolderOption) {
            if (i + 1 >= arguments.size())
                return refused(QStringLiteral("--folder needs a folder"));
            folder = arguments.at(++i);
        } else if (argument.startsWith(FolderOption + QLatin1Char('='))) {
            folder = argument.mid(FolderOption.size() + 1);
        } else if (argument == UserFolderOption) {
            line.userFolder = true;
            continue;
        } else if (argument.startsWith(QLatin1Char('-'))) {
            return refused(QStringLiteral("unknown option %1").arg(argument));
        } else {
            return refused(QStringLiteral("unexpected argument %1").arg(argument));
        }
        if (folder.isEmpty())
            return refused(QStringLiteral("--folder needs a folder"));
        if (!line.folder.isEmpty())
            return refused(QStringLiteral("--folder is given more than once"));
        line.folder = folder;
    }
    if (line.userFolder && !line.folder.isEmpty())
        return refused(QStringLiteral("--folder and --user-folder cannot be given together"));
    return line;
}

QString usage(const QString &program, const QString &summary)
{
    return QStringLiteral("Usage: %1 [--folder DIR | --user-folder]\n"
                          "%2\n"
                          "\n"
                          "  --folder DIR    work in the folder DIR, created if it is missing\n"
                          "  --user-folder   work in the per-user folder %3\n"
                          "  --help          show this help and exit\n"
                          "  --version       show the version and exit\n"
                          "\n"
                          "Without an option it works in the current folder. Started in the home\n"
                          "folder or in the root folder, as from the desktop menu, it works in the\n"
                          "per-user folder, which it creates on first start.\n")
        .arg(program, summary, QDir::toNativeSeparators(userFolder()));
}

QString version(const QString &program)
{
    return QStringLiteral("%1 %2\n").arg(program, QStringLiteral(CALLLOG_VERSION));
}

QString userFolder()
{
    // XDG_DATA_HOME, else ~/.local/share; shared by both programs, whatever their own names.
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/CallLog");
}

QString choose(const CommandLine &line, const QString &currentFolder)
{
    if (!line.folder.isEmpty())
        return QDir::cleanPath(QDir(currentFolder).absoluteFilePath(line.folder));
    if (line.userFolder || sameFolder(currentFolder, QDir::homePath()) || sameFolder(currentFolder, QDir::rootPath()))
        return userFolder();
    return currentFolder;
}

QString prepare(const QString &path, Needs needs)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isDir())
        return QStringLiteral("%1 is a file, not a folder").arg(QDir::toNativeSeparators(path));
    if (!info.exists()) {
        const QString why = makeFolders(path);
        if (!why.isEmpty())
            return why;
    }
    // Permissions alone do not tell (a read-only mount, an administrator's rights):
    // only a file actually created there does.
    QTemporaryFile probe(QDir(path).filePath(QStringLiteral(".calllog-XXXXXX")));
    if (!probe.open() && needs == Needs::Writing)
        return QStringLiteral("%1 cannot be written: %2").arg(QDir::toNativeSeparators(path), probe.errorString());
    if (!QFileInfo(path).isReadable())
        return QStringLiteral("%1 cannot be read").arg(QDir::toNativeSeparators(path));
    return QString();
}

bool hasDisplay()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.startsWith("offscreen") || platform.startsWith("minimal"))
        return false;
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

bool windowsPossible()
{
#if defined(Q_OS_UNIX) && !defined(Q_OS_MACOS)
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") || !qEnvironmentVariableIsEmpty("DISPLAY")
        || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#else
    return true;
#endif
}

int enter(int argc, char **argv, const QString &program, const QString &summary, Needs needs)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine line = parse(arguments);
    switch (line.action) {
    case Action::Help:
        std::fputs(qPrintable(usage(program, summary)), stdout);
        return 0;
    case Action::Version:
        std::fputs(qPrintable(version(program)), stdout);
        return 0;
    case Action::UsageError:
        std::fprintf(stderr, "%s: %s\n", qPrintable(program), qPrintable(line.error));
        std::fputs(qPrintable(usage(program, summary)), stderr);
        return 2;
    case Action::Run:
        break;
    }
    if (!windowsPossible()) {
        std::fprintf(stderr, "%s: there is no display to show its windows on (DISPLAY is not set)\n",
                     qPrintable(program));
        return 1;
    }

    const QString folder = choose(line, QDir::currentPath());
    QString why = prepare(folder, needs);
    if (why.isEmpty() && !QDir::setCurrent(folder))
        why = QStringLiteral("%1 cannot be entered").arg(QDir::toNativeSeparators(folder));
    if (why.isEmpty())
        return -1;

    const QString message =
        QStringLiteral("Cannot work in the folder %1: %2.").arg(QDir::toNativeSeparators(folder), why);
    std::fprintf(stderr, "%s: %s\n", qPrintable(program), qPrintable(message));
    if (hasDisplay()) {
        int count = argc;
        QApplication app(count, argv);
        QMessageBox::critical(nullptr, program, message);
    }
    return 1;
}

} // namespace WorkFolder
