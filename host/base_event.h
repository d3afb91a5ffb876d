// The library's sinks for the host's notifications. Every sink is one
// subscription: an event kind, a source document (0 for the application), an
// object type and, for a window's sink, the window. The library keeps its
// sinks in one list, newest last; a sink lives until its document or window
// closes, the host closes, or the library unloads, and a sink released while
// one of its own events runs stays alive until that event has returned.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/host_events.h"

namespace zarvento {

class CBaseEvent : public HostNotifySink, public std::enable_shared_from_this<CBaseEvent> {
public:
    CBaseEvent(std::int32_t kind, std::uint32_t document, std::int32_t objectType, HostObjectPtr object);
    // Unsubscribes when still subscribed.
    ~CBaseEvent() override;
    CBaseEvent(const CBaseEvent&) = delete;
    CBaseEvent& operator=(const CBaseEvent&) = delete;

    // Subscribes once (asking the host's state first: a non-zero state takes
    // the post-command call); true when subscribed.
    bool Advise();
    void Unadvise();
    // Lets go of the held interface and object and clears the record; 0.
    virtual int Disconnect();

    std::int32_t Connection() const { return connection_; }
    const ConnectionRecord& Record() const { return record_; }
    std::uint32_t Document() const { return document_; }
    std::int32_t Kind() const { return kind_; }
    std::int32_t ObjectType() const { return objectType_; }
    const HostObjectPtr& Object() const { return object_; }

    // The host asks first whether an event is handled: 1 to the last of the kind.
    bool IsEventHandled(std::int32_t event) override { return event >= 1 && event <= LastEvent(); }
    // Every event not handled otherwise answers true and does nothing.
    bool OnHostEvent(std::int32_t event, const HostEventArgs& args) override;

protected:
    virtual std::int32_t LastEvent() const = 0;

private:
    std::int32_t kind_;
    std::uint32_t document_;
    std::int32_t objectType_;
    HostObjectPtr object_;
    ConnectionRecord record_;
    std::int32_t connection_ = 0;
};

using CBaseEventPtr = std::shared_ptr<CBaseEvent>;

// The host application: closing (5) and announced commands (9).
class ApplicationEvent : public CBaseEvent {
public:
    ApplicationEvent() : CBaseEvent(kApplicationEvents, 0, 0, nullptr) {}
    bool OnHostEvent(std::int32_t event, const HostEventArgs& args) override;

protected:
    std::int32_t LastEvent() const override { return 11; }
};

// A document's file: closing (2), about to be reloaded (6), a new window (8).
class DocumentEvent : public CBaseEvent {
public:
    explicit DocumentEvent(std::uint32_t document) : CBaseEvent(kDocumentFileEvents, document, 0, nullptr) {}
    bool OnHostEvent(std::int32_t event, const HostEventArgs& args) override;

protected:
    std::int32_t LastEvent() const override { return 10; }
};

// A document's window: frame busy (1) and clear (2), the view's extent (8),
// closing (11).
class DocumentFrameEvent : public CBaseEvent {
public:
    DocumentFrameEvent(std::uint32_t document, HostObjectPtr frame)
        : CBaseEvent(kDocumentFrameEvents, document, 0, std::move(frame)) {}
    bool OnHostEvent(std::int32_t event, const HostEventArgs& args) override;

    // Set while the window is busy drawing; the simulation skips a step then.
    static bool FrameBusy;
    // Set by the simulation while it draws one of its steps: the window is
    // then refused as busy.
    static bool SimulationDrawingStep;

protected:
    std::int32_t LastEvent() const override { return 11; }
};

// The library's sinks, oldest first.
const std::vector<CBaseEventPtr>& EventList();

// The newest sink of that kind (0: any), document, object type (-1 also finds
// 0) and object; null when none.
CBaseEventPtr FindEvent(std::int32_t kind, std::uint32_t document, std::int32_t objectType,
                        const HostObjectPtr& object);
// Releases, newest first, every sink that matches all keys given; 0 (-1 for
// the object type, null for the object) matches any.
void RemoveEvents(std::int32_t kind, std::uint32_t document, std::int32_t objectType, const HostObjectPtr& object);
// Releases every sink (the library unloads).
void RemoveAllEvents();
// Unsubscribes, disconnects and takes the sink off the list.
void ReleaseEvent(const CBaseEventPtr& sink);

// The existing sink, or a new subscribed one; null when the host refuses the
// subscription or the document is 0. A window's sink makes sure of its
// document's sink first.
CBaseEventPtr EnsureApplicationEvent();
CBaseEventPtr EnsureDocumentEvent(std::uint32_t document);
CBaseEventPtr EnsureDocumentFrameEvent(std::uint32_t document, const HostObjectPtr& frame);

// The application's active document exists, is not the hidden work document
// and is a part.
bool IsActiveDocumentPart();

}  // namespace zarvento
