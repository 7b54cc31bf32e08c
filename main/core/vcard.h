#ifndef VCARD_H
#define VCARD_H

#include "contact.h"

#include <QByteArray>
#include <QString>

#include <vector>

// Contacts from vCard files (address books, phones): versions 2.1, 3.0 and
// 4.0, folded lines, QUOTED-PRINTABLE values with their soft line breaks,
// and the CHARSET of older cards. The name is FN, or else made from N, or
// else the organisation (ORG); the company is ORG's first part; every TEL
// gives its digits, whatever its type.
namespace VCard {

struct Refused
{
    int line = 0; // where the card begins
    QString reason;
};

struct Result
{
    QString error; // the file cannot be read at all: why
    std::vector<Contact> contacts;
    std::vector<Refused> refused;
};

Result parse(const QByteArray &bytes);
Result readFile(const QString &path);

} // namespace VCard

#endif // VCARD_H
