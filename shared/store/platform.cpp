#include "platform.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#if defined(Q_OS_UNIX)
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <io.h>
#endif

namespace Platform {

namespace {

thread_local Failure failure = Failure::None;
thread_local QString failureText;

#if defined(Q_OS_UNIX)
// The name as the system takes it; null, with errno set, for a name with a
// NUL, which would cut it short and name another file.
QByteArray systemName(const QString &path)
{
    if (path.contains(QChar(0))) {
        errno = EINVAL;
        return QByteArray();
    }
    return QFile::encodeName(path);
}

// Notes why the last system call failed; always returns false.
bool failed()
{
    const int error = errno;
    switch (error) {
    case ENOENT:
        failure = Failure::NotFound;
        break;
    case EACCES:
    case EROFS:
    case EPERM:
        failure = Failure::Refused;
        break;
    case ENOSPC:
#if defined(EDQUOT)
    case EDQUOT:
#endif
        failure = Failure::DiskFull;
        break;
    case EFBIG:
        failure = Failure::TooLarge;
        break;
    case ENAMETOOLONG:
    case EINVAL:
    case EILSEQ:
    case ENOTDIR:
    case ELOOP:
        failure = Failure::NameUnusable;
        break;
    default:
        failure = Failure::Other;
        break;
    }
    failureText = QString::fromLocal8Bit(std::strerror(error));
    return false;
}
#else
bool failed(const QFileDevice &file)
{
    switch (file.error()) {
    case QFileDevice::PermissionsError:
        failure = Failure::Refused;
        break;
    case QFileDevice::ResourceError:
        failure = Failure::DiskFull;
        break;
    case QFileDevice::OpenError:
        failure = QFileInfo::exists(file.fileName()) ? Failure::Other : Failure::NotFound;
        break;
    default:
        failure = Failure::Other;
        break;
    }
    failureText = file.errorString();
    return false;
}
#endif

} // namespace

bool syncToDisk(QFile &file)
{
#if defined(Q_OS_UNIX)
    return ::fsync(file.handle()) == 0 || failed();
#elif defined(Q_OS_WIN)
    return ::_commit(file.handle()) == 0;
#else
    Q_UNUSED(file);
    return true;
#endif
}

void failWritesPastSizeLimit()
{
#if defined(SIGXFSZ)
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

qint64 nextData(QFile &file, qint64 offset)
{
#if defined(Q_OS_UNIX) && defined(SEEK_DATA)
    const off_t at = ::lseek(file.handle(), off_t(offset), SEEK_DATA);
    if (at >= 0)
        return qint64(at);
    if (errno == ENXIO)
        return -1;
#else
    Q_UNUSED(file);
#endif
    return offset;
}

qint64 nextHole(QFile &file, qint64 offset)
{
#if defined(Q_OS_UNIX) && defined(SEEK_HOLE)
    const off_t at = ::lseek(file.handle(), off_t(offset), SEEK_HOLE);
    if (at >= 0)
        return qint64(at);
#else
    Q_UNUSED(offset);
#endif
    return file.size();
}

void adviseLargePages(void *data, std::size_t bytes)
{
#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)
    constexpr std::uintptr_t page = 2 * 1024 * 1024;
    const std::uintptr_t begin = (reinterpret_cast<std::uintptr_t>(data) + page - 1) & ~(page - 1);
    const std::uintptr_t end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(page - 1);
    if (end > begin)
        ::madvise(reinterpret_cast<void *>(begin), end - begin, MADV_HUGEPAGE);
#else
    Q_UNUSED(data);
    Q_UNUSED(bytes);
#endif
}

namespace {

constexpr std::size_t LargePage = 2 * 1024 * 1024;

// Whole large pages for a block of `bytes`, or 0 when it is kept in ordinary memory.
std::size_t largePagesFor(std::size_t bytes)
{
#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)
    return bytes >= LargePage ? (bytes + LargePage - 1) / LargePage * LargePage : 0;
#else
    Q_UNUSED(bytes);
    return 0;
#endif
}

} // namespace

void *allocateLargeBlock(std::size_t bytes)
{
    const std::size_t mapped = largePagesFor(bytes);
    if (mapped == 0)
        return std::malloc(qMax<std::size_t>(bytes, 1));
#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)
    // Mapped with room to spare, then cut to a stretch that starts on a large page.
    void *room = ::mmap(nullptr, mapped + LargePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (room == MAP_FAILED)
        return nullptr;
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(room);
    const std::uintptr_t aligned = (start + LargePage - 1) & ~std::uintptr_t(LargePage - 1);
    if (aligned > start)
        ::munmap(room, aligned - start);
    ::munmap(reinterpret_cast<void *>(aligned + mapped), start + LargePage - aligned);
    ::madvise(reinterpret_cast<void *>(aligned), mapped, MADV_HUGEPAGE);
    return reinterpret_cast<void *>(aligned);
#else
    return nullptr;
#endif
}

void freeLargeBlock(void *block, std::size_t bytes)
{
    const std::size_t mapped = largePagesFor(bytes);
    if (mapped == 0) {
        std::free(block);
        return;
    }
#if defined(Q_OS_LINUX) && defined(MADV_HUGEPAGE)
    if (block)
        ::munmap(block, mapped);
#endif
}

Failure lastFailure()
{
    return failure;
}

QString lastError()
{
    return failureText;
}

#if defined(Q_OS_UNIX)

struct File::Handle
{
    int fd = -1;
};

File::File(const QString &path, Open how)
    : m_handle(std::make_unique<Handle>())
{
    int flags = O_CLOEXEC;
    switch (how) {
    case Open::ReadOnly:
        flags |= O_RDONLY;
        break;
    case Open::ReadWrite:
        flags |= O_RDWR;
        break;
    case Open::ReadWriteCreate:
        flags |= O_RDWR | O_CREAT;
        break;
    case Open::Replace:
        flags |= O_WRONLY | O_CREAT | O_TRUNC;
        break;
    case Open::CreateNew:
        flags |= O_RDWR | O_CREAT | O_EXCL;
        break;
    }
    const QByteArray name = systemName(path);
    if (name.isNull()) {
        failed();
        return;
    }
    m_handle->fd = ::open(name.constData(), flags, 0600);
    if (m_handle->fd < 0)
        failed();
}

File::~File()
{
    if (m_handle->fd >= 0)
        ::close(m_handle->fd);
}

bool File::isOpen() const
{
    return m_handle->fd >= 0;
}

bool File::readAt(void *data, std::size_t bytes, qint64 offset)
{
    auto *p = static_cast<char *>(data);
    while (bytes > 0) {
        const ssize_t n = ::pread(m_handle->fd, p, bytes, off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return failed();
        if (n == 0) {
            failure = Failure::Other;
            failureText = QStringLiteral("the file ends early");
            return false;
        }
        p += n;
        bytes -= std::size_t(n);
        offset += n;
    }
    return true;
}

bool File::writeAt(const void *data, std::size_t bytes, qint64 offset)
{
    auto *p = static_cast<const char *>(data);
    while (bytes > 0) {
        const ssize_t n = ::pwrite(m_handle->fd, p, bytes, off_t(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return failed();
        p += n;
        bytes -= std::size_t(n);
        offset += n;
    }
    return true;
}

bool File::sync()
{
    return ::fsync(m_handle->fd) == 0 || failed();
}

bool File::resize(qint64 size)
{
    return ::ftruncate(m_handle->fd, off_t(size)) == 0 || failed();
}

qint64 File::size()
{
    struct stat info;
    if (::fstat(m_handle->fd, &info) != 0) {
        failed();
        return -1;
    }
    return qint64(info.st_size);
}

bool exists(const QString &path)
{
    struct stat info;
    const QByteArray name = systemName(path);
    return !name.isNull() && ::stat(name.constData(), &info) == 0;
}

QByteArray fileIdentity(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return QByteArray();
    return QByteArray::number(quint64(info.st_dev)) + ':' + QByteArray::number(quint64(info.st_ino));
}

bool mayWrite(const QString &path)
{
    return ::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), W_OK, AT_EACCESS) == 0;
}

bool removeFile(const QString &path)
{
    const QByteArray name = systemName(path);
    return (!name.isNull() && ::unlink(name.constData()) == 0) || errno == ENOENT || failed();
}

void syncFolderOf(const QString &path)
{
    const int folder =
        ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
}

bool renameOver(const QString &from, const QString &to)
{
    return ::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0 || failed();
}

bool processRunning(qint64 pid)
{
    return ::kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

void keepNewFilesPrivate()
{
    const mode_t inherited = ::umask(077);
    ::umask(inherited | 077);
}

#else

// Elsewhere Qt's own file does the work; a sync asks the system where it can.
struct File::Handle
{
    QFile file;
};

File::File(const QString &path, Open how)
    : m_handle(std::make_unique<Handle>())
{
    m_handle->file.setFileName(path);
    QIODevice::OpenMode mode = QIODevice::Unbuffered;
    switch (how) {
    case Open::ReadWrite:
        mode |= QIODevice::ReadWrite | QIODevice::ExistingOnly;
        break;
    case Open::ReadWriteCreate:
        mode |= QIODevice::ReadWrite;
        break;
    case Open::Replace:
        mode |= QIODevice::WriteOnly | QIODevice::Truncate;
        break;
    case Open::CreateNew:
        mode |= QIODevice::ReadWrite | QIODevice::NewOnly;
        break;
    case Open::ReadOnly:
        mode |= QIODevice::ReadOnly | QIODevice::ExistingOnly;
        break;
    }
    if (!m_handle->file.open(mode, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        failed(m_handle->file);
}

File::~File() = default;

bool File::isOpen() const
{
    return m_handle->file.isOpen();
}

bool File::readAt(void *data, std::size_t bytes, qint64 offset)
{
    return (m_handle->file.seek(offset)
            && m_handle->file.read(static_cast<char *>(data), qint64(bytes)) == qint64(bytes))
        || failed(m_handle->file);
}

bool File::writeAt(const void *data, std::size_t bytes, qint64 offset)
{
    return (m_handle->file.seek(offset)
            && m_handle->file.write(static_cast<const char *>(data), qint64(bytes)) == qint64(bytes))
        || failed(m_handle->file);
}

bool File::sync()
{
    return syncToDisk(m_handle->file) || failed(m_handle->file);
}

bool File::resize(qint64 size)
{
    return m_handle->file.resize(size) || failed(m_handle->file);
}

qint64 File::size()
{
    return m_handle->file.size();
}

bool exists(const QString &path)
{
    return QFileInfo::exists(path);
}

QByteArray fileIdentity(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() ? QByteArray::number(info.birthTime().toMSecsSinceEpoch()) : QByteArray();
}

bool mayWrite(const QString &path)
{
    return QFileInfo(path).isWritable();
}

bool removeFile(const QString &path)
{
    QFile file(path);
    return !file.exists() || file.remove() || failed(file);
}

void syncFolderOf(const QString &) { }

bool renameOver(const QString &from, const QString &to)
{
    // Where the system has no replacing rename, the old file goes first.
    QFile::remove(to);
    QFile file(from);
    return file.rename(to) || failed(file);
}

bool processRunning(qint64)
{
    // Without a way to ask, a lock is taken to be held.
    return true;
}

void keepNewFilesPrivate() { }

#endif

} // namespace Platform
