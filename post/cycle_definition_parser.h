// The statement grammar of the machine-cycle section of VERSION "17" and
// "18" descriptions: CYCLE, PARAM, value, CODE, PRINT, TABLE, ... statements.
#pragma once

#include <string_view>

namespace zarvento {

class CPostProcessor;

// Reads the section (from "BEGIN_MACHINE_CYCLES" up to, not including,
// "END_MACHINE_CYCLES") into the post-processor's definitions and tables and
// the process-wide frame templates, address words and table list. The
// description reader has emptied all of them before.
void ParseCycleDefinition(CPostProcessor& post, std::string_view section);

}  // namespace zarvento
