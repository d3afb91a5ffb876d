// The 3D view of the headless host: every drawable item created, erased,
// shown or hidden is recorded in order with its arguments and colour, so that
// callers and tests can see each drawing call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zarvento {

struct View3DEntry {
    int item = 0;              // the drawable item, numbered from 1 in creation order
    std::string action;        // "CreateLine", "CreatePolyline", "CreateRevolvedLine", "Erase", ...
    std::vector<double> args;  // the call's numeric arguments in order
    std::uint32_t colour = 0;
    int kind = 0;  // the item's kind when the call was made
};

class View3DLog {
public:
    static View3DLog& Instance();

    // A new item number for a drawable that is about to draw.
    int NewItem() { return ++lastItem_; }
    void Record(View3DEntry entry);

    const std::vector<View3DEntry>& Entries() const { return entries_; }
    std::vector<View3DEntry> EntriesOf(int item) const;
    std::vector<std::string> Actions() const;
    // Items currently drawn (created and not erased since) and visible.
    bool IsDrawn(int item) const;
    bool IsVisible(int item) const;
    void Reset();

private:
    std::vector<View3DEntry> entries_;
    int lastItem_ = 0;
};

}  // namespace zarvento
