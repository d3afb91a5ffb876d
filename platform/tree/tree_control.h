// The host's tree-view control: a window of items with text, images, per-item
// data and expansion, in sibling order, with a caret (the selected item), a
// drop target, label editing in an edit box, image lists, sorting, hit-testing
// and the keys and clicks of a user. Whoever owns the window gets its
// notifications; any module can find the window by its handle and drive it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/dialogs/host_window.h"
#include "platform/tree/image_list.h"

namespace zarvento {

using TreeItem = std::int64_t;  // 0 is no item
inline constexpr TreeItem kNoTreeItem = 0;

// The special positions of an insertion and the root marker, as 64-bit values.
inline constexpr TreeItem kTreeRoot = -0x10000;  // as a parent: the top level; deleted: every item
inline constexpr TreeItem kTreeFirst = -0xFFFF;  // first among the siblings
inline constexpr TreeItem kTreeLast = -0xFFFE;   // last among the siblings
inline constexpr TreeItem kTreeSort = -0xFFFD;   // in label order among the siblings

// The codes of GetNextItem.
enum class TreeNext {
    Root = 0,
    Next = 1,
    Previous = 2,
    Parent = 3,
    Child = 4,
    FirstVisible = 5,
    NextVisible = 6,
    PreviousVisible = 7,
    DropHilite = 8,
    Caret = 9,
};

// Window styles of the tree.
inline constexpr std::uint32_t kTreeHasButtons = 0x0001;
inline constexpr std::uint32_t kTreeHasLines = 0x0002;
inline constexpr std::uint32_t kTreeLinesAtRoot = 0x0004;
inline constexpr std::uint32_t kTreeEditLabels = 0x0008;
inline constexpr std::uint32_t kTreeDisableDragDrop = 0x0010;
inline constexpr std::uint32_t kTreeShowSelAlways = 0x0020;

// Image-list kinds of SetImageList.
inline constexpr int kTreeNormalImages = 0;
inline constexpr int kTreeStateImages = 2;

// What caused a selection change.
enum class TreeCause { Unknown = 0, ByMouse = 1, ByKeyboard = 2 };
// The action of an expansion.
enum class TreeExpand { Collapse = 1, Expand = 2, Toggle = 3 };

// Where a client point lies relative to the items.
enum class TreeHitPart { Nowhere, Indent, Button, StateIcon, Icon, Label, Right, Above, ToLeft, ToRight };
const char* TreeHitPartName(TreeHitPart part);

struct TreeHit {
    TreeItem item = kNoTreeItem;
    TreeHitPart part = TreeHitPart::Nowhere;
};

// The notifications of the tree, as its owner gets them.
class TreeControlOwner {
public:
    virtual ~TreeControlOwner() = default;
    // Every message of the tree's window procedure, before the tree acts on it;
    // turning it into MessageKind::Null keeps the tree from acting.
    virtual void OnTreeMessage(HostMessage&) {}
    virtual void OnSelChanged(TreeItem /*oldItem*/, TreeItem /*newItem*/, TreeCause) {}
    // After a user expanded or collapsed the item.
    virtual void OnItemExpanded(TreeItem, TreeExpand) {}
    // A label edit starts; true refuses it.
    virtual bool OnBeginLabelEdit(TreeItem) { return false; }
    // A label edit ends with the edited text, or null when the user abandoned
    // it; true makes the text the item's label.
    virtual bool OnEndLabelEdit(TreeItem, const std::string* /*text*/) { return false; }
    // The right mouse button was clicked in the tree.
    virtual void OnRightClick() {}
};

class TreeControl;

// The edit box of a label edit: a child window of the tree that holds the text
// being typed. Enter ends the edit, Escape abandons it, and so does nothing
// else: losing the focus ends it too.
class LabelEditBox : public HostWindow {
public:
    explicit LabelEditBox(TreeControl& tree, std::string text);
    const std::string& Text() const { return text_; }
    // The text as set from outside the box: no length limit.
    void SetText(std::string text) { text_ = std::move(text); }

protected:
    bool WindowProc(HostMessage& message) override;
    void OnKillFocus(HostWindow* next) override;

private:
    TreeControl& tree_;
    std::string text_;
};

class TreeControl : public HostWindow {
public:
    // A label typed into the edit box is at most this many characters (the
    // edit buffer holds one more, for its terminating zero).
    static constexpr std::size_t kMaxLabelEditChars = 259;

    explicit TreeControl(HostWindow* parent = nullptr, int controlId = 0);
    ~TreeControl() override;

    // The living tree window of a handle; null for any other handle.
    static TreeControl* FromHandle(WindowHandle handle);

    // The one who gets the notifications (null: nobody).
    void SetOwner(TreeControlOwner* owner) { owner_ = owner; }
    void SetStyle(std::uint32_t style) { style_ = style; }
    std::uint32_t Style() const { return style_; }

    // Inserts an item under `parent` (kNoTreeItem or kTreeRoot: the top level)
    // after the sibling `insertAfter` or at a special position; a sibling that
    // is not the parent's child, and kNoTreeItem, insert last. Returns the new
    // item, or kNoTreeItem when the parent does not exist.
    TreeItem Insert(TreeItem parent, TreeItem insertAfter, std::string text, int image, int selectedImage,
                    std::int64_t data = 0);
    // Inserts last among the parent's children (kNoTreeItem: at the top level).
    TreeItem InsertItem(TreeItem parent, std::string text, int image, int selectedImage);
    // Inserts just after `after` among the parent's children; kNoTreeItem
    // inserts first. An `after` that is not a child of the parent inserts last.
    TreeItem InsertItemAfter(TreeItem parent, TreeItem after, std::string text, int image, int selectedImage);
    // Deletes the item with its subtree (kTreeRoot: every item); false for an
    // unknown item. A deleted caret moves to the next sibling, else the
    // previous one, else the parent, and the owner hears of it.
    bool DeleteItem(TreeItem item);
    void DeleteAllItems();

    bool Exists(TreeItem item) const { return items_.count(item) != 0; }
    std::size_t Count() const { return items_.size(); }
    // Item accessors raise HostError(E_INVALIDARG) for an unknown item.
    const std::string& ItemText(TreeItem item) const;
    void SetItemText(TreeItem item, std::string text);
    std::int64_t ItemData(TreeItem item) const;
    void SetItemData(TreeItem item, std::int64_t data);
    int ItemImage(TreeItem item) const;
    int ItemSelectedImage(TreeItem item) const;
    void SetItemImage(TreeItem item, int image, int selectedImage);
    TreeItem Parent(TreeItem item) const;
    // In sibling order.
    std::vector<TreeItem> Children(TreeItem parent) const;
    // The sibling just before the item, kNoTreeItem for the first one.
    TreeItem PreviousSibling(TreeItem item) const;

    // The related item by `code` (TreeNext); kNoTreeItem when there is none,
    // the item is unknown or the code is not one of them. Visible items are
    // those whose ancestors are all expanded; the first visible one is the
    // first item (the headless tree never scrolls).
    TreeItem GetNextItem(TreeItem item, int code) const;

    // Expansion by program: no notification. False for an unknown item.
    bool Expand(TreeItem item, TreeExpand action);
    void Expand(TreeItem item) { Expand(item, TreeExpand::Expand); }
    bool IsExpanded(TreeItem item) const;

    // Makes the item the caret (kNoTreeItem clears it), expanding its
    // ancestors; the owner hears of a change. False for an unknown item.
    bool SelectItem(TreeItem item, TreeCause cause = TreeCause::Unknown);
    TreeItem SelectedItem() const { return caret_; }
    bool SelectDropTarget(TreeItem item);

    // Sorts the parent's children (kNoTreeItem or kTreeRoot: the top level)
    // by label, ignoring case; with `recurse`, every level below as well.
    bool SortChildren(TreeItem parent, bool recurse = false);
    // Sorts the parent's children by a comparison of their item data: a
    // positive answer for (first, second) puts the second before the first.
    // The sort is a stable merge that always asks in the current order, so a
    // comparison that answers 1 for one adjacent pair only swaps that pair.
    using ItemCompare = std::function<int(std::int64_t, std::int64_t, std::int64_t)>;
    bool SortChildrenCB(TreeItem parent, const ItemCompare& compare, std::int64_t sortParam);

    // Gives the tree an image list of a kind (kTreeNormalImages or
    // kTreeStateImages); returns the previous one. The list stays the caller's.
    ImageListHandle SetImageList(ImageListHandle list, int kind);
    ImageListHandle GetImageList(int kind) const;

    // The tree's own table of icons by resource id.
    int AddImage(int iconId);
    // The index of the icon in that table, 0 when absent.
    int ImageIndex(int iconId) const;

    // Starts editing the item's label: the owner may refuse; otherwise the
    // edit box opens with the label and takes the focus. An edit already
    // running ends first, keeping its text. Null when refused or unknown.
    LabelEditBox* EditLabel(TreeItem item);
    LabelEditBox* EditControl() const { return editItem_ != kNoTreeItem ? edit_.get() : nullptr; }
    TreeItem EditedItem() const { return editItem_; }
    // Ends the running edit, abandoning the text when `cancel`; false when no
    // edit runs.
    bool EndEditLabelNow(bool cancel);

    // Where a client point lies. The headless layout: rows of kItemHeight
    // pixels for the visible items; per level an indent of kIndent (one more
    // with kTreeLinesAtRoot), the expand button in the last indent of an item
    // with children, then the state and normal images when their lists are
    // set, then the label, kCharWidth per character plus kLabelPadding, then
    // the rest of the row. A tree never given a width has no right edge.
    static constexpr int kItemHeight = 16;
    static constexpr int kIndent = 19;
    static constexpr int kCharWidth = 7;
    static constexpr int kLabelPadding = 4;
    TreeHit HitTest(int x, int y) const;
    // A client point on that part of a visible item; false when there is none.
    bool ItemPoint(TreeItem item, TreeHitPart part, int& x, int& y) const;

protected:
    bool WindowProc(HostMessage& message) override;

private:
    friend class LabelEditBox;

    struct Item {
        std::string text;
        int image = 0;
        int selectedImage = 0;
        std::int64_t data = 0;
        bool expanded = false;
        TreeItem parent = kNoTreeItem;
        TreeItem firstChild = kNoTreeItem, lastChild = kNoTreeItem;
        TreeItem prev = kNoTreeItem, next = kNoTreeItem;
    };
    const Item& Get(TreeItem item) const;
    Item& Get(TreeItem item);
    const Item* Find(TreeItem item) const;
    void Link(TreeItem item, TreeItem parent, TreeItem before);
    void Unlink(TreeItem item);
    bool IsDescendant(TreeItem item, TreeItem ancestor) const;
    bool IsVisible(TreeItem item) const;
    int Depth(TreeItem item) const;
    TreeItem NextVisible(TreeItem item) const;
    TreeItem PreviousVisible(TreeItem item) const;
    TreeItem LastVisible() const;
    void SetCaret(TreeItem item, TreeCause cause);
    // Expansion by the user: notifies the owner.
    void ExpandByUser(TreeItem item, TreeExpand action);
    void SortSiblings(TreeItem parent, const std::function<bool(TreeItem, TreeItem)>& after);

    struct RowLayout {
        int buttonLeft = -1;  // -1: no button
        int stateLeft = -1, iconLeft = -1, labelLeft = 0, labelRight = 0;
    };
    RowLayout Layout(TreeItem item) const;
    int ImageWidth(int kind) const;

    std::unordered_map<TreeItem, Item> items_;
    TreeItem firstRoot_ = kNoTreeItem, lastRoot_ = kNoTreeItem;
    TreeItem next_ = 1;
    TreeItem caret_ = kNoTreeItem;
    TreeItem dropTarget_ = kNoTreeItem;
    std::uint32_t style_ = 0;
    TreeControlOwner* owner_ = nullptr;
    ImageListHandle normalImages_ = 0, stateImages_ = 0;
    std::vector<int> images_;
    // The edit box is made for the first edit and hidden between edits, so an
    // edit ended from inside the box's own procedure never destroys it.
    std::unique_ptr<LabelEditBox> edit_;
    TreeItem editItem_ = kNoTreeItem;
};

}  // namespace zarvento
