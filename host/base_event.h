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

#include "platform/dialogs/host_events.h"

namespace zarvento {

class CBaseEvent : public HostNotifySink, public std::enable_shared_from_this<CBaseEvent> {
public:
    CBaseEvent(std::int32_t kind, std::uint32_t document, std::int32_t objectType, HostObjectPtr object,
               HostObjectPtr heldInterface = nullptr);
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
// closing (11). The busy state is the simulation's, which skips drawing while
// the window is busy; the window is refused while a step removes material.
class DocumentFrameEvent : public CBaseEvent {
public:
    DocumentFrameEvent(std::uint32_t document, HostObjectPtr frame)
        : CBaseEvent(kDocumentFrameEvents, document, 0, std::move(frame)) {}
    bool OnHostEvent(std::int32_t event, const HostEventArgs& args) override;

protected:
    std::int32_t LastEvent() const override { return 11; }
};

// A 2D document's objects: every event answers true.
class Obj2DEvent : public CBaseEvent {
public:
    Obj2DEvent(std::uint32_t document, std::int32_t objectType)
        : CBaseEvent(kObject2DEvents, document, objectType, nullptr) {}

protected:
    std::int32_t LastEvent() const override { return 21; }
};

// A document's selection manager: every event answers true.
class SelectMngEvent : public CBaseEvent {
public:
    explicit SelectMngEvent(std::uint32_t document) : CBaseEvent(kSelectionEvents, document, 0, nullptr) {}

protected:
    std::int32_t LastEvent() const override { return 3; }
};

// A 3D document's objects (or one object): the changes answer true.
class Obj3DEvent : public CBaseEvent {
public:
    Obj3DEvent(std::uint32_t document, std::int32_t objectType, HostObjectPtr object, HostObjectPtr source)
        : CBaseEvent(kObject3DEvents, document, object ? 0 : objectType, std::move(object), std::move(source)) {}

protected:
    std::int32_t LastEvent() const override { return 12; }
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
CBaseEventPtr EnsureObj2DEvent(std::uint32_t document, std::int32_t objectType);
CBaseEventPtr EnsureSelectMngEvent(std::uint32_t document);
// The sink of an object's changes, or of the document's (no object): its
// notification source is the object itself, or the document's part; nothing
// when there is none.
CBaseEventPtr EnsureObj3DEvent(std::uint32_t document, std::int32_t objectType, const HostObjectPtr& object);

// Makes sure of a document's sinks (0: the active document; another is made
// active first): the document's own first (nothing more when refused); a part
// then its selection, objects and first window, keeping the active document
// and first window in the library's globals; a 2D document its selection and
// objects.
void AdviseDocumentEvents(std::uint32_t document);

// The application's active document exists, is not the hidden work document
// and is a part.
bool IsActiveDocumentPart();

}  // namespace zarvento
