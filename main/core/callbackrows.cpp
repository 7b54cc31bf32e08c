#include "callbackrows.h"

#include "callentry.h"
#include "datafile.h"

namespace {

QString firstLine(const QString &text)
{
    qsizetype end = 0;
    while (end < text.size()) {
        const QChar c = text.at(end);
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator)
            break;
        ++end;
    }
    return text.left(end).trimmed();
}

} // namespace

std::vector<CallBackRow> callBackRows(const QString &dataPath, const std::vector<CallBack> &callBacks)
{
    std::vector<CallBackRow> rows;
    rows.reserve(callBacks.size());
    DataFile::LogReader reader(dataPath);
    const bool readable = reader.open();
    for (const CallBack &callBack : callBacks) {
        CallBackRow row;
        row.callBack = callBack;
        row.call = CallBackRow::Call::Missing;
        CallRecord record;
        const int n = callBack.key.number;
        if (readable && n >= 1 && n <= reader.count() && reader.read(n - 1, 1, &record)) {
            row.call = RecordKey::of(record) == callBack.key ? CallBackRow::Call::Same : CallBackRow::Call::Other;
        }
        if (row.call == CallBackRow::Call::Same) {
            if (statusOf(record) == RecordStatus::Compromised || !record.verify())
                row.call = CallBackRow::Call::Altered;
            row.name = record.text(CallRecord::Name);
            row.company = record.text(CallRecord::Company);
            row.phone = record.text(CallRecord::Phone);
            row.notes = firstLine(record.text(CallRecord::Notes));
        }
        rows.push_back(row);
    }
    return rows;
}
