// The host's tree-view control as a model: items with text, image, per-item
// data and expansion, in sibling order, plus its image list. Code drives it
// as it would drive the host's control; tests read it back.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

namespace zarvento {

using TreeItem = std::int64_t;  // 0 is no item
inline constexpr TreeItem kNoTreeItem = 0;

class TreeControl {
public:
    // Inserts last among the parent's children (kNoTreeItem: at the top level).
    TreeItem InsertItem(TreeItem parent, std::string text, int image, int selectedImage);
    // Inserts just after `after` among the parent's children; kNoTreeItem
    // inserts first. An `after` that is not a child of the parent inserts last.
    TreeItem InsertItemAfter(TreeItem parent, TreeItem after, std::string text, int image, int selectedImage);
    // Deletes the item with its subtree; false for an unknown item.
    bool DeleteItem(TreeItem item);
    void DeleteAllItems();

    bool Exists(TreeItem item) const { return items_.count(item) != 0; }
    const std::string& ItemText(TreeItem item) const;
    void SetItemText(TreeItem item, std::string text);
    std::int64_t ItemData(TreeItem item) const;
    void SetItemData(TreeItem item, std::int64_t data);
    int ItemImage(TreeItem item) const;
    TreeItem Parent(TreeItem item) const;
    // In sibling order.
    std::vector<TreeItem> Children(TreeItem parent) const;
    // The sibling just before the item, kNoTreeItem for the first one.
    TreeItem PreviousSibling(TreeItem item) const;
    void Expand(TreeItem item);
    bool IsExpanded(TreeItem item) const;
    std::size_t Count() const { return items_.size(); }
    // The selected item (the caret); kNoTreeItem clears the selection.
    void SelectItem(TreeItem item) { selected_ = Exists(item) ? item : kNoTreeItem; }
    TreeItem SelectedItem() const { return Exists(selected_) ? selected_ : kNoTreeItem; }

    // The image list: icons by resource id.
    int AddImage(int iconId);
    // The index of the icon in the image list, 0 when absent.
    int ImageIndex(int iconId) const;

private:
    struct Item {
        std::string text;
        int image = 0;
        int selectedImage = 0;
        TreeItem parent = kNoTreeItem;
        std::int64_t data = 0;
        bool expanded = false;
        std::vector<TreeItem> children;
    };
    const Item& Get(TreeItem item) const;
    Item& Get(TreeItem item);

    std::unordered_map<TreeItem, Item> items_;
    std::vector<TreeItem> topLevel_;
    TreeItem next_ = 1;
    TreeItem selected_ = kNoTreeItem;
    std::vector<int> images_;
};

}  // namespace zarvento
