#include "callentry.h"

namespace {

// The letters as they lie in the data file, by enum value.
constexpr char16_t TypeLetters[] = {u'I', u'O', u'M', u'X'};
constexpr char16_t StatusLetters[] = {u'O', u'E', u'X', u'+'};

static_assert(sizeof(TypeLetters) / sizeof(TypeLetters[0]) == int(CallType::None) + 1, "a letter for each type");
static_assert(sizeof(StatusLetters) / sizeof(StatusLetters[0]) == int(RecordStatus::Unknown),
              "a letter for each status");

} // namespace

char16_t letterOf(CallType type)
{
    return TypeLetters[int(type)];
}

char16_t letterOf(RecordStatus status)
{
    return status == RecordStatus::Unknown ? u'\0' : StatusLetters[int(status)];
}

CallType callTypeOf(QStringView stored)
{
    if (stored.size() == 1) {
        for (CallType type : {CallType::In, CallType::Out, CallType::Message}) {
            if (stored.at(0) == QChar(letterOf(type)))
                return type;
        }
    }
    return CallType::None;
}

RecordStatus statusOf(QStringView stored)
{
    if (stored.size() == 1) {
        for (int i = 0; i < int(RecordStatus::Unknown); ++i) {
            if (stored.at(0) == QChar(StatusLetters[i]))
                return RecordStatus(i);
        }
    }
    return RecordStatus::Unknown;
}

RecordStatus statusOf(const CallRecord &record)
{
    char16_t units[CallRecord::MaxFieldWidth];
    return statusOf(QStringView(units, record.copyText(CallRecord::Status, units)));
}

void setStatus(CallRecord &record, RecordStatus status)
{
    const char16_t letter = letterOf(status);
    record.setText(CallRecord::Status, letter ? QString(QChar(letter)) : QString());
}

CallEntry CallEntry::fromRecord(const CallRecord &record)
{
    CallEntry entry;
    entry.type = callTypeOf(record.text(CallRecord::Type));
    entry.date = record.text(CallRecord::Date);
    entry.time = record.text(CallRecord::Time);
    entry.phone = record.text(CallRecord::Phone);
    entry.name = record.text(CallRecord::Name);
    entry.company = record.text(CallRecord::Company);
    entry.notes = record.text(CallRecord::Notes);
    return entry;
}

void CallEntry::fillRecord(CallRecord &record, Save save, qint64 number, qint64 savedAt) const
{
    record.setText(CallRecord::Type, QString(QChar(letterOf(type))));
    setStatus(record, save == Save::Edit ? RecordStatus::Edited : RecordStatus::Original);
    record.setText(CallRecord::RecordNumber, QString::number(number));
    if (save == Save::New)
        record.setText(CallRecord::SavedAt, QString::number(savedAt));
    record.setText(CallRecord::Date, date);
    record.setText(CallRecord::Time, time);
    record.setText(CallRecord::Phone, phone);
    record.setText(CallRecord::Name, name);
    record.setText(CallRecord::Company, company);
    record.setText(CallRecord::Notes, notes);
}
