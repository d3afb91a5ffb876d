// The sinks, their list and their handlers.
#include "host/base_event.h"

#include <algorithm>

#include "geometry/lsc_transform.h"
#include "host/command_entry.h"
#include "host/library_binding.h"
#include "plan/command_door.h"
#include "plan/plan.h"
#include "plan/plan_tree.h"
#include "plan/spid.h"
#include "platform/core/busy_flag.h"
#include "platform/core/host_error.h"
#include "platform/core/process_state.h"
#include "platform/dialogs/host_events.h"
#include "platform/documents/hidden_document.h"
#include "platform/documents/host_application.h"
#include "platform/processes/host_procedures.h"
#include "simulation/simulation.h"

namespace zarvento {

namespace {

std::vector<CBaseEventPtr>& Sinks() {
    static std::vector<CBaseEventPtr> sinks;
    return sinks;
}

// The plan objects of a document that is going: the tree, the plan data and
// the plan executor, in that order.
void DestroyPlanObjects() {
    DeletePlanTree();
    DeleteSPID();
    DeletePLAN();
}

bool Matches(const CBaseEvent& e, std::int32_t kind, std::uint32_t document, std::int32_t objectType,
             const HostObjectPtr& object) {
    return (kind == 0 || e.Kind() == kind) && e.Document() == document &&
           (e.ObjectType() == objectType || (objectType == -1 && e.ObjectType() == 0)) &&
           SameHostObject(e.Object(), object);
}

// A new sink, subscribed and on the list; null (and gone) when refused.
template <typename Sink, typename... Args>
CBaseEventPtr Subscribe(Args&&... args) {
    auto sink = std::make_shared<Sink>(std::forward<Args>(args)...);
    Sinks().push_back(sink);
    if (sink->Advise()) return sink;
    Sinks().pop_back();
    return nullptr;
}

}  // namespace

ZARVENTO_STATE_RESET {
    // The host's subscriptions go with its own reset; the sinks go here.
    Sinks().clear();
}

CBaseEvent::CBaseEvent(std::int32_t kind, std::uint32_t document, std::int32_t objectType, HostObjectPtr object,
                       HostObjectPtr heldInterface)
    : kind_(kind), document_(document), objectType_(objectType), object_(std::move(object)) {
    record_.sourceReference = document;
    record_.objectType = objectType;
    record_.eventKind = kind;
    record_.heldInterface = std::move(heldInterface);
    record_.heldObject = object_;
}

CBaseEvent::~CBaseEvent() {
    try {
        Unadvise();
    } catch (const HostError&) {
        // The host is going or refused: the subscription cannot outlive it.
    }
}

bool CBaseEvent::Advise() {
    if (connection_ == 0 && kind_ != 0) {
        if (HostSinkState() != 0) HostPostCommand();
        connection_ = SubscribeHostEvents(record_, this);
    }
    return connection_ != 0;
}

void CBaseEvent::Unadvise() {
    if (connection_ == 0) return;
    const std::int32_t connection = connection_;
    connection_ = 0;
    UnsubscribeHostEvents(connection);
}

int CBaseEvent::Disconnect() {
    record_ = ConnectionRecord{};
    object_.reset();
    return 0;
}

bool CBaseEvent::OnHostEvent(std::int32_t, const HostEventArgs&) { return true; }

bool ApplicationEvent::OnHostEvent(std::int32_t event, const HostEventArgs&) {
    constexpr std::int32_t kApplicationClosing = 5;
    if (event == kApplicationClosing) {
        // The library does nothing more once the host is closing.
        BusyFlag = true;
        ReleaseEvent(shared_from_this());
    }
    return true;
}

bool DocumentEvent::OnHostEvent(std::int32_t event, const HostEventArgs& args) {
    constexpr std::int32_t kClosing = 2, kBeforeReload = 6, kNewWindow = 8;
    const CBaseEventPtr self = shared_from_this();
    switch (event) {
        case kClosing:
            if (Document() != 0) {
                RemoveEvents(0, Document(), -1, nullptr);
            } else {
                ReleaseEvent(self);
            }
            if (IsActiveDocumentPart()) DestroyPlanObjects();
            return true;
        case kBeforeReload:
            if (!BusyFlag && IsActiveDocumentPart()) {
                BusyFlagGuard busy;
                RunCommandWrapper(-1, kActionRelease, -1);
            }
            return true;
        case kNewWindow: EnsureDocumentFrameEvent(Document(), args.object); return true;
        default: return true;
    }
}

bool DocumentFrameEvent::OnHostEvent(std::int32_t event, const HostEventArgs& args) {
    constexpr std::int32_t kSetFrameBusy = 1, kClearFrameBusy = 2, kViewExtent = 8, kWindowClosing = 11;
    switch (event) {
        case kSetFrameBusy: CSimulation::SetHostFrameBusy(true); return !CSimulation::IsInsideStep();
        case kClearFrameBusy: CSimulation::SetHostFrameBusy(false); return true;
        case kViewExtent: {
            // The view takes in the plan's safety zone: its corner in the NC
            // coordinate system, mirrored through the origin.
            const CSPID* spid = ExistingSPID();
            double x = spid ? spid->Xplane : 0.0, y = 0.0, z = spid ? spid->Zplane : 0.0;
            LscTransform::Global().LocalToGlobal(x, y, z);
            if (auto* box = dynamic_cast<HostViewBox*>(args.object.get())) {
                const double lo[3] = {-x, -y, -z}, hi[3] = {x, y, z};
                box->SetBox(lo, hi);
            }
            return true;
        }
        case kWindowClosing:
            ReleaseEvent(shared_from_this());
            DestroyPlanObjects();
            return true;
        default: return true;
    }
}

const std::vector<CBaseEventPtr>& EventList() { return Sinks(); }

CBaseEventPtr FindEvent(std::int32_t kind, std::uint32_t document, std::int32_t objectType,
                        const HostObjectPtr& object) {
    const auto& sinks = Sinks();
    for (auto it = sinks.rbegin(); it != sinks.rend(); ++it)
        if (Matches(**it, kind, document, objectType, object)) return *it;
    return nullptr;
}

void RemoveEvents(std::int32_t kind, std::uint32_t document, std::int32_t objectType, const HostObjectPtr& object) {
    std::vector<CBaseEventPtr> matching;
    const auto& sinks = Sinks();
    for (auto it = sinks.rbegin(); it != sinks.rend(); ++it) {
        const CBaseEvent& e = **it;
        if ((kind == 0 || e.Kind() == kind) && (document == 0 || e.Document() == document) &&
            (objectType == -1 || e.ObjectType() == objectType) && (!object || SameHostObject(e.Object(), object)))
            matching.push_back(*it);
    }
    for (const CBaseEventPtr& sink : matching) ReleaseEvent(sink);
}

void RemoveAllEvents() {
    // Each release takes one sink off the list: as many rounds as sinks.
    for (std::size_t n = Sinks().size(); n > 0 && !Sinks().empty(); --n) ReleaseEvent(Sinks().front());
}

void ReleaseEvent(const CBaseEventPtr& sink) {
    if (!sink) return;
    const CBaseEventPtr keep = sink;  // the caller's reference may be the list's own
    keep->Unadvise();
    keep->Disconnect();
    auto& sinks = Sinks();
    sinks.erase(std::remove(sinks.begin(), sinks.end(), keep), sinks.end());
}

CBaseEventPtr EnsureApplicationEvent() {
    if (CBaseEventPtr found = FindEvent(kApplicationEvents, 0, -1, nullptr)) return found;
    return Subscribe<ApplicationEvent>();
}

CBaseEventPtr EnsureDocumentEvent(std::uint32_t document) {
    if (document == 0) return nullptr;
    if (CBaseEventPtr found = FindEvent(kDocumentFileEvents, document, -1, nullptr)) return found;
    return Subscribe<DocumentEvent>(document);
}

CBaseEventPtr EnsureDocumentFrameEvent(std::uint32_t document, const HostObjectPtr& frame) {
    if (document == 0) return nullptr;
    EnsureDocumentEvent(document);
    if (CBaseEventPtr found = FindEvent(kDocumentFrameEvents, document, -1, frame)) return found;
    return Subscribe<DocumentFrameEvent>(document, frame);
}

CBaseEventPtr EnsureObj2DEvent(std::uint32_t document, std::int32_t objectType) {
    if (document == 0) return nullptr;
    EnsureDocumentEvent(document);
    if (CBaseEventPtr found = FindEvent(kObject2DEvents, document, objectType, nullptr)) return found;
    return Subscribe<Obj2DEvent>(document, objectType);
}

CBaseEventPtr EnsureSelectMngEvent(std::uint32_t document) {
    if (document == 0) return nullptr;
    EnsureDocumentEvent(document);
    if (CBaseEventPtr found = FindEvent(kSelectionEvents, document, -1, nullptr)) return found;
    return Subscribe<SelectMngEvent>(document);
}

CBaseEventPtr EnsureObj3DEvent(std::uint32_t document, std::int32_t objectType, const HostObjectPtr& object) {
    if (document == 0) return nullptr;
    // An object reports its own changes; without one the document's part does.
    HostObjectPtr source = object;
    if (!source) {
        HostDocumentPtr doc = DocumentOfReference(document);
        if (doc && doc->Document3D()) source = doc;
    }
    if (!source) return nullptr;
    EnsureDocumentEvent(document);
    const std::int32_t type = object ? 0 : objectType;
    if (CBaseEventPtr found = FindEvent(kObject3DEvents, document, type, object)) return found;
    return Subscribe<Obj3DEvent>(document, objectType, object, source);
}

void AdviseDocumentEvents(std::uint32_t document) {
    HostApplication& app = ConnectedApplication();
    HostDocumentPtr doc;
    if (document == 0) {
        doc = app.ActiveDocument();
        document = DocumentReference(doc);
    } else {
        doc = DocumentOfReference(document);
        if (doc) app.SetActiveDocument(doc);
    }
    if (!doc || !EnsureDocumentEvent(document)) return;
    switch (doc->Type()) {
        case DocumentType::Part: {
            LibraryGlobals& g = Globals();
            g.activeDocument = app.ActiveDocument();
            g.firstFrame = DocumentFrame(doc, 0);
            EnsureSelectMngEvent(document);
            EnsureObj3DEvent(document, 0, nullptr);
            if (g.firstFrame) EnsureDocumentFrameEvent(document, g.firstFrame);
            return;
        }
        case DocumentType::Drawing2D:
            EnsureSelectMngEvent(document);
            EnsureObj2DEvent(document, 0);
            return;
        default: return;
    }
}

bool IsActiveDocumentPart() {
    HostDocumentPtr doc = ConnectedApplication().ActiveDocument();
    return doc && doc != HiddenDocument() && doc->Type() == DocumentType::Part;
}

}  // namespace zarvento
