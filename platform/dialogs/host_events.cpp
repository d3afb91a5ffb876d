// Subscriptions, firing, and the documents' references and windows.
#include "platform/dialogs/host_events.h"

#include <algorithm>
#include <map>
#include <vector>

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/core/process_state.h"
#include "platform/dialogs/host_panel.h"

namespace zarvento {

namespace {

struct Subscription {
    std::int32_t connection;
    ConnectionRecord record;
    HostNotifySink* sink;
};

// A document's window and the panel beside its view.
class HostFrame : public HostObject {
public:
    HostPanel panel;
};

struct Events {
    std::vector<Subscription> subscriptions;
    std::int32_t nextConnection = 1;
    bool refuse = false;
    std::int32_t sinkState = 0;
    // References in the order given; a closed document keeps its number.
    std::vector<std::pair<std::weak_ptr<HostDocument>, std::uint32_t>> references;
    std::uint32_t nextReference = 1;
    std::map<const HostDocument*, std::pair<std::weak_ptr<HostDocument>, HostObjectPtr>> frames;
} events;

}  // namespace

ZARVENTO_STATE_RESET { events = Events{}; }

std::int32_t SubscribeHostEvents(const ConnectionRecord& record, HostNotifySink* sink) {
    HostFaults::Check("SubscribeHostEvents");
    if (events.refuse || sink == nullptr) return 0;
    const std::int32_t connection = events.nextConnection++;
    events.subscriptions.push_back(Subscription{connection, record, sink});
    return connection;
}

void UnsubscribeHostEvents(std::int32_t connection) {
    HostFaults::Check("UnsubscribeHostEvents");
    std::erase_if(events.subscriptions, [&](const Subscription& s) { return s.connection == connection; });
}

int HostSubscriptionCount(std::int32_t eventKind) {
    return static_cast<int>(std::count_if(events.subscriptions.begin(), events.subscriptions.end(), [&](const auto& s) {
        return eventKind == 0 || s.record.eventKind == eventKind;
    }));
}

void RefuseHostSubscriptions(bool refuse) { events.refuse = refuse; }

std::int32_t HostSinkState() {
    HostFaults::Check("HostSinkState");
    return events.sinkState;
}

void SetHostSinkState(std::int32_t state) { events.sinkState = state; }

bool FireHostEvent(std::int32_t eventKind, std::uint32_t sourceReference, std::int32_t event, const HostEventArgs& args,
                   const HostObjectPtr& window) {
    std::vector<std::int32_t> targets;
    for (const Subscription& s : events.subscriptions)
        if (s.record.eventKind == eventKind && s.record.sourceReference == sourceReference &&
            (!window || SameHostObject(s.record.heldObject, window)))
            targets.push_back(s.connection);
    bool all = true;
    // Bounded by the subscriptions there were when the event began.
    for (std::int32_t connection : targets) {
        auto it = std::find_if(events.subscriptions.begin(), events.subscriptions.end(),
                               [&](const Subscription& s) { return s.connection == connection; });
        if (it == events.subscriptions.end()) continue;
        HostNotifySink* sink = it->sink;
        if (!sink->IsEventHandled(event)) continue;
        all = sink->OnHostEvent(event, args) && all;
    }
    return all;
}

std::uint32_t DocumentReference(const HostDocumentPtr& doc) {
    if (!doc) return 0;
    for (const auto& [weak, reference] : events.references)
        if (weak.lock() == doc) return reference;
    events.references.emplace_back(doc, events.nextReference);
    return events.nextReference++;
}

HostDocumentPtr DocumentOfReference(std::uint32_t reference) {
    for (const auto& [weak, number] : events.references)
        if (number == reference) return weak.lock();
    return nullptr;
}

HostObjectPtr DocumentFrame(const HostDocumentPtr& doc, int index) {
    HostFaults::Check("DocumentFrame");
    if (!doc) throw HostError(E_POINTER_, "no document");
    if (doc->Type() == DocumentType::Drawing2D) throw HostError(E_NOINTERFACE_, "a 2D document has no 3D windows");
    if (index != 0) throw HostError(E_INVALIDARG_, "the document has one window");
    std::erase_if(events.frames, [](const auto& entry) { return entry.second.first.expired(); });
    auto& entry = events.frames[doc.get()];
    if (!entry.second) entry = {doc, std::make_shared<HostFrame>()};
    return entry.second;
}

HostPanel& FramePanel(const HostObjectPtr& frame) {
    HostFaults::Check("FramePanel");
    auto* window = dynamic_cast<HostFrame*>(frame.get());
    if (!window) throw HostError(E_NOINTERFACE_, "the object is no document window");
    return window->panel;
}

void HostViewBox::SetBox(const double lo[3], const double hi[3]) {
    HostFaults::Check("HostViewBox.SetBox");
    std::copy(lo, lo + 3, min);
    std::copy(hi, hi + 3, max);
    set = true;
}

}  // namespace zarvento
