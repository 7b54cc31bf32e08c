#ifndef UTF8FILEWRITER_H
#define UTF8FILEWRITER_H

#include <QByteArray>
#include <QSaveFile>
#include <QString>
#include <QStringEncoder>
#include <QStringView>

// A text file written as UTF-8 in large blocks through a temporary file: it
// replaces the file of that name whole when committed, and otherwise leaves
// nothing behind.
class Utf8FileWriter
{
public:
    explicit Utf8FileWriter(const QString &path);

    bool open();
    void append(QStringView text);
    // Text already in UTF-8.
    void appendEncoded(QByteArrayView bytes);
    // Writes what is left and puts the file in place; false when any write failed.
    bool commit();
    // Why the file could not be written.
    QString error() const { return m_error; }

private:
    bool writeBuffer();

    QSaveFile m_file;
    QStringEncoder m_encoder{QStringEncoder::Utf8};
    QByteArray m_buffer;
    QString m_error;
    bool m_ok = true;
};

#endif // UTF8FILEWRITER_H
