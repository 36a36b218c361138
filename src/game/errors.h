// Run-time errors and the end of the program.
//
// Every failure the game cannot go on from (a missing file, a failed load,
// a 16- or 32-bit overflow, an index outside the well) is thrown as a
// RunTimeError. Only the platform's event loop catches it: it shows the
// message, writes it to stderr and ends the program with a non-zero status.
// Tests and tools catch it themselves and look at the message.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace sw {

class RunTimeError : public std::runtime_error {
  public:
    explicit RunTimeError(const std::string& what) : std::runtime_error(what) {}
};

// Thrown by a test or tool platform when the game asks to end at once, so
// that the caller can see that nothing ran after it. The real platform
// never returns from End() and never throws this.
struct ProgramEnded {
    int status;
};

// Checked narrowing: the game's fields are 16- and 32-bit, and an overflow
// is a run-time error rather than a silent wrap.
int16_t Int16(int64_t value, const char* what);
int32_t Lng32(int64_t value, const char* what);

}  // namespace sw
