// CPelmora's text model: collecting the tree's lines, building a tree from
// lines, and the file and Items forms of it.
#include <algorithm>

#include "platform/core/code_page.h"
#include "platform/core/line_reader.h"
#include "platform/core/text_file.h"
#include "treecontrol/pelmora.h"

namespace pelmora {

using zarvento::AutomationCall;
using zarvento::E_INVALIDARG_;
using zarvento::S_OK_;
using zarvento::TreeItem;
using zarvento::TreeNext;
using zarvento::VarType;

namespace {

const zarvento::AutomationSource kSource = CPelmoraApp::Source(kIPelmoraIid);

int Code(TreeNext code) { return static_cast<int>(code); }

}  // namespace

std::vector<std::string> CPelmora::CollectLines() const {
    std::vector<std::string> lines;
    if (!tree_) return lines;
    const zarvento::TreeControl& tree = *tree_;
    lines.reserve(tree.Count());
    // Pre-order: an item, its subtree, then its next sibling. The depth goes
    // down one with a child and up one per parent climbed, so every item
    // costs the same whatever the depth of the tree.
    std::size_t depth = 0;
    for (TreeItem item = tree.GetNextItem(zarvento::kNoTreeItem, Code(TreeNext::Root));
         item != zarvento::kNoTreeItem;) {
        lines.push_back(std::string(depth, '\t') + tree.ItemText(item));
        if (TreeItem child = tree.GetNextItem(item, Code(TreeNext::Child)); child != zarvento::kNoTreeItem) {
            item = child;
            ++depth;
            continue;
        }
        TreeItem next = tree.GetNextItem(item, Code(TreeNext::Next));
        while (next == zarvento::kNoTreeItem && depth > 0) {
            item = tree.GetNextItem(item, Code(TreeNext::Parent));
            --depth;
            next = tree.GetNextItem(item, Code(TreeNext::Next));
        }
        item = next;
    }
    return lines;
}

void CPelmora::BuildTree(const std::vector<std::string>& lines) {
    if (!tree_) return;
    tree_->DeleteAllItems();
    // A sink told of the lost selection may have taken the window down.
    if (!tree_) return;
    // The last item inserted at each depth. Deeper entries are not cleared
    // when a shallower line comes, so a line that jumps more than one level
    // goes under the latest item one level above it anywhere earlier.
    std::vector<TreeItem> lastAtDepth;
    for (const std::string& line : lines) {
        const std::size_t depth = std::min(line.find_first_not_of('\t'), line.size());
        if (depth == line.size()) continue;
        if (lastAtDepth.size() < depth + 1) lastAtDepth.resize(depth + 1, zarvento::kNoTreeItem);
        const TreeItem parent = depth > 0 ? lastAtDepth[depth - 1] : zarvento::kNoTreeItem;
        lastAtDepth[depth] = tree_->Insert(parent, zarvento::kTreeLast, line.substr(depth), 0, 0);
    }
}

HRESULT CPelmora::LoadFromFile(const std::string& fileName, VARIANT_BOOL* result) {
    return AutomationCall(kSource, [&] {
        if (!result) return E_INVALIDARG_;
        *result = 0;
        // Without a window there is no tree to load into: a failure, not a
        // success that loaded nothing.
        if (!tree_) return S_OK_;
        zarvento::FileReadResult read = zarvento::ReadFileBytes(fileName, kMaxTreeFileBytes + 1);
        if (!read.ok || read.text.size() > kMaxTreeFileBytes) return S_OK_;
        std::string text = std::move(read.text);
        if (zarvento::HasUtf8Bom(text)) {
            text.erase(0, zarvento::kUtf8Bom.size());
        } else if (!zarvento::IsValidUtf8(text)) {
            text = zarvento::Cp1251ToUtf8(text);
        }
        BuildTree(zarvento::SplitLines(text));
        *result = 1;
        return S_OK_;
    });
}

HRESULT CPelmora::SaveToFile(const std::string& fileName, VARIANT_BOOL* result) {
    return AutomationCall(kSource, [&] {
        if (!result) return E_INVALIDARG_;
        const zarvento::FileWriteResult written =
            zarvento::WriteTextFile(fileName, CollectLines(), zarvento::TextEncoding::Utf8, zarvento::LineEnd::CrLf);
        *result = written.ok ? 1 : 0;
        return S_OK_;
    });
}

HRESULT CPelmora::get_Items(Variant* items) {
    return AutomationCall(kSource, [&] {
        if (!items) return E_INVALIDARG_;
        std::vector<std::string> lines = CollectLines();
        if (lines.empty()) {
            *items = Variant();
            return S_OK_;
        }
        std::vector<Variant> texts;
        texts.reserve(lines.size());
        for (std::string& line : lines) texts.push_back(Variant::BStr(std::move(line)));
        *items = Variant::Array(std::move(texts), VarType::BStr, 0, 1);
        return S_OK_;
    });
}

HRESULT CPelmora::put_Items(const Variant& items) {
    return AutomationCall(kSource, [&] {
        std::vector<std::string> lines;
        if (items.Type() == VarType::BStr) {
            lines.push_back(items.AsBStr());
        } else if (items.Type() == VarType::Array && items.ArrayElementType() == VarType::BStr &&
                   items.ArrayDimensions() == 1) {
            // Whatever the lower bound, in array order.
            for (const Variant& item : items.AsArray()) lines.push_back(item.AsBStr());
        }
        // Anything else empties the tree.
        BuildTree(lines);
        return S_OK_;
    });
}

}  // namespace pelmora
