// Arbitrary bytes as the configuration file: the readers must take whatever
// the file holds within the bounds of each setting, and rewriting the data
// file line must keep every other setting as it was read.
#include "fuzzsupport.h"

#include "callrecord.h"
#include "configfile.h"

#include <QFile>

#include <cstdint>

namespace {

// A value that reads back as itself after being written as a line of its own:
// valid UTF-16, no line feed, and no carriage return at its end (the reader
// takes that for the CR of a CR LF line end).
bool survivesALine(const QString &value)
{
    return !value.contains(QLatin1Char('\n')) && !value.endsWith(QLatin1Char('\r'))
        && QString::fromUtf8(value.toUtf8()) == value;
}

QString *settingOf(Configuration &config, int line)
{
    QString *settings[ConfigLineCount] = {&config.dataFile,      &config.phoneSeparator, &config.defaultAreaCode,
                                          &config.defaultPrefix, &config.fontName,       &config.fontColorText,
                                          &config.fontSizeText};
    return settings[line];
}

constexpr int capacities[ConfigLineCount] = {
    ConfigCapacity::DataFile,      ConfigCapacity::PhoneSeparator, ConfigCapacity::DefaultAreaCode,
    ConfigCapacity::DefaultPrefix, ConfigCapacity::FontName,       ConfigCapacity::FontColorText,
    ConfigCapacity::FontSizeText,
};

// The data file chosen in Open Existing: a few kinds of name, picked by the input.
QString chosenDataFile(const std::uint8_t *data, std::size_t size)
{
    switch (size % 4) {
    case 0:
        return QStringLiteral("/home/user/calls/other.dta");
    case 1:
        return QString();
    case 2:
        return QString(ConfigCapacity::DataFile - 1, QChar(u'\u00E9'));
    default:
        return QStringLiteral("Anrufe \u00FC\u00AC %1.dta").arg(size ? data[0] : 0);
    }
}

} // namespace

namespace FuzzTargets {

int configInput(const std::uint8_t *data, std::size_t size)
{
    const QString path = workFolder() + QStringLiteral("/VNConfig.cfg");
    {
        QFile file(path);
        FUZZ_REQUIRE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_REQUIRE(file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size));
    }

    Configuration config;
    FUZZ_REQUIRE(readConfigurationFile(path, config));
    for (int line = 0; line < ConfigLineCount; ++line) {
        FUZZ_REQUIRE(settingOf(config, line)->size() <= capacities[line] - 1);
        FUZZ_REQUIRE(!settingOf(config, line)->contains(QLatin1Char('\n')));
    }
    FUZZ_REQUIRE(config.fontSize == textToInt(config.fontSizeText));
    FUZZ_REQUIRE(config.fontColor == textToInt(config.fontColorText));

    QString name = QStringLiteral("unchanged");
    ReadDataFileName(name, path);
    FUZZ_REQUIRE(name == (size == 0 ? QStringLiteral("unchanged") : config.dataFile));

    const QString chosen = chosenDataFile(data, size);
    QString error;
    FUZZ_REQUIRE(rewriteDataFileLine(chosen, config, path, &error) == RewriteResult::Rewritten);

    Configuration reread;
    for (int line = 0; line < ConfigLineCount; ++line)
        *settingOf(reread, line) = QStringLiteral("not read");
    reread.fontStyle = 0xEE;
    FUZZ_REQUIRE(readConfigurationFile(path, reread));
    FUZZ_REQUIRE(reread.dataFile == chosen);
    for (int line = 1; line < ConfigLineCount; ++line) {
        if (survivesALine(*settingOf(config, line)))
            FUZZ_REQUIRE(*settingOf(reread, line) == *settingOf(config, line));
    }
    FUZZ_REQUIRE(reread.fontStyle == config.fontStyle);

    QString rereadName;
    ReadDataFileName(rereadName, path);
    FUZZ_REQUIRE(rereadName == chosen);

    QFile::remove(path);
    const QString missing = workFolder() + QStringLiteral("/missing.cfg");
    Configuration untouched;
    untouched.phoneSeparator = QStringLiteral("?");
    FUZZ_REQUIRE(!readConfigurationFile(missing, untouched) && untouched.phoneSeparator == QStringLiteral("?"));
    FUZZ_REQUIRE(rewriteDataFileLine(chosen, config, missing) == RewriteResult::ConfigMissing);
    FUZZ_REQUIRE(!QFile::exists(missing));
    return 0;
}

} // namespace FuzzTargets

#ifndef CALLLOG_FUZZ_NO_ENTRY
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return FuzzTargets::configInput(data, size);
}
#endif
