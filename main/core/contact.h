#ifndef CONTACT_H
#define CONTACT_H

#include <QString>
#include <QStringList>

// A person or business from an address book: what an imported contact
// brings to the log's names and companies.
struct Contact
{
    QString name;
    QString company;
    QStringList phones; // digits only, in the order the card lists them
};

#endif // CONTACT_H
