// The tree-view control model.
#include "platform/tree_control.h"

#include <algorithm>

#include "platform/host_error.h"
#include "platform/host_faults.h"

namespace zarvento {

const TreeControl::Item& TreeControl::Get(TreeItem item) const {
    auto it = items_.find(item);
    if (it == items_.end()) throw HostError(E_INVALIDARG_, "no such tree item");
    return it->second;
}

TreeControl::Item& TreeControl::Get(TreeItem item) {
    return const_cast<Item&>(static_cast<const TreeControl&>(*this).Get(item));
}

TreeItem TreeControl::InsertItem(TreeItem parent, std::string text, int image, int selectedImage) {
    HostFaults::Check("TreeControl.InsertItem");
    std::vector<TreeItem>& siblings = parent == kNoTreeItem ? topLevel_ : Get(parent).children;
    const TreeItem item = next_++;
    Item entry;
    entry.text = std::move(text);
    entry.image = image;
    entry.selectedImage = selectedImage;
    entry.parent = parent;
    siblings.push_back(item);
    items_.emplace(item, std::move(entry));
    return item;
}

TreeItem TreeControl::InsertItemAfter(TreeItem parent, TreeItem after, std::string text, int image, int selectedImage) {
    const TreeItem item = InsertItem(parent, std::move(text), image, selectedImage);
    std::vector<TreeItem>& siblings = parent == kNoTreeItem ? topLevel_ : Get(parent).children;
    siblings.pop_back();
    auto place = siblings.begin();
    if (after != kNoTreeItem) {
        place = std::find(siblings.begin(), siblings.end(), after);
        if (place != siblings.end()) ++place;
    }
    siblings.insert(place, item);
    return item;
}

TreeItem TreeControl::PreviousSibling(TreeItem item) const {
    const Item& entry = Get(item);
    const std::vector<TreeItem>& siblings = entry.parent == kNoTreeItem ? topLevel_ : Get(entry.parent).children;
    auto it = std::find(siblings.begin(), siblings.end(), item);
    return it == siblings.begin() || it == siblings.end() ? kNoTreeItem : *(it - 1);
}

bool TreeControl::DeleteItem(TreeItem item) {
    auto it = items_.find(item);
    if (it == items_.end()) return false;
    std::vector<TreeItem>& siblings = it->second.parent == kNoTreeItem ? topLevel_ : Get(it->second.parent).children;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), item), siblings.end());
    // Depth-first over an explicit stack: the subtree is finite and acyclic.
    std::vector<TreeItem> pending{item};
    while (!pending.empty()) {
        const TreeItem current = pending.back();
        pending.pop_back();
        auto found = items_.find(current);
        if (found == items_.end()) continue;
        pending.insert(pending.end(), found->second.children.begin(), found->second.children.end());
        items_.erase(found);
    }
    return true;
}

void TreeControl::DeleteAllItems() {
    items_.clear();
    topLevel_.clear();
}

const std::string& TreeControl::ItemText(TreeItem item) const { return Get(item).text; }
void TreeControl::SetItemText(TreeItem item, std::string text) { Get(item).text = std::move(text); }
std::int64_t TreeControl::ItemData(TreeItem item) const { return Get(item).data; }
void TreeControl::SetItemData(TreeItem item, std::int64_t data) { Get(item).data = data; }
int TreeControl::ItemImage(TreeItem item) const { return Get(item).image; }
TreeItem TreeControl::Parent(TreeItem item) const { return Get(item).parent; }

std::vector<TreeItem> TreeControl::Children(TreeItem parent) const {
    return parent == kNoTreeItem ? topLevel_ : Get(parent).children;
}

void TreeControl::Expand(TreeItem item) { Get(item).expanded = true; }
bool TreeControl::IsExpanded(TreeItem item) const { return Get(item).expanded; }

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

}  // namespace zarvento
