// The check character of the score file's lines.
#pragma once

#include <string>

namespace sw {

// StrLine followed by the check character of its first eight digits.
std::string FncCodeAdd(const std::string& StrLine);
// "OK" when the line's first nine characters are eight digits and their
// check character, "NG" otherwise.
std::string FncCodeCheck(const std::string& StrLine);

}  // namespace sw
