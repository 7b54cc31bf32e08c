#ifndef FUZZSUPPORT_H
#define FUZZSUPPORT_H

#include <QString>

#include <cstddef>
#include <cstdint>

// The fuzz targets as plain functions, so that a regression test can replay
// saved inputs through exactly the checks the fuzzer ran.
namespace FuzzTargets {

int recordInput(const std::uint8_t *data, std::size_t size);
int configInput(const std::uint8_t *data, std::size_t size);
int rulesInput(const std::uint8_t *data, std::size_t size);

// A folder of its own for the files one process writes; made on first use.
QString workFolder();

// Stops the process with a message when an invariant does not hold, so that
// the fuzzer keeps the input; a replaying test installs a handler of its own.
void require(bool condition, const char *what);
using FailureHandler = void (*)(const char *what);
void setFailureHandler(FailureHandler handler);

} // namespace FuzzTargets

#define FUZZ_REQUIRE(condition) ::FuzzTargets::require((condition), #condition)

#endif // FUZZSUPPORT_H
