#ifndef REPORTLINES_H
#define REPORTLINES_H

#include <QDateTime>
#include <QString>
#include <QStringView>

#include <functional>
#include <vector>

// A report's text as lines: the lines of its work file, read from the file
// only when they are asked for, through an index of where the lines start,
// with the user's edits laid over them. The work file is never written, and
// is open only while lines are read from it.
class ReportLines
{
public:
    struct Position
    {
        qsizetype line = 0;
        qsizetype column = 0; // UTF-16 units into the line

        bool operator==(const Position &other) const { return line == other.line && column == other.column; }
        bool operator!=(const Position &other) const { return !(*this == other); }
        bool operator<(const Position &other) const
        {
            return line < other.line || (line == other.line && column < other.column);
        }
    };
    using Visitor = std::function<void(qsizetype index, QStringView line)>;

    ReportLines();

    // Indexes the file, showing each of its lines to `visit` once, in order,
    // and makes its lines the text. On failure the text is left as it was.
    bool openFile(const QString &path, const Visitor &visit, QString *error);
    void setText(QStringView text);

    qsizetype count() const { return m_count; }
    // Hands the lines `first` to `first` + `n` - 1 that exist to `visit`,
    // reading each run of lines the user did not edit from the file at once.
    void read(qsizetype first, qsizetype n, const Visitor &visit) const;
    QString line(qsizetype index) const;
    QString text(Position from, Position to) const;
    QString text() const;
    Position end() const;

    // Puts `text` (line feeds start new lines) in place of the text between
    // `from` and `to`; returns where the new text ends.
    Position replace(Position from, Position to, QStringView text);

    // Why lines of the work file could not be read after it was indexed (it
    // was changed or removed meanwhile); they then read as empty lines.
    const QString &readError() const { return m_readError; }

private:
    // A run of the file's lines, or (fileFirst < 0) one line the user edited.
    struct Piece
    {
        qsizetype fileFirst = -1;
        qsizetype count = 1;
        QString text;
    };

    struct FileIndex
    {
        QString path;
        qint64 size = 0;
        QDateTime modified;
        std::vector<qint64> starts; // where every Stride-th line starts
        qsizetype lines = 0;
    };

    void readFile(qsizetype first, qsizetype n, qsizetype shownAs, const Visitor &visit) const;
    qsizetype pieceAt(qsizetype line) const;
    // Makes `line` the first line of a piece.
    void splitAt(qsizetype line);
    void replaceLines(qsizetype first, qsizetype n, const QStringList &lines);
    void countLines();

    FileIndex m_file;
    std::vector<Piece> m_pieces;
    std::vector<qsizetype> m_pieceStarts;
    qsizetype m_count = 0;
    mutable QString m_readError;
};

#endif // REPORTLINES_H
