// The plan-data panel: its life, tabs and controls, tab changes, picks, OK and
// Cancel.
#include "panels/panel_spid.h"

#include <algorithm>

#include "model/model_tess.h"
#include "nc/detail_parameters.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/host_major_version.h"
#include "platform/core/scope_guard.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_document.h"
#include "platform/documents/settings_record.h"
#include "platform/processes/help_calls.h"
#include "platform/processes/module.h"

namespace zarvento {

namespace {

// Guards OnTabStateChanged against the notifications its own opening and
// closing of tabs causes; set while the library is loaded.
bool tabStateReentry = true;

// The six tabs: caption and image, in tab-number order.
struct TabLook {
    const char* caption;
    int image;
};
constexpr TabLook kTabLooks[CPanelSPID::kTabCount] = {
    {"Контур заготовки", 10075}, {"Таблица инструментов", 10082}, {"Исходная точка", 10083},
    {"Приспособления", 10078},   {"Зона безопасности", 10129},    {"Параметры детали", 10081},
};

// Caption, tooltip and hint.
void Texts(PropertyControl& c, const std::string& caption, const std::string& tip, const std::string& hint) {
    c.SetCaption(caption);
    c.SetTip(tip);
    c.SetHint(hint);
}
void Texts(PropertyControl& c, const std::string& text) { Texts(c, text, text, text); }

PropertyControl& RealEdit(PropertyTab& tab, const std::string& caption, const std::string& tip, const std::string& hint,
                          double minimum, double maximum, double value) {
    PropertyControl& c = tab.AddControl(PropertyControlKind::RealEdit);
    Texts(c, caption, tip, hint);
    c.Setup(7);
    c.SetRange(minimum, maximum);
    c.SetValue(Variant::R8(value));
    return c;
}

PropertyControl& CheckBox(PropertyTab& tab, const std::string& caption, const std::string& tipAndHint, int off, int on,
                          bool checked) {
    PropertyControl& c = tab.AddControl(PropertyControlKind::CheckBox);
    Texts(c, caption, tipAndHint, tipAndHint);
    c.SetCheckImages(HostImage::Library(off), HostImage::Library(on), HostImage::Library(on));
    c.SetValue(Variant::Bool(checked));
    return c;
}

// The image of a bar button: the library's bitmap of its id, or from host 17
// the host's own image for six of them.
HostImage ButtonImage(int id, bool newLayout) {
    if (newLayout) {
        switch (id) {
            case 10651: return HostImage::Host(57445);
            case 10652: return HostImage::Host(57433);
            case 10653: return HostImage::Host(57448);
            case 10654: return HostImage::Host(57447);
            case 10656: return HostImage::Host(57449);
            case 10650: return HostImage::Host(57419);
            default: break;
        }
    }
    return HostImage::Library(id);
}

void ParamsGridLayout(PropertyControl& grid, const char* a, const char* b, const char* c) {
    grid.SetGridSize(1, 3);
    grid.SetFixed(1, 0);
    grid.Grid().SetRowCount(1);
    grid.Grid().SetCellText(0, 0, a);
    grid.Grid().SetCellText(0, 1, b);
    grid.Grid().SetCellText(0, 2, c);
}

}  // namespace

CPanelSPID::CPanelSPID(CSPID* planData)
    : CBasePanel3D(kScriptName), copy_(std::make_unique<CSPID>()), sourcePlanData(planData) {
    *copy_ = *planData;
    // The plan's stock rebuild refreshes the tab while the panel runs.
    copy_->pStockTab = &contourTabPart;
}

CPanelSPID::~CPanelSPID() {
    // Host calls: a destructor lets none escape.
    try {
        toolModel.reset();
        safetyPlaneX.Erase();
        safetyPlaneZ.Erase();
    } catch (...) {
    }
}

int ShowPanelSPID(CSPID& planData) {
    auto panel = std::make_unique<CPanelSPID>(&planData);
    return panel->ShowModal();
}

void ResetMounting(ParamTool& record) {
    record.sComment.clear();
    record.M34 = 3;
    record.nTimeFileHigh = 0;
    record.nTimeFileLow = 0;
    record.isInter = false;
    record.isLeft = false;
}

std::unique_ptr<Contour>& CPanelSPID::BuiltStockSlot() { return copy_->pSourceContour; }

PropertyTab* CPanelSPID::HostTab(int number) const {
    return number >= 1 && number <= kTabCount ? tabs[static_cast<std::size_t>(number)] : nullptr;
}

void CPanelSPID::RefreshView() { RefreshHostView(); }

bool CPanelSPID::Checked(PropertyControl* box) const { return box && box->Value().ToBool(); }

// ---------------------------------------------------------------- building

void CPanelSPID::OnInitPanel() {
    const bool newLayout = HostMajorVersion() >= 17;
    propertyManager->SetCaption("Orbisel");
    propertyManager->Setup(3);
    if (newLayout) {
        PropertyTab& placeholder = propertyManager->AddTab(".......");
        placeholder.AddControl(PropertyControlKind::Empty).SetVisible(false);
    }
    for (int t = 1; t <= kTabCount; ++t) {
        PropertyTab& tab = propertyManager->AddTab(kTabLooks[t - 1].caption);
        tab.SetImage(HostImage::Library(kTabLooks[t - 1].image));
        tabs[static_cast<std::size_t>(t)] = &tab;
    }
    currentTab = 0;
    toolsTableShown = false;
    tabs[kTabContour]->SetVisible(true);
    tabs[kTabContour]->SetCurrent();
    toolEditMode = WaitingTurn != nullptr;
    if (toolEditMode) {
        currentTab = kTabTools;
        for (int t = 1; t <= kTabCount; ++t)
            if (t != kTabTools) tabs[static_cast<std::size_t>(t)]->SetVisible(false);
        tabs[kTabTools]->SetVisible(true);
        tabs[kTabTools]->SetCurrent();
    }

    // The part contour of the plan, the stock from it when there is none.
    const CSPID* global = GetSPID();
    const Contour* part = global->GetDetailContour();
    copy_->pDetailContour = part ? part->Clone() : std::make_unique<Contour>();
    if (!copy_->pContourSourDetail) copy_->pContourSourDetail = copy_->pDetailContour->Clone();
    double zmin = 0, xmin = 0, zmax = 0, xmax = 0;
    copy_->pDetailContour->GetBoundBox(zmin, xmin, zmax, xmax);
    if (copy_->isNewPlan) {
        copy_->Xplane = 5.0 - xmin;
        copy_->ProkatD = -2.0 * xmin;
        copy_->ProkatL = zmax - zmin;
    }
    copy_->RefreshStockBuilder();
    copy_->stockBuilder.sourceContour = copy_->pContourSourDetail.get();
    contourTabPart.CreateTab(copy_->pDetailContour.get(), copy_->pContourSourDetail.get(), &copy_->pSourceContour,
                             &copy_->stockBuilder, nullptr, copy_->pSourceSketch, tabs[kTabContour],
                             CContourTAB::kStockTab, SettingsRecord::Global().accuracy, LibraryEntryText(), nullptr);
    AddContourTabControls();
    SetHelpTopic(kHelpPanel);
    AddSafetyZoneControls();
    AddToolsControls(newLayout);
    AddStartPointControls();
    AddGadgetsControls(newLayout);

    HostDocument3D& document = CommandDocument3D();
    document.Picks().Clear();
    document.SecondHighlights().Clear();
    if (pickingProcess) pickingProcess->SetName("Укажите контур заготовки");
    if (copy_->pLSC) document.Selection()->Select(copy_->pLSC);

    BuildSafetyPlanes();
    AddPartParamsControls();
    if (newLayout) ApplyNewLayout();
}

void CPanelSPID::AddContourTabControls() {
    PropertyTab& tab = *tabs[kTabContour];
    stockMethodList = &tab.AddControl(PropertyControlKind::DropDownList);
    Texts(*stockMethodList, "Тип заготовки", "Метод получения заготовки (для расчета режимов резания)",
          "Метод получения заготовки (для расчета режимов резания)");
    for (const char* item : {"Прокат", "Поковка", "Холодная вытяжка", "Отливка"}) stockMethodList->AddItem(item);
    stockMethodList->Setup(12);
    if (copy_->nSposobStock >= 0 && copy_->nSposobStock < 4) stockMethodList->SetCurrentItem(copy_->nSposobStock);
}

void CPanelSPID::AddSafetyZoneControls() {
    PropertyTab& tab = *tabs[kTabSafetyZone];
    const char* diameter = "Диаметр зоны безопасности";
    const char* z = "Граница зоны безопасности по Z";
    safetyDiameterEdit = &RealEdit(tab, diameter, diameter, diameter, -10000, 10000, 2.0 * copy_->Xplane);
    safetyZEdit = &RealEdit(tab, z, z, z, -10000, 10000, copy_->Zplane);
    showSafetyPlanesBox =
        &CheckBox(tab, "", "Показать/скрыть плоскости зоны безопасности", 10130, 10129, /*checked=*/false);
    for (PropertyControl* c : {safetyDiameterEdit, safetyZEdit, showSafetyPlanesBox}) c->SetHelpTopic(kHelpSafetyZone);
}

void CPanelSPID::AddToolsControls(bool newLayout) {
    PropertyTab& tab = *tabs[kTabTools];
    positionCountEdit = &tab.AddControl(PropertyControlKind::IntegerEdit);
    Texts(*positionCountEdit, "Число позиций");
    positionCountEdit->Setup(6);
    positionCountEdit->SetRange(0, CSPID::kMaxTools);
    positionCountEdit->SetValue(Variant::I4(copy_->Npositions));

    toolsTable = &tab.AddControl(PropertyControlKind::Grid);
    Texts(*toolsTable, newLayout ? "" : "Таблица инструментов", "Таблица инструментов", "Таблица инструментов");
    toolsTable->SetGridSize(std::max(copy_->Npositions, 0) + 1, 6);
    toolsTable->SetFixed(1, 1);
    toolsTable->Grid().SetRowCount(1);
    const char* headers[] = {"Поз.", "Наименование", "Wx", "Wz", "M3/4", "r"};
    for (int c = 0; c < 6; ++c) toolsTable->Grid().SetCellText(0, c, headers[c]);
    const std::pair<int, const char*> buttons[] = {
        {kToolFromCatalog, "Добавить инструмент из Каталога"},
        {kToolFromFile, "Добавить инструмент из файла"},
        {kRemoveTool, "Удалить инструмент"},
        {kMoveUp, "Переместить вверх"},
        {kMoveDown, "Переместить вниз"},
        {kSpindleLeft, "Под левое вращение"},
        {kSpindleRight, "Под правое вращение"},
        {kToolVariables, "Таблица переменных"},
        {kImportTable, "Копировать таблицу инструментов из другого файла"},
    };
    for (const auto& [id, text] : buttons) {
        toolsTable->AddButton(id, ButtonImage(id, newLayout), text);
        if (id != kImportTable) toolsTable->EnableButton(id, false);
    }

    angleEdit = &RealEdit(tab, "Угол установки, град.",
                          "Угол установки инструмента в текущей позиции (вращение вокруг начальной точки "
                          "инструмента против часовой стрелки)",
                          "Угол установки инструмента в текущей позиции", -360, 360, 0.0);
    angleEdit->SetEnabled(false);
    showToolBox = &CheckBox(tab, "Показать/скрыть инструмент", "Показать/скрыть инструмент", 10124, 10123, true);
    toolSlide = &tab.AddControl(PropertyControlKind::Slide);
    Texts(*toolSlide, "Слайд инструмента");
    toolSlide->SetGridSize(250, 250);
    toolParamsGrid = &tab.AddControl(PropertyControlKind::Grid);
    Texts(*toolParamsGrid, newLayout ? "" : "Параметры инструмента", "Параметры инструмента", "Параметры инструмента");
    ParamsGridLayout(*toolParamsGrid, "Параметр", "Имя", "Значение");
    toolParamsGrid->SetReadOnlyColumns(2);
    for (PropertyControl* c : {positionCountEdit, toolsTable, angleEdit, showToolBox, toolSlide, toolParamsGrid})
        c->SetHelpTopic(kHelpTools);
}

void CPanelSPID::AddStartPointControls() {
    PropertyTab& tab = *tabs[kTabStartPoint];
    startXEdit = &RealEdit(tab, "X(на радиус)=", "Координатa X исходной точки (на радиус)",
                           "Координата X исходной точки  (на радиус)", -10000, 10000, copy_->X0tool);
    startZEdit = &RealEdit(tab, " Z=", "Координата Z исходной точки", "Координата Z исходной точки", -10000, 10000,
                           copy_->Z0tool);
    referentBox = &tab.AddControl(PropertyControlKind::CheckBox);
    Texts(*referentBox, "Референт станка", "Выход в референт станка", "Выход в референт станка");
    referentBox->SetValue(Variant::Bool(copy_->isReferent));
    PropertyControl& separator1 = tab.AddControl(PropertyControlKind::Empty);
    overhangXEdit = &RealEdit(tab, "Макс. вылет инструмента по X", "Максимальный вылет инструмента по X",
                              "Максимальный вылет инструмента по X", -1000, 1000, maxToolOverhangX);
    overhangZEdit = &RealEdit(tab, "Макс. вылет инструмента по Z", "Максимальный вылет инструмента по Z",
                              "Максимальный вылет инструмента по Z", -100000, 100000, maxToolOverhangZ);
    PropertyControl& separator2 = tab.AddControl(PropertyControlKind::Empty);
    showStartPointBox = &CheckBox(tab, "", "Показать/скрыть Исходную точку", 10128, 10127, false);
    for (PropertyControl* c : {startXEdit, startZEdit, referentBox, &separator1, overhangXEdit, overhangZEdit,
                               &separator2, showStartPointBox})
        c->SetHelpTopic(kHelpStartPoint);
}

void CPanelSPID::AddGadgetsControls(bool newLayout) {
    PropertyTab& tab = *tabs[kTabGadgets];
    gadgetsList = &tab.AddControl(PropertyControlKind::ListWithButtons);
    Texts(*gadgetsList, "Список приспособлений");
    const std::pair<int, const char*> buttons[] = {
        {kGadgetFromCatalog, "Добавить приспособление из Каталога"},
        {kGadgetFromFile, "Добавить приспособление из файла"},
        {kRemoveGadget, "Удалить приспособление"},
        {kGadgetVariables, "Таблица переменных"},
    };
    for (const auto& [id, text] : buttons) {
        gadgetsList->AddButton(id, ButtonImage(id, newLayout), text);
        if (id == kRemoveGadget || id == kGadgetVariables) gadgetsList->EnableButton(id, false);
    }
    const ParamGadget* first = copy_->Ngadgets > 0 ? &copy_->gadgets[0] : nullptr;
    partOverhangEdit =
        &RealEdit(tab, "Вылет детали", "Вылет детали", "Вылет детали", -1000, 1000, first ? first->Lvlt : 0.0);
    partOverhangEdit->SetEnabled(false);
    gadgetZEdit = &RealEdit(tab, "Положение по Z", "Положение приспособления по координате Z",
                            "Положение приспособления по координате Z", -1000, 1000, first ? first->CorrectZ : 0.0);
    gadgetZEdit->SetEnabled(false);
    gadgetParamsGrid = &tab.AddControl(PropertyControlKind::Grid);
    Texts(*gadgetParamsGrid, newLayout ? "" : "Параметры приспособления", "Параметры приспособления",
          "Параметры приспособления");
    ParamsGridLayout(*gadgetParamsGrid, "Параметр", "Имя", "Значение");
    gadgetParamsGrid->SetReadOnlyColumns(2);
    showGadgetsBox = &CheckBox(tab, "", "Показать/скрыть приспособления", 10126, 10125, true);
    for (PropertyControl* c : {gadgetsList, partOverhangEdit, gadgetZEdit, gadgetParamsGrid, showGadgetsBox})
        c->SetHelpTopic(kHelpGadgets);
}

void CPanelSPID::AddPartParamsControls() {
    PropertyTab& tab = *tabs[kTabPartParams];
    refreshParamsButton = &tab.AddControl(PropertyControlKind::Button);
    Texts(*refreshParamsButton, " Обновить параметры", "Обновить параметры детали", "Обновить параметры детали");
    partParamsGrid = &tab.AddControl(PropertyControlKind::Grid);
    Texts(*partParamsGrid, HostMajorVersion() >= 17 ? "" : "Список параметров", "Список параметров",
          "Список параметров");
    ParamsGridLayout(*partParamsGrid, "Имя", "Значение", "Комментарий");
    partParamsGrid->SetReadOnlyColumns(3);
    if (CPLAN* plan = ExistingPLAN()) plan->FillGrid(partParamsGrid->Grid());
}

void CPanelSPID::BuildSafetyPlanes() {
    double zmin = 0, xmin = 0, zmax = 0, xmax = 0;
    copy_->pDetailContour->GetBoundBox(zmin, xmin, zmax, xmax);
    safetyPlaneX.length = zmax - zmin;
    safetyPlaneX.width = 2.0 * (xmax - xmin);
    safetyPlaneX.DrawPlaneX(kSafetyPlaneColour);
    safetyPlaneX.MoveTo(0.0, copy_->Xplane, 0.0);
    safetyPlaneZ.length = 2.0 * (xmax - xmin);
    safetyPlaneZ.width = 2.0 * (xmax - xmin);
    safetyPlaneZ.DrawPlaneZ(kSafetyPlaneColour);
    safetyPlaneZ.MoveTo(copy_->Zplane, 0.0, 0.0);
    safetyPlaneX.Hide();
    safetyPlaneZ.Hide();
}

void CPanelSPID::ApplyNewLayout() {
    for (PropertyControl* grid : {toolsTable, toolParamsGrid, gadgetParamsGrid, partParamsGrid}) {
        grid->SetHeight(grid == toolsTable ? 10 : 6);
        grid->SetColumnWidth(0, grid == toolsTable ? 30 : 100);
    }
    showSafetyPlanesBox->SetCaption("Показать плоскости зоны безопасности");
    showToolBox->SetCaption("Показать инструмент");
    showStartPointBox->SetCaption("Показать Исходную точку");
    showGadgetsBox->SetCaption("Показать приспособления");
    angleEdit->SetCaption("Угол установки инструмента");
    propertyManager->SetCaption(
        "Выбор заготовки, инструментов, приспособлений, задание точки смены инструмента и зоны безопасности");
}

// ---------------------------------------------------------------- tabs

void CPanelSPID::OpenOnly(int keep) {
    const bool suppressed = suppressTabNotification;
    suppressTabNotification = true;
    for (int t = 1; t <= kTabCount; ++t) {
        PropertyTab& tab = *tabs[static_cast<std::size_t>(t)];
        tab.SetExpanded(t == keep);
        tabExpanded[static_cast<std::size_t>(t)] = t == keep;
    }
    suppressTabNotification = suppressed;
}

void CPanelSPID::TakeOverContourTab() {
    const CContourBuilderZagotovka& builder = copy_->stockBuilder;
    copy_->SposobBuildSource = builder.buildMethod;
    copy_->pSourceSketch = contourTabPart.GetSketch();
    copy_->isPripuskZ = builder.isPripuskZ;
    copy_->PripuskZ = builder.PripuskZ;
    copy_->sFileModelSour = builder.GetFileName();
    copy_->ProkatL = builder.barLength;
    copy_->ProkatD = builder.barDiameter;
    copy_->Prokatd = builder.barInnerDiameter;
    copy_->ProkatZ = builder.barZ;
}

bool CPanelSPID::OnChangeTab(int tab) {
    // A host below 17 reports its tab index (no placeholder there); the
    // panel's own calls come only from hosts whose tabs open and close.
    if (HostMajorVersion() < 17) tab += 1;
    if (currentTab == kTabTools && !toolsTableShown) {
        // The tools tab keeps the panel until it has been filled once.
        tab = kTabTools;
        const bool suppressed = suppressTabNotification;
        suppressTabNotification = true;
        tabs[kTabTools]->SetExpanded(true);
        tabs[kTabTools]->SetCurrent();
        suppressTabNotification = suppressed;
    } else if (currentTab == 0 && HostMajorVersion() >= 17) {
        // The first change opens the tab asked for (the contour tab for none)
        // and closes the others, so that the tab shown is the panel's current one.
        if (tab < 1 || tab > kTabCount) tab = kTabContour;
        OpenOnly(tab);
    }
    if (tab < 1 || tab > kTabCount) return true;
    currentTab = tab;
    TakeOverContourTab();

    switch (tab) {
        case kTabContour:
            if (!copy_->pContourSourDetail) copy_->pContourSourDetail = copy_->pDetailContour->Clone();
            copy_->stockBuilder.sourceContour = copy_->pContourSourDetail.get();
            contourTabPart.SetContext(copy_->pDetailContour.get(), copy_->pContourSourDetail.get(),
                                      &copy_->pSourceContour, &copy_->stockBuilder);
            contourTabPart.OnActivate();
            break;
        case kTabTools:
            if (selectedTool == -1) {
                FillToolsTable();
                selectedTool = -1;
                if (!toolsTableShown) {
                    // Every host version marks the table filled, so that the
                    // tab can be left afterwards; from 17 the first position
                    // is selected at once.
                    if (HostMajorVersion() >= 17) {
                        selectedTool = copy_->Npositions > 0 ? 0 : -1;
                        OnSelectListItem(*toolsTable, PropertyManager::GridSelectionIndex(selectedTool + 1, 0), 1);
                    }
                    toolsTableShown = true;
                }
            }
            break;
        case kTabStartPoint:
            UpdateMaxToolOverhang();
            overhangXEdit->SetValue(Variant::R8(maxToolOverhangX));
            overhangZEdit->SetValue(Variant::R8(maxToolOverhangZ));
            if (pickingProcess) pickingProcess->SetName("Задайте координаты Исходной Точки");
            break;
        case kTabGadgets:
            if (gadgetsList->Items().size() < 2) FillGadgetsList();
            ShowGadgetModels();
            break;
        case kTabSafetyZone:
            if (pickingProcess) pickingProcess->SetName("Задайте границы зоны безопасности");
            break;
        default: break;
    }
    return true;
}

bool CPanelSPID::OnTabStateChanged(int tab) {
    if (!tabStateReentry) return true;
    tabStateReentry = false;
    const ScopeGuard restore([] { tabStateReentry = true; });
    int changed = 0;
    for (int t = 1; t <= kTabCount; ++t)
        if (tabs[static_cast<std::size_t>(t)]->Expanded() != tabExpanded[static_cast<std::size_t>(t)]) changed = t;
    if (changed == 0) changed = tab == 0 ? kTabContour : tab;
    if (changed >= 1 && changed <= kTabCount && tabs[static_cast<std::size_t>(changed)]->Expanded()) {
        for (int t = 1; t <= kTabCount; ++t)
            if (t != changed) tabs[static_cast<std::size_t>(t)]->SetExpanded(false);
    }
    for (int t = 1; t <= kTabCount; ++t)
        tabExpanded[static_cast<std::size_t>(t)] = tabs[static_cast<std::size_t>(t)]->Expanded();
    tabStateReentry = true;
    if (!suppressTabNotification) OnChangeTab(changed);
    return true;
}

// ---------------------------------------------------------------- picks

bool CPanelSPID::FilterObject(const HostObjectPtr& object) {
    if (result != 0) return true;
    return currentTab == kTabContour && contourTabPart.FilterObject(object);
}

bool CPanelSPID::OnSelectObject(const HostObjectPtr& object, const Variant&) {
    if (result == 0 && object && currentTab == kTabContour) return contourTabPart.OnSelectObject(object);
    return true;
}

// ---------------------------------------------------------------- OK, Cancel

bool CPanelSPID::IsButtonEnabled(int buttonId, std::int32_t&, std::int16_t& enabled) {
    enabled = buttonId == kPanelButtonOK && !copy_->pSourceContour && !toolEditMode ? 0 : 1;
    return true;
}

bool CPanelSPID::OnButtonClick(int buttonId) {
    if (result == 1) return true;
    switch (buttonId) {
        case kPanelButtonOK: {
            copy_->isNewPlan = false;
            TakeOverContourTab();
            copy_->sRefrModelSour.clear();
            if (HostApplication* app = HostApplicationObject()) {
                if (const HostDocumentPtr doc = app->ActiveDocument()) {
                    const std::string& documentPath = doc->FilePath();
                    const std::size_t at =
                        documentPath.empty() ? std::string::npos : copy_->sFileModelSour.find(documentPath);
                    if (at != std::string::npos)
                        copy_->sRefrModelSour = copy_->sFileModelSour.substr(at + documentPath.size());
                }
            }
            result = 1;
            for (ParamTool& tool : copy_->tools) tool.CloseModel();
            *sourcePlanData = *copy_;
            // The assignment leaves the plan's built stock alone: the tab's
            // contour is the one the user accepted.
            sourcePlanData->pSourceContour = copy_->pSourceContour ? copy_->pSourceContour->Clone() : nullptr;
            sourcePlanData->isSourceExtents = false;
            EndHostProcess(1, 0);
            break;
        }
        case kPanelButtonCancel: {
            result = 2;
            EndHostProcess(1, 0);
            for (ParamTool& tool : copy_->tools) tool.CloseModel();
            CSPID* global = GetSPID();
            for (int i = 0; i < std::min(copy_->Npositions, CSPID::kMaxTools); ++i) {
                ParamTool* own = global->GetTool(i);
                if (!own) continue;
                const ParamTool& edited = copy_->tools[static_cast<std::size_t>(i)];
                if (own->IsEqual(edited)) {
                    *own = edited;
                } else {
                    own->isModelCopied = false;
                    own->isModelLoaded = false;
                    own->LoadModel();
                }
            }
            for (int i = 0; i < std::min(copy_->Ngadgets, CSPID::kMaxGadgets); ++i) {
                ParamGadget* own = global->GetGadget(i);
                if (!own || own->IsEqual(copy_->gadgets[static_cast<std::size_t>(i)])) continue;
                own->isModelCopied = false;
                own->isModelLoaded = false;
                own->LoadModel();
            }
            break;
        }
        case kPanelButtonHelp: OpenHelp(1); break;
        default: break;
    }
    return true;
}

void CPanelSPID::OnClosePanel() {
    toolModel.reset();
    HostDocument3D& document = CommandDocument3D();
    document.Picks().Clear();
    document.SecondHighlights().Clear();
}
}  // namespace zarvento
