#include "configfile.h"
#include "testrecords.h"
#include "workfolderfixture.h"

#include <QGuiApplication>
#include <QPalette>
#include <QtTest>

namespace {

ConfigurationLines lines(const QString &dataFile = QStringLiteral("Calls.dta"))
{
    return {dataFile + '\n',           QStringLiteral(".\n"),     QStringLiteral("212\n"), QStringLiteral("555\n"),
            QStringLiteral("Courier\n"), QStringLiteral("255\n"), QStringLiteral("14\n")};
}

} // namespace

class TestConfigFile : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void roundTrip_data();
    void roundTrip();
    void writesTheTextsOfAConfiguration();
    void crLfReadsLikeLf();
    void loneCrsAndControlCharacters_data();
    void loneCrsAndControlCharacters();
    void missingFileLeavesEverything();
    void shortFileKeepsWhatItLacks_data();
    void shortFileKeepsWhatItLacks();
    void overlongLineIsCutAndTheRestSkipped();
    void numbersThatAreNotNumbers();
    void readDataFileName();
    void failedWriteKeepsTheEarlierFile();
    void rewriteKeepsTheOtherLines();
    void rewriteWithoutFile();
    void colourValues();
    void fontSettings();

private:
    QString path() const { return m_folder->path(ConfigFileName); }
    std::unique_ptr<WorkFolderFixture> m_folder;
};

void TestConfigFile::init()
{
    m_folder = std::make_unique<WorkFolderFixture>();
    QVERIFY(m_folder->dir.isValid());
}

void TestConfigFile::cleanup()
{
    m_folder.reset();
}

void TestConfigFile::roundTrip_data()
{
    QTest::addColumn<int>("style");
    QTest::newRow("regular") << 0;
    QTest::newRow("bold") << 1;
    QTest::newRow("italic and strike-out, a line feed's code") << 10;
    QTest::newRow("bold underline strike-out, a carriage return's code") << 13;
    QTest::newRow("everything") << 15;
}

void TestConfigFile::roundTrip()
{
    QFETCH(int, style);
    QString error;
    QVERIFY2(WriteConfiguration(lines(), std::uint8_t(style), path(), &error), qPrintable(error));
    const QByteArray expected = QByteArray("Calls.dta\n.\n212\n555\nCourier\n255\n14\n") + char(style);
    QCOMPARE(TestRecords::readAll(path()), expected);

    Configuration config;
    QVERIFY(readConfigurationFile(path(), config));
    QCOMPARE(config.dataFile, QStringLiteral("Calls.dta"));
    QCOMPARE(config.phoneSeparator, QStringLiteral("."));
    QCOMPARE(config.defaultAreaCode, QStringLiteral("212"));
    QCOMPARE(config.defaultPrefix, QStringLiteral("555"));
    QCOMPARE(config.fontName, QStringLiteral("Courier"));
    QCOMPARE(config.fontColor, 255);
    QCOMPARE(config.fontSize, 14);
    QCOMPARE(int(config.fontStyle), style);
}

// The texts are written as they are, not the numbers made from them, so that
// a rewrite keeps a line it could not convert.
void TestConfigFile::writesTheTextsOfAConfiguration()
{
    Configuration config;
    config.dataFile = QStringLiteral("/data/Anrufe \u00fc.dta");
    config.phoneSeparator = QStringLiteral(":");
    config.defaultAreaCode = QStringLiteral("#1~");
    config.defaultPrefix = QStringLiteral("555");
    config.fontName = QStringLiteral("Liberation Serif");
    config.fontColorText = QStringLiteral("red");
    config.fontColor = 255;
    config.fontSizeText = QStringLiteral("14");
    config.fontSize = 12;
    config.fontStyle = 10;
    QString error;
    QVERIFY2(writeConfigurationFile(config, path(), &error), qPrintable(error));
    QCOMPARE(TestRecords::readAll(path()),
             QByteArray("/data/Anrufe \xc3\xbc.dta\n:\n#1~\n555\nLiberation Serif\nred\n14\n\n"));
}

void TestConfigFile::crLfReadsLikeLf()
{
    QVERIFY(TestRecords::writeAll(path(), "Calls.dta\r\n-\r\n###\r\n###\r\nArial\r\n-16777208\r\n12\r\n\x01"));
    Configuration crlf;
    QVERIFY(readConfigurationFile(path(), crlf));
    QVERIFY(TestRecords::writeAll(path(), "Calls.dta\n-\n###\n###\nArial\n-16777208\n12\n\x01"));
    Configuration lf;
    QVERIFY(readConfigurationFile(path(), lf));
    for (const Configuration *config : {&crlf, &lf}) {
        QCOMPARE(config->dataFile, QStringLiteral("Calls.dta"));
        QCOMPARE(config->phoneSeparator, QStringLiteral("-"));
        QCOMPARE(config->defaultAreaCode, QStringLiteral("###"));
        QCOMPARE(config->fontName, QStringLiteral("Arial"));
        QCOMPARE(config->fontColor, WindowTextColorValue);
        QCOMPARE(config->fontSize, 12);
        QCOMPARE(int(config->fontStyle), 1);
    }
    // Style 10 as a Windows text stream writes it: a CR LF pair.
    QVERIFY(TestRecords::writeAll(path(), "a.dta\r\n-\r\n###\r\n###\r\nArial\r\n0\r\n10\r\n\r\n"));
    Configuration windows;
    QVERIFY(readConfigurationFile(path(), windows));
    QCOMPARE(int(windows.fontStyle), 10);
}

void TestConfigFile::loneCrsAndControlCharacters_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("dataFile");
    QTest::addColumn<bool>("refused");
    QTest::addColumn<int>("fontSize");
    QTest::addColumn<int>("style");

    QTest::newRow("CR-only line ends") << QByteArray("Calls.dta\r-\r###\r###\rArial\r0\r12\r\x01") << "Calls.dta"
                                       << false << 12 << 1;
    QTest::newRow("CR-only, style byte of a line feed")
        << QByteArray("Calls.dta\r-\r###\r###\rArial\r0\r12\r\n") << "Calls.dta" << false << 12 << 10;
    QTest::newRow("mixed line ends") << QByteArray("Calls.dta\r\n-\r###\n###\rArial\r\n0\n14\r\x02") << "Calls.dta"
                                     << false << 14 << 2;
    QTest::newRow("NUL in the first line") << QByteArray("VNData\0.dta\n-\n###\n###\nArial\n0\n12\n\x01", 34)
                                           << "VNData.dta" << true << 12 << 1;
    QTest::newRow("tab in the first line") << QByteArray("Calls\t.dta\n-\n###\n###\nArial\n0\n12\n\x01")
                                           << "VNData.dta" << true << 12 << 1;
    QTest::newRow("escape in the first line") << QByteArray("Calls\x1b.dta\n-\n###\n###\nArial\n0\n12\n\x01")
                                              << "VNData.dta" << true << 12 << 1;
    QTest::newRow("CR inside the first line of an LF file")
        << QByteArray("My\rCalls.dta\n-\n###\n###\nArial\n0\n12\n\x01") << "VNData.dta" << true << 12 << 1;
    QTest::newRow("CR inside the first line, the file's last byte a line feed")
        << QByteArray("My\rCalls.dta\n-\n###\n###\nArial\n0\n12\n\n") << "VNData.dta" << true << 12 << 10;
}

// A configuration from another editor: every line is read from its own line,
// and a data file name no log can have is never used.
void TestConfigFile::loneCrsAndControlCharacters()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, dataFile);
    QFETCH(bool, refused);
    QFETCH(int, fontSize);
    QFETCH(int, style);
    QVERIFY(TestRecords::writeAll(path(), content));
    Configuration config;
    QVERIFY(readConfigurationFile(path(), config));
    QCOMPARE(config.dataFile, dataFile);
    QCOMPARE(config.dataFileRefused, refused);
    QCOMPARE(config.phoneSeparator, QStringLiteral("-"));
    QCOMPARE(config.fontName, QStringLiteral("Arial"));
    QCOMPARE(config.fontSize, fontSize);
    QCOMPARE(int(config.fontStyle), style);
    QString name = QStringLiteral("other.dta");
    ReadDataFileName(name, path());
    QCOMPARE(name, dataFile);
}

void TestConfigFile::missingFileLeavesEverything()
{
    Configuration config;
    config.defaultPrefix = QStringLiteral("777");
    QVERIFY(!readConfigurationFile(path(), config));
    QCOMPARE(config.defaultPrefix, QStringLiteral("777"));
    QCOMPARE(config.dataFile, QStringLiteral("VNData.dta"));
}

void TestConfigFile::shortFileKeepsWhatItLacks_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("fontName");
    QTest::addColumn<int>("fontSize");
    QTest::addColumn<int>("fontStyle");
    QTest::newRow("empty") << QByteArray() << "Arial" << 10 << 0;
    QTest::newRow("three lines") << QByteArray("x.dta\n-\n212\n") << "Arial" << 10 << 0;
    QTest::newRow("no style byte") << QByteArray("x.dta\n-\n212\n555\nCourier\n0\n20\n") << "Courier" << 20 << 0;
    QTest::newRow("last line without line feed") << QByteArray("x.dta\n-\n212\n555\nCourier\n0\n20") << "Courier" << 20
                                                 << 0;
}

void TestConfigFile::shortFileKeepsWhatItLacks()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, fontName);
    QFETCH(int, fontSize);
    QFETCH(int, fontStyle);
    QVERIFY(TestRecords::writeAll(path(), content));
    Configuration config;
    QVERIFY(readConfigurationFile(path(), config));
    QCOMPARE(config.fontName, fontName);
    QCOMPARE(config.fontSize, fontSize);
    QCOMPARE(int(config.fontStyle), fontStyle);
    QCOMPARE(config.defaultPrefix, content.contains("555") ? QStringLiteral("555") : QStringLiteral("###"));
}

void TestConfigFile::overlongLineIsCutAndTheRestSkipped()
{
    const QByteArray longName(1500, 'n');
    QVERIFY(TestRecords::writeAll(path(), longName + "\n--\n12345\n###\nArial\n0\n10\n\x02"));
    Configuration config;
    QVERIFY(readConfigurationFile(path(), config));
    QCOMPARE(config.dataFile.size(), 1023);
    // Each later setting still comes from its own line.
    QCOMPARE(config.phoneSeparator, QStringLiteral("--"));
    QCOMPARE(config.defaultAreaCode, QStringLiteral("1234"));
    QCOMPARE(config.defaultPrefix, QStringLiteral("###"));
    QCOMPARE(config.fontName, QStringLiteral("Arial"));
    QCOMPARE(int(config.fontStyle), 2);

    QString name;
    ReadDataFileName(name, path());
    QCOMPARE(name, QString(1023, QLatin1Char('n')));
}

void TestConfigFile::numbersThatAreNotNumbers()
{
    // The style byte after the seventh line is a real 0 byte.
    QVERIFY(TestRecords::writeConfiguration(path(), "x.dta\n-\n###\n###\nArial\nred\nbig\n"));
    Configuration config;
    config.fontSize = 33;
    config.fontStyle = 5;
    QVERIFY(readConfigurationFile(path(), config));
    QCOMPARE(config.fontColor, 0);
    QCOMPARE(config.fontSize, 0);
    QCOMPARE(int(config.fontStyle), 0);
}

void TestConfigFile::readDataFileName()
{
    QString name = QStringLiteral("other.dta");
    ReadDataFileName(name, path());
    QCOMPARE(name, QStringLiteral("VNData.dta"));
    QVERIFY(TestRecords::writeAll(path(), "/home/me/calls 2026.dta\r\nrest"));
    ReadDataFileName(name, path());
    QCOMPARE(name, QStringLiteral("/home/me/calls 2026.dta"));
    QVERIFY(TestRecords::writeAll(path(), QByteArray()));
    ReadDataFileName(name, path());
    QCOMPARE(name, QStringLiteral("/home/me/calls 2026.dta"));
}

void TestConfigFile::failedWriteKeepsTheEarlierFile()
{
    QVERIFY(WriteConfiguration(lines(), 0, path()));
    const QByteArray earlier = TestRecords::readAll(path());
    // A folder where the temporary file would go makes the write fail.
    const QString blocked = m_folder->path(QStringLiteral("sub/VNConfig.cfg"));
    QString error;
    QVERIFY(!WriteConfiguration(lines(QStringLiteral("New.dta")), 0, blocked, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(QDir(m_folder->dir.path()).mkdir(QStringLiteral("asdir")));
    QVERIFY(!WriteConfiguration(lines(QStringLiteral("New.dta")), 0, m_folder->path(QStringLiteral("asdir"))));
    QCOMPARE(TestRecords::readAll(path()), earlier);
}

void TestConfigFile::rewriteKeepsTheOtherLines()
{
    QVERIFY(WriteConfiguration(lines(), 10, path()));
    Configuration current;
    QCOMPARE(rewriteDataFileLine(QStringLiteral("/data/ünï.dta"), current, path()), RewriteResult::Rewritten);
    QCOMPARE(TestRecords::readAll(path()),
             QByteArray("/data/\xc3\xbcn\xc3\xaf.dta\n.\n212\n555\nCourier\n255\n14\n\n"));
    // Lines the file lacks take the values in use.
    QVERIFY(TestRecords::writeAll(path(), "old.dta\n:\n"));
    current.fontName = QStringLiteral("Verdana");
    current.fontStyle = 4;
    QCOMPARE(rewriteDataFileLine(QStringLiteral("b.dta"), current, path()), RewriteResult::Rewritten);
    QCOMPARE(TestRecords::readAll(path()), QByteArray("b.dta\n:\n###\n###\nVerdana\n0\n10\n\x04"));
}

void TestConfigFile::rewriteWithoutFile()
{
    QCOMPARE(rewriteDataFileLine(QStringLiteral("b.dta"), Configuration(), path()), RewriteResult::ConfigMissing);
    QVERIFY(!QFile::exists(path()));
}

void TestConfigFile::colourValues()
{
    QCOMPARE(colorFromValue(255), QColor(255, 0, 0));
    QCOMPARE(colorFromValue(0), QColor(0, 0, 0));
    QCOMPARE(colorFromValue(0x00FF8000), QColor(0, 0x80, 0xFF));
    QCOMPARE(colorFromValue(WindowTextColorValue), QGuiApplication::palette().color(QPalette::WindowText));
    QCOMPARE(valueFromRgb(QColor(255, 0, 0)), 255);
    QCOMPARE(valueFromRgb(QColor(0, 0x80, 0xFF)), 0x00FF8000);
    QCOMPARE(colorFromValue(valueFromRgb(QColor(12, 34, 56))), QColor(12, 34, 56));
}

void TestConfigFile::fontSettings()
{
    for (int style = 0; style <= 15; ++style) {
        QFont font;
        applyFontSettings(font, QStringLiteral("Courier"), 14, std::uint8_t(style));
        QCOMPARE(int(styleFromFont(font)), style);
        QCOMPARE(font.pointSize(), 14);
        QCOMPARE(font.family(), QStringLiteral("Courier"));
    }
    QFont font;
    font.setPointSize(9);
    applyFontSettings(font, QStringLiteral("Arial"), 0, 0);
    QCOMPARE(font.pointSize(), 9);
}

QTEST_MAIN(TestConfigFile)
#include "tst_configfile.moc"
