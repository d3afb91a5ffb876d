// The NC program's units setting, kept process-wide by the program settings
// for the path-file reader, the panels and the plan variable "_INCH".
#pragma once

#include <cstdint>

namespace zarvento {

// 0 millimetres, 1 inches, 2 centimetres.
extern std::int32_t nINCH;

}  // namespace zarvento
