#include "records/module1.h"

namespace sw {

namespace {

// Sum the two halves of the eight digits, take the tens of each, and the
// tens of their sum. For eight decimal digits this is always 0, so a good
// line ends in "0"; anything else betrays an edited or damaged file.
int CheckValue(const std::string& digits) {
    int s1 = 0, s2 = 0;
    for (int i = 0; i < 4; ++i) s1 += digits[i] - '0';
    for (int i = 4; i < 8; ++i) s2 += digits[i] - '0';
    return (s1 / 10 + s2 / 10) / 10;
}

bool EightDigits(const std::string& text) {
    if (text.size() < 8) return false;
    for (int i = 0; i < 8; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
    }
    return true;
}

}  // namespace

std::string FncCodeAdd(const std::string& StrLine) {
    return StrLine + std::to_string(CheckValue(StrLine));
}

std::string FncCodeCheck(const std::string& StrLine) {
    if (!EightDigits(StrLine)) return "NG";
    const std::string ninth = StrLine.size() >= 9 ? StrLine.substr(8, 1) : "";
    return ninth == std::to_string(CheckValue(StrLine)) ? "OK" : "NG";
}

}  // namespace sw
