#ifndef REVIEWFIXTURES_H
#define REVIEWFIXTURES_H

#include "testrecords.h"

// The record helpers under the short names the review tests use.
using TestRecords::appendEntries;
using TestRecords::Entry;
using TestRecords::patchField;
using TestRecords::statusOnDisk;
using TestRecords::threeEntries;

#endif // REVIEWFIXTURES_H
