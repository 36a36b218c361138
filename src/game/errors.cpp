#include "game/errors.h"

#include <limits>

namespace sw {

namespace {

template <typename T>
T Narrow(int64_t value, const char* what, const char* width) {
    if (value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max()) {
        throw RunTimeError(std::string("overflow: ") + what + " = " + std::to_string(value) +
                           " does not fit in " + width + " bits");
    }
    return static_cast<T>(value);
}

}  // namespace

int16_t Int16(int64_t value, const char* what) {
    return Narrow<int16_t>(value, what, "16");
}
int32_t Lng32(int64_t value, const char* what) {
    return Narrow<int32_t>(value, what, "32");
}

}  // namespace sw
