#include "childprocess.h"
#include "csvexport.h"
#include "csvimport.h"
#include "datafile.h"
#include "entryrules.h"
#include "platform.h"
#include "testrecords.h"
#include "vcard.h"

#include <QElapsedTimer>
#include <QStringEncoder>
#include <QtTest>

#include <sys/resource.h>

using TestRecords::readAll;

Q_DECLARE_METATYPE(Configuration)

namespace {

const QDateTime Now(QDate(2025, 3, 7), QTime(15, 25, 10), Qt::UTC);

// An optimised build is held to the speed goals; a debug or sanitizer build
// only has to finish in reasonable time.
#if defined(NDEBUG) && !defined(__SANITIZE_ADDRESS__)
constexpr int SlowBuild = 1;
#else
constexpr int SlowBuild = 10;
#endif
const QByteArray Heading = "Date,Time,Phone,Name,Company,Notes\n";

Configuration configuration(const QString &separator, const QString &areaCode, const QString &prefix)
{
    Configuration config;
    config.phoneSeparator = separator;
    config.defaultAreaCode = areaCode;
    config.defaultPrefix = prefix;
    return config;
}

// Entries as the log-entry window makes them from varied typing: every form
// the date, time and phone rules take, and texts that need quoting in CSV.
std::vector<CallEntry> typedEntries(int count, const Configuration &config)
{
    const QStringList dates = {"12/25/2024", "1/5/2024", "1/25/2024", "12/5/2024", "12/25/24",
                               "01/05/24",   "12/25/202", "02/31/2024", "1234/56/78", "3/7/2026"};
    const QStringList times = {"0930", "1430", "1230", "0005", "14:30", "09:15", "9:30pm", "1:3012", "12:30pm",
                               "09:30am", "12:75PM", "0000", "2359", "12:30P"};
    const QStringList phones = {"", "1234", "5551234", "555" + config.phoneSeparator.left(1) + "1234", "8005551234",
                                "800555512345", "Unknown", "Phone Number"};
    const QStringList names = {"", "Ann Lee", "O'Brien, Pat", "\"Doc\" Holliday", "Zoë Ångström", "李小龍",
                               "=HYPERLINK(\"http://x\")", "+44 fan", "-dash", "@handle", " leading blank",
                               "trailing blank ", QString(74, 'N'), "a😀b", "Enter Name"};
    const QStringList companies = {"", "Acme", "Stone & Sons; Ltd", QString(49, 'C'), "Comma, Inc.", "Enter Business"};
    const QStringList notes = {"", "Call back", "line one\nline two", "quote \" inside", "tab\there",
                               QString(199, 'n'), "no-break\u00A0space", "a,b,c", "\r\nCRLF inside", " "};
    const QString now = EntryRules::currentTimeText(Now.time());
    std::vector<CallEntry> entries;
    for (int i = 0; i < count; ++i) {
        CallEntry e;
        e.type = CallType(i % 4);
        e.date = EntryRules::normalizeDate(dates.at(i % dates.size()), "3/7/2025").text;
        e.time = EntryRules::normalizeTime(times.at(i * 5 % times.size()), now).text;
        e.phone = EntryRules::normalizePhone(phones.at(i * 5 % phones.size()), config.phoneSeparator,
                                             config.defaultAreaCode, config.defaultPrefix)
                      .text;
        e.name = names.at(i * 7 % names.size());
        if (e.name.isEmpty() || e.name == "Enter Name")
            e.name = "Unknown Caller";
        e.company = companies.at(i * 11 % companies.size());
        if (e.company.isEmpty() || e.company == "Enter Business")
            e.company = "Unknown";
        e.notes = notes.at(i * 13 % notes.size());
        entries.push_back(e);
    }
    return entries;
}

std::vector<CallRecord> recordsOf(const std::vector<CallEntry> &entries)
{
    std::vector<CallRecord> records(entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        entries[i].fillRecord(records[i], CallEntry::Save::New, qint64(i) + 1, 1700000000 + qint64(i));
        records[i].setText(CallRecord::Spare1, "1001");
        records[i].setText(CallRecord::Spare2, "1002");
    }
    return records;
}

QStringList fieldsOf(const CallEntry &e)
{
    return {QString(QChar(letterOf(e.type))), e.date, e.time, e.phone, e.name, e.company, e.notes};
}

QString refusals(const CsvImport::Preview &preview)
{
    QStringList lines;
    for (const CsvImport::Refused &refused : preview.refused)
        lines.append(QString::number(refused.line) + ": " + refused.reason);
    return lines.join('|');
}

} // namespace

class TestImport : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void exportImportRoundTrip_data();
    void exportImportRoundTrip();
    void readsEncodingsAndDelimiters_data();
    void readsEncodingsAndDelimiters();
    void badInputIsRefusedClearly_data();
    void badInputIsRefusedClearly();
    void guessesColumns_data();
    void guessesColumns();
    void commitIsAllOrNothing_data();
    void commitIsAllOrNothing();
    void tenThousandRowsInTwoSeconds();
    void vcards_data();
    void vcards();
    void fiveThousandContactsParseFast();

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestImport::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestImport::exportImportRoundTrip_data()
{
    QTest::addColumn<Configuration>("config");
    QTest::newRow("built-in settings") << configuration("-", "###", "###");
    QTest::newRow("area code 212, separator '.'") << configuration(".", "212", "555");
}

// Every field of every record comes back from the CSV export exactly.
void TestImport::exportImportRoundTrip()
{
    QFETCH(Configuration, config);
    const std::vector<CallEntry> entries = typedEntries(300, config);
    std::vector<CallRecord> records = recordsOf(entries);
    QCOMPARE(DataFile::storeMany(path("VNData.dta"), records), DataFile::WriteResult::Written);
    QVERIFY(CsvExport::writeLog(path("VNData.dta"), path("calls.csv")).written);

    const CsvImport::Source source = CsvImport::read(path("calls.csv"));
    QVERIFY2(source.table.error.isEmpty(), qPrintable(source.table.error));
    QVERIFY(source.ownExport);
    const CsvImport::Preview preview = CsvImport::preview(source, source.columns, config, Now);
    QCOMPARE(refusals(preview), QString());
    const CsvImport::Committed committed = CsvImport::commit(path("Imported.dta"), preview.accepted, Now);
    QVERIFY2(committed.ok(), qPrintable(committed.message));
    QCOMPARE(committed.message, QStringLiteral("Imported 300 calls as records 1 to 300"));

    std::vector<CallRecord> imported;
    QVERIFY(DataFile::scanRecords(path("Imported.dta"), DataFile::ScanMode::Unchecked, imported));
    QCOMPARE(imported.size(), entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const CallRecord &record = imported[i];
        QCOMPARE(fieldsOf(CallEntry::fromRecord(record)), fieldsOf(entries[i]));
        QVERIFY(record.verify());
        QCOMPARE(record.number(), int(i) + 1);
        QCOMPARE(record.text(CallRecord::Status), QStringLiteral("O"));
        QCOMPARE(qint64(record.savedAtSeconds()), Now.toSecsSinceEpoch());
        QCOMPARE(record.text(CallRecord::Spare1), QStringLiteral("1001"));
    }
    // Formula-looking names are imported as they are, and said so.
    QVERIFY(std::any_of(preview.accepted.begin(), preview.accepted.end(), [](const CsvImport::Accepted &a) {
        return a.entry.name.startsWith('=') && a.notes.join(' ').contains("Name starts with \"=\"");
    }));
}

void TestImport::readsEncodingsAndDelimiters_data()
{
    QTest::addColumn<QString>("encoding");
    QTest::addColumn<QString>("delimiter");
    QTest::addColumn<QString>("lineEnd");
    QTest::newRow("UTF-8, comma, LF") << "UTF-8" << "," << "\n";
    QTest::newRow("UTF-8 with BOM, semicolon, CR LF") << "UTF-8 BOM" << ";" << "\r\n";
    QTest::newRow("UTF-16LE, comma, CR LF") << "UTF-16LE" << "," << "\r\n";
    QTest::newRow("UTF-16BE, semicolon, LF") << "UTF-16BE" << ";" << "\n";
}

void TestImport::readsEncodingsAndDelimiters()
{
    QFETCH(QString, encoding);
    QFETCH(QString, delimiter);
    QFETCH(QString, lineEnd);
    QString text = "Date,Time,Phone,Name,Company,Notes\n"
                   "2024-06-14,14:05,8005551234,\"Lee; Ann\",Café,\"two\nlines\"\n"
                   "6/15/2024,12:30,5551234,Bob,,\n";
    text.replace(',', delimiter).replace('\n', lineEnd);
    QByteArray bytes;
    if (encoding.startsWith("UTF-8"))
        bytes = (encoding.endsWith("BOM") ? QByteArray("\xEF\xBB\xBF") : QByteArray()) + text.toUtf8();
    else
        bytes = QStringEncoder(encoding == "UTF-16LE" ? QStringEncoder::Utf16LE : QStringEncoder::Utf16BE,
                               QStringEncoder::Flag::WriteBom)(text);

    const CsvImport::Source source = CsvImport::fromBytes(bytes);
    QCOMPARE(source.table.error, QString());
    QCOMPARE(source.table.encoding, encoding.left(encoding.startsWith("UTF-8") ? 5 : 8));
    QCOMPARE(source.table.delimiter, delimiter.at(0));
    const CsvImport::Preview preview = CsvImport::preview(source, source.columns, Configuration(), Now);
    QCOMPARE(refusals(preview), QString());
    QCOMPARE(preview.accepted.size(), size_t(2));
    QCOMPARE(fieldsOf(preview.accepted[0].entry),
             QStringList({"I", "06/14/2024", " 2:05PM", "800-555-1234", "Lee; Ann", "Café", "two" + lineEnd + "lines"}));
    QCOMPARE(fieldsOf(preview.accepted[1].entry),
             QStringList({"I", "06/15/2024", "12:30PM", "###-555-1234", "Bob", "Unknown", ""}));
    QCOMPARE(preview.accepted[1].line, 4);
}

void TestImport::badInputIsRefusedClearly_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("fileError");
    QTest::addColumn<QString>("refused");
    QTest::addColumn<int>("accepted");
    const QByteArray good = "06/14/2024,09:30,,Ann,Acme,fine\n";
    QTest::newRow("empty file") << QByteArray() << "The file is empty" << "" << 0;
    QTest::newRow("blank lines only") << QByteArray("\r\n\n") << "The file is empty" << "" << 0;
    QTest::newRow("quote left open") << Heading + good + "06/15/2024,10:00,,\"Bob,B,x\n" + good
                                     << "Line 3: a quoted field is never closed; nothing can be imported" << "" << 0;
    QTest::newRow("invalid UTF-8") << Heading + good + "06/15/2024,10:00,,J\xC3\x28,B,x\n"
                                   << "Line 3 is not UTF-8 text (byte 87); save the file as UTF-8 or UTF-16" << "" << 0;
    QTest::newRow("UTF-16 without its mark") << QByteArray(QStringEncoder(QStringEncoder::Utf16LE)(QString::fromUtf8(Heading)))
                                             << "The file looks like UTF-16 text without a byte order mark" << "" << 0;
    QTest::newRow("too many fields") << Heading + "06/14/2024,09:30,,Ann,Acme,x,extra\n" + good << ""
                                     << "2: 7 fields where the first row has 6" << 1;
    QTest::newRow("too few fields") << Heading + good + "06/14/2024,09:30,,Ann\n" << ""
                                    << "3: 4 fields where the first row has 6" << 1;
    QTest::newRow("10 MB field") << Heading + "06/14/2024,09:30,,Ann,Acme," + QByteArray(10 << 20, 'n') + "\n" + good
                                 << "" << "2: Notes is longer than its field takes (10485760 characters, at most 199)" << 1;
    QTest::newRow("NUL byte") << Heading + "06/14/2024,09:30,,A" + QByteArray(1, '\0') + "nn,Acme,x\n" << ""
                              << "2: Name holds a NUL character" << 0;
    QTest::newRow("not sign") << Heading + "06/14/2024,09:30,,Ann,A\xC2\xAC" "B,x\n" << ""
                              << "2: Company holds \u00AC, which separates the log's fields" << 0;
    QTest::newRow("text after a closing quote") << Heading + "06/14/2024,09:30,,\"Ann\"x,Acme,n\n" << ""
                                                << "2: text after the closing quote of field 4" << 0;
    QTest::newRow("wrong date, time, phone, type")
        << QByteArray("Type,Date,Time,Phone,Name\nIn,13/01/2024,09:30,,A\nOut,06/14/2024,25:00,,B\n"
                      "Msg,06/14/2024,09:30,55512,C\nCall,06/14/2024,09:30,,D\nIn,,09:30,,E\nIn,06/14/2024,,,F\n")
        << ""
        << "2: Date \"13/01/2024\" is not a date (m/d/yyyy)|3: Time \"25:00\" is not a time (hh:mmAM or PM)|"
           "4: Phone \"55512\" is not a phone number the log takes|5: Type \"Call\" is not In, Out or Msg|"
           "6: no date|7: no time"
        << 0;
    QTest::newRow("a name longer than the record holds") << Heading + "06/14/2024,09:30,,"
            + QByteArray(75, 'N') + ",Acme,x\n" << "" << "2: Name is longer than its field takes (75 characters, at most 74)" << 0;
}

// Bad input is refused with a clear reason, never changed to fit.
void TestImport::badInputIsRefusedClearly()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, fileError);
    QFETCH(QString, refused);
    QFETCH(int, accepted);
    QVERIFY(TestRecords::writeAll(path("in.csv"), file));
    const CsvImport::Source source = CsvImport::read(path("in.csv"));
    QVERIFY2(fileError.isEmpty() ? source.table.error.isEmpty() : source.table.error.startsWith(fileError),
             qPrintable(source.table.error));
    const CsvImport::Preview preview = CsvImport::preview(source, source.columns, Configuration(), Now);
    QCOMPARE(refusals(preview), refused);
    QCOMPARE(int(preview.accepted.size()), accepted);
    QVERIFY(!QFile::exists(path("VNData.dta")));
}

void TestImport::guessesColumns_data()
{
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QList<int>>("columns"); // type, date, time, phone, name, company, notes, heading row
    QTest::addColumn<bool>("ownExport");
    QTest::newRow("words of another program") << "Call Date,Time,Phone Number,Caller Name,Company Name,Notes"
                                              << QList<int>{-1, 0, 1, 2, 3, 4, 5, 1} << false;
    QTest::newRow("other words") << "Who,Tel.,Org,Memo,Direction,When" << QList<int>{4, -1, -1, 1, -1, 2, 3, 1} << false;
    QTest::newRow("no heading, only data") << "06/14/2024,09:30,555-1234,Ann" << QList<int>{-1, -1, -1, -1, -1, -1, -1, 0}
                                           << false;
    QTest::newRow("the CSV export") << CsvExport::headings().join(',') << QList<int>{2, 3, 4, 5, 6, 7, 8, 1} << true;
    QTest::newRow("the CSV export with columns added")
        << CsvExport::headings().join(',') + ",call_back_by,call_back_done" << QList<int>{2, 3, 4, 5, 6, 7, 8, 1} << true;
}

void TestImport::guessesColumns()
{
    QFETCH(QString, heading);
    QFETCH(QList<int>, columns);
    QFETCH(bool, ownExport);
    const CsvImport::Source source = CsvImport::fromBytes(heading.toUtf8() + "\r\n");
    QCOMPARE(source.ownExport, ownExport);
    const CsvImport::Columns &c = source.columns;
    QCOMPARE(QList<int>({c.type, c.date, c.time, c.phone, c.name, c.company, c.notes, int(c.headingRow)}), columns);
}

void TestImport::commitIsAllOrNothing_data()
{
    QTest::addColumn<QString>("fault");
    for (const char *step : {"journal", "journal synced", "records begun", "records", "records synced", "done"})
        QTest::addRow("killed after %s", step) << QString::fromLatin1(step);
    QTest::newRow("the disk fills up") << "disk full";
    QTest::newRow("damaged log") << "damaged";
}

// A real import killed at each step: after the start-up rollback the log is
// as it was, or has every new record.
void TestImport::commitIsAllOrNothing()
{
    QFETCH(QString, fault);
    const QString log = path("VNData.dta");
    std::vector<CallRecord> first = recordsOf(typedEntries(3, Configuration()));
    QCOMPARE(DataFile::storeMany(log, first), DataFile::WriteResult::Written);
    if (fault == "damaged")
        QVERIFY(TestRecords::writeAll(log, readAll(log) + "torn"));
    const QByteArray before = readAll(log);
    std::vector<CsvImport::Accepted> accepted(2000);
    const std::vector<CallEntry> entries = typedEntries(2000, Configuration());
    for (size_t i = 0; i < accepted.size(); ++i)
        accepted[i].entry = entries[i];

    const ChildProcess::End end = ChildProcess::run([&] {
        const QByteArray wanted = fault.toLatin1();
        DataFile::setFaultHook([wanted](const char *reached) {
            if (wanted == reached)
                ::raise(SIGKILL);
        });
        Platform::failWritesPastSizeLimit();
        struct rlimit limit = {rlim_t(before.size() + 500000), rlim_t(before.size() + 500000)};
        if (fault == "disk full")
            ::setrlimit(RLIMIT_FSIZE, &limit);
        return CsvImport::commit(log, accepted, Now).message.toUtf8();
    });
    const bool killed = fault != "disk full" && fault != "damaged";
    QCOMPARE(end.killed, killed);
    if (!killed)
        QVERIFY2(end.said.endsWith("nothing imported"), end.said.constData());
    if (fault == "disk full")
        QCOMPARE(end.said, QByteArray("Log at the system's file size limit - nothing imported"));
    const bool kept = fault == "done";
    QCOMPARE(DataFile::rollBackJournal(log),
             killed && !kept ? DataFile::Rollback::RolledBack : DataFile::Rollback::NoJournal);
    const QByteArray after = readAll(log);
    QCOMPARE(after.left(before.size()), before);
    QCOMPARE(after.size(), before.size() + (kept ? 2000 * RecordSize : 0));
    std::vector<CallRecord> records;
    QVERIFY(DataFile::scanRecords(log, DataFile::ScanMode::Unchecked, records));
    QVERIFY(std::all_of(records.begin(), records.end(), [](const CallRecord &r) { return r.verify(); }));
}

void TestImport::tenThousandRowsInTwoSeconds()
{
    std::vector<CallRecord> records = recordsOf(typedEntries(10000, Configuration()));
    QCOMPARE(DataFile::storeMany(path("VNData.dta"), records), DataFile::WriteResult::Written);
    QVERIFY(CsvExport::writeLog(path("VNData.dta"), path("calls.csv")).written);
    QElapsedTimer timer;
    timer.start();
    const CsvImport::Source source = CsvImport::read(path("calls.csv"));
    const CsvImport::Preview preview = CsvImport::preview(source, source.columns, Configuration(), Now);
    QVERIFY(CsvImport::commit(path("Imported.dta"), preview.accepted, Now).ok());
    QCOMPARE(preview.accepted.size(), size_t(10000));
    QVERIFY2(timer.elapsed() < 2000 * SlowBuild, qPrintable(QString::number(timer.elapsed())));
}

void TestImport::vcards_data()
{
    QTest::addColumn<QByteArray>("card");
    QTest::addColumn<QString>("contacts"); // name|company|phones, one contact a line
    QTest::addColumn<QString>("refused");
    const auto card = [](const QByteArray &version, const QByteArray &lines) {
        return "BEGIN:VCARD\r\nVERSION:" + version + "\r\n" + lines + "END:VCARD\r\n";
    };
    QTest::newRow("3.0, every TEL") << card("3.0", "FN:Ann Lee\r\nN:Lee;Ann;;;\r\nORG:Acme Inc.;Sales\r\n"
                                                   "TEL;TYPE=WORK,VOICE:+1 (800) 555-1234\r\nTEL;TYPE=CELL:555-9876\r\n")
                                    << "Ann Lee|Acme Inc.|18005551234,5559876" << "";
    QTest::newRow("4.0, folded, tel URI") << card("4.0", "FN:Dr. Jo\r\n hn Smith\r\nTEL;VALUE=uri;TYPE=\"voice,home\":"
                                                         "tel:+1-555-555-5555;ext=5555\r\n")
                                          << "Dr. John Smith||15555555555" << "";
    QTest::newRow("2.1, quoted-printable with a soft line break")
        << card("2.1", "FN;CHARSET=UTF-8;ENCODING=QUOTED-PRINTABLE:Zo=C3=AB =\r\n=C3=85ngstr=C3=B6m\r\n")
        << "Zoë Ångström||" << "";
    QTest::newRow("Latin-1 charset") << card("2.1", "FN;CHARSET=ISO-8859-1;QUOTED-PRINTABLE:Jos=E9\r\nTEL:5551234\r\n")
                                     << "José||5551234" << "";
    QTest::newRow("name from N, escapes") << card("3.0", "N:Smith;John;Q;Mr.;Jr.\r\nORG:Smith\\, Jones & Co\r\n")
                                          << "Mr. John Q Smith Jr.|Smith, Jones & Co|" << "";
    QTest::newRow("no name: the organisation") << card("3.0", "ORG:City Hospital\r\nTEL:911\r\n")
                                               << "City Hospital|City Hospital|911" << "";
    QTest::newRow("a photo is passed over") << card("3.0", "FN:Pic\r\nPHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQ\r\n SkZJRgAB\r\n")
                                            << "Pic||" << "";
    QTest::newRow("no name, no organisation") << card("3.0", "TEL:5551234\r\n") << ""
                                              << "1: no name (FN or N) and no organisation (ORG)";
    QTest::newRow("not UTF-8") << card("3.0", "FN:J\xC3\x28\r\n") << "" << "1: FN is not UTF-8 text";
    QTest::newRow("unknown charset") << card("2.1", "FN;CHARSET=X-NOPE:Ann\r\n") << ""
                                     << "1: FN: the character set X-NOPE is unknown";
    QTest::newRow("unknown version, then a good card") << card("5.0", "FN:Ann\r\n") + card("3.0", "FN:Bob\r\n")
                                                       << "Bob||" << "1: vCard version 5.0 is not read";
    QTest::newRow("never ended") << card("3.0", "FN:Ann\r\n") + "BEGIN:VCARD\r\nFN:Bob\r\n" << "Ann||"
                                 << "5: the card is never ended (END:VCARD)";
}

void TestImport::vcards()
{
    QFETCH(QByteArray, card);
    QFETCH(QString, contacts);
    QFETCH(QString, refused);
    QVERIFY(TestRecords::writeAll(path("cards.vcf"), card));
    const VCard::Result result = VCard::readFile(path("cards.vcf"));
    QCOMPARE(result.error, QString());
    QStringList got;
    for (const Contact &contact : result.contacts)
        got.append(contact.name + '|' + contact.company + '|' + contact.phones.join(','));
    QCOMPARE(got.join('\n'), contacts);
    QStringList why;
    for (const VCard::Refused &r : result.refused)
        why.append(QString::number(r.line) + ": " + r.reason);
    QCOMPARE(why.join('|'), refused);
}

void TestImport::fiveThousandContactsParseFast()
{
    QByteArray file;
    for (int i = 0; i < 5000; ++i)
        file += "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Person " + QByteArray::number(i) + "\r\nN:" + QByteArray::number(i)
            + ";Person;;;\r\nORG:Firm " + QByteArray::number(i % 50) + "\r\nTEL;TYPE=CELL:+1 555 " + QByteArray::number(i)
            + "\r\nNOTE:a note that is folded over\r\n  two lines\r\nEND:VCARD\r\n";
    QElapsedTimer timer;
    timer.start();
    const VCard::Result result = VCard::parse(file);
    QVERIFY2(timer.elapsed() < 1000 * SlowBuild, qPrintable(QString::number(timer.elapsed())));
    QCOMPARE(result.contacts.size(), size_t(5000));
    QCOMPARE(result.contacts.back().name, QStringLiteral("Person 4999"));
    QCOMPARE(result.contacts.back().phones, QStringList({"15554999"}));
    QCOMPARE(VCard::parse("").error, QStringLiteral("The file is empty"));
    QCOMPARE(VCard::parse("FN:loose\r\n").error, QStringLiteral("No vCard in the file"));
}

QTEST_GUILESS_MAIN(TestImport)
#include "tst_import.moc"
