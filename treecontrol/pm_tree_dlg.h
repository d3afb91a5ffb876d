// CpmTreeDlg, the tree-dialog control a container places: a toolbar strip on
// top (CExternalToolBar) and a tree view (CPelmora) filling the rest. Toolbar
// clicks and button-state queries go back to the container as events; the
// container reaches the tree through TreeView and then works on it alone.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/core/connection_point.h"
#include "platform/core/host_object.h"
#include "platform/dialogs/host_control.h"
#include "treecontrol/external_tool_bar.h"
#include "treecontrol/pelmora.h"
#include "treecontrol/pelmora_lib.h"

namespace pelmora {

class CpmTreeDlg : public zarvento::HostObject,
                   public IpmTreeDlg,
                   public zarvento::HostControl,
                   public zarvento::ISupportErrorInfo {
public:
    static constexpr int kTreeId = 2002;
    // The tree's styles beside its own: no dragging, the selection shown
    // while the tree has no focus.
    static constexpr std::uint32_t kTreeStyle = zarvento::kTreeDisableDragDrop | zarvento::kTreeShowSelAlways;

    CpmTreeDlg();
    ~CpmTreeDlg() override;

    // IpmTreeDlg.
    HRESULT get_TreeView(std::shared_ptr<IPelmora>* tree) override;
    HRESULT LoadToolBar(const Variant& resModule, const Variant& toolbarId, VARIANT_BOOL* result) override;
    HRESULT Advise(std::shared_ptr<DpmTreeDlgEvents> sink, AdviseCookie* cookie) override;
    HRESULT Unadvise(AdviseCookie cookie) override;

    // HostControl: the window with the toolbar and the tree inside; false
    // when any of the three cannot be made (then none is left).
    bool CreateControlWindow(zarvento::HostWindow* parent, const zarvento::WindowRect& rect) override;
    void DestroyControlWindow() override;
    zarvento::HostWindow* ControlWindow() const override;
    // Lays the toolbar and the tree out anew, as on a resize.
    void SetControlRect(const zarvento::WindowRect& rect) override;

    // Error records come from IpmTreeDlg's methods only.
    HRESULT InterfaceSupportsErrorInfo(std::string_view interfaceId) override;

    CExternalToolBar& ToolBar() { return toolBar_; }
    CPelmora& Tree() { return *tree_; }
    std::vector<std::string> PropertyPages() const;

    // Routes a command to the control's handlers: a toolbar command when
    // `state` is null, else the query of a button's state (preset enabled
    // and unchecked, the answers left in `state`). Afterwards the toolbar's
    // buttons are brought up to date, unless that is what is running now.
    // True when the control handles the id.
    struct ButtonState {
        bool enabled = true;
        bool checked = false;
    };
    bool OnCmdMsg(int id, ButtonState* state);

private:
    class DialogWindow;
    void Layout(int cx, int cy);

    std::unique_ptr<DialogWindow> window_;
    CExternalToolBar toolBar_;  // before the tree, so that the tree goes first
    std::shared_ptr<CPelmora> tree_;
    zarvento::ConnectionPoint<DpmTreeDlgEvents> events_;
    // One for all the controls of the thread: updating one toolbar routes
    // commands that would update it again.
    static bool updatingButtons_;
};

}  // namespace pelmora
