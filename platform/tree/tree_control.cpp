// The tree-view control: items linked to their siblings and parent, so that
// walking, inserting and deleting cost no more than the items they touch.
#include "platform/tree/tree_control.h"

#include <algorithm>
#include <utility>

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/core/utf8_text.h"

namespace zarvento {

namespace {

TreeItem TopLevelAsZero(TreeItem parent) { return parent == kTreeRoot ? kNoTreeItem : parent; }

void AppendUtf8(std::string& text, std::uint32_t c) {
    if (c < 0x80) {
        text += static_cast<char>(c);
    } else if (c < 0x800) {
        text += static_cast<char>(0xC0 | (c >> 6));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        text += static_cast<char>(0xE0 | (c >> 12));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x110000) {
        text += static_cast<char>(0xF0 | (c >> 18));
        text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        text += static_cast<char>(0x80 | (c & 0x3F));
    }
}

}  // namespace

const char* TreeHitPartName(TreeHitPart part) {
    switch (part) {
        case TreeHitPart::Nowhere: return "nowhere";
        case TreeHitPart::Indent: return "indent";
        case TreeHitPart::Button: return "button";
        case TreeHitPart::StateIcon: return "state icon";
        case TreeHitPart::Icon: return "icon";
        case TreeHitPart::Label: return "label";
        case TreeHitPart::Right: return "right";
        case TreeHitPart::Above: return "above";
        case TreeHitPart::ToLeft: return "to the left";
        case TreeHitPart::ToRight: return "to the right";
    }
    return "?";
}

// --- the label edit box ---

LabelEditBox::LabelEditBox(TreeControl& tree, std::string text)
    : HostWindow(&tree), tree_(tree), text_(std::move(text)) {}

bool LabelEditBox::WindowProc(HostMessage& message) {
    switch (message.kind) {
        case MessageKind::KeyDown:
            if (message.code == vk::Return) return tree_.EndEditLabelNow(false);
            if (message.code == vk::Escape) return tree_.EndEditLabelNow(true);
            return false;
        case MessageKind::Char:
            if (message.code == '\b') {
                // Drops the last character, continuation bytes and all.
                while (!text_.empty() && (static_cast<unsigned char>(text_.back()) & 0xC0) == 0x80) text_.pop_back();
                if (!text_.empty()) text_.pop_back();
                return true;
            }
            if (message.code < 0x20 || Utf8Length(text_) >= TreeControl::kMaxLabelEditChars) return false;
            AppendUtf8(text_, static_cast<std::uint32_t>(message.code));
            return true;
        default: return false;
    }
}

void LabelEditBox::OnKillFocus(HostWindow*) { tree_.EndEditLabelNow(false); }

// --- items ---

TreeControl::TreeControl(HostWindow* parent, int controlId) : HostWindow(parent, controlId) {}

TreeControl::~TreeControl() { owner_ = nullptr; }

TreeControl* TreeControl::FromHandle(WindowHandle handle) {
    return dynamic_cast<TreeControl*>(HostWindow::FromHandle(handle));
}

const TreeControl::Item* TreeControl::Find(TreeItem item) const {
    auto it = items_.find(item);
    return it == items_.end() ? nullptr : &it->second;
}

const TreeControl::Item& TreeControl::Get(TreeItem item) const {
    const Item* entry = Find(item);
    if (!entry) throw HostError(E_INVALIDARG_, "no such tree item");
    return *entry;
}

TreeControl::Item& TreeControl::Get(TreeItem item) {
    return const_cast<Item&>(static_cast<const TreeControl&>(*this).Get(item));
}

void TreeControl::Link(TreeItem item, TreeItem parent, TreeItem before) {
    Item& entry = Get(item);
    entry.parent = parent;
    TreeItem& first = parent != kNoTreeItem ? Get(parent).firstChild : firstRoot_;
    TreeItem& last = parent != kNoTreeItem ? Get(parent).lastChild : lastRoot_;
    if (before == kNoTreeItem) {
        entry.prev = last;
        entry.next = kNoTreeItem;
        if (last != kNoTreeItem) Get(last).next = item;
        if (first == kNoTreeItem) first = item;
        last = item;
        return;
    }
    Item& b = Get(before);
    entry.next = before;
    entry.prev = b.prev;
    if (b.prev != kNoTreeItem) {
        Get(b.prev).next = item;
    } else {
        first = item;
    }
    b.prev = item;
}

void TreeControl::Unlink(TreeItem item) {
    Item& entry = Get(item);
    TreeItem& first = entry.parent != kNoTreeItem ? Get(entry.parent).firstChild : firstRoot_;
    TreeItem& last = entry.parent != kNoTreeItem ? Get(entry.parent).lastChild : lastRoot_;
    if (entry.prev != kNoTreeItem) {
        Get(entry.prev).next = entry.next;
    } else {
        first = entry.next;
    }
    if (entry.next != kNoTreeItem) {
        Get(entry.next).prev = entry.prev;
    } else {
        last = entry.prev;
    }
    entry.prev = entry.next = kNoTreeItem;
}

TreeItem TreeControl::Insert(TreeItem parent, TreeItem insertAfter, std::string text, int image, int selectedImage,
                             std::int64_t data) {
    HostFaults::Check("TreeControl.InsertItem");
    parent = TopLevelAsZero(parent);
    if (parent != kNoTreeItem && !Exists(parent)) return kNoTreeItem;
    const TreeItem first = parent != kNoTreeItem ? Get(parent).firstChild : firstRoot_;
    TreeItem before = kNoTreeItem;  // none: last
    if (insertAfter == kTreeFirst) {
        before = first;
    } else if (insertAfter == kTreeSort) {
        // After every sibling whose label does not come later.
        for (TreeItem c = first; c != kNoTreeItem; c = Get(c).next) {
            if (CompareNoCase(Get(c).text, text) > 0) {
                before = c;
                break;
            }
        }
    } else if (const Item* after = Find(insertAfter); after && after->parent == parent) {
        before = after->next;
    }
    const TreeItem item = next_++;
    Item entry;
    entry.text = std::move(text);
    entry.image = image;
    entry.selectedImage = selectedImage;
    entry.data = data;
    items_.emplace(item, std::move(entry));
    Link(item, parent, before);
    return item;
}

TreeItem TreeControl::InsertItem(TreeItem parent, std::string text, int image, int selectedImage) {
    return Insert(parent, kTreeLast, std::move(text), image, selectedImage);
}

TreeItem TreeControl::InsertItemAfter(TreeItem parent, TreeItem after, std::string text, int image, int selectedImage) {
    return Insert(parent, after == kNoTreeItem ? kTreeFirst : after, std::move(text), image, selectedImage);
}

bool TreeControl::IsDescendant(TreeItem item, TreeItem ancestor) const {
    // Parent links end at the top level: an item is never its own ancestor.
    for (const Item* entry = Find(item); entry && entry->parent != kNoTreeItem; entry = Find(entry->parent))
        if (entry->parent == ancestor) return true;
    return false;
}

bool TreeControl::DeleteItem(TreeItem item) {
    if (item == kTreeRoot) {
        DeleteAllItems();
        return true;
    }
    if (!Exists(item)) return false;
    if (editItem_ != kNoTreeItem && (editItem_ == item || IsDescendant(editItem_, item))) EndEditLabelNow(true);
    // The edit's owner may have deleted the item meanwhile.
    if (!Exists(item)) return true;
    const bool caretGoes = caret_ != kNoTreeItem && (caret_ == item || IsDescendant(caret_, item));
    TreeItem newCaret = caret_;
    if (caretGoes) {
        const Item& entry = Get(item);
        newCaret = entry.next != kNoTreeItem ? entry.next : entry.prev != kNoTreeItem ? entry.prev : entry.parent;
    }
    if (dropTarget_ == item || IsDescendant(dropTarget_, item)) dropTarget_ = kNoTreeItem;
    Unlink(item);
    // Depth-first over an explicit stack: the subtree is finite and acyclic.
    std::vector<TreeItem> pending{item};
    while (!pending.empty()) {
        const TreeItem current = pending.back();
        pending.pop_back();
        auto found = items_.find(current);
        if (found == items_.end()) continue;
        for (TreeItem c = found->second.firstChild; c != kNoTreeItem; c = Get(c).next) pending.push_back(c);
        items_.erase(found);
    }
    if (caretGoes) SetCaret(newCaret, TreeCause::Unknown);
    return true;
}

void TreeControl::DeleteAllItems() {
    if (editItem_ != kNoTreeItem) EndEditLabelNow(true);
    items_.clear();
    firstRoot_ = lastRoot_ = kNoTreeItem;
    dropTarget_ = kNoTreeItem;
    SetCaret(kNoTreeItem, TreeCause::Unknown);
}

const std::string& TreeControl::ItemText(TreeItem item) const { return Get(item).text; }
void TreeControl::SetItemText(TreeItem item, std::string text) { Get(item).text = std::move(text); }
std::int64_t TreeControl::ItemData(TreeItem item) const { return Get(item).data; }
void TreeControl::SetItemData(TreeItem item, std::int64_t data) { Get(item).data = data; }
int TreeControl::ItemImage(TreeItem item) const { return Get(item).image; }
int TreeControl::ItemSelectedImage(TreeItem item) const { return Get(item).selectedImage; }

void TreeControl::SetItemImage(TreeItem item, int image, int selectedImage) {
    Item& entry = Get(item);
    entry.image = image;
    entry.selectedImage = selectedImage;
}

TreeItem TreeControl::Parent(TreeItem item) const { return Get(item).parent; }

std::vector<TreeItem> TreeControl::Children(TreeItem parent) const {
    parent = TopLevelAsZero(parent);
    std::vector<TreeItem> children;
    for (TreeItem c = parent != kNoTreeItem ? Get(parent).firstChild : firstRoot_; c != kNoTreeItem; c = Get(c).next)
        children.push_back(c);
    return children;
}

TreeItem TreeControl::PreviousSibling(TreeItem item) const { return Get(item).prev; }

// --- walking ---

bool TreeControl::IsVisible(TreeItem item) const {
    const Item* entry = Find(item);
    if (!entry) return false;
    for (TreeItem p = entry->parent; p != kNoTreeItem; p = Get(p).parent)
        if (!Get(p).expanded) return false;
    return true;
}

int TreeControl::Depth(TreeItem item) const {
    int depth = 0;
    for (TreeItem p = Get(item).parent; p != kNoTreeItem; p = Get(p).parent) ++depth;
    return depth;
}

TreeItem TreeControl::NextVisible(TreeItem item) const {
    if (!IsVisible(item)) return kNoTreeItem;
    const Item& entry = Get(item);
    if (entry.expanded && entry.firstChild != kNoTreeItem) return entry.firstChild;
    for (TreeItem t = item; t != kNoTreeItem; t = Get(t).parent)
        if (Get(t).next != kNoTreeItem) return Get(t).next;
    return kNoTreeItem;
}

TreeItem TreeControl::PreviousVisible(TreeItem item) const {
    if (!IsVisible(item)) return kNoTreeItem;
    const Item& entry = Get(item);
    if (entry.prev == kNoTreeItem) return entry.parent;
    TreeItem t = entry.prev;
    while (Get(t).expanded && Get(t).lastChild != kNoTreeItem) t = Get(t).lastChild;
    return t;
}

TreeItem TreeControl::LastVisible() const {
    TreeItem t = lastRoot_;
    while (t != kNoTreeItem && Get(t).expanded && Get(t).lastChild != kNoTreeItem) t = Get(t).lastChild;
    return t;
}

TreeItem TreeControl::GetNextItem(TreeItem item, int code) const {
    const Item* entry = Find(item);
    switch (static_cast<TreeNext>(code)) {
        case TreeNext::Root: return firstRoot_;
        case TreeNext::Next: return entry ? entry->next : kNoTreeItem;
        case TreeNext::Previous: return entry ? entry->prev : kNoTreeItem;
        case TreeNext::Parent: return entry ? entry->parent : kNoTreeItem;
        case TreeNext::Child:
            if (item == kNoTreeItem || item == kTreeRoot) return firstRoot_;
            return entry ? entry->firstChild : kNoTreeItem;
        case TreeNext::FirstVisible: return firstRoot_;
        case TreeNext::NextVisible: return NextVisible(item);
        case TreeNext::PreviousVisible: return PreviousVisible(item);
        case TreeNext::DropHilite: return dropTarget_;
        case TreeNext::Caret: return caret_;
    }
    return kNoTreeItem;
}

// --- expansion and selection ---

bool TreeControl::Expand(TreeItem item, TreeExpand action) {
    if (!Exists(item)) return false;
    Item& entry = Get(item);
    entry.expanded = action == TreeExpand::Toggle ? !entry.expanded : action == TreeExpand::Expand;
    // A caret hidden by the collapse moves up to the collapsed item.
    if (!entry.expanded && IsDescendant(caret_, item)) SetCaret(item, TreeCause::Unknown);
    return true;
}

void TreeControl::ExpandByUser(TreeItem item, TreeExpand action) {
    if (!Exists(item) || Get(item).firstChild == kNoTreeItem) return;
    const bool expand = action == TreeExpand::Toggle ? !Get(item).expanded : action == TreeExpand::Expand;
    Expand(item, expand ? TreeExpand::Expand : TreeExpand::Collapse);
    if (owner_ && Exists(item)) owner_->OnItemExpanded(item, expand ? TreeExpand::Expand : TreeExpand::Collapse);
}

bool TreeControl::IsExpanded(TreeItem item) const { return Get(item).expanded; }

void TreeControl::SetCaret(TreeItem item, TreeCause cause) {
    const TreeItem old = caret_;
    if (old == item) return;
    caret_ = item;
    if (owner_) owner_->OnSelChanged(old, item, cause);
}

bool TreeControl::SelectItem(TreeItem item, TreeCause cause) {
    if (item != kNoTreeItem && !Exists(item)) return false;
    if (item != kNoTreeItem)
        for (TreeItem p = Get(item).parent; p != kNoTreeItem; p = Get(p).parent) Get(p).expanded = true;
    SetCaret(item, cause);
    return true;
}

bool TreeControl::SelectDropTarget(TreeItem item) {
    if (item != kNoTreeItem && !Exists(item)) return false;
    dropTarget_ = item;
    return true;
}

// --- sorting ---

void TreeControl::SortSiblings(TreeItem parent, const std::function<bool(TreeItem, TreeItem)>& after) {
    std::vector<TreeItem> order = Children(parent);
    const std::size_t n = order.size();
    std::vector<TreeItem> merged(n);
    // Bottom-up merge: the left run's item is asked about first, and the right
    // one goes ahead only when the left must come after it.
    for (std::size_t width = 1; width < n; width *= 2) {
        for (std::size_t lo = 0; lo < n; lo += 2 * width) {
            const std::size_t mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
            std::size_t i = lo, j = mid, k = lo;
            while (i < mid && j < hi) merged[k++] = after(order[i], order[j]) ? order[j++] : order[i++];
            while (i < mid) merged[k++] = order[i++];
            while (j < hi) merged[k++] = order[j++];
        }
        order.swap(merged);
    }
    for (TreeItem c : order) Unlink(c);
    for (TreeItem c : order) Link(c, parent, kNoTreeItem);
}

bool TreeControl::SortChildren(TreeItem parent, bool recurse) {
    parent = TopLevelAsZero(parent);
    if (parent != kNoTreeItem && !Exists(parent)) return false;
    std::vector<TreeItem> pending{parent};
    while (!pending.empty()) {
        const TreeItem p = pending.back();
        pending.pop_back();
        SortSiblings(p, [this](TreeItem a, TreeItem b) { return CompareNoCase(Get(a).text, Get(b).text) > 0; });
        if (!recurse) break;
        for (TreeItem c : Children(p)) pending.push_back(c);
    }
    return true;
}

bool TreeControl::SortChildrenCB(TreeItem parent, const ItemCompare& compare, std::int64_t sortParam) {
    parent = TopLevelAsZero(parent);
    if (!compare || (parent != kNoTreeItem && !Exists(parent))) return false;
    SortSiblings(parent, [&](TreeItem a, TreeItem b) { return compare(Get(a).data, Get(b).data, sortParam) > 0; });
    return true;
}

// --- images ---

ImageListHandle TreeControl::SetImageList(ImageListHandle list, int kind) {
    ImageListHandle* slot = kind == kTreeNormalImages  ? &normalImages_
                            : kind == kTreeStateImages ? &stateImages_
                                                       : nullptr;
    if (!slot) return 0;
    return std::exchange(*slot, list);
}

ImageListHandle TreeControl::GetImageList(int kind) const {
    return kind == kTreeNormalImages ? normalImages_ : kind == kTreeStateImages ? stateImages_ : 0;
}

int TreeControl::AddImage(int iconId) {
    auto it = std::find(images_.begin(), images_.end(), iconId);
    if (it != images_.end()) return static_cast<int>(it - images_.begin());
    images_.push_back(iconId);
    return static_cast<int>(images_.size()) - 1;
}

int TreeControl::ImageIndex(int iconId) const {
    auto it = std::find(images_.begin(), images_.end(), iconId);
    return it == images_.end() ? 0 : static_cast<int>(it - images_.begin());
}

// --- label editing ---

LabelEditBox* TreeControl::EditLabel(TreeItem item) {
    if (!Exists(item)) return nullptr;
    if (editItem_ != kNoTreeItem) EndEditLabelNow(false);
    // The owner hears of every step and may delete the item meanwhile.
    if (!Exists(item) || (owner_ && owner_->OnBeginLabelEdit(item)) || !Exists(item)) return nullptr;
    if (!edit_) edit_ = std::make_unique<LabelEditBox>(*this, std::string());
    edit_->SetText(Get(item).text);
    edit_->Show(true);
    editItem_ = item;
    HostWindow::SetFocus(edit_.get());
    return edit_.get();
}

bool TreeControl::EndEditLabelNow(bool cancel) {
    if (editItem_ == kNoTreeItem) return false;
    const TreeItem item = std::exchange(editItem_, kNoTreeItem);
    const std::string text = edit_->Text();
    edit_->Show(false);
    // The box gives the focus back; its own end-of-edit on losing it finds no edit.
    if (HostWindow::Focus() == edit_.get()) HostWindow::SetFocus(this);
    const bool take = owner_ && owner_->OnEndLabelEdit(item, cancel ? nullptr : &text);
    if (take && !cancel && Exists(item)) Get(item).text = text;
    return true;
}

// --- geometry ---

int TreeControl::ImageWidth(int kind) const {
    const ImageList* list = ImageList::FromHandle(GetImageList(kind));
    return list ? list->Width() : 0;
}

TreeControl::RowLayout TreeControl::Layout(TreeItem item) const {
    RowLayout row;
    const int depth = Depth(item);
    const bool atRoot = (style_ & kTreeLinesAtRoot) != 0;
    const int levelLeft = (depth + (atRoot ? 1 : 0)) * kIndent;
    if ((style_ & kTreeHasButtons) && Get(item).firstChild != kNoTreeItem && (depth > 0 || atRoot))
        row.buttonLeft = levelLeft - kIndent;
    int x = levelLeft;
    if (const int w = ImageWidth(kTreeStateImages); w > 0) {
        row.stateLeft = x;
        x += w;
    }
    if (const int w = ImageWidth(kTreeNormalImages); w > 0) {
        row.iconLeft = x;
        x += w;
    }
    row.labelLeft = x;
    row.labelRight = x + static_cast<int>(Utf8Length(Get(item).text)) * kCharWidth + kLabelPadding;
    return row;
}

TreeHit TreeControl::HitTest(int x, int y) const {
    if (y < 0) return {kNoTreeItem, TreeHitPart::Above};
    if (x < 0) return {kNoTreeItem, TreeHitPart::ToLeft};
    if (Rect().width > 0 && x >= Rect().width) return {kNoTreeItem, TreeHitPart::ToRight};
    TreeItem item = firstRoot_;
    for (int row = y / kItemHeight; row > 0 && item != kNoTreeItem; --row) item = NextVisible(item);
    if (item == kNoTreeItem) return {kNoTreeItem, TreeHitPart::Nowhere};
    const RowLayout row = Layout(item);
    if (row.buttonLeft >= 0 && x >= row.buttonLeft && x < row.buttonLeft + kIndent) return {item, TreeHitPart::Button};
    const int contentLeft = row.stateLeft >= 0 ? row.stateLeft : row.iconLeft >= 0 ? row.iconLeft : row.labelLeft;
    if (x < contentLeft) return {item, TreeHitPart::Indent};
    if (row.stateLeft >= 0 && x < row.stateLeft + ImageWidth(kTreeStateImages)) return {item, TreeHitPart::StateIcon};
    if (row.iconLeft >= 0 && x < row.iconLeft + ImageWidth(kTreeNormalImages)) return {item, TreeHitPart::Icon};
    if (x < row.labelRight) return {item, TreeHitPart::Label};
    return {item, TreeHitPart::Right};
}

bool TreeControl::ItemPoint(TreeItem item, TreeHitPart part, int& x, int& y) const {
    if (!IsVisible(item)) return false;
    int row = 0;
    for (TreeItem t = firstRoot_; t != item; t = NextVisible(t)) {
        if (t == kNoTreeItem) return false;
        ++row;
    }
    const RowLayout layout = Layout(item);
    int px = -1;
    switch (part) {
        case TreeHitPart::Indent: px = 0; break;
        case TreeHitPart::Button: px = layout.buttonLeft + kIndent / 2; break;
        case TreeHitPart::StateIcon: px = layout.stateLeft + 1; break;
        case TreeHitPart::Icon: px = layout.iconLeft + 1; break;
        case TreeHitPart::Label: px = layout.labelLeft + 1; break;
        case TreeHitPart::Right: px = layout.labelRight + 1; break;
        default: return false;
    }
    const int py = row * kItemHeight + kItemHeight / 2;
    const TreeHit hit = HitTest(px, py);
    if (hit.item != item || hit.part != part) return false;
    x = px;
    y = py;
    return true;
}

// --- the user's keys and clicks ---

bool TreeControl::WindowProc(HostMessage& message) {
    if (owner_) owner_->OnTreeMessage(message);
    switch (message.kind) {
        case MessageKind::Null: return true;
        case MessageKind::KeyDown: {
            TreeItem target = kNoTreeItem;
            switch (message.code) {
                case vk::Up: target = caret_ != kNoTreeItem ? PreviousVisible(caret_) : firstRoot_; break;
                case vk::Down: target = caret_ != kNoTreeItem ? NextVisible(caret_) : firstRoot_; break;
                case vk::Home: target = firstRoot_; break;
                case vk::End: target = LastVisible(); break;
                case vk::Left:
                    if (caret_ == kNoTreeItem) return true;
                    if (Get(caret_).expanded && Get(caret_).firstChild != kNoTreeItem) {
                        ExpandByUser(caret_, TreeExpand::Collapse);
                        return true;
                    }
                    target = Get(caret_).parent;
                    break;
                case vk::Right:
                    if (caret_ == kNoTreeItem || Get(caret_).firstChild == kNoTreeItem) return true;
                    if (!Get(caret_).expanded) {
                        ExpandByUser(caret_, TreeExpand::Expand);
                        return true;
                    }
                    target = Get(caret_).firstChild;
                    break;
                default: return false;
            }
            if (target != kNoTreeItem) SelectItem(target, TreeCause::ByKeyboard);
            return true;
        }
        case MessageKind::LButtonDown: {
            HostWindow::SetFocus(this);
            const TreeHit hit = HitTest(message.x, message.y);
            if (hit.part == TreeHitPart::Button) {
                ExpandByUser(hit.item, TreeExpand::Toggle);
            } else if (hit.part == TreeHitPart::Label || hit.part == TreeHitPart::Icon ||
                       hit.part == TreeHitPart::StateIcon) {
                SelectItem(hit.item, TreeCause::ByMouse);
            }
            return true;
        }
        case MessageKind::LButtonDblClk: {
            const TreeHit hit = HitTest(message.x, message.y);
            if (hit.part == TreeHitPart::Label || hit.part == TreeHitPart::Icon)
                ExpandByUser(hit.item, TreeExpand::Toggle);
            return true;
        }
        case MessageKind::RButtonUp:
            if (owner_) owner_->OnRightClick();
            return true;
        default: return false;
    }
}

}  // namespace zarvento
