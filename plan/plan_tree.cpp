// The plan tree: the control in the window's panel, the window bound to it,
// the image table, roles, context menus and their states, swap and teardown.
#include "plan/plan_tree.h"

#include <algorithm>
#include <array>

#include "geometry/number_text.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/busy_flag.h"
#include "platform/core/host_error.h"
#include "platform/core/messages.h"
#include "platform/core/process_state.h"
#include "platform/core/registration.h"
#include "platform/dialogs/host_events.h"
#include "platform/dialogs/host_panel.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_document.h"
#include "treecontrol/pelmora_lib.h"

namespace zarvento {

namespace {

std::unique_ptr<PlanTree> planTree;
// The bitmap ids of the tree's images, by index; filled by CreateImageList.
std::vector<int> imageTable;
Registration<PlanTreeEventSource> eventSource;

// The tree's bitmaps in the order of their indexes: the root, the NC-system
// group and its lines, the stock-and-tools group and its lines, the
// operations by state (10200 + kind, with a message 10400 + kind, excluded
// 10500 + kind) and the operations' lines.
constexpr std::array<int, 32> kImageIds = {10550, 10230, 10071, 10072, 10200, 10082, 10123, 10083, 10201, 10202, 10203,
                                           10204, 10205, 10206, 10207, 10401, 10402, 10403, 10404, 10405, 10406, 10407,
                                           10501, 10502, 10503, 10504, 10505, 10506, 10507, 10077, 10079, 10080};

// The menus' ids and bitmaps.
constexpr int kEdit = 501, kDelete = 502, kExclude = 503, kShowPath = 505, kMoveUp = 506, kMoveDown = 507,
              kWhatIsWrong = 511, kResultModel = 540, kTurnSketch = 541, kShowLSC = 550, kShowStock = 551,
              kShowGadgets = 552, kPlanSketch = 553, kDocumentSet = 554, kClearPlan = 560;
constexpr int kClearBitmap = 10658, kEditBitmap = 10657, kUpBitmap = 10659, kDownBitmap = 10660;
constexpr const char* kTurnKinds[] = {
    "Многопроходная", "Контур", "Канавка", "Сверление", "Нарезание резьбы резцом", "Нарезание резьбы плашкой/метчиком",
    "Отрезка"};

void Check(HRESULT code, const char* what) {
    if (code < 0) throw HostError(code, what);
}

void Append(MenuHandle menu, int id, const char* text) {
    if (PopupMenu* popup = PopupMenu::FromHandle(menu)) popup->Append(id, TranslateString(text));
}

void Separator(MenuHandle menu) {
    if (PopupMenu* popup = PopupMenu::FromHandle(menu)) popup->AppendSeparator();
}

}  // namespace

ZARVENTO_STATE_RESET {
    planTree.reset();
    imageTable.clear();
}

PlanTreeEventSource* RegisterPlanTreeEventSource(PlanTreeEventSource* source) { return eventSource.Register(source); }

// ------------------------------------------------------------------ life

PlanTree::~PlanTree() {
    BusyFlagGuard busy;
    listener_.reset();
    try {
        if (panel_ && controlObject_) panel_->RemoveControl(controlObject_);
    } catch (const HostError&) {
        // The panel refused: the control goes with its window.
    }
    if (imageList_) ImageList::Destroy(imageList_);
    imageList_ = 0;
    DestroyMenus();
}

void PlanTree::Create() {
    if (askedPanel_ || own_) return;
    HostDocumentPtr doc = ActiveHostDocument();
    if (!doc || !doc->Document3D()) return;
    HostObjectPtr frame;
    HostPanel* panel = nullptr;
    try {
        frame = DocumentFrame(doc, 0);
        panel = &FramePanel(frame);
    } catch (const HostError& e) {
        if (e.Code() == E_NOINTERFACE_) return;
        throw;
    }
    frame_ = frame;
    panel_ = panel;
    // The panel is asked once for this tree: a control that is not there is
    // reported once, not at every command.
    askedPanel_ = true;
    HostObjectPtr object = panel->AddControl(kProgId, kCaption);
    std::shared_ptr<pelmora::IpmTreeDlg> control = std::dynamic_pointer_cast<pelmora::IpmTreeDlg>(object);
    if (object && !control) panel->RemoveControl(object);
    if (!control) {
        ShowHostMessage(kNoControl);
        return;
    }
    controlObject_ = object;
    control_ = control;
    panel->Refresh();
    std::shared_ptr<pelmora::IPelmora> view;
    Check(control_->get_TreeView(&view), "the tree-dialog control gives no tree view");
    if (!view) return;
    pelmora::OLE_HANDLE handle = 0;
    Check(view->get_Handle(&handle), "the tree view gives no window");
    if (handle == 0) return;
    view_ = view;
    BindWindow(handle);
    Check(view_->put_ReadOnly(pelmora::VARIANT_TRUE_), "the tree view cannot be made read-only");
    if (PlanTreeEventSource* source = eventSource.Get()) listener_ = source->Advise(view_);
}

TreeControl& PlanTree::CreateControl() {
    own_ = std::make_unique<TreeControl>();
    BindWindow(own_->Handle());
    return *own_;
}

void PlanTree::BindWindow(WindowHandle handle) {
    handle_ = handle;
    CreateImageList();
    InsertRoot();
}

TreeControl* PlanTree::Control() const { return handle_ ? TreeControl::FromHandle(handle_) : nullptr; }

void PlanTree::InsertRoot() {
    if (TreeControl* tree = Control()) root_ = tree->Insert(kNoTreeItem, kTreeLast, kRootText, 0, 0);
}

void PlanTree::Reset() {
    BusyFlagGuard busy;
    TreeControl* tree = Control();
    if (!tree) return;
    selected_ = kNoTreeItem;
    tree->DeleteItem(kTreeRoot);
    InsertRoot();
}

void PlanTree::CreateImageList() {
    if (imageList_) ImageList::Destroy(imageList_);
    constexpr std::uint32_t kColourWithMask = 0x0001;  // colour, with a mask
    imageList_ = ImageList::Create(16, 16, kColourWithMask, 4, 0);
    // The table is the library's: filled anew, never appended to twice.
    imageTable.clear();
    ImageList* list = ImageList::FromHandle(imageList_);
    for (int id : kImageIds) {
        const BitmapHandle bitmap = LoadHostBitmap(id);
        if (list) list->Add(bitmap, kMaskColour);
        DeleteHostBitmap(bitmap);
        imageTable.push_back(id);
    }
    if (TreeControl* tree = Control()) tree->SetImageList(imageList_, kTreeNormalImages);
}

// ------------------------------------------------------------------ roles

int PlanTree::GetSelectedRole() {
    TreeControl* tree = Control();
    if (!tree) return kNoRole;
    selected_ = tree->SelectedItem();
    return RoleOf(selected_);
}

int PlanTree::RoleOf(TreeItem item) const {
    TreeControl* tree = Control();
    if (!tree || item == kNoTreeItem || !tree->Exists(item)) return kNoRole;
    if (item == root_) return kRootRole;
    // Every line of a group carries the group's item as its data.
    const TreeItem group = tree->ItemData(item);
    if (group == kNoTreeItem) return kNoRole;
    if (CSPID* spid = ExistingSPID()) {
        if (group == spid->hLSCGroup) return kNcSystemRole;
        if (group == spid->hSPIDGroup) return kStockRole;
    }
    if (CPLAN* plan = ExistingPLAN())
        for (int i = 0; i < plan->GetTurnCount(); ++i)
            if (group == plan->GetTurn(i)->hTreeItem) return i + 2;
    return kNoRole;
}

void PlanTree::Deselect(int role) {
    if (TreeControl* tree = Control(); tree && role == kNoRole) tree->SelectItem(kNoTreeItem);
}

void PlanTree::DeleteItem(TreeItem item) {
    if (TreeControl* tree = Control()) tree->DeleteItem(item);
}

void PlanTree::SwapItems(TreeItem a, TreeItem b) {
    TreeControl* tree = Control();
    if (!tree) return;
    // A group item carries itself as its data, so the pair is known by it.
    tree->SortChildrenCB(
        root_, [a, b](std::int64_t first, std::int64_t second, std::int64_t) { return first == a && second == b; }, 0);
}

// ------------------------------------------------------------------ menus

void PlanTree::MakeMenus() {
    DestroyMenus();
    above_ = PopupMenu::Create();
    below_ = PopupMenu::Create();
    context_ = PopupMenu::Create();
    for (int t = 1; t <= 7; ++t) {
        Append(above_, 520 + t, kTurnKinds[t - 1]);
        Append(below_, 620 + t, kTurnKinds[t - 1]);
    }
}

void PlanTree::AppendCommonItems(bool withClear) {
    if (withClear) Append(context_, kClearPlan, "Очистить План обработки");
    Append(context_, kEdit, "Редактировать");
    Separator(context_);
    Append(context_, kShowLSC, "Показать ЛСК");
    Append(context_, kShowStock, "Показать заготовку");
    Append(context_, kShowGadgets, "Показать приспособления");
    Separator(context_);
    Append(context_, kPlanSketch, "Создать эскиз плана обработки");
    Append(context_, kDocumentSet, "Создать комплект эскизов");
}

void PlanTree::HandMenuToControl() {
    // The bitmaps of the items, by the table of ids.
    const std::pair<int, int> bitmapOf[] = {{kClearPlan, kClearBitmap},
                                            {kEdit, kEditBitmap},
                                            {kDelete, kClearBitmap},
                                            {kMoveUp, kUpBitmap},
                                            {kMoveDown, kDownBitmap}};
    if (PopupMenu* popup = PopupMenu::FromHandle(context_)) {
        for (const auto& [id, resource] : bitmapOf) {
            if (!popup->Find(id)) continue;
            const BitmapHandle bitmap = LoadHostBitmap(resource);
            bitmaps_.push_back(bitmap);
            popup->SetItemBitmap(id, bitmap);
        }
    }
    for (int t = 1; t <= 7; ++t) {
        for (MenuHandle menu : {above_, below_}) {
            PopupMenu* popup = PopupMenu::FromHandle(menu);
            if (!popup) continue;
            const BitmapHandle bitmap = LoadHostBitmap(10200 + t);
            bitmaps_.push_back(bitmap);
            popup->SetItemBitmap((menu == above_ ? 520 : 620) + t, bitmap);
        }
    }
    if (view_) Check(view_->SetContextMenu(context_), "the tree view takes no context menu");
}

void PlanTree::ShowRootMenu() {
    if (!Control()) return;
    MakeMenus();
    AppendCommonItems(true);
    HandMenuToControl();
}

void PlanTree::ShowDataMenu() {
    if (!Control()) return;
    MakeMenus();
    AppendCommonItems(false);
    HandMenuToControl();
}

void PlanTree::ShowOperationMenu(int index) {
    if (!Control()) return;
    MakeMenus();
    CPLAN* plan = ExistingPLAN();
    const PlanTurn* op = plan ? plan->GetTurn(index) : nullptr;
    if (op) {
        if (op->HasMessage()) {
            Append(context_, kWhatIsWrong, "Что неверно?");
            Separator(context_);
        }
        Append(context_, kEdit, "Редактировать");
        Append(context_, kDelete, "Удалить");
        Append(context_, kExclude, "Исключить из расчета");
        Append(context_, kShowPath, "Показать траекторию");
        Separator(context_);
        if (PopupMenu* popup = PopupMenu::FromHandle(context_)) {
            popup->AppendSubmenu(above_, TranslateString("Вставить обработку сверху"));
            popup->AppendSubmenu(below_, TranslateString("Вставить обработку снизу"));
        }
        Separator(context_);
        Append(context_, kMoveUp, "Переместить вверх");
        Append(context_, kMoveDown, "Переместить вниз");
        Separator(context_);
        Append(context_, kResultModel, "Создать 3D-модель");
        Append(context_, kTurnSketch, "Создать эскиз перехода");
    }
    HandMenuToControl();
}

void PlanTree::DestroyMenus() {
    // The context menu takes its submenus with it once they are in it.
    const PopupMenu* popup = PopupMenu::FromHandle(context_);
    const bool holdsSubmenus = popup && std::any_of(popup->Items().begin(), popup->Items().end(),
                                                    [](const MenuItem& item) { return item.submenu != 0; });
    if (context_) PopupMenu::Destroy(context_);
    if (!holdsSubmenus) {
        if (above_) PopupMenu::Destroy(above_);
        if (below_) PopupMenu::Destroy(below_);
    }
    above_ = below_ = context_ = 0;
    // The items' bitmaps go with their menus.
    for (BitmapHandle bitmap : bitmaps_) DeleteHostBitmap(bitmap);
    bitmaps_.clear();
    if (view_) view_->SetContextMenu(0);
}

void PlanTree::UpdateMenuState(int id, bool* enabled, std::int32_t* checked, int role) const {
    auto check = [checked] {
        if (checked) *checked = -1;
    };
    auto disable = [enabled] {
        if (enabled) *enabled = false;
    };
    if (role >= 2 && role != kRootRole) {
        CPLAN* plan = ExistingPLAN();
        const int index = role - 2;
        const PlanTurn* op = plan ? plan->GetTurn(index) : nullptr;
        if (!op) return;
        if (op->isExclude && id == kEdit) disable();
        if (op->isExclude && id == kExclude) check();
        if (op->isShowPath && id == kShowPath) check();
        if (index == 0 && id == kMoveUp) disable();
        if (index == plan->GetTurnCount() - 1 && id == kMoveDown) disable();
        return;
    }
    const CSPID* spid = ExistingSPID();
    if (!spid) return;
    if ((id == kShowLSC && spid->isShowLSC) || (id == kShowStock && spid->isShowSource) ||
        (id == kShowGadgets && spid->isShowGadgets))
        check();
}

// ------------------------------------------------------------------ the object

PlanTree& GetPlanTree() {
    if (!planTree) planTree = std::make_unique<PlanTree>();
    return *planTree;
}

PlanTree* ExistingPlanTree() { return planTree.get(); }

void DeletePlanTree() { planTree.reset(); }

int GetTreeImageIndex(int bitmapId) {
    auto it = std::find(imageTable.begin(), imageTable.end(), bitmapId);
    return it == imageTable.end() ? 0 : static_cast<int>(it - imageTable.begin());
}

const std::vector<int>& TreeImageTable() { return imageTable; }

}  // namespace zarvento
