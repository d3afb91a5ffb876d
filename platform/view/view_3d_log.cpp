// The recording 3D view of the headless host.
#include "platform/view/view_3d_log.h"

#include "platform/core/host_faults.h"
#include "platform/core/process_state.h"

namespace zarvento {

ZARVENTO_STATE_RESET { View3DLog::Instance().Reset(); }

View3DLog& View3DLog::Instance() {
    static View3DLog log;
    return log;
}

void View3DLog::Record(View3DEntry entry) {
    HostFaults::Check("View3D." + entry.action);
    entries_.push_back(std::move(entry));
}

std::vector<View3DEntry> View3DLog::EntriesOf(int item) const {
    std::vector<View3DEntry> out;
    for (const auto& e : entries_)
        if (e.item == item) out.push_back(e);
    return out;
}

std::vector<std::string> View3DLog::Actions() const {
    std::vector<std::string> out;
    out.reserve(entries_.size());
    for (const auto& e : entries_) out.push_back(e.action);
    return out;
}

bool View3DLog::IsDrawn(int item) const {
    bool drawn = false;
    for (const auto& e : entries_) {
        if (e.item != item) continue;
        if (e.action == "Erase")
            drawn = false;
        else if (e.action.rfind("Create", 0) == 0)
            drawn = true;
    }
    return drawn;
}

bool View3DLog::IsVisible(int item) const {
    bool visible = false;
    for (const auto& e : entries_) {
        if (e.item != item) continue;
        if (e.action == "Erase" || e.action == "Hide")
            visible = false;
        else if (e.action == "Show" || e.action.rfind("Create", 0) == 0)
            visible = true;
    }
    return visible;
}

void View3DLog::Reset() {
    entries_.clear();
    lastItem_ = 0;
}

}  // namespace zarvento
