// The plan-data panel: the buttons of the tools table and of the fixtures
// list, the part-parameters refresh, and tools and fixtures taken from files.
#include <algorithm>
#include <cstdio>

#include "catalogs/catalog_tools.h"
#include "catalogs/property_material.h"
#include "model/model_tess.h"
#include "panels/control_events.h"
#include "panels/panel_spid.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/messages.h"
#include "platform/core/scope_guard.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_document.h"

namespace zarvento {

namespace {

std::string NotMountedMessage(int position) {
    char text[96];
    std::snprintf(text, sizeof text, "Инструмент в позиции №%d не установлен", position);
    return text;
}

std::string NoRoomMessage(int position) {
    char text[160];
    std::snprintf(text, sizeof text, "Инструмент не может быть установлен в позицию %d. Не хватает позиций.", position);
    return text;
}

std::string TooManyGadgetsMessage() {
    char text[32];
    std::snprintf(text, sizeof text, " %d ", CSPID::kMaxGadgets);
    return std::string("Можно использовать не более") + text + "приспособлений";
}

// The name as the table shows it: cut at its first "{", trailing blanks removed.
std::string ShownName(const std::string& name) {
    std::string shown = name.substr(0, name.find('{'));
    while (!shown.empty() && shown.back() == ' ') shown.pop_back();
    return shown;
}

// The file name of a path up to the first "." after its last separator.
std::string ShortName(const std::string& path) {
    const std::size_t slash = path.find_last_of("\\/");
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return name.substr(0, name.find('.'));
}

// The path of the active document; empty when there is none.
std::string ActiveDocumentPath() {
    HostApplication* app = HostApplicationObject();
    const HostDocumentPtr doc = app ? app->ActiveDocument() : nullptr;
    return doc ? doc->FilePath() : std::string();
}

// The model path relative to the document: what follows the document's path.
void TakeRelativeName(ParamTool& record) {
    const std::string document = ActiveDocumentPath();
    if (document.empty()) return;
    const std::size_t at = record.sFileName.find(document);
    if (at != std::string::npos) record.sRefrName = record.sFileName.substr(at + document.size());
}

// Clears a flag for a scope and sets it again on the way out, however it goes.
auto EventsOff(bool& flag) {
    flag = false;
    return ScopeGuard([&flag] { flag = true; });
}

}  // namespace

bool CPanelSPID::OnControlCommand(PropertyControl& control, int id) {
    if (currentTab == kTabContour) contourTabPart.OnControlCommand(control, id);
    using Self = CPanelSPID;
    static constexpr ControlEvents<Self, int> kRows[] = {
        {&Self::toolsTable, [](Self& p, PropertyControl&, int button) { p.OnToolCommand(button); }},
        {&Self::gadgetsList, [](Self& p, PropertyControl&, int button) { p.OnGadgetCommand(button); }},
        {&Self::refreshParamsButton, [](Self& p, PropertyControl&, int) { p.OnRefreshPartParams(); }},
    };
    DispatchControlEvent(kRows, *this, control, id);
    return true;
}

void CPanelSPID::EnableMoveButtons(int i) {
    if (i > 0) toolsTable->EnableButton(kMoveUp, true);
    if (i < copy_->Npositions - 1) toolsTable->EnableButton(kMoveDown, true);
}

void CPanelSPID::OnToolCommand(int id) {
    if (copy_->Npositions == 0 && id != kImportTable) {
        ShowHostMessage("Сначала задайте число позиций");
        return;
    }
    int i = toolsTable->CurrentRow() - 1;
    if (i != selectedTool) {
        const auto off = EventsOff(selectionEventsOn);
        toolsTable->SetCurrentCell(selectedTool + 1, std::max(toolsTable->CurrentColumn(), 0));
        toolsTable->Grid().Redraw();
        i = selectedTool;
    }
    if ((i < 0 || i >= std::min(copy_->Npositions, CSPID::kMaxTools)) && id != kImportTable) {
        ShowHostMessage("Выберите сначала позицию в списке");
        return;
    }
    switch (id) {
        case kToolFromCatalog: OnToolFromCatalog(i); break;
        case kToolFromFile: {
            // Nothing chosen, or refused: the buttons stay as the selection set them.
            if (!AddToolFromFile(i)) break;
            const ParamTool& tool = copy_->tools[static_cast<std::size_t>(selectedTool)];
            toolsTable->EnableButton(kToolVariables, tool.hasSizeTable);
            for (int b : {kRemoveTool, kSpindleRight, kSpindleLeft}) toolsTable->EnableButton(b, true);
            EnableMoveButtons(selectedTool);
            break;
        }
        case kRemoveTool: OnRemoveTool(i); break;
        case kMoveUp: OnMoveTool(i, i - 1); break;
        case kMoveDown: OnMoveTool(i, i + 1); break;
        case kSpindleRight: OnSpindle(i, 3, "M3"); break;
        case kSpindleLeft: OnSpindle(i, 4, "M4"); break;
        case kToolVariables: {
            ParamTool& tool = copy_->tools[static_cast<std::size_t>(i)];
            if (!EditVariables(tool)) break;
            const auto off = EventsOff(selectionEventsOn);
            tool.isModelLoaded = false;
            FillToolsTable();
            ShowToolModel(false);
            FillToolParams(tool);
            break;
        }
        case kImportTable: OnImportTable(); break;
        default: break;
    }
}

void CPanelSPID::OnToolFromCatalog(int i) {
    ParamTool chosen = copy_->tools[static_cast<std::size_t>(i)];
    // The dialog finds the position's model by its file's name.
    std::string folder, name = chosen.ModelName(), ext;
    CCatalogTools dialog("Tool", folder, name, ext, chosen.aVariables, chosen.Npv);
    if (dialog.DoModal() != 1) return;
    const bool found = chosen.ParseNameSettings(name);
    if (found) {
        if (chosen.Position >= copy_->Npositions) {
            ShowHostMessage(NoRoomMessage(chosen.Position + 1));
            return;
        }
        i = chosen.Position;
        selectedTool = i;
    }
    // Without name settings the record keeps the mounting of the one it replaces.
    ParamTool& tool = copy_->tools[static_cast<std::size_t>(i)];
    tool = chosen;
    tool.ResetModelFields();
    tool.nCopyIndex = i;
    tool.isNoContour = false;
    tool.isModelCopied = false;
    tool.isModelLoaded = false;
    tool.isFromCatalog = true;
    tool.ClearContour();
    tool.sFileName = folder + name + ext;
    tool.sToolName = name;
    tool.sExt = ext;
    // Named in the size chosen: the model's name with the row's designation.
    tool.TakeSizeDesignation(dialog.ChosenDesignation());
    tool.FindModelFile(false);
    tool.LoadModel();
    {
        const auto off = EventsOff(selectionEventsOn);
        if (found && tool.isInter) tool.CorrectX = -tool.CorrectX;
        toolsTable->SetCurrentCell(i + 1, std::max(toolsTable->CurrentColumn(), 0));
        FillToolsTable();
        ShowToolModel(false);
        FillToolParams(tool);
    }
    toolsTable->EnableButton(kToolVariables, tool.hasSizeTable);
    for (int b : {kRemoveTool, kSpindleRight, kSpindleLeft}) toolsTable->EnableButton(b, true);
    EnableMoveButtons(i);
}

void CPanelSPID::OnRemoveTool(int i) {
    ParamTool& tool = copy_->tools[static_cast<std::size_t>(i)];
    if (tool.sFileName.empty()) {
        ShowHostMessage(NotMountedMessage(i + 1));
        return;
    }
    char question[160];
    std::snprintf(question, sizeof question, "Вы действительно хотите удалить инструмент из позиции №%d?", i + 1);
    if (!AskQuestion(question, "Да", "Отмена")) return;
    const auto off = EventsOff(selectionEventsOn);
    tool.Reset();
    tool.Position = i;
    tool.ClearContour();
    FillToolParams(tool);
    FillToolsTable();
    ShowToolModel(false);
    toolsTable->EnableButton(kToolVariables, false);
}

void CPanelSPID::OnMoveTool(int i, int j) {
    if (j < 0 || j >= std::min(copy_->Npositions, CSPID::kMaxTools)) return;
    ParamTool& a = copy_->tools[static_cast<std::size_t>(i)];
    ParamTool& b = copy_->tools[static_cast<std::size_t>(j)];
    if (a.sFileName.empty()) {
        ShowHostMessage(NotMountedMessage(i + 1));
        return;
    }
    if (!b.isModelLoaded) b.LoadModel();
    std::swap(a, b);
    a.Position = i;
    b.Position = j;
    selectedTool = j;
    const bool up = j < i;
    toolsTable->EnableButton(up ? kMoveDown : kMoveUp, true);
    toolsTable->EnableButton(up ? kMoveUp : kMoveDown, up ? j > 0 : j < copy_->Npositions - 1);
    for (const auto& [record, index] : {std::pair<ParamTool*, int>{&a, i}, std::pair<ParamTool*, int>{&b, j}}) {
        if (record->sWorkFile.empty()) {
            record->Reset();
            record->Position = index;
        } else {
            record->isModelLoaded = false;
            record->nCopyIndex = index;
            record->CopyModelToSession(index);
        }
    }
    {
        const auto off = EventsOff(selectionEventsOn);
        FillToolsTable();
    }
    ShowToolModel(false);
}

void CPanelSPID::OnSpindle(int i, std::int16_t m34, const char* text) {
    ParamTool& tool = copy_->tools[static_cast<std::size_t>(i)];
    const std::int16_t before = tool.M34;
    tool.M34 = m34;
    toolsTable->Grid().SetCellText(i + 1, 4, text);
    if (tool.M34 != before) tool.CorrectZ = -tool.CorrectZ;
    const auto off = EventsOff(selectionEventsOn);
    toolsTable->SetCurrentCell(i + 1, std::max(toolsTable->CurrentColumn(), 0));
    toolsTable->Grid().Redraw();
    ShowToolModel(true);
}

void CPanelSPID::OnImportTable() {
    const std::optional<std::string> path = ShowOpenFileDialog("*.rdp", "Модель (*.rdp)|*.rdp|");
    if (!path || path->empty()) return;
    if (*path == ActiveDocumentPath()) {
        ShowHostMessage(CContourTAB::kOpenInWindowMessage);
        return;
    }
    if (!copy_->ImportToolsTable(*path)) return;
    const auto off = EventsOff(selectionEventsOn);
    positionCountEdit->SetValue(Variant::I4(copy_->Npositions));
    for (int k = 0; k < std::min(copy_->Npositions, CSPID::kMaxTools); ++k)
        copy_->tools[static_cast<std::size_t>(k)].FindModelFile(false);
    FillToolsTable();
    ShowToolModel(false);
}

std::string CPanelSPID::AskModelFile(const std::string& extensions, const std::string& filter, int) {
    const std::optional<std::string> path = ShowOpenFileDialog(extensions, filter);
    if (!path || path->empty()) return {};
    if (*path == ActiveDocumentPath()) {
        ShowHostMessage(CContourTAB::kOpenInWindowMessage);
        return {};
    }
    return *path;
}

bool CPanelSPID::AddToolFromFile(int i) {
    const std::string path = AskModelFile("*.rdp,*.rda", "Модель (*.rdp)|*.rdp|Сборка (*.rda)|*.rda|", 1024);
    if (path.empty()) return false;
    CModelTess probe;
    if (!probe.LoadFromFile(path)) return false;
    const auto off = EventsOff(selectionEventsOn);
    const std::string shortName = ShortName(path);
    ParamTool added;
    const bool found = added.ParseNameSettings(path);
    if (found) {
        if (added.Position >= copy_->Npositions) {
            ShowHostMessage(NoRoomMessage(added.Position + 1));
            return false;
        }
        i = added.Position;
        selectedTool = i;
    }
    ParamTool& tool = copy_->tools[static_cast<std::size_t>(i)];
    tool = added;
    tool.Position = i;
    tool.nCopyIndex = i;
    tool.ClearContour();
    tool.isFromCatalog = false;
    tool.sFileName = path;
    tool.sWorkFile = path;
    tool.sComment.clear();
    tool.FindModelFile(false);
    tool.sToolName = shortName;
    tool.sPsevName = ShownName(shortName);
    tool.LoadModel();
    tool.TakeModelWriteTime();
    if (found && tool.isInter) tool.CorrectX = -tool.CorrectX;
    FillToolsTable();
    ReadVariables(tool);
    ShowToolModel(false);
    FillToolParams(tool);
    TakeRelativeName(tool);
    selectedTool = i;
    return true;
}

void CPanelSPID::AddGadgetFromFile() {
    if (copy_->Ngadgets >= CSPID::kMaxGadgets) {
        ShowMessageBox(TooManyGadgetsMessage());
        return;
    }
    const std::string path = AskModelFile("*.rdp,*.rda", "Модель (*.rdp)|*.rdp|Сборка (*.rda)|*.rda|", 1024);
    if (path.empty()) return;
    CModelTess probe;
    if (!probe.LoadFromFile(path)) return;
    const auto off = EventsOff(selectionEventsOn);
    const std::string shortName = ShortName(path);
    const int n = copy_->Ngadgets;
    copy_->Ngadgets = n + 1;
    ParamGadget& gadget = copy_->gadgets[static_cast<std::size_t>(n)];
    ResetMounting(gadget);
    gadget.Reset();
    gadget.Position = n;
    gadget.nCopyIndex = n;
    gadget.ClearContour();
    gadget.isFromCatalog = false;
    gadget.sFileName = path;
    gadget.sWorkFile = path;
    gadget.FindModelFile(false);
    gadget.sToolName = shortName;
    gadget.sPsevName = ShownName(shortName);
    FillGadgetsList();
    selectedGadget = n;
    gadgetsList->SetCurrentItem(n);
    gadget.LoadModel();
    gadget.TakeModelWriteTime();
    ReadVariables(gadget);
    PlaceGadget(n);
    ShowGadgetValues(n);
    ShowGadgetModels();
    FillGadgetParams(gadget);
    TakeRelativeName(gadget);
}

// ---------------------------------------------------------------- fixtures

void CPanelSPID::OnGadgetCommand(int id) {
    switch (id) {
        case kGadgetFromCatalog: OnGadgetFromCatalog(); break;
        case kGadgetFromFile:
            AddGadgetFromFile();
            if (selectedGadget >= 0 && selectedGadget < copy_->Ngadgets)
                gadgetsList->EnableButton(kGadgetVariables,
                                          copy_->gadgets[static_cast<std::size_t>(selectedGadget)].hasSizeTable);
            break;
        case kRemoveGadget: OnRemoveGadget(); break;
        case kGadgetVariables: {
            if (selectedGadget < 0 || selectedGadget >= copy_->Ngadgets) break;
            ParamGadget& gadget = copy_->gadgets[static_cast<std::size_t>(selectedGadget)];
            if (!EditVariables(gadget)) break;
            const auto off = EventsOff(selectionEventsOn);
            FillGadgetsList();
            FillGadgetParams(gadget);
            gadget.pDisplayModel.reset();
            ShowGadgetModels();
            break;
        }
        default: break;
    }
}

void CPanelSPID::OnGadgetFromCatalog() {
    const int n = copy_->Ngadgets;
    if (n >= CSPID::kMaxGadgets) {
        ShowMessageBox(TooManyGadgetsMessage());
        return;
    }
    ParamGadget& gadget = copy_->gadgets[static_cast<std::size_t>(n)];
    std::string folder, name, ext;
    CCatalogTools dialog("Device", folder, name, ext, gadget.aVariables, gadget.Npv);
    if (dialog.DoModal() != 1) return;
    copy_->Ngadgets = n + 1;
    const auto off = EventsOff(selectionEventsOn);
    ResetMounting(gadget);
    gadget.isNoContour = false;
    gadget.isModelCopied = false;
    gadget.isModelLoaded = false;
    gadget.isFromCatalog = true;
    gadget.ClearContour();
    gadget.Position = n;
    gadget.nCopyIndex = n;
    gadget.sToolName = name;
    gadget.sFileName = folder + name + ext;
    gadget.sExt = ext;
    gadget.sPsevName = ShownName(name);
    gadget.FindModelFile(false);
    gadget.LoadModel();
    PlaceGadget(n);
    ShowGadgetValues(n);
    ShowGadgetModels();
    FillGadgetParams(gadget);
    gadgetsList->EnableButton(kGadgetVariables, gadget.hasSizeTable);
    gadgetsList->EnableButton(kRemoveGadget, true);
    FillGadgetsList();
    selectedGadget = n;
}

void CPanelSPID::OnRemoveGadget() {
    const int i = selectedGadget;
    const int count = std::min(copy_->Ngadgets, CSPID::kMaxGadgets);
    if (i < 0 || i >= count) return;
    const std::string question = "Вы действительно хотите удалить приспособление\n" +
                                 copy_->gadgets[static_cast<std::size_t>(i)].sToolName + "?";
    if (!AskQuestion(question, "Да", "Отмена")) return;
    for (int j = i; j < count; ++j) {
        ParamGadget& gadget = copy_->gadgets[static_cast<std::size_t>(j)];
        if (gadget.pDisplayModel) gadget.pDisplayModel->Erase();
        gadget.pDisplayModel.reset();
    }
    copy_->gadgets[static_cast<std::size_t>(i)].ClearContour();
    for (int j = i; j < count - 1; ++j) {
        ParamGadget& gadget = copy_->gadgets[static_cast<std::size_t>(j)];
        gadget.Reset();
        gadget = copy_->gadgets[static_cast<std::size_t>(j + 1)];
        gadget.Position = j;
    }
    // The last one moved down: its old place is empty.
    ParamGadget& last = copy_->gadgets[static_cast<std::size_t>(count - 1)];
    last.Reset();
    last.Position = count - 1;
    ShowGadgetValues(-1);
    copy_->Ngadgets = std::max(count - 1, 0);
    {
        const auto off = EventsOff(selectionEventsOn);
        FillGadgetsList();
        selectedGadget = -1;
        ClearGrid(gadgetParamsGrid);
        gadgetZEdit->SetEnabled(false);
        gadgetsList->EnableButton(kRemoveGadget, false);
        gadgetsList->EnableButton(kGadgetVariables, false);
        ShowGadgetModels();
    }
    if (copy_->Ngadgets == 0) RefreshView();
}

void CPanelSPID::OnRefreshPartParams() {
    CPLAN* plan = GetPLAN();
    plan->ReadFromModel(true);
    plan->FillGrid(partParamsGrid->Grid());
    // The material's properties, shown for the user to read; closing the
    // dialog changes nothing.
    if (plan->material) {
        CPropertyMaterial dialog(*plan->material);
        dialog.DoModal();
    }
}

}  // namespace zarvento
