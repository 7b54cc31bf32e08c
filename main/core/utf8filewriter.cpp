#include "utf8filewriter.h"

namespace {

constexpr qsizetype FlushBytes = 1 << 20;

} // namespace

Utf8FileWriter::Utf8FileWriter(const QString &path)
    : m_file(path)
{
    m_buffer.reserve(FlushBytes + 4096);
}

bool Utf8FileWriter::open()
{
    if (m_file.open(QIODevice::WriteOnly))
        return true;
    m_error = m_file.errorString();
    return false;
}

void Utf8FileWriter::append(QStringView text)
{
    const qsizetype start = m_buffer.size();
    m_buffer.resize(start + m_encoder.requiredSpace(text.size()));
    char *end = m_encoder.appendToBuffer(m_buffer.data() + start, text);
    m_buffer.resize(end - m_buffer.constData());
    if (m_buffer.size() >= FlushBytes)
        writeBuffer();
}

void Utf8FileWriter::appendEncoded(QByteArrayView bytes)
{
    m_buffer.append(bytes);
    if (m_buffer.size() >= FlushBytes)
        writeBuffer();
}

bool Utf8FileWriter::writeBuffer()
{
    if (!m_buffer.isEmpty() && m_file.write(m_buffer) != m_buffer.size() && m_ok) {
        m_error = m_file.errorString();
        m_ok = false;
    }
    m_buffer.resize(0); // keeps its room for the next block
    return m_ok;
}

bool Utf8FileWriter::commit()
{
    // QSaveFile::commit() does not see a failure of its own last flush, so flush first.
    if (writeBuffer() && m_file.flush() && m_file.commit())
        return true;
    if (m_error.isEmpty())
        m_error = m_file.errorString();
    m_file.cancelWriting();
    return false;
}
