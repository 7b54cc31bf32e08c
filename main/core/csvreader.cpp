#include "csvreader.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <algorithm>
#include <cstdint>

namespace CsvReader {

namespace {

// Offset of the first byte that does not belong to UTF-8 text, or -1.
qint64 firstInvalidUtf8(const QByteArray &bytes)
{
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.constData());
    const qint64 n = bytes.size();
    for (qint64 i = 0; i < n;) {
        const unsigned char c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        const int extra = (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 0;
        if (extra == 0 || i + extra >= n)
            return i;
        std::uint32_t code = c & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return i;
            code = code << 6 | (p[i + k] & 0x3F);
        }
        static const std::uint32_t smallest[] = {0, 0x80, 0x800, 0x10000};
        if (code < smallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return i;
        i += extra + 1;
    }
    return -1;
}

int lineOf(const QByteArray &bytes, qint64 offset)
{
    return 1 + int(std::count(bytes.constBegin(), bytes.constBegin() + offset, '\n'));
}

// Text without a byte order mark in which many bytes are zero is UTF-16
// that lost its mark, or not text at all.
bool looksLikeBareUtf16(const QByteArray &bytes)
{
    const QByteArray start = bytes.left(512);
    return start.size() >= 2 && start.count('\0') * 4 > start.size();
}

bool decode(const QByteArray &bytes, QString &text, Table &table)
{
    const auto utf16 = [&](QStringDecoder::Encoding encoding, const char *name) {
        table.encoding = QString::fromLatin1(name);
        if ((bytes.size() - 2) % 2 != 0) {
            table.error = QStringLiteral("The UTF-16 text is cut short");
            return false;
        }
        QStringDecoder decoder(encoding, QStringDecoder::Flag::Stateless);
        text = decoder(QByteArrayView(bytes).sliced(2));
        if (decoder.hasError())
            table.error = QStringLiteral("The file is not valid UTF-16 text");
        return !decoder.hasError();
    };
    if (bytes.startsWith("\xFF\xFE"))
        return utf16(QStringDecoder::Utf16LE, "UTF-16LE");
    if (bytes.startsWith("\xFE\xFF"))
        return utf16(QStringDecoder::Utf16BE, "UTF-16BE");
    table.encoding = QStringLiteral("UTF-8");
    const QByteArray body = bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes;
    if (looksLikeBareUtf16(body)) {
        table.error = QStringLiteral("The file looks like UTF-16 text without a byte order mark; save it as UTF-8");
        return false;
    }
    const qint64 bad = firstInvalidUtf8(body);
    if (bad >= 0) {
        table.error = QStringLiteral("Line %1 is not UTF-8 text (byte %2); save the file as UTF-8 or UTF-16")
                          .arg(lineOf(body, bad))
                          .arg(bad + 1);
        return false;
    }
    text = QString::fromUtf8(body);
    return true;
}

bool isLineEnd(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

// The delimiter the first row uses more: a semicolon, or else a comma.
QChar detectDelimiter(QStringView text)
{
    int commas = 0;
    int semicolons = 0;
    bool quoted = false;
    for (QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && isLineEnd(c))
            break;
        else if (!quoted && c == QLatin1Char(','))
            ++commas;
        else if (!quoted && c == QLatin1Char(';'))
            ++semicolons;
    }
    return semicolons > commas ? QLatin1Char(';') : QLatin1Char(',');
}

class Parser
{
public:
    Parser(QStringView text, QChar delimiter)
        : m_text(text)
        , m_delimiter(delimiter)
    {
    }

    bool atEnd() const { return m_at >= m_text.size(); }

    // Reads the next row; false when a quoted field runs to the end of the file.
    bool next(Row &row, bool &blank, QString &error)
    {
        row = Row();
        row.line = m_line;
        bool quotedAny = false;
        for (;;) {
            QString field;
            if (!atEnd() && m_text.at(m_at) == QLatin1Char('"')) {
                quotedAny = true;
                if (!readQuoted(field, row, error))
                    return false;
            } else {
                const qsizetype stop = fieldEnd();
                field = m_text.mid(m_at, stop - m_at).toString();
                m_at = stop;
            }
            row.fields.append(field);
            if (!atEnd() && m_text.at(m_at) == m_delimiter) {
                ++m_at;
                continue;
            }
            skipLineEnd();
            blank = !quotedAny && row.fields.size() == 1 && row.fields.front().isEmpty();
            return true;
        }
    }

private:
    qsizetype fieldEnd() const
    {
        qsizetype at = m_at;
        while (at < m_text.size() && m_text.at(at) != m_delimiter && !isLineEnd(m_text.at(at)))
            ++at;
        return at;
    }

    bool readQuoted(QString &field, Row &row, QString &error)
    {
        const int opened = m_line;
        ++m_at;
        for (;;) {
            const qsizetype quote = m_text.indexOf(QLatin1Char('"'), m_at);
            if (quote < 0) {
                error = QStringLiteral("Line %1: a quoted field is never closed").arg(opened);
                return false;
            }
            const QStringView part = m_text.mid(m_at, quote - m_at);
            countLines(part);
            field.append(part);
            m_at = quote + 1;
            if (atEnd() || m_text.at(m_at) != QLatin1Char('"'))
                break;
            field.append(QLatin1Char('"'));
            ++m_at;
        }
        const qsizetype stop = fieldEnd();
        if (stop > m_at) {
            if (row.problem.isEmpty())
                row.problem = QStringLiteral("text after the closing quote of field %1").arg(row.fields.size() + 1);
            field.append(m_text.mid(m_at, stop - m_at));
            m_at = stop;
        }
        return true;
    }

    void countLines(QStringView part)
    {
        for (qsizetype i = 0; i < part.size(); ++i) {
            if (part.at(i) == QLatin1Char('\n')
                || (part.at(i) == QLatin1Char('\r') && (i + 1 >= part.size() || part.at(i + 1) != QLatin1Char('\n'))))
                ++m_line;
        }
    }

    void skipLineEnd()
    {
        if (atEnd())
            return;
        if (m_text.at(m_at) == QLatin1Char('\r'))
            ++m_at;
        if (!atEnd() && m_text.at(m_at) == QLatin1Char('\n'))
            ++m_at;
        ++m_line;
    }

    QStringView m_text;
    QChar m_delimiter;
    qsizetype m_at = 0;
    int m_line = 1;
};

} // namespace

Table parse(const QByteArray &bytes)
{
    Table table;
    QString text;
    if (!decode(bytes, text, table))
        return table;
    table.delimiter = detectDelimiter(text);
    Parser parser(text, table.delimiter);
    while (!parser.atEnd()) {
        Row row;
        bool blank = false;
        if (!parser.next(row, blank, table.error)) {
            table.error += QStringLiteral("; nothing can be imported");
            table.rows.clear();
            return table;
        }
        if (!blank)
            table.rows.push_back(std::move(row));
    }
    if (table.rows.empty())
        table.error = QStringLiteral("The file is empty");
    return table;
}

Table readFile(const QString &path)
{
    Table table;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        table.error = QStringLiteral("Could not read %1: %2").arg(QFileInfo(path).fileName(), file.errorString());
        return table;
    }
    if (file.size() > LargestFile) {
        table.error = QStringLiteral("%1 is larger than %2 MB").arg(QFileInfo(path).fileName()).arg(LargestFile >> 20);
        return table;
    }
    return parse(file.readAll());
}

} // namespace CsvReader
