#include "vcard.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

#include <vector>

namespace VCard {

namespace {

struct Line
{
    int number = 0;
    QByteArray text;
};

struct Property
{
    QByteArray name; // upper case, without its group
    QByteArray value; // as it stands in the file
    QByteArray charset;
    bool quotedPrintable = false;
};

struct Card
{
    int line = 0;
    QByteArray version;
    QString fn;
    QStringList n;
    QStringList org;
    QStringList phones;
    QString problem;
};

// Where the name and parameters end: the first colon outside quotes.
qsizetype valueStart(const QByteArray &line)
{
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        if (line.at(i) == '"')
            quoted = !quoted;
        else if (line.at(i) == ':' && !quoted)
            return i;
    }
    return -1;
}

bool isQuotedPrintable(const QByteArray &line)
{
    const qsizetype colon = valueStart(line);
    return colon > 0 && line.left(colon).toUpper().contains("QUOTED-PRINTABLE");
}

// Physical lines joined into the logical ones: a line that begins with a
// blank or a tab continues the one before (folding), and so does every line
// after a quoted-printable line that ends in "=" (a soft line break).
std::vector<Line> logicalLines(const QByteArray &bytes)
{
    std::vector<Line> lines;
    int number = 0;
    bool softBreak = false;
    for (qsizetype at = 0; at < bytes.size();) {
        qsizetype end = bytes.indexOf('\n', at);
        if (end < 0)
            end = bytes.size();
        QByteArrayView physical(bytes.constData() + at, end - at);
        if (physical.endsWith('\r'))
            physical.chop(1);
        at = end + 1;
        ++number;
        const bool folded = !physical.isEmpty() && (physical.front() == ' ' || physical.front() == '\t');
        if (!lines.empty() && (softBreak || folded)) {
            if (softBreak)
                lines.back().text.chop(1);
            lines.back().text.append(folded ? physical.sliced(1) : physical);
        } else if (!physical.isEmpty()) {
            lines.push_back({number, physical.toByteArray()});
        } else {
            continue;
        }
        softBreak = lines.back().text.endsWith('=') && isQuotedPrintable(lines.back().text);
    }
    return lines;
}

bool split(const QByteArray &line, Property &property)
{
    const qsizetype colon = valueStart(line);
    if (colon <= 0)
        return false;
    QList<QByteArray> head = line.left(colon).split(';');
    property.name = head.takeFirst().trimmed().toUpper();
    property.name = property.name.mid(property.name.lastIndexOf('.') + 1);
    property.value = line.mid(colon + 1);
    for (const QByteArray &parameter : head) {
        const QByteArray upper = parameter.trimmed().toUpper();
        if (upper == "QUOTED-PRINTABLE" || upper == "ENCODING=QUOTED-PRINTABLE")
            property.quotedPrintable = true;
        else if (upper.startsWith("CHARSET="))
            property.charset = parameter.trimmed().mid(8).replace('"', QByteArray());
    }
    return true;
}

int hexValue(char c)
{
    return c >= '0' && c <= '9' ? c - '0'
        : c >= 'A' && c <= 'F'  ? c - 'A' + 10
        : c >= 'a' && c <= 'f'  ? c - 'a' + 10
                                : -1;
}

QByteArray fromQuotedPrintable(const QByteArray &value)
{
    QByteArray bytes;
    bytes.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        const int high = i + 2 < value.size() && value.at(i) == '=' ? hexValue(value.at(i + 1)) : -1;
        const int low = high >= 0 ? hexValue(value.at(i + 2)) : -1;
        if (low >= 0) {
            bytes.append(char(high * 16 + low));
            i += 2;
        } else {
            bytes.append(value.at(i));
        }
    }
    return bytes;
}

// The value's text: quoted-printable undone, then read in its CHARSET
// (UTF-8 when none is named). Empty `why` when it could be read.
QString textOf(const Property &property, QString &why)
{
    const QByteArray raw = property.quotedPrintable ? fromQuotedPrintable(property.value) : property.value;
    const QByteArray charset = property.charset.isEmpty() ? QByteArray("UTF-8") : property.charset;
    QStringDecoder decoder(charset.constData());
    if (!decoder.isValid()) {
        why = QStringLiteral("%1: the character set %2 is unknown")
                  .arg(QString::fromLatin1(property.name), QString::fromLatin1(charset));
        return QString();
    }
    const QString text = decoder(raw);
    if (decoder.hasError())
        why = QStringLiteral("%1 is not %2 text").arg(QString::fromLatin1(property.name), QString::fromLatin1(charset));
    return text;
}

QString unescaped(QStringView text)
{
    QString plain;
    plain.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c != QLatin1Char('\\') || i + 1 >= text.size()) {
            plain.append(c);
            continue;
        }
        const QChar next = text.at(++i);
        if (next == QLatin1Char('n') || next == QLatin1Char('N'))
            plain.append(QLatin1Char('\n'));
        else if (next == QLatin1Char(',') || next == QLatin1Char(';') || next == QLatin1Char('\\')
                 || next == QLatin1Char(':'))
            plain.append(next);
        else
            plain.append(c).append(next);
    }
    return plain;
}

// A structured value's parts, split at the semicolons that are not escaped.
QStringList components(const QString &value)
{
    QStringList parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= value.size(); ++i) {
        if (i < value.size() && value.at(i) == QLatin1Char('\\')) {
            ++i;
            continue;
        }
        if (i == value.size() || value.at(i) == QLatin1Char(';')) {
            parts.append(unescaped(QStringView(value).mid(start, i - start)).trimmed());
            start = i + 1;
        }
    }
    return parts;
}

// The number of a TEL: "tel:" and the URI's parameters taken away, digits kept.
QString phoneDigits(QString value)
{
    if (value.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
        value = value.mid(4).section(QLatin1Char(';'), 0, 0);
    QString digits;
    for (QChar c : value) {
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits.append(c);
    }
    return digits;
}

void take(const Property &property, Card &card)
{
    if (property.name == "VERSION") {
        card.version = property.value.trimmed();
        return;
    }
    if (property.name != "FN" && property.name != "N" && property.name != "ORG" && property.name != "TEL")
        return;
    QString why;
    const QString text = textOf(property, why);
    if (!why.isEmpty()) {
        if (card.problem.isEmpty())
            card.problem = why;
        return;
    }
    if (property.name == "FN" && card.fn.isEmpty())
        card.fn = unescaped(text).trimmed();
    else if (property.name == "N" && card.n.isEmpty())
        card.n = components(text);
    else if (property.name == "ORG" && card.org.isEmpty())
        card.org = components(text);
    else if (property.name == "TEL" && !phoneDigits(text).isEmpty() && !card.phones.contains(phoneDigits(text)))
        card.phones.append(phoneDigits(text));
}

// "Given Additional Family" with prefix and suffix, from N's parts
// (family; given; additional; prefix; suffix).
QString nameFromParts(const QStringList &n)
{
    QStringList words;
    for (int part : {3, 1, 2, 0, 4}) {
        if (part < n.size() && !n.at(part).isEmpty())
            words.append(n.at(part));
    }
    return words.join(QLatin1Char(' '));
}

void finish(const Card &card, Result &result)
{
    static const QList<QByteArray> versions{"2.1", "3.0", "4.0"};
    QString why = card.problem;
    if (why.isEmpty() && !card.version.isEmpty() && !versions.contains(card.version))
        why = QStringLiteral("vCard version %1 is not read").arg(QString::fromLatin1(card.version));
    Contact contact;
    contact.company = card.org.value(0);
    contact.name = !card.fn.isEmpty() ? card.fn : nameFromParts(card.n);
    if (contact.name.isEmpty())
        contact.name = contact.company;
    if (why.isEmpty() && contact.name.isEmpty())
        why = QStringLiteral("no name (FN or N) and no organisation (ORG)");
    if (!why.isEmpty()) {
        result.refused.push_back({card.line, why});
        return;
    }
    contact.phones = card.phones;
    result.contacts.push_back(std::move(contact));
}

bool isVCard(const Property &property)
{
    return property.value.trimmed().toUpper() == "VCARD";
}

} // namespace

Result parse(const QByteArray &bytes)
{
    Result result;
    QByteArray utf8 = bytes;
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF"))
        utf8 = QString(QStringDecoder(QStringDecoder::Utf16)(bytes)).toUtf8();
    else if (bytes.startsWith("\xEF\xBB\xBF"))
        utf8 = bytes.mid(3);
    Card card;
    int depth = 0;
    bool found = false;
    for (const Line &line : logicalLines(utf8)) {
        Property property;
        if (!split(line.text, property))
            continue;
        if (property.name == "BEGIN" && isVCard(property)) {
            if (depth++ == 0)
                card = Card{line.number, {}, {}, {}, {}, {}, {}};
            found = true;
        } else if (property.name == "END" && isVCard(property) && depth > 0) {
            if (--depth == 0)
                finish(card, result);
        } else if (depth == 1) {
            take(property, card);
        }
    }
    if (depth > 0)
        result.refused.push_back({card.line, QStringLiteral("the card is never ended (END:VCARD)")});
    if (!found)
        result.error = bytes.isEmpty() ? QStringLiteral("The file is empty") : QStringLiteral("No vCard in the file");
    return result;
}

Result readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Result result;
        result.error = QStringLiteral("Could not read %1: %2").arg(QFileInfo(path).fileName(), file.errorString());
        return result;
    }
    return parse(file.readAll());
}

} // namespace VCard
