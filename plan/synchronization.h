// Synchronisation of the plan with the document: the plan data and the
// operations thrown away and rebuilt from the records stored in the active
// part document, and the process-wide flags that take part in it.
#pragma once

#include <string>

namespace zarvento {

class CPLAN;

// Set for the whole synchronisation; the tree's expand and collapse handlers
// do not store the plan while it is set.
extern bool SynchronisingFlag;
// Armed by the synchronisation before the operations are rebuilt, so that the
// post-processor change notice is shown at most once per synchronisation.
extern bool PostProcessorNoticeFlag;

// Shows the notice that the operations' post-processor changed when the flag
// is armed, and disarms it; false when nothing was shown.
bool ShowPostProcessorNotice();

// Shows, once until the next synchronisation, that an operation asks for a
// machine cycle the post-processor (named) does not have, so its moves are
// elementary; false when it was shown before.
bool ShowForcedElementaryNotice(const std::string& postProcessor);

// Rebuilds the plan data (a new instance with its own session directory) and
// the plan's operations from the active document's records, recalculates the
// plan and refreshes its tree. E_POINTER without an active document. A value
// that cannot be read raises HostError; the flags are put back on every exit
// and nothing is written to the document before the whole load succeeded.
void DoSynchronizationData(CPLAN& plan);

}  // namespace zarvento
