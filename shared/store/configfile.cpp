#include "configfile.h"

#include "callrecord.h"

#include <QFile>
#include <QGuiApplication>
#include <QPalette>
#include <QSaveFile>

namespace {

// The settings in file order, each with the room its field has.
struct Line
{
    QString Configuration::*setting;
    int capacity;
};

const Line settingLines[ConfigLineCount] = {
    {&Configuration::dataFile, ConfigCapacity::DataFile},
    {&Configuration::phoneSeparator, ConfigCapacity::PhoneSeparator},
    {&Configuration::defaultAreaCode, ConfigCapacity::DefaultAreaCode},
    {&Configuration::defaultPrefix, ConfigCapacity::DefaultPrefix},
    {&Configuration::fontName, ConfigCapacity::FontName},
    {&Configuration::fontColorText, ConfigCapacity::FontColorText},
    {&Configuration::fontSizeText, ConfigCapacity::FontSizeText},
};

// Longest line in bytes that is kept while reading; the rest of a longer line
// is skipped. UTF-8 takes at most three bytes for one UTF-16 code unit.
constexpr qint64 maxKeptBytes = 3 * ConfigCapacity::DataFile + 2;

// How the file's lines end, told by its first line feed. A bare one marks a
// file with LF line ends, in which a lone CR is a character of its line (so a
// data file name holding one is refused, not cut short there). A first line
// feed after a CR, or none at all, marks a file from a Windows or an old Mac
// editor, or a mix of them: there a lone CR ends a line as well.
enum class LineEnds { Lf, CrOrLf };

LineEnds lineEndsOf(QFile &file)
{
    LineEnds ends = LineEnds::CrOrLf;
    char previous = 0;
    for (QByteArray chunk = file.read(4096); !chunk.isEmpty(); chunk = file.read(4096)) {
        const qsizetype lf = chunk.indexOf('\n');
        if (lf >= 0) {
            ends = (lf > 0 ? chunk.at(lf - 1) : previous) == '\r' ? LineEnds::CrOrLf : LineEnds::Lf;
            break;
        }
        previous = chunk.back();
    }
    file.seek(0);
    return ends;
}

// Reads one line of at most capacity - 1 characters; a line feed or a CR LF
// pair ends it, and so does a lone CR where the file's line ends allow. Returns
// false at the end of the file. On the last line of a file read by CR, a line
// feed that is the file's last byte is the style byte, not part of the line end.
bool readBoundedLine(QFile &file, LineEnds ends, int capacity, QString &line, bool lastLine = false)
{
    QByteArray bytes;
    bool any = false;
    char c;
    while (file.getChar(&c)) {
        any = true;
        if (c == '\n')
            break;
        if (c == '\r') {
            char next;
            const bool pair = file.peek(&next, 1) == 1 && next == '\n';
            if (pair && !(ends == LineEnds::CrOrLf && lastLine && file.bytesAvailable() == 1)) {
                file.getChar(&next);
                break;
            }
            if (ends == LineEnds::CrOrLf)
                break;
        }
        if (bytes.size() < maxKeptBytes)
            bytes.append(c);
    }
    if (!any)
        return false;
    QString text = QString::fromUtf8(bytes);
    if (text.size() > capacity - 1)
        text.truncate(capacity - 1);
    line = text;
    return true;
}

// The style byte is one raw byte; a CR LF pair in its place is the value 10
// (a line feed) as a Windows text stream writes it.
bool readStyleByte(QFile &file, std::uint8_t &style)
{
    char c;
    if (!file.getChar(&c))
        return false;
    char next;
    if (c == '\r' && file.peek(&next, 1) == 1 && next == '\n')
        c = '\n';
    style = static_cast<std::uint8_t>(c);
    return true;
}

struct RawConfiguration
{
    std::array<bool, ConfigLineCount> present{};
    ConfigurationLines lines;
    bool hasStyle = false;
    std::uint8_t style = 0;
};

bool readRaw(const QString &path, RawConfiguration &raw)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const LineEnds ends = lineEndsOf(file);
    for (int i = 0; i < ConfigLineCount; ++i) {
        raw.present[size_t(i)] =
            readBoundedLine(file, ends, settingLines[i].capacity, raw.lines[size_t(i)], i == ConfigLineCount - 1);
        if (!raw.present[size_t(i)])
            break;
    }
    if (raw.present[ConfigLineCount - 1])
        raw.hasStyle = readStyleByte(file, raw.style);
    return true;
}

} // namespace

bool dataFileNameUsable(const QString &name)
{
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || (c.unicode() >= 0x80 && c.unicode() < 0xa0))
            return false;
    }
    return true;
}

bool readConfigurationFile(const QString &path, Configuration &config)
{
    RawConfiguration raw;
    if (!readRaw(path, raw))
        return false;
    for (int i = 0; i < ConfigLineCount; ++i) {
        if (raw.present[size_t(i)])
            config.*settingLines[i].setting = raw.lines[size_t(i)];
    }
    config.dataFileRefused = !dataFileNameUsable(config.dataFile);
    if (config.dataFileRefused)
        config.dataFile = DefaultDataFileName;
    if (raw.hasStyle)
        config.fontStyle = raw.style;
    config.fontSize = textToInt(config.fontSizeText);
    config.fontColor = textToInt(config.fontColorText);
    return true;
}

void ReadDataFileName(QString &name, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        name = DefaultDataFileName;
        return;
    }
    QString line;
    if (readBoundedLine(file, lineEndsOf(file), ConfigCapacity::DataFile, line))
        name = dataFileNameUsable(line) ? line : DefaultDataFileName;
}

ConfigurationLines configurationLines(const Configuration &config)
{
    ConfigurationLines text;
    for (int i = 0; i < ConfigLineCount; ++i)
        text[size_t(i)] = config.*settingLines[i].setting + QLatin1Char('\n');
    return text;
}

bool WriteConfiguration(const ConfigurationLines &lines, std::uint8_t fontStyle, const QString &path, QString *error)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        if (error)
            *error = file.errorString();
        return false;
    }
    QByteArray bytes;
    for (const QString &line : lines)
        bytes.append(line.toUtf8());
    bytes.append(char(fontStyle));
    // The bytes reach the disk at the flush; QSaveFile 6.4 renames over the old
    // file even when the flush inside commit() fails, so flush first.
    if (file.write(bytes) != bytes.size() || !file.flush() || !file.commit()) {
        if (error)
            *error = file.errorString();
        file.cancelWriting();
        return false;
    }
    return true;
}

bool writeConfigurationFile(const Configuration &config, const QString &path, QString *error)
{
    return WriteConfiguration(configurationLines(config), config.fontStyle, path, error);
}

RewriteResult rewriteDataFileLine(const QString &dataFilePath, const Configuration &current, const QString &path,
                                  QString *error)
{
    RawConfiguration raw;
    if (!readRaw(path, raw))
        return RewriteResult::ConfigMissing;
    // Each line as the file has it, unconverted; the values in use where it has none.
    Configuration rewritten = current;
    for (int i = 0; i < ConfigLineCount; ++i) {
        if (raw.present[size_t(i)])
            rewritten.*settingLines[i].setting = raw.lines[size_t(i)];
    }
    rewritten.dataFile = dataFilePath;
    if (raw.hasStyle)
        rewritten.fontStyle = raw.style;
    return writeConfigurationFile(rewritten, path, error) ? RewriteResult::Rewritten : RewriteResult::WriteFailed;
}

QColor colorFromValue(std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    if ((bits & 0xFF000000u) == 0) {
        return QColor(int(bits & 0xff), int((bits >> 8) & 0xff), int((bits >> 16) & 0xff));
    }
    // System colours by their index in the desktop's colour table.
    const QPalette palette = QGuiApplication::palette();
    switch (bits & 0xff) {
    case 5:
        return palette.color(QPalette::Base); // window
    case 8:
        return palette.color(QPalette::WindowText); // window text
    case 13:
        return palette.color(QPalette::Highlight); // highlight
    case 14:
        return palette.color(QPalette::HighlightedText); // highlight text
    case 15:
        return palette.color(QPalette::Button); // button face
    case 16:
        return palette.color(QPalette::Dark); // button shadow
    case 17:
        return palette.color(QPalette::Disabled, QPalette::Text); // grey text
    case 18:
        return palette.color(QPalette::ButtonText); // button text
    case 20:
        return palette.color(QPalette::Light); // button highlight
    case 21:
        return palette.color(QPalette::Shadow); // 3-D dark shadow
    case 22:
        return palette.color(QPalette::Midlight); // 3-D light
    case 23:
        return palette.color(QPalette::ToolTipText); // info text
    case 24:
        return palette.color(QPalette::ToolTipBase); // info background
    case 26:
        return palette.color(QPalette::Link); // hot light
    default:
        return palette.color(QPalette::WindowText);
    }
}

std::int32_t valueFromRgb(const QColor &color)
{
    const std::uint32_t bits =
        std::uint32_t(color.red()) | (std::uint32_t(color.green()) << 8) | (std::uint32_t(color.blue()) << 16);
    return static_cast<std::int32_t>(bits);
}

std::uint8_t styleFromFont(const QFont &font)
{
    std::uint8_t style = 0;
    if (font.bold())
        style |= FontStyleBit::Bold;
    if (font.italic())
        style |= FontStyleBit::Italic;
    if (font.underline())
        style |= FontStyleBit::Underline;
    if (font.strikeOut())
        style |= FontStyleBit::StrikeOut;
    return style;
}

void applyFontSettings(QFont &font, const QString &name, int pointSize, std::uint8_t style)
{
    font.setFamily(name);
    if (pointSize >= 1 && pointSize <= 999)
        font.setPointSize(pointSize);
    font.setBold(style & FontStyleBit::Bold);
    font.setItalic(style & FontStyleBit::Italic);
    font.setUnderline(style & FontStyleBit::Underline);
    font.setStrikeOut(style & FontStyleBit::StrikeOut);
}
