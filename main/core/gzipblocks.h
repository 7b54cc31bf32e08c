#ifndef GZIPBLOCKS_H
#define GZIPBLOCKS_H

#include "callrecord.h"

#include <QByteArray>
#include <QString>

#include <functional>

// Gzip files made of independent members of a few megabytes each, as gzip
// allows: gunzip reads them as one stream, and every core compresses and
// checks a member of its own at the same time.
namespace GzipBlocks {

// Uncompressed bytes per member: whole records, so that the records of a
// member can be checked on their own.
constexpr qint64 BlockBytes = qint64(4096) * RecordSize;

// Bytes done and bytes to do; returning false cancels.
using Progress = std::function<bool(qint64 done, qint64 total)>;
// Called on a worker thread with the uncompressed block `index` (each index
// once, several at the same time): the bytes as read back from the copy.
using BlockCheck = std::function<void(int index, const unsigned char *data, qint64 bytes)>;

struct Copy
{
    bool ok = false;
    bool cancelled = false;
    QString error; // in words a user can act on
    qint64 sourceBytes = 0;
    qint64 gzBytes = 0;
    QString gzSha256; // of the file as read back
};

// How many blocks a source of `bytes` is cut into (at least one).
int blockCount(qint64 bytes);

// Compresses `source` into the new file `target`: each member is decompressed
// again as soon as it is made and compared with the source byte for byte,
// and its block handed to `check`; the members are written in order and
// synced, and the file is read back whole and must hold exactly them. On any
// failure or cancel `target` is removed. Progress runs on the calling thread.
Copy copyVerified(const QString &source, const QString &target, const BlockCheck &check = BlockCheck(),
                  const Progress &progress = Progress());

// Receives the uncompressed bytes in pieces of whole records (only the last
// piece may end inside a record); returning false stops.
using Sink = std::function<bool(const unsigned char *data, qint64 bytes)>;

struct Inflated
{
    bool ok = false;
    QString error;
    qint64 bytes = 0;
};

// Decompresses any gzip file, one member or many, into `sink`. A file that
// is cut short, damaged, or followed by bytes that are not gzip fails.
Inflated decompress(const QString &gz, const Sink &sink);

// SHA-256 as 64 lowercase hexadecimal digits; empty when the file cannot be read.
QString fileSha256(const QString &path);

// The system's reason for the last failed file operation, in a user's words
// for the cases a user can act on (disk full, no permission).
QString lastFileError();

} // namespace GzipBlocks

#endif // GZIPBLOCKS_H
