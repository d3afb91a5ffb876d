// CpmTreeDlg: its window and layout, the toolbar's commands and states.
#include "treecontrol/pm_tree_dlg.h"

#include <algorithm>

#include "platform/core/host_faults.h"
#include "platform/core/scope_guard.h"
#include "platform/processes/component_registry.h"

namespace pelmora {

using zarvento::AutomationCall;
using zarvento::E_INVALIDARG_;
using zarvento::S_OK_;

namespace {

const zarvento::AutomationSource kSource = CPelmoraApp::Source(kIpmTreeDlgIid);

bool IsToolBarCommand(int id) { return id >= pmTVGN_IDCM_MIN && id <= pmTVGN_IDCM_MAX; }

}  // namespace

bool CpmTreeDlg::updatingButtons_ = false;

// The control's own window: the toolbar's commands arrive here.
class CpmTreeDlg::DialogWindow : public zarvento::HostWindow {
public:
    DialogWindow(CpmTreeDlg& dlg, zarvento::HostWindow* parent) : HostWindow(parent), dlg_(dlg) {}

protected:
    bool WindowProc(zarvento::HostMessage& message) override {
        if (message.kind != zarvento::MessageKind::Command) return false;
        return dlg_.OnCmdMsg(message.code, nullptr);
    }

private:
    CpmTreeDlg& dlg_;
};

CpmTreeDlg::CpmTreeDlg() : tree_(std::make_shared<CPelmora>()) { CPelmoraApp::Instance().ObjectCreated(); }

CpmTreeDlg::~CpmTreeDlg() {
    DestroyControlWindow();
    CPelmoraApp::Instance().ObjectDestroyed();
}

bool CpmTreeDlg::CreateControlWindow(zarvento::HostWindow* parent, const zarvento::WindowRect& rect) {
    if (window_) return true;
    try {
        zarvento::HostFaults::Check("Pelmora.CreateWindow");
        window_ = std::make_unique<DialogWindow>(*this, parent);
    } catch (...) {
        return false;
    }
    window_->Move(rect);
    if (!toolBar_.Create(window_.get()) ||
        !tree_->CreateTreeWindow(window_.get(), zarvento::WindowRect{}, kTreeId, kTreeStyle)) {
        DestroyControlWindow();
        return false;
    }
    Layout(rect.width, rect.height);
    return true;
}

void CpmTreeDlg::DestroyControlWindow() {
    tree_->DestroyControlWindow();
    toolBar_.Destroy();
    window_.reset();
}

zarvento::HostWindow* CpmTreeDlg::ControlWindow() const { return window_.get(); }

void CpmTreeDlg::SetControlRect(const zarvento::WindowRect& rect) {
    if (!window_) return;
    window_->Move(rect);
    Layout(rect.width, rect.height);
}

void CpmTreeDlg::Layout(int cx, int cy) {
    int h = 0;
    if (zarvento::HostWindow* bar = toolBar_.Window()) {
        if (toolBar_.ItemCount() > 0) {
            h = toolBar_.Height();
            bar->Move({0, 0, cx, h});
            bar->Show(true);
        } else {
            bar->Show(false);
        }
    }
    if (zarvento::HostWindow* tree = tree_->ControlWindow()) tree->Move({0, h, cx, std::max(0, cy - h)});
}

std::vector<std::string> CpmTreeDlg::PropertyPages() const { return {kPmTreeDlgPropPageClsid}; }

HRESULT CpmTreeDlg::InterfaceSupportsErrorInfo(std::string_view interfaceId) {
    return CPelmoraApp::SameId(interfaceId, kIpmTreeDlgIid) ? S_OK_ : zarvento::S_FALSE_;
}

HRESULT CpmTreeDlg::get_TreeView(std::shared_ptr<IPelmora>* tree) {
    return AutomationCall(kSource, [&] {
        if (!tree) return E_INVALIDARG_;
        *tree = tree_;
        return S_OK_;
    });
}

HRESULT CpmTreeDlg::LoadToolBar(const Variant& resModule, const Variant& toolbarId, VARIANT_BOOL* result) {
    return AutomationCall(kSource, [&] {
        if (!result) return E_INVALIDARG_;
        // The layout follows at the next resize.
        *result = toolBar_.LoadToolBar(resModule, toolbarId) ? 1 : 0;
        return S_OK_;
    });
}

HRESULT CpmTreeDlg::Advise(std::shared_ptr<DpmTreeDlgEvents> sink, AdviseCookie* cookie) {
    return AutomationCall(kSource, [&] {
        if (!cookie || !sink) return E_INVALIDARG_;
        *cookie = events_.Advise(std::move(sink));
        return S_OK_;
    });
}

HRESULT CpmTreeDlg::Unadvise(AdviseCookie cookie) {
    return events_.Unadvise(cookie) ? S_OK_ : zarvento::CONNECT_E_NOCONNECTION_;
}

bool CpmTreeDlg::OnCmdMsg(int id, ButtonState* state) {
    // A sink may release the control while it handles the event.
    const std::shared_ptr<HostObject> self = weak_from_this().lock();
    bool handled = false;
    if (IsToolBarCommand(id)) {
        handled = true;
        if (state) {
            VARIANT_BOOL enabled = VARIANT_TRUE_;
            std::int32_t checked = 0;
            events_.Fire([&](DpmTreeDlgEvents& sink) { sink.ButtonUpdate(id, &enabled, &checked); });
            state->enabled = enabled != 0;
            state->checked = checked != 0;
        } else {
            events_.Fire([&](DpmTreeDlgEvents& sink) { sink.ToolBarCommand(id); });
        }
    }
    if (!updatingButtons_ && toolBar_.Window() && toolBar_.ItemCount() > 0) {
        updatingButtons_ = true;
        const zarvento::ScopeGuard flag([] { updatingButtons_ = false; });
        toolBar_.UpdateButtons([this](int button, bool& enabled, bool& checked) {
            ButtonState answer;
            const bool known = OnCmdMsg(button, &answer);
            enabled = answer.enabled;
            checked = answer.checked;
            return known;
        });
    }
    return handled;
}

}  // namespace pelmora
