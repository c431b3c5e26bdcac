// File dialog filters arrive in the "Description|pattern|Description|pattern" form;
// Qt wants one "Description (patterns)" text per choice.
#pragma once

#include <string>
#include <vector>

namespace voltander {

// One Qt name filter per description/pattern pair, in order. "*.*" means every
// file, as the filter's author meant it, so it becomes "*" (Qt's "*.*" would hide
// files without a dot), also inside the description's own parentheses.
std::vector<std::string> QtNameFilters(const std::string& filter);

}  // namespace voltander
