#include "callrecord.h"
#include "callentry.h"
#include "datafile.h"
#include "testrecords.h"

#include <QtTest>

class TestCallRecord : public QObject
{
    Q_OBJECT

private slots:
    void layout_data();
    void layout();
    void textStopsAtTerminatorOrFieldEnd();
    void setTextKeepsTheTerminator();
    void hashOfTheWorkedExample();
    void onlyHashedFieldsAreChecked_data();
    void onlyHashedFieldsAreChecked();
    void uppercaseHashFails();
    void everyHashDigitIsCompared_data();
    void everyHashDigitIsCompared();
    void hashBytesMatchTheHashText_data();
    void hashBytesMatchTheHashText();
    void loneSurrogateHashedByEarlierVersionsStillVerifies();
    void pairCutByTheFieldsEndIsLeftOutWhole();
    void fullCompanyAndNotesVerify();
    void textToInt_data();
    void textToInt();
    void recordLetters_data();
    void recordLetters();
    void entryIntoRecord_data();
    void entryIntoRecord();
};

void TestCallRecord::layout_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("bytes");
    const struct
    {
        const char *name;
        CallRecord::Field field;
        int offset, bytes;
    } rows[] = {
        {"type", CallRecord::Type, 0, 4},          {"recordNumber", CallRecord::RecordNumber, 4, 30},
        {"date", CallRecord::Date, 34, 24},        {"time", CallRecord::Time, 58, 20},
        {"phone", CallRecord::Phone, 78, 28},      {"name", CallRecord::Name, 106, 150},
        {"company", CallRecord::Company, 256, 100}, {"notes", CallRecord::Notes, 356, 400},
        {"status", CallRecord::Status, 756, 6},    {"hash", CallRecord::Hash, 762, 140},
        {"savedAt", CallRecord::SavedAt, 902, 30}, {"spare1", CallRecord::Spare1, 932, 30},
        {"spare2", CallRecord::Spare2, 962, 30},
    };
    for (const auto &row : rows)
        QTest::newRow(row.name) << int(row.field) << row.offset << row.bytes;
}

void TestCallRecord::layout()
{
    QFETCH(int, field);
    QFETCH(int, offset);
    QFETCH(int, bytes);
    const auto f = CallRecord::Field(field);
    QCOMPARE(CallRecord::offset(f), offset);
    QCOMPARE(2 * CallRecord::width(f), bytes);

    // A full field: every character but the last is text, little-endian, then one NUL.
    CallRecord record;
    record.bytes.fill(0xEE);
    const QString full(CallRecord::capacity(f), QChar(0x0141)); // Ł: 0x41 0x01 in little-endian
    record.setText(f, full);
    for (int i = 0; i < CallRecord::capacity(f); ++i) {
        QCOMPARE(record.bytes[size_t(offset + 2 * i)], 0x41);
        QCOMPARE(record.bytes[size_t(offset + 2 * i + 1)], 0x01);
    }
    QCOMPARE(record.bytes[size_t(offset + bytes - 2)], 0);
    QCOMPARE(record.bytes[size_t(offset + bytes - 1)], 0);
    // Neighbouring bytes are untouched.
    if (offset > 0)
        QCOMPARE(record.bytes[size_t(offset - 1)], 0xEE);
    if (offset + bytes < RecordSize)
        QCOMPARE(record.bytes[size_t(offset + bytes)], 0xEE);
    QCOMPARE(record.text(f), full);
}

void TestCallRecord::textStopsAtTerminatorOrFieldEnd()
{
    CallRecord record;
    record.setText(CallRecord::Phone, QStringLiteral("555"));
    // Bytes after the terminator are not part of the text.
    record.bytes[size_t(CallRecord::offset(CallRecord::Phone) + 10)] = 'Z';
    QCOMPARE(record.text(CallRecord::Phone), QStringLiteral("555"));

    // A field without any NUL is read to its end, not into the next field.
    const int offset = CallRecord::offset(CallRecord::Type);
    record.bytes[size_t(offset)] = 'A';
    record.bytes[size_t(offset + 2)] = 'B';
    record.setText(CallRecord::RecordNumber, QStringLiteral("9"));
    QCOMPARE(record.text(CallRecord::Type), QStringLiteral("AB"));
}

void TestCallRecord::setTextKeepsTheTerminator()
{
    CallRecord record;
    record.setText(CallRecord::Type, QStringLiteral("IOM"));
    QCOMPARE(record.text(CallRecord::Type), QStringLiteral("I"));
    record.setText(CallRecord::Notes, QStringLiteral("a long note"));
    record.setText(CallRecord::Notes, QStringLiteral("b"));
    QCOMPARE(record.text(CallRecord::Notes), QStringLiteral("b"));
    // A shorter text leaves zeros behind it, not the rest of the older one.
    QCOMPARE(record.bytes[size_t(CallRecord::offset(CallRecord::Notes) + 4)], 0);
}

void TestCallRecord::hashOfTheWorkedExample()
{
    TestRecords::Entry entry;
    entry.type = QStringLiteral("O");
    entry.date = QStringLiteral("6/14/2024");
    entry.time = QStringLiteral("09:30AM");
    entry.notes = QStringLiteral("Call back");
    const CallRecord record = TestRecords::make(3, entry);
    const QString expectedInput = QString::fromUtf8(
        "3\u00acO\u00ac6/14/2024\u00ac09:30AM\u00ac555-123-4567\u00acAnn Lee\u00acAcme\u00acCall back\u00ac1718357400\u00acO\n");
    QCOMPARE(record.hashInput(), expectedInput);
    // Digest of the same UTF-8 bytes computed with sha256sum.
    QCOMPARE(record.computeHash(), QStringLiteral("219ec5e2887c24e8b23a7fdba7494e8c8935dc9e0e222c70a01f67301cb2dee1"));
}

void TestCallRecord::onlyHashedFieldsAreChecked_data()
{
    QTest::addColumn<int>("field");
    QTest::addColumn<bool>("detected");
    QTest::newRow("recordNumber") << int(CallRecord::RecordNumber) << true;
    QTest::newRow("type") << int(CallRecord::Type) << true;
    QTest::newRow("date") << int(CallRecord::Date) << true;
    QTest::newRow("time") << int(CallRecord::Time) << true;
    QTest::newRow("phone") << int(CallRecord::Phone) << true;
    QTest::newRow("name") << int(CallRecord::Name) << true;
    QTest::newRow("company") << int(CallRecord::Company) << true;
    QTest::newRow("notes") << int(CallRecord::Notes) << true;
    QTest::newRow("savedAt") << int(CallRecord::SavedAt) << true;
    QTest::newRow("status") << int(CallRecord::Status) << true;
    QTest::newRow("hash") << int(CallRecord::Hash) << true;
    QTest::newRow("spare1") << int(CallRecord::Spare1) << false;
    QTest::newRow("spare2") << int(CallRecord::Spare2) << false;
}

void TestCallRecord::onlyHashedFieldsAreChecked()
{
    QFETCH(int, field);
    QFETCH(bool, detected);
    CallRecord record = TestRecords::make(1);
    record.setText(CallRecord::Hash, record.computeHash());
    QVERIFY(record.verify());
    // One character changed, as a hex editor would.
    const size_t at = size_t(CallRecord::offset(CallRecord::Field(field)));
    record.bytes[at] = record.bytes[at] == '1' ? '2' : '1';
    QCOMPARE(!record.verify(), detected);
}

void TestCallRecord::uppercaseHashFails()
{
    CallRecord record = TestRecords::make(2);
    record.setText(CallRecord::Hash, record.computeHash().toUpper());
    QVERIFY(!record.verify());
    record.setText(CallRecord::Hash, record.computeHash());
    QVERIFY(record.verify());
}

void TestCallRecord::everyHashDigitIsCompared_data()
{
    QTest::addColumn<int>("digit");
    QTest::newRow("first digit") << 0;
    QTest::newRow("a middle digit") << 31;
    QTest::newRow("last digit") << 63;
    QTest::newRow("a 65th digit in place of the terminator") << 64;
}

// One stored digit differs: the record fails, alone or among others, on any
// number of threads.
void TestCallRecord::everyHashDigitIsCompared()
{
    QFETCH(int, digit);
    std::vector<CallRecord> records;
    for (int n = 1; n <= 600; ++n) {
        records.push_back(TestRecords::make(n));
        records.back().setText(CallRecord::Hash, records.back().computeHash());
    }
    CallRecord &altered = records[407];
    const size_t at = size_t(CallRecord::offset(CallRecord::Hash) + 2 * digit);
    altered.bytes[at] = altered.bytes[at] == '0' ? '1' : '0';
    QVERIFY(!altered.verify());
    for (int threads : {1, 2, 5})
        QCOMPARE(DataFile::failingRecords(records.data(), qint64(records.size()), threads), std::vector<qint64>{407});
}

void TestCallRecord::hashBytesMatchTheHashText_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("fillEveryField"); // no field then holds a terminator
    QTest::newRow("ascii") << "Ann Lee" << false;
    QTest::newRow("accents and euro") << QString::fromUtf8("Zoë Müller €") << false;
    QTest::newRow("surrogate pair") << QString::fromUtf8("call \U0001F4DE") << false;
    QTest::newRow("lone surrogate") << QString(QChar(0xD800)) + QStringLiteral("x") << false;
    QTest::newRow("every field full, no terminators") << "n" << true;
}

void TestCallRecord::hashBytesMatchTheHashText()
{
    QFETCH(QString, name);
    QFETCH(bool, fillEveryField);
    CallRecord record = TestRecords::make(5);
    record.setText(CallRecord::Name, name);
    if (fillEveryField)
        record.bytes.fill(0x31); // '1' in every byte: no field has a terminator
    // A surrogate without its partner is read as U+FFFD, as every Unicode reader reads it.
    QString expected = record.hashInput();
    for (int i = 0; i < expected.size(); ++i) {
        if (expected.at(i).isHighSurrogate() && i + 1 < expected.size() && expected.at(i + 1).isLowSurrogate())
            ++i;
        else if (expected.at(i).isSurrogate())
            expected[i] = QChar::ReplacementCharacter;
    }
    QCOMPARE(record.hashInputUtf8(), expected.toUtf8());
    QCOMPARE(record.computeHash(), sha256Hex(expected));
    record.setText(CallRecord::Hash, record.computeHash());
    QVERIFY(record.verify());
}

void TestCallRecord::loneSurrogateHashedByEarlierVersionsStillVerifies()
{
    CallRecord record = TestRecords::make(5);
    record.setText(CallRecord::Name, QString(73, QLatin1Char('A')) + QChar(0xD83D));
    QString earlier = record.hashInput();
    earlier.replace(QChar(0xD83D), QLatin1Char('?'));
    record.setText(CallRecord::Hash, sha256Hex(earlier));
    QVERIFY(record.verify());
    // Altered since, it fails as any altered record does.
    record.setText(CallRecord::Company, QStringLiteral("Other"));
    QVERIFY(!record.verify());
}

void TestCallRecord::pairCutByTheFieldsEndIsLeftOutWhole()
{
    CallRecord record;
    record.setText(CallRecord::Name, QString(73, QLatin1Char('A')) + QString::fromUtf8("\U0001F600"));
    QCOMPARE(record.text(CallRecord::Name), QString(73, QLatin1Char('A')));
    record.setText(CallRecord::Name, QString(72, QLatin1Char('A')) + QString::fromUtf8("\U0001F600"));
    QCOMPARE(record.text(CallRecord::Name), QString(72, QLatin1Char('A')) + QString::fromUtf8("\U0001F600"));
}

void TestCallRecord::fullCompanyAndNotesVerify()
{
    TestRecords::Entry entry;
    entry.company = QString(49, QLatin1Char('c'));
    entry.notes = QString(198, QLatin1Char('n')) + QChar(0x20AC);
    CallRecord record = TestRecords::make(4, entry);
    record.setText(CallRecord::Hash, record.computeHash());
    QCOMPARE(record.text(CallRecord::Company), entry.company);
    QCOMPARE(record.text(CallRecord::Notes), entry.notes);
    QVERIFY(record.verify());
}

void TestCallRecord::textToInt_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("value");
    QTest::newRow("digits") << "42" << 42;
    QTest::newRow("leading blanks and sign") << "  -17x" << -17;
    QTest::newRow("plus") << "+8" << 8;
    QTest::newRow("trailing text") << "12ab" << 12;
    QTest::newRow("no digits") << "abc" << 0;
    QTest::newRow("empty") << "" << 0;
    QTest::newRow("sign only") << "-" << 0;
    QTest::newRow("blank inside") << "1 2" << 1;
    QTest::newRow("window text colour") << "-16777208" << -16777208;
    QTest::newRow("largest") << "2147483647" << 2147483647;
    QTest::newRow("clamped high") << "99999999999999" << 2147483647;
    QTest::newRow("clamped low") << "-99999999999999" << int(-2147483647 - 1);
}

void TestCallRecord::textToInt()
{
    QFETCH(QString, text);
    QFETCH(int, value);
    QCOMPARE(::textToInt(text), value);
}

void TestCallRecord::recordLetters_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("type");   // CallType the type field reads as
    QTest::addColumn<int>("status"); // RecordStatus the status field reads as
    QTest::newRow("I") << "I" << int(CallType::In) << int(RecordStatus::Unknown);
    QTest::newRow("O") << "O" << int(CallType::Out) << int(RecordStatus::Original);
    QTest::newRow("M") << "M" << int(CallType::Message) << int(RecordStatus::Unknown);
    QTest::newRow("E") << "E" << int(CallType::None) << int(RecordStatus::Edited);
    QTest::newRow("X") << "X" << int(CallType::None) << int(RecordStatus::Compromised);
    QTest::newRow("+") << "+" << int(CallType::None) << int(RecordStatus::Unsaved);
    QTest::newRow("lowercase") << "o" << int(CallType::None) << int(RecordStatus::Unknown);
    QTest::newRow("two letters") << "OO" << int(CallType::None) << int(RecordStatus::Unknown);
    QTest::newRow("empty") << "" << int(CallType::None) << int(RecordStatus::Unknown);
}

void TestCallRecord::recordLetters()
{
    QFETCH(QString, stored);
    QFETCH(int, type);
    QFETCH(int, status);
    QCOMPARE(int(callTypeOf(stored)), type);
    QCOMPARE(int(statusOf(stored)), status);
    // What reads as a letter is written back as the same letter.
    if (type != int(CallType::None))
        QCOMPARE(QString(QChar(letterOf(CallType(type)))), stored);
    CallRecord record;
    record.setText(CallRecord::Status, stored);
    QCOMPARE(int(statusOf(record)), status);
    if (status != int(RecordStatus::Unknown)) {
        setStatus(record, RecordStatus(status));
        QCOMPARE(record.text(CallRecord::Status), stored);
    }
}

void TestCallRecord::entryIntoRecord_data()
{
    QTest::addColumn<int>("save");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("typeLetter");
    QTest::addColumn<QString>("status");
    QTest::addColumn<QString>("savedAt");
    QTest::newRow("new call in") << int(CallEntry::Save::New) << int(CallType::In) << "I" << "O" << "1767225600";
    QTest::newRow("new message") << int(CallEntry::Save::New) << int(CallType::Message) << "M" << "O"
                                 << "1767225600";
    // An edit keeps the time of the first save.
    QTest::newRow("edited call out") << int(CallEntry::Save::Edit) << int(CallType::Out) << "O" << "E"
                                     << "1700000000";
    QTest::newRow("no type chosen") << int(CallEntry::Save::Edit) << int(CallType::None) << "X" << "E"
                                    << "1700000000";
}

void TestCallRecord::entryIntoRecord()
{
    QFETCH(int, save);
    QFETCH(int, type);
    QFETCH(QString, typeLetter);
    QFETCH(QString, status);
    QFETCH(QString, savedAt);
    // The buffer as a shown record leaves it: an earlier number, hash and first save.
    CallRecord record = TestRecords::make(9);
    record.setText(CallRecord::SavedAt, QStringLiteral("1700000000"));
    record.setText(CallRecord::Hash, record.computeHash());
    const QString hash = record.text(CallRecord::Hash);

    CallEntry entry;
    entry.type = CallType(type);
    entry.date = QStringLiteral("3/7/2026");
    entry.time = QStringLiteral("3:25PM");
    entry.phone = QStringLiteral("800-555-0199");
    entry.name = QStringLiteral("Dana Cole");
    entry.company = QString();
    entry.notes = QStringLiteral("line one\nline two");
    entry.fillRecord(record, CallEntry::Save(save), 4, 1767225600);

    QCOMPARE(record.text(CallRecord::Type), typeLetter);
    QCOMPARE(record.text(CallRecord::Status), status);
    QCOMPARE(record.text(CallRecord::RecordNumber), QStringLiteral("4"));
    QCOMPARE(record.text(CallRecord::SavedAt), savedAt);
    // A field the entry leaves empty holds nothing of the earlier record.
    QCOMPARE(record.text(CallRecord::Company), QString());
    QCOMPARE(record.text(CallRecord::Hash), hash);
    QCOMPARE(record.text(CallRecord::Spare1), QStringLiteral("1001"));

    const CallEntry back = CallEntry::fromRecord(record);
    QCOMPARE(int(back.type), type);
    QCOMPARE(back.date, entry.date);
    QCOMPARE(back.time, entry.time);
    QCOMPARE(back.phone, entry.phone);
    QCOMPARE(back.name, entry.name);
    QCOMPARE(back.notes, entry.notes);
}

QTEST_GUILESS_MAIN(TestCallRecord)
#include "tst_callrecord.moc"
