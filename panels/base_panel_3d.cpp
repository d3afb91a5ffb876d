// Property panels of a 3D document: the host panel, the picking process and
// the modal run.
#include "panels/base_panel_3d.h"

#include "plan/command_door.h"
#include "platform/core/host_error.h"
#include "platform/core/scope_guard.h"
#include "platform/documents/host_application.h"

namespace zarvento {

namespace {
// The process callbacks forward to it; a destroyed panel takes itself out.
CBasePanel3D* currentPanel = nullptr;
}  // namespace

CBasePanel3D::~CBasePanel3D() {
    if (currentPanel == this) currentPanel = nullptr;
}

CBasePanel3D* CBasePanel3D::CurrentPanel() { return currentPanel; }

HostDocument3D& CBasePanel3D::CommandDocument3D() {
    HostDocumentPtr doc = HeldActiveDocument();
    if (!doc) doc = ActiveHostDocument();
    return Procedural3D(doc);
}

void CBasePanel3D::CreatePanel() {
    propertyManager = GetPropertyManager();
    propertyManager->Setup(0);
    propertyManager->SetCaption("Default PropertyPanel");
    propertyManager->Setup(1);
    propertyManager->SetScriptName(scriptName);
    subscription = SubscriptionRecord{kPropertyManagerNotifications, propertyManager};
    HostApplication* app = HostApplicationObject();
    if (!app) throw HostError(E_POINTER_, "no host application");
    HostDocument3D& document = Procedural3D(app->ActiveDocument());
    pickingProcess = document.CreatePickProcess(0);
    if (pickingProcess) {
        pickingProcess->SetName("Default PropertyPanel");
        pickingProcess->SetFilter(&PanelFilterCallback);
        pickingProcess->SetSelect(&PanelSelectCallback);
        pickingProcess->AttachPropertyManager(propertyManager);
    }
    currentPanel = this;
}

std::int32_t CBasePanel3D::RunPanel() {
    PropertyManager& manager = *subscription.manager;
    manager.Subscribe(subscription.kind, this);
    // Whatever fails in the run, the host does not notify a panel that is
    // going away.
    ScopeGuard unsubscribe([&manager, this, kind = subscription.kind] {
        try {
            manager.Unsubscribe(kind, this);
        } catch (...) {
            // Already failing: the error on its way out is the one to report.
        }
    });
    CommandDocument3D().RunProcess(0);
    unsubscribe.Dismiss();
    manager.Unsubscribe(subscription.kind, this);
    OnClosePanel();
    return result;
}

bool CBasePanel3D::FilterObject(const HostObjectPtr&) { return true; }

bool CBasePanel3D::OnSelectObject(const HostObjectPtr&, const Variant&) { return true; }

bool CBasePanel3D::PanelFilterCallback(const HostObjectPtr& object) {
    return currentPanel ? currentPanel->FilterObject(object) : false;
}

bool CBasePanel3D::PanelSelectCallback(const HostObjectPtr& object, const Variant& value) {
    return currentPanel ? currentPanel->OnSelectObject(object, value) : false;
}

}  // namespace zarvento
