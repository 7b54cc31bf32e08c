#ifndef CONFIGFILE_H
#define CONFIGFILE_H

#include <QColor>
#include <QFont>
#include <QString>

#include <array>
#include <cstdint>

// The settings file shared by the two programs: seven UTF-8 lines (data file,
// phone separator, default area code, default prefix, font name, font colour,
// font size), each ended by a line feed, then one raw byte with the font style.
inline const QString ConfigFileName = QStringLiteral("VNConfig.cfg");
inline const QString DefaultDataFileName = QStringLiteral("VNData.dta");

constexpr int ConfigLineCount = 7;

// Capacities in wide characters, terminator included. A reader takes at most
// capacity - 1 characters of a line, line feed included.
namespace ConfigCapacity {
constexpr int DataFile = 1024;
constexpr int PhoneSeparator = 3;
constexpr int DefaultAreaCode = 5;
constexpr int DefaultPrefix = 5;
constexpr int FontName = 100;
constexpr int FontColorText = 25;
constexpr int FontSizeText = 25;
} // namespace ConfigCapacity

// Font style byte: one bit a flag.
namespace FontStyleBit {
constexpr std::uint8_t Bold = 1;
constexpr std::uint8_t Italic = 2;
constexpr std::uint8_t Underline = 4;
constexpr std::uint8_t StrikeOut = 8;
} // namespace FontStyleBit

// The form library's colour value of the system window-text colour.
constexpr std::int32_t WindowTextColorValue = -16777208; // 0xFF000008

struct Configuration
{
    QString dataFile = DefaultDataFileName;
    QString phoneSeparator = QStringLiteral("-");
    QString defaultAreaCode = QStringLiteral("###");
    QString defaultPrefix = QStringLiteral("###");
    QString fontName = QStringLiteral("Arial");
    QString fontColorText = QStringLiteral("0");
    QString fontSizeText = QStringLiteral("10");
    std::uint8_t fontStyle = 0;
    std::int32_t fontColor = 0;
    std::int32_t fontSize = 10;
    // The file named a data file with control characters in it; the default is used.
    bool dataFileRefused = false;
};

// A data file name that no log can have: one with a control character in it.
bool dataFileNameUsable(const QString &name);

// Reads the file into `config`. A line ends at a line feed or a CR LF pair; in
// a file whose first line feed follows a CR, or that has none, a lone CR ends a
// line too. A setting whose line is missing keeps the value
// it had; an overlong line gives its first capacity - 1 characters and the rest
// of that line is skipped. Colour and size are converted as _wtoi does.
// Returns false, leaving `config` untouched, when the file cannot be opened.
bool readConfigurationFile(const QString &path, Configuration &config);

// First line of the configuration file, or "VNData.dta" when it cannot be opened
// or the line holds control characters. A present file whose first line cannot
// be read leaves `name` as it was.
void ReadDataFileName(QString &name, const QString &path = ConfigFileName);

// The seven lines as written, each with its line feed already appended.
using ConfigurationLines = std::array<QString, ConfigLineCount>;

// The lines of `config` as the file holds them: its seven texts in file order.
ConfigurationLines configurationLines(const Configuration &config);

// Writes the seven lines and the style byte through a temporary file that then
// replaces the old one, so an earlier file stays whole when writing fails.
// On failure `error` (when given) says why.
bool WriteConfiguration(const ConfigurationLines &lines, std::uint8_t fontStyle, const QString &path = ConfigFileName,
                        QString *error = nullptr);

// Writes the texts and the style byte of `config` as WriteConfiguration does.
bool writeConfigurationFile(const Configuration &config, const QString &path = ConfigFileName,
                            QString *error = nullptr);

enum class RewriteResult { Rewritten, ConfigMissing, WriteFailed };

// Replaces the first line of the configuration file with `dataFilePath` and
// keeps the other lines and the style byte as they are. Lines the file lacks
// are written with the values of `current`.
RewriteResult rewriteDataFileLine(const QString &dataFilePath, const Configuration &current,
                                  const QString &path = ConfigFileName, QString *error = nullptr);

// Colour values of the form library: 0x00BBGGRR, or 0xFF0000nn for system colour nn.
QColor colorFromValue(std::int32_t value);
std::int32_t valueFromRgb(const QColor &color);

std::uint8_t styleFromFont(const QFont &font);
// Sets face name, point size (when it is 1 to 999) and style on `font`.
void applyFontSettings(QFont &font, const QString &name, int pointSize, std::uint8_t style);

#endif // CONFIGFILE_H
