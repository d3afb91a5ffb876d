// The plan tree: the machining plan shown in the panel of the part's window.
// The tree is the tree-dialog control the host places there by its ProgID;
// the plan asks it for its tree view's window and then drives that window as
// the host's tree window (items, image list, selection), gives it its context
// menus, and hears its events through the listener the host binding advises.
// Without the control (not registered) every tree operation does nothing and
// the plan works on.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/host_object.h"
#include "platform/dialogs/host_bitmap.h"
#include "platform/dialogs/popup_menu.h"
#include "platform/tree/image_list.h"
#include "platform/tree/tree_control.h"

namespace pelmora {
class IpmTreeDlg;
class IPelmora;
}  // namespace pelmora

namespace zarvento {

class HostPanel;

// Hears the tree view's events; it stops when destroyed.
class PlanTreeListener {
public:
    virtual ~PlanTreeListener() = default;
};

// Advises a listener on the tree view (the host binding provides it).
class PlanTreeEventSource {
public:
    virtual ~PlanTreeEventSource() = default;
    // Null when the view takes no listener.
    virtual std::unique_ptr<PlanTreeListener> Advise(const std::shared_ptr<pelmora::IPelmora>& view) = 0;
};
// Puts the source in place (null: none) and returns the previous one.
PlanTreeEventSource* RegisterPlanTreeEventSource(PlanTreeEventSource* source);

class PlanTree {
public:
    // The ProgID the control is asked for, its caption in the panel, and what
    // the user is told when it is not there.
    static constexpr const char* kProgId = "Tindral.TreeDlgCtrl.1";
    static constexpr const char* kCaption = "Zarvento";
    static constexpr const char* kNoControl = "Не обнаружен компонент Tindral.ocx";
    static constexpr const char* kRootText = "План токарной обработки";
    // The selected roles besides k + 2 for operation k.
    static constexpr int kRootRole = 1000, kNcSystemRole = 0, kStockRole = 1, kNoRole = -1;
    // The mask colour of the tree's bitmaps.
    static constexpr std::uint32_t kMaskColour = 0x00C0C0C0;

    PlanTree() = default;
    // Takes the control out of the panel under the busy flag.
    ~PlanTree();
    PlanTree(const PlanTree&) = delete;
    PlanTree& operator=(const PlanTree&) = delete;

    // Places the control in the active part's window panel and binds the
    // tree to its window: image list, root, read-only, listener. Does
    // nothing once the panel was asked (a control exists, or the user was
    // told that there is none) or when the active document has no 3D window.
    void Create();
    // A tree window of the plan's own, with the image list and the root, for
    // suites and benchmarks that run without the control registered.
    TreeControl& CreateControl();

    // The tree window; null while there is no control.
    TreeControl* Control() const;
    // The panel was asked for the control and had none to give (it is not
    // registered, or its registration is stale): the plan has no tree.
    bool ControlMissing() const { return askedPanel_ && !Control(); }
    TreeItem Root() const { return root_; }
    // The placed control and the panel it sits in; null without them.
    const HostObjectPtr& ControlObject() const { return controlObject_; }
    HostPanel* Panel() const { return panel_; }
    ImageListHandle ImageListOfTree() const { return imageList_; }

    // Deletes every item and inserts the root, under the busy flag; the
    // flag is as it was afterwards in every case.
    void Reset();
    // A new image list of the table's bitmaps, the table filled anew.
    void CreateImageList();
    // The role of the selected item: 1000 the root, 0 the NC-system group, 1
    // the stock-and-tools group, k + 2 the group of operation k (any line of
    // a group gives the group's role); -1 for nothing, an unknown item or no
    // tree.
    int GetSelectedRole();
    // The role the item would have selected.
    int RoleOf(TreeItem item) const;
    // Clears the tree's selection when `role` is -1.
    void Deselect(int role);
    void DeleteItem(TreeItem item);
    // Exchanges two adjacent items among the root's children (a just before
    // b); the others keep their order, and both keep handles and subtrees.
    void SwapItems(TreeItem a, TreeItem b);

    // The context menus: each is handed to the control, which opens it on a
    // right click and reports the chosen id.
    void ShowRootMenu();
    void ShowDataMenu();
    void ShowOperationMenu(int index);
    void DestroyMenus();
    MenuHandle ContextMenu() const { return context_; }
    // The states of a menu item for the selected role: disabled and checked
    // are written (checked as -1), the rest left as the control passed them.
    void UpdateMenuState(int id, bool* enabled, std::int32_t* checked, int role) const;

private:
    void BindWindow(WindowHandle handle);
    void InsertRoot();
    void MakeMenus();
    void AppendCommonItems(bool withClear);
    void HandMenuToControl();

    bool askedPanel_ = false;
    HostObjectPtr frame_;  // keeps the window and its panel
    HostPanel* panel_ = nullptr;
    HostObjectPtr controlObject_;
    std::shared_ptr<pelmora::IpmTreeDlg> control_;
    std::shared_ptr<pelmora::IPelmora> view_;
    WindowHandle handle_ = kNoWindow;
    std::unique_ptr<TreeControl> own_;
    TreeItem root_ = kNoTreeItem;
    TreeItem selected_ = kNoTreeItem;
    ImageListHandle imageList_ = 0;
    MenuHandle above_ = 0, below_ = 0, context_ = 0;
    std::vector<BitmapHandle> bitmaps_;  // of the menus' items
    std::unique_ptr<PlanTreeListener> listener_;
};

// The plan tree, made (without a control) on first use.
PlanTree& GetPlanTree();
// The plan tree when it exists, else null.
PlanTree* ExistingPlanTree();
void DeletePlanTree();
// The bitmap's index in the tree's image table; 0 when absent (as 10550's).
int GetTreeImageIndex(int bitmapId);
// The bitmap ids of the tree's images, by index.
const std::vector<int>& TreeImageTable();

}  // namespace zarvento
