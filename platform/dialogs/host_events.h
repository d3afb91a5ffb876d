// Host notifications: a library subscribes a sink of its own for one kind of
// event source (the application, a document, a document's window, ...) with a
// connection record, and the host calls the sink's handler for each event of
// that source, in subscription order. The headless host fires events when a
// test or script asks it to. Documents are known to these calls by their
// procedural reference, a stable 32-bit number; each document has one window
// (its first frame).
#pragma once

#include <cstdint>

#include "platform/core/host_object.h"
#include "platform/documents/host_document.h"

namespace zarvento {

// Event kinds of the subscription call.
enum HostEventKind : std::int32_t {
    kApplicationEvents = 1,
    kDocumentFileEvents = 2,
    kObject2DEvents = 4,
    kSelectionEvents = 5,
    kObject3DEvents = 10,
    kDocumentFrameEvents = 14,
};

// What the host hands to the subscription call, and back to unsubscribe.
struct ConnectionRecord {
    std::uint32_t sourceReference = 0;  // the document's procedural reference; 0 for the application
    std::int32_t objectType = 0;
    std::int32_t eventKind = 0;
    HostObjectPtr heldInterface;
    HostObjectPtr heldObject;  // the window of a frame sink
};

// What an event carries beside its number: an object (a new window, the view
// box to fill) and a number (a command announced).
struct HostEventArgs {
    HostObjectPtr object;
    std::int64_t value = 0;
};

// The library's side of a subscription.
class HostNotifySink {
public:
    virtual ~HostNotifySink() = default;
    // Whether the sink handles event `event` at all (the host asks first).
    virtual bool IsEventHandled(std::int32_t event) = 0;
    // The event; the answer is the handler's (true lets the host go on).
    virtual bool OnHostEvent(std::int32_t event, const HostEventArgs& args) = 0;
};

// Subscribes the sink; the connection number (non-zero), or 0 when the host
// refuses (RefuseHostSubscriptions, or HostFaults "SubscribeHostEvents").
std::int32_t SubscribeHostEvents(const ConnectionRecord& record, HostNotifySink* sink);
// Ends a subscription; unknown numbers are ignored.
void UnsubscribeHostEvents(std::int32_t connection);
// The number of live subscriptions, and of those of one kind.
int HostSubscriptionCount(std::int32_t eventKind = 0);
// Makes every later subscription fail (or succeed again).
void RefuseHostSubscriptions(bool refuse);
// The host's state query about a new sink; non-zero asks the library for the
// post-command call before it subscribes. The headless host answers 0 unless set.
std::int32_t HostSinkState();
void SetHostSinkState(std::int32_t state);

// Fires an event at every sink subscribed to that kind and source (and, for a
// frame sink, to that window when `window` is given) that handles it, in
// subscription order; a sink released by an earlier handler is skipped.
// False when a handler answered false.
bool FireHostEvent(std::int32_t eventKind, std::uint32_t sourceReference, std::int32_t event,
                   const HostEventArgs& args = {}, const HostObjectPtr& window = nullptr);

// The document's procedural reference (0 for none), and back (null when the
// document is gone).
std::uint32_t DocumentReference(const HostDocumentPtr& doc);
HostDocumentPtr DocumentOfReference(std::uint32_t reference);

// Item `index` of a 3D document's window collection: the one window of a part
// or an assembly (made on first ask); E_INVALIDARG for another index or a 2D
// document, which has no 3D interface.
HostObjectPtr DocumentFrame(const HostDocumentPtr& doc, int index);

// The box a window's view takes, which the host hands to a frame sink asking
// for the extent of the library's objects.
class HostViewBox : public HostObject {
public:
    double min[3] = {0, 0, 0};
    double max[3] = {0, 0, 0};
    bool set = false;
    void SetBox(const double lo[3], const double hi[3]);
};

}  // namespace zarvento
