#ifndef PLATFORM_H
#define PLATFORM_H

#include <QByteArray>
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

// Where the next stored bytes of an open file begin, at or after `offset`:
// a sparse file keeps no bytes for a hole, which reads as zeros. -1 when
// only a hole follows; `offset` itself where the system cannot tell.
qint64 nextData(QFile &file, qint64 offset);
// Where the next hole begins at or after `offset`; the file's end counts as
// one. The file's size where the system cannot tell.
qint64 nextHole(QFile &file, qint64 offset);

// Asks for large memory pages for a large block just allocated: setting up
// fresh memory is then several times faster.
void adviseLargePages(void *data, std::size_t bytes);

// A block of `bytes` for memory filled once and kept: from 2 MiB on, on large
// pages where the system has them; null when there is no room. It goes back
// with freeLargeBlock() and the same size.
void *allocateLargeBlock(std::size_t bytes);
void freeLargeBlock(void *block, std::size_t bytes);

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
        CreateNew, // created owner-only; refused when the name is taken, even by a dangling link
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
    Other,
    DiskFull, // no space left, or the user's quota is used up
    TooLarge, // past the largest file the system or this process may write
    NameUnusable, // the system refuses the name itself: too long, not valid, a file where a folder must be
};
Failure lastFailure();
// The same in the system's words.
QString lastError();

bool exists(const QString &path);
// Names the file a path leads to now (its device and inode), so that a file
// removed or replaced under an open handle is noticed; empty when there is no
// file. Where the system has no such numbers, the creation time stands in.
QByteArray fileIdentity(const QString &path);
// True when this process may write the file or folder, judged as opening it
// would judge (by the effective user).
bool mayWrite(const QString &path);
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
