// A configuration file that cannot be read, holds garbage, or comes from
// another editor: the window starts with what it can use and still saves.

#include "faultfixture.h"

using namespace FaultFixture;

class TestConfigFaults : public QObject
{
    Q_OBJECT

private slots:
    void unreadableConfiguration_data();
    void unreadableConfiguration();
    void garbageConfiguration_data();
    void garbageConfiguration();
    void configurationFromAnotherEditor_data();
    void configurationFromAnotherEditor();
};

void TestConfigFaults::unreadableConfiguration_data()
{
    QTest::addColumn<bool>("folder");
    QTest::newRow("a folder in its place") << true;
    QTest::newRow("no read permission") << false;
}

void TestConfigFaults::unreadableConfiguration()
{
    QFETCH(bool, folder);
    MainWindowFixture f;
    const QString config = f.path(QStringLiteral("VNConfig.cfg"));
    if (folder)
        QVERIFY(QDir().mkdir(config));
    else
        QVERIFY(TestRecords::writeConfiguration(config, "Other.dta\n.\n212\n###\nArial\n0\n10\n"));
    PermissionGuard open(f.dir.path(), 0777);
    PermissionGuard closed(config, folder ? 0755 : 0000);
    {
        AsOrdinaryUser user;
        if (!user.ok())
            QSKIP("cannot take an ordinary user's rights here");
        f.open();
    }
    TMainForm *w = f.window.get();
    QCOMPARE(f.message(), QStringLiteral("Configuration missing - using Default"));
    QCOMPARE(f.indicator(), lime);
    QCOMPARE(w->state().DataFileName, QStringLiteral("VNData.dta"));
    QCOMPARE(w->state().configuration.phoneSeparator, QStringLiteral("-"));
    typeEntry(w);
    F::key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.indicator(), lime);
    QCOMPARE(DataFile::findRecordCount(f.dataFile()), 1);
}

void TestConfigFaults::garbageConfiguration_data()
{
    QTest::addColumn<QByteArray>("content");

    QTest::newRow("random bytes") << garbage(600, 1);
    QTest::newRow("random bytes, no line feed") << garbage(5000, 2).replace('\n', 'x');
    QTest::newRow("NULs") << QByteArray(300, '\0');
    QTest::newRow("0xFF") << QByteArray(300, '\xff');
    QTest::newRow("empty lines") << QByteArray(7, '\n') + '\x0f';
    QTest::newRow("one overlong line") << QByteArray(200000, 'A');
    QTest::newRow("numbers out of range") << QByteArray("VNData.dta\n\n\n\nArial\n-2147483649\n99999999999\n\xff");
    QTest::newRow("half a UTF-8 character") << QByteArray("VNData.dt\xc3\n\xe2\x82\n###\n###\nAri\xf0\x9f\n0\n10\n");
}

void TestConfigFaults::garbageConfiguration()
{
    QFETCH(QByteArray, content);
    MainWindowFixture f;
    QVERIFY(TestRecords::writeAll(f.path(QStringLiteral("VNConfig.cfg")), content));
    QElapsedTimer clock;
    clock.start();
    TMainForm *w = f.open();
    QVERIFY(clock.elapsed() < CommandLimitMs);
    QVERIFY(w->isVisible());
    QCOMPARE(f.indicator(), lime);
    // A name the system cannot give a file is said at once, and the default log is used.
    if (w->state().DataFileName == DefaultDataFileName && !content.startsWith("VNData.dta"))
        QVERIFY2(f.message().endsWith(QStringLiteral("- using VNData.dta")), qPrintable(f.message()));

    // The window still takes an entry: it lands in whatever file the settings
    // name, or the save says it could not.
    typeEntry(w);
    F::key(Qt::Key_S, Qt::ControlModifier);
    if (f.indicator() == lime) {
        CallRecord stored;
        QCOMPARE(DataFile::readRecord(w->state().DataFileName, 1, stored), DataFile::ReadResult::Ok);
        QVERIFY(stored.verify());
        QCOMPARE(stored.text(CallRecord::Name), QStringLiteral("Ann Lee"));
    } else {
        QCOMPARE(f.message(), OpenError);
    }
}

void TestConfigFaults::configurationFromAnotherEditor_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("dataFile");
    QTest::addColumn<QString>("message");
    QTest::newRow("NUL in the first line") << QByteArray("Calls\0.dta\n-\n###\n###\nArial\n0\n10\n\0", 33)
                                           << "VNData.dta" << "VNConfig.cfg: data file name refused - using VNData.dta";
    QTest::newRow("CR-only line ends") << QByteArray("Calls.dta\r-\r###\r###\rArial\r0\r10\r\0", 32) << "Calls.dta"
                                       << QString();
}

// The records go to the log the settings name, or, where the name is not
// one a log can have, to the default; never to a file named by part of a line.
void TestConfigFaults::configurationFromAnotherEditor()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, dataFile);
    QFETCH(QString, message);
    MainWindowFixture f;
    QVERIFY(TestRecords::writeAll(f.path(QStringLiteral("VNConfig.cfg")), content));
    TMainForm *w = f.open();
    QCOMPARE(w->state().DataFileName, dataFile);
    QCOMPARE(f.message(), message);
    typeEntry(w);
    F::key(Qt::Key_S, Qt::ControlModifier);
    QCOMPARE(f.indicator(), lime);
    QCOMPARE(DataFile::findRecordCount(f.path(dataFile)), 1);
    QStringList expected = {QStringLiteral("VNConfig.cfg"), dataFile, dataFile + QStringLiteral(".lock")};
    expected.sort();
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files), expected);
}

QTEST_MAIN(TestConfigFaults)
#include "tst_configfaults.moc"
