// The path statistics of an operation: its frames' lengths and times summed,
// with the working time of a cut at constant spindle speed from the path.
#include "nc/modal_state.h"
#include "operations/turn.h"
#include "platform/documents/settings_record.h"

namespace zarvento {

PathStatistics CTurn::CalcStatistics() {
    PathStatistics total;
    if (HasMessage() || isExclude) return total;
    ModalState.constantSpeed = isVconst ? 1 : 0;
    ModalState.cuttingSpeed = Vconst;
    ModalState.minSpindleSpeed = Nmin;
    ModalState.maxSpindleSpeed = Nmax;
    ModalState.feed = Spod;
    for (const auto& frame : frames) {
        const PathStatistics s = frame->GetStatistics();
        total.AddTimesAndLengths(s);
        total.count += s.count;
    }
    if (!isVconst) {
        // A speed or feed that counts as zero leaves no finite time; the
        // operation carries its message for that already.
        total.workTime = Nshp >= 1e-6 && Spod >= 1e-6 ? total.workLength / Nshp / Spod : 0.0;
    }
    const SettingsRecord& settings = SettingsRecord::Global();
    // The settings keep the rapid speed at 0.5 m/min or more; a damaged value
    // must still not turn the idle time infinite.
    const double idleMoves = settings.rapidSpeed > 1e-6 ? total.idleLength * 0.001 / settings.rapidSpeed : 0.0;
    total.auxTime = idleMoves + total.auxTime + settings.spindleTime * 2.0 / 60.0;
    workTime = total.workTime;
    idleTime = total.auxTime;
    workLength = total.workLength;
    idleLength = total.idleLength;
    return total;
}

}  // namespace zarvento
