#ifndef PLATFORM_H
#define PLATFORM_H

#include <cstddef>

class QFile;

// The few calls that differ between operating systems, so that the store and
// the programs build wherever Qt does; where a system has no such call the
// function does the nearest thing it offers.
namespace Platform {

// Asks the system to put the bytes written to `file` on the disk. `file` is
// open and its own buffer already flushed.
bool syncToDisk(QFile &file);

// A write past a file size limit then fails like any failed write, instead of
// ending the program with a signal.
void failWritesPastSizeLimit();

// Asks for large memory pages for a large block just allocated: setting up
// fresh memory is then several times faster.
void adviseLargePages(void *data, std::size_t bytes);

} // namespace Platform

#endif // PLATFORM_H
