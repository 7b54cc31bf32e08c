#include "entryrules.h"

#include <QtTest>

using namespace EntryRules;

class TestEntryRules : public QObject
{
    Q_OBJECT

private slots:
    void dateEntry_data();
    void dateEntry();
    void dateNotANumber_data();
    void dateNotANumber();

    void timeEntry_data();
    void timeEntry();
    void timeResultIsStable_data();
    void timeResultIsStable();

    void phoneBuiltInSettings_data();
    void phoneBuiltInSettings();
    void phoneConfiguredSettings_data();
    void phoneConfiguredSettings();

    void keyFilters_data();
    void keyFilters();

    void defaultTexts();
};

namespace {
const QString today = QStringLiteral("3/7/2026");
const QString now = QStringLiteral("03:25PM");
} // namespace

void TestEntryRules::dateEntry_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("error");

    QTest::newRow("full date") << "12/25/2024" << "12/25/2024" << false;
    QTest::newRow("one-digit month and day") << "1/5/2024" << "01/05/2024" << false;
    QTest::newRow("one-digit month") << "1/25/2024" << "01/25/2024" << false;
    QTest::newRow("one-digit day") << "12/5/2024" << "12/05/2024" << false;
    QTest::newRow("two-digit year") << "12/25/24" << "12/25/2024" << false;
    QTest::newRow("two-digit year, padded") << "01/05/24" << "01/05/2024" << false;
    QTest::newRow("three-digit year") << "12/25/202" << "12/25/202" << false;
    QTest::newRow("day not checked against month") << "02/31/2024" << "02/31/2024" << false;
    QTest::newRow("positional parse") << "1234/56/78" << "12/04/6/78" << false;
    QTest::newRow("shorter than 8") << "1/5/24" << today << true;
    QTest::newRow("no slash") << "12252024" << today << true;
    QTest::newRow("month above 12") << "13/01/2024" << today << true;
    QTest::newRow("month above 12, one-digit day") << "13/1/2024" << today << true;
    QTest::newRow("month below 1") << "00/10/2024" << today << true;
    QTest::newRow("day above 31") << "12/32/2024" << today << true;
    QTest::newRow("day below 1") << "12/00/2024" << today << true;
    QTest::newRow("empty") << "" << today << true;

    // Beyond the table: the default date is normalised when left again, the
    // shape checks, and the year taken from the digits that end the text.
    QTest::newRow("default date") << "3/7/2026" << "03/07/2026" << false;
    QTest::newRow("longer than 11") << "12/25/202400" << today << true;
    QTest::newRow("11 characters, year from the last four") << "12/25/20245" << "12/25/0245" << false;
    QTest::newRow("letter") << "12/25/2O24" << today << true;
    QTest::newRow("year ends in a slash") << "12/25/24/" << "12/25/" << false;
}

void TestEntryRules::dateEntry()
{
    QFETCH(QString, entry);
    QFETCH(QString, expected);
    QFETCH(bool, error);

    const DateResult result = normalizeDate(entry, today);
    QCOMPARE(result.text, expected);
    QCOMPARE(result.error, error);
}

void TestEntryRules::dateNotANumber_data()
{
    QTest::addColumn<QString>("entry");

    QTest::newRow("slash where the day begins") << "12//2024";
    QTest::newRow("leading slash") << "/1/12024";
    QTest::newRow("leading slash, eight characters") << "/12/2024";
    QTest::newRow("pasted sign in month") << "+1/05/2024";
    QTest::newRow("pasted blank in month") << " 1/05/2024";
    QTest::newRow("pasted sign in day") << "12/-5/2024";
    QTest::newRow("pasted non-ASCII digit") << QString::fromUtf8("1\u0661/05/2024");
}

// A month or day that is not a number is a wrong date like any other: the
// default date comes back with the error, nothing is thrown.
void TestEntryRules::dateNotANumber()
{
    QFETCH(QString, entry);

    const DateResult result = normalizeDate(entry, today);
    QCOMPARE(result.text, today);
    QVERIFY(result.error);
}

void TestEntryRules::timeEntry_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("error");

    const QString nowTouched = QStringLiteral(" 3:25PM");

    QTest::newRow("hhmm morning") << "0930" << " 9:30AM" << false;
    QTest::newRow("hhmm afternoon") << "1430" << " 2:30PM" << false;
    QTest::newRow("hhmm noon hour") << "1230" << "12:30AM" << false;
    QTest::newRow("hhmm midnight hour") << "0005" << "00:05AM" << false;
    QTest::newRow("hhmm 24") << "2400" << nowTouched << true;
    QTest::newRow("three digits") << "930" << nowTouched << true;
    QTest::newRow("hh:mm afternoon") << "14:30" << " 2:30PM" << false;
    QTest::newRow("hh:mm morning") << "09:15" << " 9:15AM" << false;
    QTest::newRow("hh:mm 25") << "25:00" << nowTouched << true;
    QTest::newRow("h:mm designator") << "9:30pm" << " 9:30PM" << false;
    QTest::newRow("h:mm digits as designator") << "1:3012" << " 1:3012" << false;
    QTest::newRow("hh:mm designator") << "12:30pm" << "12:30PM" << false;
    QTest::newRow("leading zero and designator") << "09:30am" << " 9:30AM" << false;
    QTest::newRow("half designator takes now's") << "12:30P" << "12:30PM" << false;
    QTest::newRow("minutes not checked") << "12:75PM" << "12:75PM" << false;
    QTest::newRow("three hour digits") << "123:45" << nowTouched << true;
    QTest::newRow("placeholder") << "hh:mmAP" << nowTouched << true;
    QTest::newRow("empty") << "" << nowTouched << true;

    QTest::newRow("only seven characters count") << "12:30PMAM" << "12:30PM" << false;
    QTest::newRow("13 becomes 01") << "1300" << " 1:00PM" << false;
    QTest::newRow("23:59") << "23:59" << "11:59PM" << false;
    QTest::newRow("letter in hhmm") << "12a0" << nowTouched << true;
    QTest::newRow("hh:mm without colon") << "12-30" << nowTouched << true;
    QTest::newRow("non-letter designator") << "02:30:5" << " 2:30PM" << false;
    QTest::newRow("bad first hour character") << "x2:30PM" << nowTouched << true;
    QTest::newRow("9:30p takes now's") << "09:30p" << " 9:30PM" << false;
}

void TestEntryRules::timeEntry()
{
    QFETCH(QString, entry);
    QFETCH(QString, expected);
    QFETCH(bool, error);

    const TimeResult result = normalizeTime(entry, now);
    QCOMPARE(result.text, expected);
    QCOMPARE(result.error, error);
}

void TestEntryRules::timeResultIsStable_data()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("now");

    QTest::newRow("morning, now afternoon") << "0930" << "03:25PM";
    QTest::newRow("afternoon, now morning") << "1430" << "09:05AM";
    QTest::newRow("designator typed") << "12:30pm" << "12:00AM";
    QTest::newRow("hour 00") << "0005" << "11:59PM";
    QTest::newRow("half designator, now morning") << "12:30P" << "10:10AM";
}

// A result written back by a previous exit passes again unchanged, and a
// 24-hour entry gets its designator from the hour, not from now.
void TestEntryRules::timeResultIsStable()
{
    QFETCH(QString, entry);
    QFETCH(QString, now);

    const TimeResult first = normalizeTime(entry, now);
    QVERIFY(!first.error);
    QCOMPARE(first.text.size(), 7);
    const TimeResult second = normalizeTime(first.text, QStringLiteral("07:07AM"));
    QVERIFY(!second.error);
    QCOMPARE(second.text, first.text);
    if (entry == QLatin1String("12:30P"))
        QCOMPARE(first.text.mid(5), now.mid(5));
}

namespace {
void addPhoneColumns()
{
    QTest::addColumn<QString>("entry");
    QTest::addColumn<QString>("expected");
    QTest::addColumn<bool>("error");
}
} // namespace

void TestEntryRules::phoneBuiltInSettings_data()
{
    addPhoneColumns();

    QTest::newRow("placeholder") << "Phone Number" << "Unknown" << false;
    QTest::newRow("empty") << "" << "Unknown" << false;
    QTest::newRow("Unknown") << "Unknown" << "Unknown" << false;
    QTest::newRow("four digits") << "1234" << "###-###-1234" << false;
    QTest::newRow("seven digits") << "5551234" << "###-555-1234" << false;
    QTest::newRow("eight with separator") << "555-1234" << "###-555-1234" << false;
    QTest::newRow("ten digits") << "8005551234" << "800-555-1234" << false;
    QTest::newRow("twelve with separators") << "800-555-1234" << "800-555-1234" << false;
    QTest::newRow("twelve digits") << "800555512345" << "800555512345" << false;
    QTest::newRow("eight, rest untested") << "555-12-4" << "###-555-12-4" << false;
    QTest::newRow("four with separator") << "12-4" << "Unknown" << true;
    QTest::newRow("eight, separator misplaced") << "5551-234" << "Unknown" << true;
    QTest::newRow("three") << "555" << "Unknown" << true;
    QTest::newRow("five") << "55512" << "Unknown" << true;
    QTest::newRow("six") << "555123" << "Unknown" << true;
    QTest::newRow("nine") << "555-12345" << "Unknown" << true;
    QTest::newRow("eleven") << "80055512345" << "Unknown" << true;

    QTest::newRow("seven, not all digits") << "555-123" << "Unknown" << true;
    QTest::newRow("ten, not all digits") << "800-555123" << "Unknown" << true;
    QTest::newRow("twelve, letter in last group") << "800-555-12x4" << "Unknown" << true;
    QTest::newRow("longer than the field") << "800-555-12345" << "Unknown" << true;

    // A number completed with the default area code and prefix keeps its
    // form when the field is left again.
    QTest::newRow("completed earlier, area code") << "###-555-1234" << "###-555-1234" << false;
    QTest::newRow("completed earlier, both") << "###-###-1234" << "###-###-1234" << false;
    QTest::newRow("other filler, area code") << "#x#-555-1234" << "Unknown" << true;
    QTest::newRow("filler in last group") << "800-555-####" << "Unknown" << true;
}

void TestEntryRules::phoneBuiltInSettings()
{
    QFETCH(QString, entry);
    QFETCH(QString, expected);
    QFETCH(bool, error);

    const PhoneResult result = normalizePhone(entry, QStringLiteral("-"), QStringLiteral("###"), QStringLiteral("###"));
    QCOMPARE(result.text, expected);
    QCOMPARE(result.error, error);
}

void TestEntryRules::phoneConfiguredSettings_data()
{
    QTest::addColumn<QString>("separator");
    QTest::addColumn<QString>("areaCode");
    QTest::addColumn<QString>("prefix");
    addPhoneColumns();

    QTest::newRow("area code 212") << "-" << "212" << "###" << "5551234" << "212-555-1234" << false;
    QTest::newRow("dot and 212") << "." << "212" << "###" << "5551234" << "212.555.1234" << false;
    QTest::newRow("dot, eight") << "." << "###" << "###" << "555.1234" << "###.555.1234" << false;
    QTest::newRow("dot, dash refused") << "." << "###" << "###" << "555-1234" << "Unknown" << true;
    QTest::newRow("dot, ten") << "." << "###" << "###" << "8005551234" << "800.555.1234" << false;
    QTest::newRow("dot, four") << "." << "212" << "555" << "1234" << "212.555.1234" << false;
    // The whole setting follows area code and prefix, its first character goes between groups.
    QTest::newRow("two-character separator") << "-/" << "212" << "###" << "5551234" << "212-/555-1234" << false;
    QTest::newRow("two-character separator, ten") << "-/" << "###" << "###" << "8005551234" << "800-555-1234" << false;
    // A completion of 6, 9 or 11 characters fails the length test.
    QTest::newRow("completion of 9") << "-" << "" << "###" << "1234" << "Unknown" << true;
    QTest::newRow("completion of 11") << "-" << "21" << "###" << "1234" << "Unknown" << true;
    QTest::newRow("completion of 6") << "" << "" << "##" << "1234" << "Unknown" << true;
    QTest::newRow("short completion of 10") << "-" << "2" << "###" << "1234" << "2-###-1234" << false;
    QTest::newRow("no separator, eight") << "" << "###" << "###" << "555-1234" << "Unknown" << true;
    QTest::newRow("no separator, seven") << "" << "212" << "###" << "5551234" << "2125551234" << false;
    QTest::newRow("area code 212, filler area") << "-" << "212" << "###" << "###-555-1234" << "Unknown" << true;
    QTest::newRow("area code 212, filler prefix") << "-" << "212" << "###" << "212-###-1234" << "212-###-1234" << false;
}

void TestEntryRules::phoneConfiguredSettings()
{
    QFETCH(QString, separator);
    QFETCH(QString, areaCode);
    QFETCH(QString, prefix);
    QFETCH(QString, entry);
    QFETCH(QString, expected);
    QFETCH(bool, error);

    const PhoneResult result = normalizePhone(entry, separator, areaCode, prefix);
    QCOMPARE(result.text, expected);
    QCOMPARE(result.error, error);
}

void TestEntryRules::keyFilters_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("accepted");
    QTest::addColumn<QString>("refused");

    const QString controls = QStringLiteral("\r\n\t") + QChar(0x03) + QChar(0x16) + QChar(0x1b);
    const QString backspace(QChar(0x08));

    QTest::newRow("date") << "date" << "/0123456789" + backspace
                          << "aAmMpP:-. " + controls + QChar(0x0661) + QChar(0x00AC);
    QTest::newRow("time") << "time" << "0123456789:AMPamp" + backspace << " /-.bBxX" + controls + QChar(0x00AC);
    QTest::newRow("phone, dash") << "phone-" << "0123456789-" + backspace << "./ ()+aA" + controls;
    QTest::newRow("phone, dot") << "phone." << "0123456789." + backspace << "-/ ()+aA" + controls;
    QTest::newRow("text") << "text" << "aZ09 /-.:\r\t" + backspace + QChar(0x00E9) + QChar(0x2014)
                          << QString(QChar(0x00AC));
}

void TestEntryRules::keyFilters()
{
    QFETCH(QString, field);
    QFETCH(QString, accepted);
    QFETCH(QString, refused);

    const auto filter = [&field](QChar c) {
        if (field == QLatin1String("date"))
            return dateKeyAccepted(c);
        if (field == QLatin1String("time"))
            return timeKeyAccepted(c);
        if (field.startsWith(QLatin1String("phone")))
            return phoneKeyAccepted(c, field.mid(5));
        return textKeyAccepted(c);
    };
    for (QChar c : accepted)
        QVERIFY2(filter(c), qPrintable(QStringLiteral("U+%1 refused").arg(c.unicode(), 4, 16, QLatin1Char('0'))));
    for (QChar c : refused)
        QVERIFY2(!filter(c), qPrintable(QStringLiteral("U+%1 accepted").arg(c.unicode(), 4, 16, QLatin1Char('0'))));
}

void TestEntryRules::defaultTexts()
{
    QCOMPARE(defaultDateText(QDate(2026, 3, 7)), QStringLiteral("3/7/2026"));
    QCOMPARE(defaultDateText(QDate(2024, 12, 25)), QStringLiteral("12/25/2024"));

    QCOMPARE(currentTimeText(QTime(15, 25)), QStringLiteral("03:25PM"));
    QCOMPARE(currentTimeText(QTime(0, 5)), QStringLiteral("12:05AM"));
    QCOMPARE(currentTimeText(QTime(12, 0)), QStringLiteral("12:00PM"));
    QCOMPARE(currentTimeText(QTime(9, 7)), QStringLiteral("09:07AM"));
    QCOMPARE(currentTimeText(QTime(23, 59)), QStringLiteral("11:59PM"));
}

QTEST_GUILESS_MAIN(TestEntryRules)
#include "tst_entryrules.moc"
