// The statement grammar's entry point. Its statements are not read yet: a
// VERSION "17"/"18" description gives its header values and CNC codes but no
// cycle definitions, frame templates, address words or tables, so its frames
// write their built-in texts.
#include "post/cycle_definition_parser.h"

#include "post/post_processor.h"

namespace zarvento {

void ParseCycleDefinition(CPostProcessor&, std::string_view) {}

}  // namespace zarvento
