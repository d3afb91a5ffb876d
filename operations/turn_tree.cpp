// The operation's items in the plan tree: its name with the cycle caption,
// and the lines of its tool, cutting data and correction.
#include <charconv>

#include "catalogs/param_tool.h"
#include "operations/turn.h"
#include "plan/plan_tree.h"

namespace zarvento {

namespace {

// "%g" and "%1.<decimals>f" of the tree texts, locale-free.
std::string General(double value) {
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    return std::string(buffer, r.ptr);
}

std::string Fixed(double value, int decimals) {
    char buffer[64];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, r.ptr);
}

}  // namespace

int CTurn::TreeImageId() const {
    if (isExclude) return 10500 + kind;
    if (HasMessage()) return 10400 + kind;
    return 10200 + kind;
}

void CTurn::InsertTreeItems(TreeControl& tree, TreeItem parent, TreeItem after) {
    if (tree.Exists(hTreeItem)) return;
    const int image = GetTreeImageIndex(10200 + kind);
    hTreeItem = tree.InsertItemAfter(parent, after, sNameTurn, image, image);
    tree.SetItemData(hTreeItem, static_cast<std::int64_t>(hTreeItem));
    const int lineImages[] = {10077, 10079, 10080};
    for (std::size_t k = 0; k < treeLines.size(); ++k) {
        const int lineImage = GetTreeImageIndex(lineImages[k]);
        treeLines[k] = tree.InsertItem(hTreeItem, " ", lineImage, lineImage);
        tree.SetItemData(treeLines[k], static_cast<std::int64_t>(hTreeItem));
    }
    UpdateTreeItem(tree);
}

void CTurn::UpdateTreeItem(TreeControl& tree) {
    if (!tree.Exists(hTreeItem)) return;
    // The item shows the operation's state: active, with a message or excluded.
    const int image = GetTreeImageIndex(TreeImageId());
    tree.SetItemImage(hTreeItem, image, image);
    tree.SetItemText(hTreeItem, sNameTurn + GetCycleCaption());
    const ParamTool* tool = GetTool();
    std::string toolLine = nToolPosition < 0 ? "T?  " : "T" + std::to_string(nToolPosition + 1) + "  ";
    toolLine += tool && !tool->sToolName.empty() ? tool->sToolName : ". . . . . . . . .";
    const std::string feedText = ", F=" + Fixed(Spod, 2) + " мм/об";
    const std::string dataLine =
        isVconst ? "Vconst=" + General(Vconst) + " м/мин" + feedText : "S=" + General(Nshp) + " об/мин" + feedText;
    std::string correction = "Коррекция" + std::string(":") + (isCorrectRadius ? " r=" + General(Rtool) : " r=0");
    if (DirRcorrect == 1) correction += " (G41)";
    if (DirRcorrect == 2) correction += " (G42)";
    const std::string texts[] = {toolLine, dataLine, correction};
    for (std::size_t k = 0; k < treeLines.size(); ++k) {
        if (tree.Exists(treeLines[k])) tree.SetItemText(treeLines[k], texts[k]);
    }
}

}  // namespace zarvento
