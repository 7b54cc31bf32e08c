#ifndef PLATFORM_H
#define PLATFORM_H

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <memory>

class QFile;

// The few calls that differ between operating systems, so that the store and
// the programs build wherever Qt does; where a system has no such call the
// function does the nearest thing it offers.
namespace Platform {

// Asks the system to put the bytes written to `file` on the disk. `file` is
// open and its own buffer already flushed.
bool syncToDisk(QFile &file);

// A write past a file size limit then fails like any failed write, instead of
// ending the program with a signal.
void failWritesPastSizeLimit();

// Asks for large memory pages for a large block just allocated: setting up
// fresh memory is then several times faster.
void adviseLargePages(void *data, std::size_t bytes);

// A file opened with the system's own calls and closed when it goes out of
// scope: each write is one call at a given offset, and a sync reaches the disk.
class File
{
public:
    enum class Open {
        ReadOnly, // an existing file, only read
        ReadWrite, // an existing file
        ReadWriteCreate, // created owner-only when missing
        Replace, // written afresh, created owner-only when missing
        CreateNew, // created owner-only; refused when the name is taken
    };
    File(const QString &path, Open how);
    ~File();
    File(const File &) = delete;
    File &operator=(const File &) = delete;

    bool isOpen() const;
    // All `bytes` at `offset`, or false.
    bool readAt(void *data, std::size_t bytes, qint64 offset);
    bool writeAt(const void *data, std::size_t bytes, qint64 offset);
    bool sync();
    bool resize(qint64 size);
    // The file's size, -1 when it cannot be told.
    qint64 size();

private:
    struct Handle;
    std::unique_ptr<Handle> m_handle;
};

// Why the last call above, or below, that failed in this thread failed.
enum class Failure {
    None,
    NotFound, // no such file
    Refused, // no permission, or a read-only file system
    Full, // the disk, the user's quota or the file size limit is reached
    Other,
};
Failure lastFailure();
// The same in the system's words.
QString lastError();

bool exists(const QString &path);
// True when the file is gone, or was never there.
bool removeFile(const QString &path);
// Makes a file's new name or removal in its folder last through a crash.
void syncFolderOf(const QString &path);
// Gives `from` the name `to` in one step, replacing a file of that name: a
// reader sees the old file or the new one, never neither.
bool renameOver(const QString &from, const QString &to);
// True when a process with this id runs (owned by any user).
bool processRunning(qint64 pid);
// Files this process creates from now on are its user's alone.
void keepNewFilesPrivate();

} // namespace Platform

#endif // PLATFORM_H
