// The services of the plan data: part recognition, the post-processor check,
// tool and stock contours, the tools table, the plan-tree groups and the
// one error message per plan.
#include <cmath>

#include "geometry/lsc_transform.h"
#include "geometry/number_format.h"
#include "model/rotation_contours.h"
#include "model/shape_builders.h"
#include "plan/plan_tree.h"
#include "plan/spid.h"
#include "platform/core/busy_flag.h"
#include "platform/core/host_error.h"
#include "platform/core/messages.h"
#include "platform/core/process_state.h"
#include "platform/core/scope_guard.h"
#include "platform/documents/host_application.h"

namespace zarvento {

namespace {

int sectionFailures = 0;

ZARVENTO_STATE_RESET { sectionFailures = 0; }

// Tools-table cells of small values stay empty.
std::string SignificantG(double v) { return std::fabs(v) > 0.001 ? FormatG(v) : std::string(); }

// A host call made when the scope ends, on every exit. A failure there is
// dropped: it must not replace the error already on its way out.
template <class F>
auto HostCallAtExit(F call) {
    return ScopeGuard([call = std::move(call)] {
        try {
            call();
        } catch (const HostError&) {
        }
    });
}

HostApplication& ConnectedApplication() {
    HostApplication* app = HostApplicationObject();
    if (!app) throw HostError(E_POINTER_, "no host application");
    return *app;
}

// Icons of the plan-tree groups.
constexpr int kIconLSCGroup = 10230;
constexpr int kIconPostLine = 10071;
constexpr int kIconLSCLine = 10072;
constexpr int kIconSPIDGroup = 10200;
constexpr int kIconTurretLine = 10082;
constexpr int kIconStartLine = 10083;

TreeItem InsertLine(TreeControl& tree, TreeItem parent, const std::string& text, int icon) {
    const int image = GetTreeImageIndex(icon);
    return tree.InsertItem(parent, text, image, image);
}

struct GroupLayout {
    const char* text;
    int icon, firstChildIcon, secondChildIcon;
};

// A group under the root with two child lines " " (filled by the updates);
// each item's data is the group item.
void InsertGroup(TreeControl& tree, TreeItem root, const GroupLayout& layout, TreeItem& group, TreeItem& first,
                 TreeItem& second) {
    group = InsertLine(tree, root, layout.text, layout.icon);
    first = InsertLine(tree, group, " ", layout.firstChildIcon);
    second = InsertLine(tree, group, " ", layout.secondChildIcon);
    for (TreeItem item : {group, first, second}) tree.SetItemData(item, group);
    tree.Expand(root);
    tree.Expand(group);
}

}  // namespace

bool RecognizeDetailContour(CSPID& spid) {
    if (!LscTransform::Global().HostObjectRef()) {
        ShowMessageBox("Потеряна связь с ЛСК");
        return false;
    }
    BusyFlagGuard busy;
    spid.pDetailContour.reset();
    HostDocumentPtr document = ActiveHostDocument();
    std::string message;
    spid.pDetailContour = BuildRotationContours(document, &message);
    if (!message.empty()) spid.ShowError(message);
    if (spid.pDetailContour && spid.pDetailContour->Empty()) spid.pDetailContour.reset();
    if (!spid.pDetailContour) {
        spid.ShowError("Не удалось распознать контур детали");
        ++sectionFailures;
        return false;
    }
    Contour& contour = *spid.pDetailContour;
    if (!contour.IsClosed()) {
        spid.ShowError("Контур сечения детали в плоскости ЛСК XOZ не замкнут либо содержит более одной области");
        spid.pDetailContour.reset();
        ++sectionFailures;
        return false;
    }
    contour.CreateRelationMatrix();
    if (contour.FindInsidePoint(spid.innerPointZ, spid.innerPointX) < 2)
        ShowMessageBox("Не найдена внутренняя точка контура детали");
    double zmin = 0, xmin = 0, zmax = 0, xmax = 0;
    contour.GetBoundBox(zmin, xmin, zmax, xmax);
    const double d = std::hypot(zmax - zmin, xmax - xmin);
    ArrowLength = d < 100.0 ? 2.0 : d < 200.0 ? 3.5 : 5.0;
    return true;
}

int SectionFailureCount() { return sectionFailures; }

void CSPID::CheckPostProcessor() {
    pPostProcessor = postProcessors.FindPostProcessor(sNamePostProcessor);
    if (pPostProcessor && !pPostProcessor->ReadPostProcessorDescription()) pPostProcessor = nullptr;
    if (!pPostProcessor)
        HostMessageBox("Не обнаружен постпроцессор \"" + sNamePostProcessor + "\"" +
                           "\nВсе обработки будут приняты в элементарных перемещениях",
                       kCaption, kExclamation);
}

void CSPID::CreateContourTool(int position) {
    BusyFlagGuard busy;
    HostApplication& app = ConnectedApplication();
    // The user's document is active again afterwards (a closed one cannot
    // be: then none is).
    const HostDocumentPtr previous = app.ActiveDocumentOrNull();
    const auto restoreActive = HostCallAtExit(
        [&] { app.SetActiveDocument(previous && app.Documents().Contains(previous) ? previous : nullptr); });
    const int count = std::clamp(Npositions, 0, kMaxTools);
    const bool all = position == kAllPositions;
    // A stale position (a deleted tool, an old panel index) builds nothing.
    if (!all && (position < 0 || position >= count)) return;
    const int first = all ? 0 : position;
    const int last = all ? count : position + 1;
    for (int i = first; i < last; ++i) tools[static_cast<std::size_t>(i)].LoadModel();
    for (int i = first; i < last; ++i) tools[static_cast<std::size_t>(i)].ReadContourSketch();
    HostDocumentPtr hidden = app.Documents().Add(DocumentType::Drawing2D, false);
    if (!hidden) return;
    const auto closeHidden = HostCallAtExit([&] { app.Documents().Close(hidden); });
    const int previousMode = app.MessageMode();
    app.SetMessageMode(2);
    const auto restoreMode = HostCallAtExit([&] { app.SetMessageMode(previousMode); });
    for (int i = first; i < last; ++i) {
        if (all) app.SetActiveDocument(hidden);
        tools[static_cast<std::size_t>(i)].CreateToolContour();
    }
}

std::unique_ptr<Contour> CSPID::CreateSourceContour() {
    isSourceExtents = false;
    if (pStockTab) {
        pStockTab->RebuildContour();
        return nullptr;
    }
    std::unique_ptr<Contour> built = stockBuilder.Build();
    if (!built) return nullptr;
    std::unique_ptr<Contour> simple = built->GetSimpleContour();
    if (simple) simple->MergeOverlappingUnits();
    return simple;
}

std::string CSPID::ToolDisplayName(const std::string& name) {
    const std::size_t paren = name.find('(');
    std::string head = paren == std::string::npos ? name : name.substr(0, paren);
    if (!head.empty() && head.back() == ' ') head.pop_back();
    if (paren == std::string::npos) return head;
    return head + " " + name.substr(paren);
}

void CSPID::FillToolsTable(GridControl& grid, int current) const {
    const int count = std::clamp(Npositions, 0, kMaxTools);
    grid.SetRowCount(count + 1);
    for (int i = 0; i < count; ++i) {
        const ParamTool& tool = tools[static_cast<std::size_t>(i)];
        const int row = i + 1;
        const std::string number = std::to_string(i + 1);
        grid.SetCellText(row, 0, tool.isNoContour ? number + " !!!" : tool.isFromCatalog ? number : number + " *");
        grid.SetCellSetting(row, 4);
        grid.SetCellSetting(row, 5);
        if (tool.sFileName.empty()) {
            for (int col = 1; col <= 5; ++col) grid.SetCellText(row, col, "");
            continue;
        }
        grid.SetCellText(row, 1, ToolDisplayName(tool.sPsevName));
        grid.SetCellText(row, 2, SignificantG(tool.isInter ? -tool.CorrectX : tool.CorrectX));
        const bool asStored = (tool.isLeft && tool.M34 == 4) || (!tool.isLeft && tool.M34 == 3);
        grid.SetCellText(row, 3, SignificantG(asStored ? tool.CorrectZ : -tool.CorrectZ));
        grid.SetCellText(row, 4, "M" + std::to_string(tool.M34));
        grid.SetCellText(row, 5, SignificantG(tool.d_centr));
    }
    grid.SetCurrentRow(current + 1);
    grid.Redraw();
}

void CSPID::FillGadgetsList(ListControl& list) const {
    list.Clear();
    const int count = std::clamp(Ngadgets, 0, kMaxGadgets);
    for (int i = 0; i < count; ++i) list.AddLine(" " + gadgets[static_cast<std::size_t>(i)].sPsevName);
}

void CSPID::ShowError(const std::string& text) {
    if (!errorText.empty()) return;
    errorText = "Ошибка:\n" + text;
    HostMessageBox(errorText, kCaption, kExclamation);
}

TreeControl* CSPID::TreeOf(PlanTree* tree) { return tree ? tree->Control() : nullptr; }

void CSPID::InsertLSCTreeNode(PlanTree* tree) {
    TreeControl* control = TreeOf(tree);
    if (!control) return;
    if (!control->Exists(hLSCGroup))
        InsertGroup(*control, tree->Root(), {"Система ЧПУ", kIconLSCGroup, kIconPostLine, kIconLSCLine}, hLSCGroup,
                    hPostLine, hLSCLine);
    UpdateLSCTreeItems();
}

void CSPID::UpdateLSCTreeItems() {
    TreeControl* control = TreeOf(ExistingPlanTree());
    if (!control || !control->Exists(hPostLine) || !control->Exists(hLSCLine)) return;
    control->SetItemText(hPostLine, sNamePostProcessor.empty() ? "не задана" : sNamePostProcessor);
    control->SetItemText(hLSCLine, std::string("ЛСК ЧПУ") + ": " + (pLSC ? pLSC->Name() : "не определена"));
}

void CSPID::InsertSPIDTreeNode(PlanTree* tree) {
    TreeControl* control = TreeOf(tree);
    if (!control) return;
    if (!control->Exists(hSPIDGroup))
        InsertGroup(*control, tree->Root(), {"Заготовка, инструменты", kIconSPIDGroup, kIconTurretLine, kIconStartLine},
                    hSPIDGroup, hTurretLine, hStartLine);
    UpdateSPIDTreeItems();
}

void CSPID::UpdateSPIDTreeItems() {
    TreeControl* control = TreeOf(ExistingPlanTree());
    if (!control || !control->Exists(hTurretLine) || !control->Exists(hStartLine)) return;
    control->SetItemText(hTurretLine, "Число позиций: " + std::to_string(Npositions) + " ");
    control->SetItemText(hStartLine, "X=" + FormatFixed(X0tool, 2) + ", Z=" + FormatFixed(Z0tool, 2));
    for (TreeItem child : control->Children(hTurretLine)) control->DeleteItem(child);
    hToolLines.fill(kNoTreeItem);
    const int count = std::clamp(Npositions, 0, kMaxTools);
    for (int i = 0; i < count; ++i) {
        const TreeItem line =
            InsertLine(*control, hTurretLine,
                       std::to_string(i + 1) + "." + tools[static_cast<std::size_t>(i)].sPsevName, kIconTurretLine);
        control->SetItemData(line, hSPIDGroup);
        hToolLines[static_cast<std::size_t>(i)] = line;
    }
}

}  // namespace zarvento
