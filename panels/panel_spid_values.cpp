// The plan-data panel: value changes, the selection of a tool or a fixture,
// and the models drawn for them.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

#include "catalogs/params_grid.h"
#include "geometry/number_text.h"
#include "model/model_tess.h"
#include "panels/control_events.h"
#include "panels/panel_spid.h"
#include "plan/spid.h"
#include "platform/core/host_major_version.h"
#include "platform/core/messages.h"
#include "platform/core/scope_guard.h"
#include "platform/documents/settings_record.h"
#include "simulation/tool_model_placement.h"

namespace zarvento {

namespace {

void Warn(const std::string& text) { HostMessageBox(text, CSPID::kCaption, CSPID::kExclamation); }

// A number typed into a table: a decimal comma is taken as the point, and
// text that is no number reads as 0.
double CellNumber(std::string text) {
    CommaToPoint(text);
    std::size_t start = text.find_first_not_of(" \t");
    if (start == std::string::npos) return 0.0;
    if (text[start] == '+') ++start;
    double value = 0.0;
    const auto [end, ec] = std::from_chars(text.data() + start, text.data() + text.size(), value);
    (void)end;
    return ec == std::errc() && std::isfinite(value) ? value : 0.0;
}

// A record's own offset pair: the model's variables "offsetZ" and "offsetX".
void OwnOffsets(const ParamTool& tool, double& dz, double& dx) {
    dz = tool.offsetZ;
    dx = 0.0;
    tool.GetVariable("offsetX", dx);
}

bool HasModel(const ParamTool& tool) { return !tool.isNoContour && !tool.sWorkFile.empty(); }

}  // namespace

// ---------------------------------------------------------------- filling

void CPanelSPID::ReadVariables(ParamTool& record) {
    if (record.pModel) {
        record.ReadModelVariables(*record.pModel);
    } else if (!record.sWorkFile.empty()) {
        record.ReadModelVariablesFromFile();
    }
}

bool CPanelSPID::EditVariables(ParamTool& record) {
    const auto variables = record.aVariables;
    const std::string comment = record.sComment;
    record.EditVariablesTable();
    return variables != record.aVariables || comment != record.sComment;
}

void CPanelSPID::FillToolsTable() {
    const bool events = selectionEventsOn;
    selectionEventsOn = false;
    copy_->FillToolsTable(toolsTable->Grid(), selectedTool);
    selectionEventsOn = events;
}

void CPanelSPID::FillGadgetsList() {
    const bool events = selectionEventsOn;
    selectionEventsOn = false;
    ListControl lines;
    copy_->FillGadgetsList(lines);
    gadgetsList->ClearItems();
    for (const std::string& line : lines.Lines()) gadgetsList->AddItem(line);
    selectionEventsOn = events;
}

namespace {
void CopyParams(PropertyControl& control, const ParamTool& tool) {
    ParamsGrid params;
    tool.FillParamsGrid(params);
    GridControl& grid = control.Grid();
    grid.SetRowCount(std::max(params.Rows(), 1));
    for (int r = 1; r < params.Rows(); ++r)
        for (int c = 0; c < 3; ++c) grid.SetCellText(r, c, params.Cell(r, c));
    grid.Redraw();
}
}  // namespace

void CPanelSPID::FillToolParams(const ParamTool& tool) { CopyParams(*toolParamsGrid, tool); }
void CPanelSPID::FillGadgetParams(const ParamTool& tool) { CopyParams(*gadgetParamsGrid, tool); }

void CPanelSPID::ClearGrid(PropertyControl* grid) {
    grid->Grid().SetRowCount(1);
    grid->Grid().Redraw();
}

// ---------------------------------------------------------------- selection

bool CPanelSPID::OnSelectListItem(PropertyControl& control, int index, int state) {
    if (!selectionEventsOn) return true;
    if (currentTab == kTabContour) contourTabPart.OnSelectListItem(control, index, state);
    if (state == 0) return true;
    using Self = CPanelSPID;
    static constexpr ControlEvents<Self, int> kRows[] = {
        {&Self::toolsTable, [](Self& p, PropertyControl&, int row) { p.OnToolSelected(row); }},
        {&Self::gadgetsList, [](Self& p, PropertyControl&, int row) { p.OnGadgetSelected(row); }},
    };
    DispatchControlEvent(kRows, *this, control, index);
    return true;
}

void CPanelSPID::OnToolSelected(int index) {
    toolsTable->EnableButton(kToolFromCatalog, true);
    toolsTable->EnableButton(kToolFromFile, true);
    const int row = (index & 0xFF) - 1;
    selectedTool = row;
    if (row < 0 || row >= std::min(copy_->Npositions, CSPID::kMaxTools)) return;
    ParamTool& tool = copy_->tools[static_cast<std::size_t>(row)];
    if (!tool.isNoContour) {
        angleEdit->SetValue(Variant::R8(tool.Angle));
        tool.LoadModel();
        if (!tool.isFromCatalog) ReadVariables(tool);
        ShowToolModel(false);
        FillToolParams(tool);
        toolsTable->EnableButton(kToolVariables, tool.hasSizeTable);
    } else {
        Warn("Не найден файл инструмента: " + tool.sFileName);
    }
    EnableToolButtons(row);
}

void CPanelSPID::OnGadgetSelected(int index) {
    selectedGadget = index;
    if (index < 0 || index >= std::min(copy_->Ngadgets, CSPID::kMaxGadgets)) return;
    gadgetsList->EnableButton(kRemoveGadget, true);
    partOverhangEdit->SetEnabled(true);
    gadgetZEdit->SetEnabled(true);
    ParamGadget& gadget = copy_->gadgets[static_cast<std::size_t>(index)];
    if (!gadget.isNoContour) {
        ShowGadgetValues(index);
        gadget.LoadModel();
        if (!gadget.isFromCatalog) ReadVariables(gadget);
        FillGadgetParams(gadget);
        gadgetsList->EnableButton(kGadgetVariables, gadget.hasSizeTable);
    } else {
        Warn("Не найден файл приспособления: " + gadget.sFileName);
    }
}

void CPanelSPID::EnableToolButtons(int i) {
    const ParamTool& tool = copy_->tools[static_cast<std::size_t>(i)];
    if (tool.sFileName.empty()) {
        for (int id : {kRemoveTool, kMoveUp, kMoveDown, kSpindleRight, kSpindleLeft})
            toolsTable->EnableButton(id, false);
        return;
    }
    for (int id : {kRemoveTool, kSpindleRight, kSpindleLeft}) toolsTable->EnableButton(id, true);
    toolsTable->EnableButton(kMoveUp, i >= 1);
    toolsTable->EnableButton(kMoveDown, i < copy_->Npositions - 1);
}

// ---------------------------------------------------------------- models

void CPanelSPID::ShowToolModel(bool fillGrid) {
    toolModel.reset();
    if (Checked(showToolBox)) {
        const int position = HostMajorVersion() < 17 ? toolsTable->CurrentRow() - 1 : selectedTool;
        if (position >= 0 && position < std::min(copy_->Npositions, CSPID::kMaxTools)) {
            ParamTool& tool = copy_->tools[static_cast<std::size_t>(position)];
            tool.LoadModel();
            if (HasModel(tool)) {
                angleEdit->SetEnabled(true);
                toolModel = std::make_unique<CModelTess>();
                if (toolModel->LoadFromFile(tool.sWorkFile)) {
                    toolModel->DrawAt(0.0, 0.0, 0.0);
                    tool.UpdateTipPosition();
                    if (fillGrid) FillToolParams(tool);
                    double dz = 0, dx = 0;
                    OwnOffsets(tool, dz, dx);
                    toolModel->Shift(dz, dx, 0.0);
                    toolModel->Shift(tool.CorrectZ, tool.CorrectX, 0.0);
                    TurnToolModel(*toolModel, tool);
                }
                const std::int32_t slide = tool.LoadSlide() ? 1 : 0;
                if (toolSlide->Value().ToI4() != slide) toolSlide->SetValue(Variant::I4(slide));
                toolSlide->SetVisible(slide != 0);
                toolSlide->Update();
            }
        }
    }
    RefreshView();
}

void CPanelSPID::ShowGadgetModels() {
    if (Checked(showGadgetsBox)) {
        CSPID* global = GetSPID();
        if (global->isShowGadgets) {
            // Drawn once, by the panel; the plan shows its own again afterwards.
            global->ToggleShowGadgets();
            global->isShowGadgets = true;
        }
    }
    for (int i = 0; i < std::min(copy_->Ngadgets, CSPID::kMaxGadgets); ++i) {
        ParamGadget& gadget = copy_->gadgets[static_cast<std::size_t>(i)];
        gadget.LoadModel();
        if (!Checked(showGadgetsBox) || !HasModel(gadget)) continue;
        if (gadget.pDisplayModel) {
            gadget.pDisplayModel->Show();
        } else {
            auto model = std::make_shared<CModelTess>();
            if (model->LoadFromFile(gadget.sWorkFile)) {
                model->DrawAt(gadget.CorrectZ, 0.0, 0.0);
                gadget.pDisplayModel = std::move(model);
            }
        }
        RefreshView();
    }
}

void CPanelSPID::PlaceGadget(int i) {
    if (i < 0 || i >= CSPID::kMaxGadgets) return;
    ParamGadget& gadget = copy_->gadgets[static_cast<std::size_t>(i)];
    double zmin = 0, xmin = 0, zmax = 0, xmax = 0;
    copy_->pDetailContour->GetBoundBox(zmin, xmin, zmax, xmax);
    // A chuck (kind 1) holds the part with 15 beyond its length.
    if (gadget.TYPE_ == 1.0) {
        gadget.Lvlt = std::fabs(zmax - zmin + 15.0);
        gadget.CorrectZ = 2.0 * zmax - (gadget.Lvlt + gadget.offsetZ);
    } else {
        gadget.CorrectZ = zmax;
    }
}

void CPanelSPID::ShowGadgetValues(int i) {
    if (i < 0 || i >= CSPID::kMaxGadgets) {
        partOverhangEdit->SetValue(Variant::R8(0.0));
        gadgetZEdit->SetValue(Variant::R8(0.0));
        return;
    }
    const ParamGadget& gadget = copy_->gadgets[static_cast<std::size_t>(i)];
    const bool chuck = gadget.TYPE_ == 1.0;
    partOverhangEdit->SetVisible(chuck);
    gadgetZEdit->SetEnabled(!chuck);
    partOverhangEdit->SetValue(Variant::R8(gadget.Lvlt));
    gadgetZEdit->SetValue(Variant::R8(gadget.CorrectZ));
}

void CPanelSPID::UpdateMaxToolOverhang() {
    maxToolOverhangX = 0.0;
    maxToolOverhangZ = 0.0;
    for (int i = 0; i < std::min(copy_->Npositions, CSPID::kMaxTools); ++i) {
        const ParamTool& tool = copy_->tools[static_cast<std::size_t>(i)];
        if (tool.sFileName.empty()) continue;
        maxToolOverhangX = std::max(maxToolOverhangX, tool.CorrectX);
        maxToolOverhangZ = std::max(maxToolOverhangZ, tool.CorrectZ);
    }
}

// ---------------------------------------------------------------- values

int CPanelSPID::SelectedToolIndex() const {
    return HostMajorVersion() >= 17 ? selectedTool : toolsTable->CurrentRow() - 1;
}

bool CPanelSPID::OnChangeControlValue(PropertyControl& control) {
    if (currentTab == kTabContour) contourTabPart.OnChangeControlValue(control);
    using Self = CPanelSPID;
    static constexpr auto gadgetZ = [](Self& p, PropertyControl& c) { p.OnGadgetZ(c); };
    static constexpr auto startPoint = [](Self& p, PropertyControl& c) {
        (&c == p.startXEdit ? p.copy_->X0tool : p.copy_->Z0tool) = c.Value().ToR8();
        p.UpdateStartPoint();
    };
    static constexpr ControlEvents<Self> kRows[] = {
        {&Self::stockMethodList,
         [](Self& p, PropertyControl&) {
             p.copy_->nSposobStock = p.stockMethodList->IndexOfValue(p.stockMethodList->Value().ToBStr());
         }},
        {&Self::safetyDiameterEdit,
         [](Self& p, PropertyControl& c) {
             p.copy_->Xplane = c.Value().ToR8() / 2.0;
             p.UpdateSafetyPlanes();
         }},
        {&Self::safetyZEdit,
         [](Self& p, PropertyControl& c) {
             p.copy_->Zplane = c.Value().ToR8();
             p.UpdateSafetyPlanes();
         }},
        {&Self::showSafetyPlanesBox,
         [](Self& p, PropertyControl& c) {
             if (p.Checked(&c)) {
                 p.safetyPlaneX.Show();
                 p.safetyPlaneZ.Show();
             } else {
                 p.safetyPlaneX.Hide();
                 p.safetyPlaneZ.Hide();
             }
             p.RefreshView();
         }},
        {&Self::positionCountEdit, [](Self& p, PropertyControl&) { p.OnPositionCount(); }},
        {&Self::toolsTable, [](Self& p, PropertyControl&) { p.OnTableCell(); }},
        {&Self::angleEdit,
         [](Self& p, PropertyControl& c) {
             const int i = p.SelectedToolIndex();
             if (i < 0 || i >= CSPID::kMaxTools) return;
             ParamTool& tool = p.copy_->tools[static_cast<std::size_t>(i)];
             tool.Angle = c.Value().ToR8();
             if (p.toolModel) TurnToolModel(*p.toolModel, tool);
             p.RefreshView();
         }},
        {&Self::showToolBox, [](Self& p, PropertyControl&) { p.ShowToolModel(false); }},
        {&Self::toolParamsGrid, [](Self& p, PropertyControl&) { p.OnParamsGrid(true); }},
        {&Self::gadgetParamsGrid, [](Self& p, PropertyControl&) { p.OnParamsGrid(false); }},
        {&Self::partOverhangEdit, gadgetZ},
        {&Self::gadgetZEdit, gadgetZ},
        {&Self::showGadgetsBox,
         [](Self& p, PropertyControl& c) {
             if (p.Checked(&c)) {
                 p.ShowGadgetModels();
             } else {
                 for (int i = 0; i < std::min(p.copy_->Ngadgets, CSPID::kMaxGadgets); ++i)
                     if (const auto& model = p.copy_->gadgets[static_cast<std::size_t>(i)].pDisplayModel) model->Hide();
             }
             p.RefreshView();
         }},
        {&Self::startXEdit, startPoint},
        {&Self::startZEdit, startPoint},
        {&Self::referentBox, [](Self& p, PropertyControl& c) { p.copy_->isReferent = p.Checked(&c); }},
        {&Self::showStartPointBox,
         [](Self& p, PropertyControl& c) {
             if (p.Checked(&c)) {
                 p.copy_->startPointMarker.colour = SettingsRecord::Global().Colour(5);
                 p.copy_->startPointMarker.DrawAtOffset(p.copy_->X0tool, 0.0, p.copy_->Z0tool);
             } else {
                 p.copy_->startPointMarker.Erase();
             }
             p.RefreshView();
         }},
    };
    DispatchControlEvent(kRows, *this, control);
    return true;
}

void CPanelSPID::OnGadgetZ(PropertyControl& control) {
    if (selectedGadget < 0 || selectedGadget >= CSPID::kMaxGadgets) {
        Warn("Приспособление не выбрано");
        return;
    }
    ParamGadget& gadget = copy_->gadgets[static_cast<std::size_t>(selectedGadget)];
    if (&control == partOverhangEdit) {
        gadget.Lvlt = control.Value().ToR8();
        gadget.CorrectZ = -gadget.Lvlt - gadget.offsetZ;
        gadgetZEdit->SetValue(Variant::R8(gadget.CorrectZ));
    } else {
        gadget.CorrectZ = control.Value().ToR8();
    }
    if (gadget.pDisplayModel) gadget.pDisplayModel->MoveTo(gadget.CorrectZ, 0.0, 0.0);
    RefreshView();
}

void CPanelSPID::UpdateSafetyPlanes() {
    safetyPlaneX.MoveTo(0.0, copy_->Xplane, 0.0);
    safetyPlaneZ.MoveTo(copy_->Zplane, 0.0, 0.0);
    safetyPlaneX.Show();
    safetyPlaneZ.Show();
    RefreshView();
    showSafetyPlanesBox->SetValue(Variant::I4(1));
}

void CPanelSPID::UpdateStartPoint() {
    copy_->startPointMarker.Erase();
    copy_->startPointMarker.colour = SettingsRecord::Global().Colour(5);
    copy_->startPointMarker.DrawAtOffset(copy_->X0tool, 0.0, copy_->Z0tool);
    if (toolModel) toolModel->MoveTo(copy_->Z0tool, copy_->X0tool, 0.0);
    RefreshView();
}

void CPanelSPID::OnPositionCount() {
    // The table holds 30 records: a count past them (the host's range is
    // the edit's only guard) is taken as 30 and shown so.
    const std::int32_t typed = positionCountEdit->Value().ToI4();
    const std::int32_t count = std::clamp(typed, 0, CSPID::kMaxTools);
    if (count != typed) positionCountEdit->SetValue(Variant::I4(count));
    copy_->Npositions = count;
    FillToolsTable();
    if (count == 0) {
        for (int id : {kToolFromCatalog, kToolFromFile, kRemoveTool, kMoveUp, kMoveDown, kToolVariables})
            toolsTable->EnableButton(id, false);
        ClearGrid(toolParamsGrid);
        toolModel.reset();
        RefreshView();
    }
}

void CPanelSPID::OnTableCell() {
    const int row = toolsTable->CurrentRow();
    const int column = toolsTable->CurrentColumn();
    if (column == 0) {
        Warn("Столбец в таблице не выбран");
        return;
    }
    if (row < 1 || row > std::min(copy_->Npositions, CSPID::kMaxTools)) return;
    selectionEventsOn = false;
    const ScopeGuard restore([this] { selectionEventsOn = true; });
    ParamTool& tool = copy_->tools[static_cast<std::size_t>(row - 1)];
    const std::string text = toolsTable->Grid().CellText(row, column);
    switch (column) {
        case 1:
            if (tool.sFileName.empty()) {
                tool.sPsevName.clear();
                FillToolsTable();
                char message[96];
                std::snprintf(message, sizeof message, "Инструмент в позиции №%d не установлен", row);
                Warn(message);
            } else if (!text.empty()) {
                tool.sPsevName = text;
            } else {
                FillToolsTable();
                Warn("Инструмент должен иметь название");
            }
            break;
        case 2: {
            const double value = CellNumber(text);
            tool.CorrectX = tool.isInter ? -value : value;
            break;
        }
        case 3: {
            const double value = CellNumber(text);
            const bool asTyped = (tool.isLeft && tool.M34 == 4) || (!tool.isLeft && tool.M34 == 3);
            tool.CorrectZ = asTyped ? value : -value;
            break;
        }
        case 4:
            FillToolsTable();
            Warn("Значение параметра M3/4 изменить нельзя");
            break;
        case 5:
            FillToolsTable();
            Warn("Радиус коррекции r изменить нельзя");
            break;
        default: break;
    }
}

void CPanelSPID::OnParamsGrid(bool tools) {
    const int index = tools ? SelectedToolIndex() : selectedGadget;
    const int limit = tools ? CSPID::kMaxTools : CSPID::kMaxGadgets;
    if (index < 0 || index >= limit) {
        Warn(tools ? "Инструмент не выбран" : "Приспособление не выбрано");
        return;
    }
    PropertyControl& grid = tools ? *toolParamsGrid : *gadgetParamsGrid;
    ParamTool& record = tools ? static_cast<ParamTool&>(copy_->tools[static_cast<std::size_t>(index)])
                              : copy_->gadgets[static_cast<std::size_t>(index)];
    const int row = grid.CurrentRow();
    const double value = CellNumber(grid.Grid().CellText(row, 2));
    const std::string name = grid.Grid().CellText(row, 1);
    const int n = std::clamp(record.Npv, 0, ParamTool::kMaxVariables);
    for (int k = 0; k < n; ++k) {
        ParamVariable& variable = record.aVariables[static_cast<std::size_t>(k)];
        if (variable.sName == name) {
            variable.dValue = value;
            break;
        }
    }
    if (!record.sWorkFile.empty()) {
        record.WriteModelVariables();
        ReadVariables(record);
    }
    if (tools) {
        ShowToolModel(false);
        FillToolParams(record);
    } else {
        FillGadgetParams(record);
        copy_->gadgets[static_cast<std::size_t>(index)].pDisplayModel.reset();
        ShowGadgetModels();
    }
}

}  // namespace zarvento
