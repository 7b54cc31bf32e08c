#include "reportlines.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringList>

#include <algorithm>
#include <cstring>

namespace {

// One index entry for so many lines: a read starts at the entry before the
// first line it wants and steps over at most this many lines less one.
constexpr qsizetype Stride = 64;
constexpr qint64 ChunkBytes = 1 << 20;
constexpr qsizetype BlockLines = 4096;

// Hands the lines of `bytes` (each but the last ended by a line feed) to
// `visit`, numbered from `index`; notes where every Stride-th one starts.
// `text` is room for the decoded lines, kept from one block to the next.
qsizetype visitLines(QByteArrayView bytes, qint64 offset, qsizetype index, bool last, QString &text,
                     std::vector<qint64> &starts, const ReportLines::Visitor &visit)
{
    // Split at line feeds, the block decodes on its own: UTF-8 never needs
    // more UTF-16 units than it has bytes.
    text.resize(bytes.size());
    QStringDecoder decoder(QStringDecoder::Utf8);
    text.resize(decoder.appendToBuffer(text.data(), bytes) - text.constData());
    qsizetype byte = 0;
    qsizetype unit = 0;
    for (;;) {
        if (index % Stride == 0)
            starts.push_back(offset + byte);
        const char *feed = static_cast<const char *>(std::memchr(bytes.data() + byte, '\n', bytes.size() - byte));
        if (!feed) {
            // Only the file's last line has no line feed after it.
            if (last)
                visit(index++, QStringView(text).mid(unit));
            return index;
        }
        const qsizetype unitEnd = text.indexOf(QLatin1Char('\n'), unit);
        visit(index++, QStringView(text).mid(unit, unitEnd - unit));
        byte = feed - bytes.data() + 1;
        unit = unitEnd + 1;
        if (byte == bytes.size() && !last)
            return index;
    }
}

} // namespace

ReportLines::ReportLines()
{
    setText(QStringView());
}

bool ReportLines::openFile(const QString &path, const Visitor &visit, QString *error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    FileIndex index;
    index.path = QFileInfo(path).absoluteFilePath();
    index.modified = file.fileTime(QFileDevice::FileModificationTime);
    QByteArray buffer;
    QString text;
    qsizetype carried = 0; // the start of a line that goes on in the next block
    qint64 offset = 0;
    for (;;) {
        // A line longer than a block makes the block longer.
        buffer.resize(carried + ChunkBytes);
        const qint64 read = file.read(buffer.data() + carried, ChunkBytes);
        if (read < 0) {
            if (error)
                *error = file.errorString();
            return false;
        }
        const QByteArrayView bytes(buffer.constData(), carried + read);
        if (read == 0) {
            index.lines = visitLines(bytes, offset, index.lines, true, text, index.starts, visit);
            break;
        }
        const qsizetype whole = bytes.lastIndexOf('\n') + 1;
        if (whole > 0)
            index.lines = visitLines(bytes.first(whole), offset, index.lines, false, text, index.starts, visit);
        carried = bytes.size() - whole;
        std::memmove(buffer.data(), buffer.constData() + whole, size_t(carried));
        offset += whole;
    }
    index.size = offset + carried;
    m_file = std::move(index);
    m_readError.clear();
    m_pieces.assign(1, Piece{0, m_file.lines, QString()});
    countLines();
    return true;
}

void ReportLines::setText(QStringView text)
{
    m_file = FileIndex();
    m_readError.clear();
    m_pieces.clear();
    for (const QStringView line : text.split(QLatin1Char('\n')))
        m_pieces.push_back(Piece{-1, 1, line.toString()});
    countLines();
}

void ReportLines::countLines()
{
    m_pieceStarts.resize(m_pieces.size());
    m_count = 0;
    for (size_t i = 0; i < m_pieces.size(); ++i) {
        m_pieceStarts[i] = m_count;
        m_count += m_pieces[i].count;
    }
}

qsizetype ReportLines::pieceAt(qsizetype line) const
{
    const auto after = std::upper_bound(m_pieceStarts.begin(), m_pieceStarts.end(), line);
    return qsizetype(after - m_pieceStarts.begin()) - 1;
}

void ReportLines::read(qsizetype first, qsizetype n, const Visitor &visit) const
{
    first = std::max<qsizetype>(first, 0);
    const qsizetype end = std::min(first + n, m_count);
    qsizetype line = first;
    while (line < end) {
        const qsizetype p = pieceAt(line);
        const Piece &piece = m_pieces[p];
        if (piece.fileFirst < 0) {
            visit(line++, piece.text);
            continue;
        }
        // A long run is read a block at a time, so that a whole report is never held.
        const qsizetype into = line - m_pieceStarts[p];
        const qsizetype run = std::min({piece.count - into, end - line, BlockLines});
        readFile(piece.fileFirst + into, run, line, visit);
        line += run;
    }
}

void ReportLines::readFile(qsizetype first, qsizetype n, qsizetype shownAs, const Visitor &visit) const
{
    QFile file(m_file.path);
    QByteArray bytes;
    const qint64 from = m_file.starts[first / Stride];
    const qsizetype nextEntry = (first + n - 1) / Stride + 1;
    const qint64 to = nextEntry < qsizetype(m_file.starts.size()) ? m_file.starts[nextEntry] : m_file.size;
    // A work file that another report replaced meanwhile no longer fits its index.
    if (!file.open(QIODevice::ReadOnly))
        m_readError = file.errorString();
    else if (file.size() != m_file.size || file.fileTime(QFileDevice::FileModificationTime) != m_file.modified)
        m_readError = QStringLiteral("%1 was changed by another program").arg(m_file.path);
    else if (!file.seek(from) || (bytes = file.read(to - from)).size() != to - from)
        m_readError = file.errorString();
    if (bytes.size() != to - from) {
        for (qsizetype i = 0; i < n; ++i)
            visit(shownAs + i, QStringView());
        return;
    }
    const QString text = QString::fromUtf8(bytes);
    qsizetype line = first / Stride * Stride;
    qsizetype start = 0;
    while (line < first + n) {
        qsizetype feed = text.indexOf(QLatin1Char('\n'), start);
        if (feed < 0)
            feed = text.size();
        if (line >= first)
            visit(shownAs + line - first, QStringView(text).mid(start, feed - start));
        start = feed + 1;
        ++line;
    }
}

QString ReportLines::line(qsizetype index) const
{
    QString text;
    read(index, 1, [&text](qsizetype, QStringView line) { text = line.toString(); });
    return text;
}

QString ReportLines::text(Position from, Position to) const
{
    QString text;
    read(from.line, to.line - from.line + 1, [&](qsizetype index, QStringView line) {
        const qsizetype start = index == from.line ? std::min(from.column, line.size()) : 0;
        const qsizetype end = index == to.line ? std::min(to.column, line.size()) : line.size();
        if (index != from.line)
            text += QLatin1Char('\n');
        text += line.mid(start, std::max<qsizetype>(end - start, 0));
    });
    return text;
}

QString ReportLines::text() const
{
    return text(Position{0, 0}, end());
}

ReportLines::Position ReportLines::end() const
{
    return Position{m_count - 1, line(m_count - 1).size()};
}

ReportLines::Position ReportLines::replace(Position from, Position to, QStringView text)
{
    const QString head = line(from.line).left(from.column);
    const QString tail = line(to.line).mid(to.column);
    const QStringList lines = (head + text.toString() + tail).split(QLatin1Char('\n'));
    replaceLines(from.line, to.line - from.line + 1, lines);
    return Position{from.line + lines.size() - 1, lines.last().size() - tail.size()};
}

void ReportLines::splitAt(qsizetype line)
{
    if (line >= m_count)
        return;
    const qsizetype p = pieceAt(line);
    const qsizetype into = line - m_pieceStarts[p];
    if (into == 0)
        return;
    Piece rest{m_pieces[p].fileFirst + into, m_pieces[p].count - into, QString()};
    m_pieces[p].count = into;
    m_pieces.insert(m_pieces.begin() + p + 1, rest);
    countLines();
}

void ReportLines::replaceLines(qsizetype first, qsizetype n, const QStringList &lines)
{
    splitAt(first);
    splitAt(first + n);
    const qsizetype from = first < m_count ? pieceAt(first) : qsizetype(m_pieces.size());
    const qsizetype to = first + n < m_count ? pieceAt(first + n) : qsizetype(m_pieces.size());
    m_pieces.erase(m_pieces.begin() + from, m_pieces.begin() + to);
    std::vector<Piece> edited;
    edited.reserve(size_t(lines.size()));
    for (const QString &line : lines)
        edited.push_back(Piece{-1, 1, line});
    m_pieces.insert(m_pieces.begin() + from, edited.begin(), edited.end());
    countLines();
}
