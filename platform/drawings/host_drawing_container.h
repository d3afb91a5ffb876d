// HostDrawingContainer: the drawing objects of one 3D document's view. The
// library creates drawables here and removes them through the drawable; the
// container keeps the live ones in creation order and forgets them all when
// the document closes.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/drawings/host_drawable.h"

namespace zarvento {

class HostDrawingContainer {
public:
    HostDrawingContainer() = default;
    ~HostDrawingContainer();
    HostDrawingContainer(const HostDrawingContainer&) = delete;
    HostDrawingContainer& operator=(const HostDrawingContainer&) = delete;

    // A new, empty drawable; null while the host is told to give none.
    std::shared_ptr<HostDrawable> Create();
    // The next `count` creates give no drawable (the host's refusal).
    void RefuseCreates(int count) { refusals_ = count; }

    // Live drawables in creation order.
    const std::vector<std::shared_ptr<HostDrawable>>& Live() const { return live_; }
    std::int64_t CreatedCount() const { return created_; }
    std::int64_t RemovedCount() const { return removed_; }

    // Called by the drawable's remove call.
    void Remove(HostDrawable& drawable);
    // Every drawable goes (the document closes).
    void RemoveAll();

private:
    std::vector<std::shared_ptr<HostDrawable>> live_;
    std::int64_t created_ = 0;
    std::int64_t removed_ = 0;
    int refusals_ = 0;
};

}  // namespace zarvento
