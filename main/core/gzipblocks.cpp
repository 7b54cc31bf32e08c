#include "gzipblocks.h"

#include "platform.h"

#include <QFile>
#include <QFileInfo>
#include <QThread>

#include <openssl/evp.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

namespace GzipBlocks {

namespace {

// Deflate's fastest level: a log is mostly the zeros after each field's
// text, which even this level packs about sixty to one.
constexpr int Level = 1;
constexpr int GzipWindow = 15 + 16;
// Members finished ahead of the one being written, at most.
constexpr int Lookahead = 8;

int workerCount()
{
    return std::clamp(QThread::idealThreadCount(), 1, 8);
}

// Runs work(i) for every i below `count` on the worker threads and hands
// each finished i to `inOrder` on the calling thread, in order. Either one
// returning false stops the run, and then the result is false.
bool orderedParallel(int count, const std::function<bool(int)> &work, const std::function<bool(int)> &inOrder)
{
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<char> state(size_t(count), 0); // 1 done, 2 failed
    int next = 0;
    int consumed = 0;
    bool stop = false;
    const auto worker = [&] {
        std::unique_lock<std::mutex> lock(mutex);
        for (;;) {
            changed.wait(lock, [&] { return stop || next >= count || next < consumed + Lookahead; });
            if (stop || next >= count)
                return;
            const int i = next++;
            lock.unlock();
            const bool ok = work(i);
            lock.lock();
            state[size_t(i)] = ok ? 1 : 2;
            stop = stop || !ok;
            changed.notify_all();
        }
    };
    std::vector<std::thread> threads;
    for (int t = 0; t < std::min(workerCount(), count); ++t)
        threads.emplace_back(worker);
    bool ok = true;
    for (int j = 0; j < count && ok; ++j) {
        std::unique_lock<std::mutex> lock(mutex);
        changed.wait(lock, [&] { return state[size_t(j)] != 0 || (stop && j >= next); });
        ok = state[size_t(j)] == 1;
        lock.unlock();
        ok = ok && inOrder(j);
        lock.lock();
        consumed = j + 1;
        stop = stop || !ok;
        changed.notify_all();
    }
    for (std::thread &thread : threads)
        thread.join();
    return ok;
}

QString sha256Of(const unsigned char *data, size_t bytes)
{
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (EVP_Digest(data, bytes, digest, &length, EVP_sha256(), nullptr) != 1)
        return QString();
    return QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex());
}

QString nameOf(const QString &path)
{
    return QFileInfo(path).fileName();
}

QString firstError(const std::vector<QString> &errors, const QString &otherwise)
{
    const auto failed = std::find_if(errors.begin(), errors.end(), [](const QString &e) { return !e.isEmpty(); });
    return failed != errors.end() ? *failed : otherwise;
}

struct Range
{
    qint64 offset;
    qint64 bytes;
};

Range blockRange(int index, qint64 total)
{
    const qint64 offset = qint64(index) * BlockBytes;
    return {offset, std::min(BlockBytes, total - offset)};
}

// One thread's deflate or inflate state, reused from member to member.
struct Deflater
{
    z_stream stream{};
    bool ready = deflateInit2(&stream, Level, Z_DEFLATED, GzipWindow, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    ~Deflater() { deflateEnd(&stream); }

    // The member is made in a buffer of the largest size it can have and
    // copied out at its own size.
    bool member(const unsigned char *data, qint64 bytes, std::vector<unsigned char> &out)
    {
        if (!ready || deflateReset(&stream) != Z_OK)
            return false;
        scratch.resize(std::max<size_t>(scratch.size(), deflateBound(&stream, uLong(bytes))));
        stream.next_in = const_cast<unsigned char *>(data);
        stream.avail_in = uInt(bytes);
        stream.next_out = scratch.data();
        stream.avail_out = uInt(scratch.size());
        if (deflate(&stream, Z_FINISH) != Z_STREAM_END)
            return false;
        out.assign(scratch.data(), scratch.data() + stream.total_out);
        return true;
    }
    std::vector<unsigned char> scratch;
};

struct Inflater
{
    z_stream stream{};
    bool ready = inflateInit2(&stream, GzipWindow) == Z_OK;
    ~Inflater() { inflateEnd(&stream); }
};

thread_local std::vector<unsigned char> sourceBuffer;
thread_local std::vector<unsigned char> outputBuffer;

// One block on a worker: read, compressed into a member, and the member
// decompressed again and compared with what was read.
QString makeMember(Platform::File &in, const Range &range, std::vector<unsigned char> &member, int index,
                   const BlockCheck &check)
{
    thread_local Deflater deflater;
    thread_local Inflater inflater;
    sourceBuffer.resize(size_t(range.bytes));
    if (!in.readAt(sourceBuffer.data(), size_t(range.bytes), range.offset))
        return QStringLiteral("could not read it: %1").arg(lastFileError());
    if (!deflater.member(sourceBuffer.data(), range.bytes, member))
        return QStringLiteral("could not compress it");
    outputBuffer.resize(size_t(range.bytes) + 1);
    z_stream &z = inflater.stream;
    z.next_in = member.data();
    z.avail_in = uInt(member.size());
    z.next_out = outputBuffer.data();
    z.avail_out = uInt(outputBuffer.size());
    if (!inflater.ready || inflateReset(&z) != Z_OK || inflate(&z, Z_FINISH) != Z_STREAM_END || z.avail_in != 0
        || qint64(z.total_out) != range.bytes
        || (range.bytes > 0 && std::memcmp(outputBuffer.data(), sourceBuffer.data(), size_t(range.bytes)) != 0))
        return QStringLiteral("the compressed copy does not decompress to the original");
    if (check)
        check(index, outputBuffer.data(), range.bytes);
    return QString();
}

// Compresses and checks the members on the workers and writes them in order.
bool writeMembers(Platform::File &in, qint64 total, Platform::File &out,
                  std::vector<std::vector<unsigned char>> &members, Copy &copy, const BlockCheck &check,
                  const Progress &progress)
{
    const int count = blockCount(total);
    members.assign(size_t(count), {});
    std::vector<QString> errors(static_cast<size_t>(count));
    qint64 written = 0;
    const bool ok = orderedParallel(
        count,
        [&](int i) {
            errors[size_t(i)] = makeMember(in, blockRange(i, total), members[size_t(i)], i, check);
            return errors[size_t(i)].isEmpty();
        },
        [&](int i) {
            const std::vector<unsigned char> &member = members[size_t(i)];
            if (!out.writeAt(member.data(), member.size(), written)) {
                copy.error = QStringLiteral("could not write the copy: %1").arg(lastFileError());
                return false;
            }
            written += qint64(member.size());
            const Range range = blockRange(i, total);
            if (progress && !progress(range.offset + range.bytes, total)) {
                copy.cancelled = true;
                return false;
            }
            return true;
        });
    if (!ok && copy.error.isEmpty() && !copy.cancelled)
        copy.error = firstError(errors, QStringLiteral("could not compress it"));
    return ok;
}

// Reads the synced copy back whole: it must hold exactly the members, each
// of which was found to decompress to its block of the original.
bool readsBack(const QString &target, const std::vector<std::vector<unsigned char>> &members, Copy &copy)
{
    Platform::File back(target, Platform::File::Open::ReadOnly);
    const qint64 size = back.isOpen() ? back.size() : -1;
    std::vector<unsigned char> gz(size_t(std::max<qint64>(size, 0)));
    if (size < 0 || !back.readAt(gz.data(), gz.size(), 0)) {
        copy.error = QStringLiteral("could not read the copy back: %1").arg(lastFileError());
        return false;
    }
    size_t at = 0;
    for (const std::vector<unsigned char> &member : members) {
        if (at + member.size() > gz.size() || std::memcmp(gz.data() + at, member.data(), member.size()) != 0)
            break;
        at += member.size();
    }
    if (at != gz.size() || (at == 0 && !members.empty())) {
        copy.error = QStringLiteral("the copy read back differs from what was written");
        return false;
    }
    copy.gzBytes = qint64(gz.size());
    copy.gzSha256 = sha256Of(gz.data(), gz.size());
    return true;
}

} // namespace

int blockCount(qint64 bytes)
{
    return int(std::max<qint64>(1, (bytes + BlockBytes - 1) / BlockBytes));
}

Copy copyVerified(const QString &source, const QString &target, const BlockCheck &check, const Progress &progress)
{
    Copy copy;
    Platform::File in(source, Platform::File::Open::ReadOnly);
    copy.sourceBytes = in.isOpen() ? in.size() : -1;
    if (copy.sourceBytes < 0) {
        copy.error = QStringLiteral("could not read %1: %2").arg(nameOf(source), lastFileError());
        return copy;
    }
    std::vector<std::vector<unsigned char>> members;
    bool ok = false;
    {
        Platform::File out(target, Platform::File::Open::CreateNew);
        if (!out.isOpen()) {
            copy.error = QStringLiteral("could not create %1: %2").arg(nameOf(target), lastFileError());
            return copy;
        }
        ok = writeMembers(in, copy.sourceBytes, out, members, copy, check, progress);
        if (ok && !out.sync()) {
            copy.error = QStringLiteral("could not write the copy: %1").arg(lastFileError());
            ok = false;
        }
    }
    ok = ok && readsBack(target, members, copy);
    if (!ok)
        Platform::removeFile(target);
    copy.ok = ok;
    return copy;
}

Inflated decompress(const QString &gz, const Sink &sink)
{
    Inflated result;
    QFile file(gz);
    Inflater inflater;
    if (!file.open(QIODevice::ReadOnly) || !inflater.ready) {
        result.error = QStringLiteral("could not read %1: %2").arg(nameOf(gz), file.errorString());
        return result;
    }
    z_stream &z = inflater.stream;
    QByteArray input;
    std::vector<unsigned char> out(size_t(1024) * RecordSize);
    z.next_out = out.data();
    z.avail_out = uInt(out.size());
    bool inMember = true;
    for (;;) {
        if (z.avail_in == 0) {
            input = file.read(1 << 20);
            z.next_in = reinterpret_cast<unsigned char *>(input.data());
            z.avail_in = uInt(input.size());
            if (input.isEmpty())
                break;
        }
        if (!inMember) {
            // Another member follows: it must be one.
            if (inflateReset(&z) != Z_OK)
                break;
            inMember = true;
        }
        const int status = inflate(&z, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) {
            result.error =
                QStringLiteral("%1 is damaged: %2").arg(nameOf(gz), QString::fromLatin1(z.msg ? z.msg : "bad data"));
            return result;
        }
        if (status == Z_STREAM_END)
            inMember = false;
        if (z.avail_out == 0 || (!inMember && z.avail_in == 0 && file.atEnd())) {
            const qint64 bytes = qint64(out.size() - z.avail_out);
            if (bytes > 0 && !sink(out.data(), bytes))
                return result;
            result.bytes += bytes;
            z.next_out = out.data();
            z.avail_out = uInt(out.size());
        }
    }
    if (inMember) {
        result.error = QStringLiteral("%1 is cut short").arg(nameOf(gz));
        return result;
    }
    result.ok = true;
    return result;
}

QString fileSha256(const QString &path)
{
    QFile file(path);
    EVP_MD_CTX *context = EVP_MD_CTX_new();
    bool ok = file.open(QIODevice::ReadOnly) && context && EVP_DigestInit_ex(context, EVP_sha256(), nullptr) == 1;
    while (ok && !file.atEnd()) {
        const QByteArray piece = file.read(1 << 20);
        ok = !piece.isEmpty() && EVP_DigestUpdate(context, piece.constData(), size_t(piece.size())) == 1;
    }
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    ok = ok && EVP_DigestFinal_ex(context, digest, &length) == 1;
    EVP_MD_CTX_free(context);
    return ok ? QString::fromLatin1(QByteArray(reinterpret_cast<const char *>(digest), int(length)).toHex())
              : QString();
}

QString lastFileError()
{
    switch (Platform::lastFailure()) {
    case Platform::Failure::DiskFull:
        return QStringLiteral("the disk is full");
    case Platform::Failure::TooLarge:
        return QStringLiteral("the file size limit is reached");
    case Platform::Failure::NameUnusable:
        return QStringLiteral("the name cannot be used");
    case Platform::Failure::Refused:
        return QStringLiteral("no permission (the folder or disk is read-only)");
    case Platform::Failure::NotFound:
        return QStringLiteral("no such file or folder");
    case Platform::Failure::None:
    case Platform::Failure::Other:
        break;
    }
    return Platform::lastError();
}

} // namespace GzipBlocks
