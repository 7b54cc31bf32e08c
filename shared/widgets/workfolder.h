#ifndef WORKFOLDER_H
#define WORKFOLDER_H

#include <QString>
#include <QStringList>

// The folder a program works in and the command line that chooses it. Both
// programs read and write their files in the current folder; this decides
// which folder that is before the first window opens.
namespace WorkFolder {

enum class Action { Run, Help, Version, UsageError };

struct CommandLine
{
    Action action = Action::Run;
    QString folder; // given with --folder; empty for none
    bool userFolder = false; // --user-folder: the per-user folder, as from the desktop menu
    QString error; // why the command line was refused
};

// The arguments after the program's name.
CommandLine parse(const QStringList &arguments);

// `program` is the executable's name, `summary` one line on what it is.
QString usage(const QString &program, const QString &summary);
QString version(const QString &program);

// The folder the call log keeps its files in when it is started from the
// desktop menu: "CallLog" in the user's data folder (~/.local/share/CallLog).
QString userFolder();

// The folder to work in: the one given, else the per-user folder where asked
// for or where the current folder is the home or root folder (a desktop
// launcher's choice, never a place for the log's files), else the current one.
QString choose(const CommandLine &line, const QString &currentFolder);

// What a program does in its folder: a program that only needs to read works
// in a read-only folder (a log on read-only media is still looked at).
enum class Needs { Writing, Reading };

// Makes `path` ready to work in: a missing folder is created, readable and
// writable by its owner only. Returns why it cannot be used, or an empty text.
QString prepare(const QString &path, Needs needs = Needs::Writing);

// Whether a window can be shown to tell the user something.
bool hasDisplay();
// Whether the program's windows have anywhere to go: a display, or a
// platform chosen on purpose (offscreen).
bool windowsPossible();

// Reads the command line, prints help, version or usage, and makes the chosen
// folder the current one. Returns -1 to go on with the program, otherwise the
// exit code. Without a display it says so and ends before it creates
// anything; a folder that cannot be used is said on stderr and, where there
// is a display, in a message box.
int enter(int argc, char **argv, const QString &program, const QString &summary, Needs needs = Needs::Writing);

} // namespace WorkFolder

#endif // WORKFOLDER_H
