// The state record as name=value lines, for the replay tool, bug reports
// and tests that compare whole records.
#pragma once

#include <string>

#include "game/state.h"

namespace sw {

std::string DumpRecord(const GameState& s);

// Sets one field by name from text; false if there is no such field.
// The well is set with SetWellRow (one row of seven characters, '.' empty).
bool SetField(GameState& s, const std::string& name, const std::string& value);
bool SetWellRow(GameState& s, int row, const std::string& cells);

}  // namespace sw
