// CBasePanel3D: a property panel of a 3D document. It owns the document's
// picking process, whose filter and selection callbacks reach the panel that
// was created last, so the user can pick faces, sketches and coordinate
// systems in the 3D view while the panel runs.
#pragma once

#include <memory>

#include "panels/base_panel.h"
#include "platform/dialogs/pick_process.h"
#include "platform/host/host_document_3d.h"

namespace zarvento {

class CBasePanel3D : public CBasePanel {
public:
    using CBasePanel::CBasePanel;
    ~CBasePanel3D() override;

    // The host's panel, its subscription record and the picking process of
    // the active 3D document; fails (E_POINTER) before any process exists
    // when there is none.
    void CreatePanel() override;
    // Subscribed, the command's 3D document runs the process until a button
    // handler ends it; then unsubscribed and closed.
    std::int32_t RunPanel() override;

    // May the object be picked? Every object, in the base.
    virtual bool FilterObject(const HostObjectPtr& object);
    virtual bool OnSelectObject(const HostObjectPtr& object, const Variant& value);

    // The callbacks handed to the host: the current panel's two handlers.
    static bool PanelFilterCallback(const HostObjectPtr& object);
    static bool PanelSelectCallback(const HostObjectPtr& object, const Variant& value);
    // The panel that last ran CreatePanel (while it lives), or null.
    static CBasePanel3D* CurrentPanel();

protected:
    // The procedural 3D document of the command that runs.
    static HostDocument3D& CommandDocument3D();

    std::shared_ptr<PickProcess> pickingProcess;
};

}  // namespace zarvento
