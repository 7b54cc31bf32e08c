// Arbitrary bytes as a call record and as a data file: decoding every field,
// the hash input and check, and the data file readers must never fail on
// what a damaged or foreign file holds.
#include "fuzzsupport.h"

#include "callentry.h"
#include "callrecord.h"
#include "datafile.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>

#include <algorithm>
#include <climits>
#include <cstring>
#include <vector>

namespace {

bool sameBytes(const CallRecord &record, const QByteArray &bytes, qint64 offset)
{
    return std::memcmp(record.bytes.data(), bytes.constData() + offset, RecordSize) == 0;
}

CallRecord recordAt(const QByteArray &bytes, qint64 offset)
{
    CallRecord record;
    std::memcpy(record.bytes.data(), bytes.constData() + offset, RecordSize);
    return record;
}

bool namesSlot(const CallRecord &record, qint64 slot)
{
    return record.text(CallRecord::RecordNumber) == QString::number(slot);
}

bool allZero(const CallRecord &record)
{
    return std::all_of(record.bytes.begin(), record.bytes.end(), [](unsigned char b) { return b == 0; });
}

// Slots a scan reads: as many as the last whole record's number says, never
// more than the file's whole records; none when the first is not record 1.
size_t scannedCount(const QByteArray &bytes)
{
    const qint64 whole = bytes.size() / RecordSize;
    if (whole == 0 || !namesSlot(recordAt(bytes, 0), 1))
        return 0;
    const int number = recordAt(bytes, (whole - 1) * RecordSize).number();
    return size_t(std::min<qint64>(std::max(number, 0), whole));
}

// Whole records only, the first numbered 1 and the last by its slot: the
// only kind of file a check may mark.
bool wholeLog(const QByteArray &bytes)
{
    const qint64 whole = bytes.size() / RecordSize;
    return whole > 0 && bytes.size() % RecordSize == 0 && namesSlot(recordAt(bytes, 0), 1)
        && namesSlot(recordAt(bytes, (whole - 1) * RecordSize), whole);
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    FUZZ_REQUIRE(file.open(QIODevice::ReadOnly));
    return file.readAll();
}

bool isLowerHex(const QString &text)
{
    return std::all_of(text.begin(), text.end(), [](QChar c) {
        return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
    });
}

void checkRecord(const CallRecord &record)
{
    for (int f = 0; f < CallRecord::FieldCount; ++f) {
        const auto field = CallRecord::Field(f);
        const QString text = record.text(field);
        FUZZ_REQUIRE(text.size() <= CallRecord::width(field));
        FUZZ_REQUIRE(!text.contains(QChar(0)));

        // Writing a field's own text back changes nothing else and reads back
        // as the text cut to what the field keeps.
        CallRecord copy = record;
        copy.setText(field, text);
        FUZZ_REQUIRE(copy.text(field) == text.left(CallRecord::capacity(field)));
        const int begin = CallRecord::offset(field);
        const int end = begin + 2 * CallRecord::width(field);
        FUZZ_REQUIRE(std::equal(record.bytes.begin(), record.bytes.begin() + begin, copy.bytes.begin()));
        FUZZ_REQUIRE(std::equal(record.bytes.begin() + end, record.bytes.end(), copy.bytes.begin() + end));
        FUZZ_REQUIRE(copy.bytes[size_t(end - 2)] == 0 && copy.bytes[size_t(end - 1)] == 0);
    }

    const QString input = record.hashInput();
    FUZZ_REQUIRE(input.endsWith(QLatin1Char('\n')));
    FUZZ_REQUIRE(input.count(QChar(FieldSeparator)) >= 9);

    // The bytes hashed are the UTF-8 form of the hash input, lone surrogates
    // included, and the digest agrees with Qt's own SHA-256.
    const QByteArray utf8 = record.hashInputUtf8();
    FUZZ_REQUIRE(utf8 == input.toUtf8());
    const QString hash = record.computeHash();
    FUZZ_REQUIRE(hash.size() == 64 && isLowerHex(hash));
    FUZZ_REQUIRE(hash.toLatin1() == QCryptographicHash::hash(utf8, QCryptographicHash::Sha256).toHex());
    FUZZ_REQUIRE(sha256Hex(input) == hash);
    FUZZ_REQUIRE(record.verify() == (hash == record.text(CallRecord::Hash)));
    FUZZ_REQUIRE(record.number() == textToInt(record.text(CallRecord::RecordNumber)));
    (void)record.savedAtSeconds();

    // The hash is not part of its own input: a record given its hash verifies.
    CallRecord sealed = record;
    sealed.setText(CallRecord::Hash, hash);
    FUZZ_REQUIRE(sealed.verify());
    FUZZ_REQUIRE(sealed.hashInput() == input);
}

void checkDataFile(const QByteArray &bytes)
{
    const QString path = FuzzTargets::workFolder() + QStringLiteral("/record.dta");
    {
        QFile file(path);
        FUZZ_REQUIRE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        FUZZ_REQUIRE(file.write(bytes) == bytes.size());
    }
    const qint64 size = bytes.size();
    const qint64 whole = size / RecordSize;

    CallRecord last;
    const int count = DataFile::findRecordCount(path, &last);
    if (whole == 0) {
        FUZZ_REQUIRE(count == 0);
    } else {
        FUZZ_REQUIRE(sameBytes(last, bytes, (whole - 1) * RecordSize));
        FUZZ_REQUIRE(count == last.number());
    }

    const int probes[] = {-1, 0, 1, int(whole), int(whole) + 1, count, INT_MAX};
    for (int n : probes) {
        CallRecord record;
        record.bytes.fill(0xA5);
        const CallRecord untouched = record;
        const DataFile::ReadResult result = DataFile::readRecord(path, n, record);
        if (n >= 1 && n <= whole) {
            FUZZ_REQUIRE(result == DataFile::ReadResult::Ok);
            FUZZ_REQUIRE(sameBytes(record, bytes, qint64(n - 1) * RecordSize));
        } else {
            FUZZ_REQUIRE(result == DataFile::ReadResult::NoSuchRecord);
            FUZZ_REQUIRE(record.bytes == untouched.bytes);
        }
    }

    // The slots a scan lists: empty ones (nothing but zeros) are damage, not records.
    const auto listedSlots = [](const QByteArray &content) {
        std::vector<qint64> found;
        for (size_t i = 0; i < scannedCount(content); ++i) {
            if (!allZero(recordAt(content, qint64(i) * RecordSize)))
                found.push_back(qint64(i));
        }
        return found;
    };
    const std::vector<qint64> listed = listedSlots(bytes);

    std::vector<CallRecord> unchecked;
    FUZZ_REQUIRE(DataFile::scanRecords(path, DataFile::ScanMode::Unchecked, unchecked));
    FUZZ_REQUIRE(unchecked.size() == listed.size());
    for (size_t i = 0; i < unchecked.size(); ++i)
        FUZZ_REQUIRE(sameBytes(unchecked[i], bytes, listed[i] * RecordSize));
    FUZZ_REQUIRE(fileBytes(path) == bytes);

    // Checking marks the records whose hash fails; in a whole log without
    // empty slots the file takes the marks of the blocks that are records in
    // their own slots, and every other byte stays alone.
    std::vector<CallRecord> checked;
    FUZZ_REQUIRE(DataFile::scanRecords(path, DataFile::ScanMode::CheckAndMark, checked));
    FUZZ_REQUIRE(checked.size() == listed.size());
    const bool markable = wholeLog(bytes) && listed.size() == scannedCount(bytes);
    QByteArray marked = bytes;
    for (size_t i = 0; i < checked.size(); ++i) {
        CallRecord original = recordAt(bytes, listed[i] * RecordSize);
        const bool aRecord = namesSlot(original, listed[i] + 1);
        if (!original.verify())
            setStatus(original, RecordStatus::Compromised);
        FUZZ_REQUIRE(checked[i].bytes == original.bytes);
        if (markable && aRecord)
            std::memcpy(marked.data() + listed[i] * RecordSize, original.bytes.data(), RecordSize);
    }
    FUZZ_REQUIRE(fileBytes(path) == marked);

    // The count is read again from what the file now holds.
    std::vector<CallRecord> again;
    FUZZ_REQUIRE(DataFile::scanRecords(path, DataFile::ScanMode::Unchecked, again));
    const std::vector<qint64> listedAgain = listedSlots(marked);
    FUZZ_REQUIRE(again.size() == listedAgain.size());
    for (size_t i = 0; i < again.size(); ++i)
        FUZZ_REQUIRE(sameBytes(again[i], marked, listedAgain[i] * RecordSize));

    QFile::remove(path);
}

} // namespace

namespace FuzzTargets {

int recordInput(const std::uint8_t *data, std::size_t size)
{
    CallRecord record;
    std::memcpy(record.bytes.data(), data, std::min<std::size_t>(size, RecordSize));
    checkRecord(record);
    checkDataFile(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
    return 0;
}

} // namespace FuzzTargets

#ifndef CALLLOG_FUZZ_NO_ENTRY
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    return FuzzTargets::recordInput(data, size);
}
#endif
