// The operation panel's layout: the seven tabs with the controls every
// operation kind shares, filled from the panel's copy of the operation, and
// the list of the post-processor's cycles.
#include <algorithm>

#include "catalogs/param_tool.h"
#include "geometry/number_text.h"
#include "operation_panels/turn_panel.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/host_major_version.h"
#include "platform/dialogs/property_tab.h"
#include "platform/dialogs/selection_manager.h"
#include "platform/drawings/local_coordinate_system.h"
#include "platform/host/host_document_3d.h"

namespace zarvento {

namespace {

constexpr const char* kCycleHint = "Список машинных циклов, поддерживаемых постпроцессором";
constexpr const char* kReturnLocked =
    "Изменить нельзя. Задан прямой выход в начало следующей обработки (см. Стратегию следующей обработки)";

PropertyControl& Add(PropertyTab& tab, PropertyControlKind kind, const std::string& caption, const std::string& hint) {
    PropertyControl& control = tab.AddControl(kind);
    if (!caption.empty()) control.SetCaption(caption);
    control.SetHint(hint);
    control.SetTip(hint);
    return control;
}

PropertyControl& Number(PropertyTab& tab, const std::string& caption, const std::string& hint, double value, double low,
                        double high, int length = 7) {
    PropertyControl& control = Add(tab, PropertyControlKind::RealEdit, caption, hint);
    control.SetRange(low, high);
    control.SetWidth(length);
    control.SetValue(Variant::R8(value));
    return control;
}

PropertyControl& Check(PropertyTab& tab, const std::string& caption, const std::string& hint, bool value) {
    PropertyControl& control = Add(tab, PropertyControlKind::CheckBox, caption, hint);
    control.SetValue(Variant::Bool(value));
    return control;
}

PropertyControl& Text(PropertyTab& tab, const std::string& caption, const std::string& hint, const std::string& value,
                      int length) {
    PropertyControl& control = Add(tab, PropertyControlKind::TextEdit, caption, hint);
    control.SetWidth(length);
    control.SetValue(Variant::BStr(value));
    return control;
}

void Separator(PropertyTab& tab) { tab.AddControl(PropertyControlKind::Empty); }

int Characters(const std::string& text) {
    int n = 0;
    for (unsigned char c : text)
        if ((c & 0xC0) != 0x80) ++n;
    return n;
}

const char* const kClosingModes[] = {"Автоматически", "+Z (0 гр.)",  "-X (к оси)",
                                     "-Z (180 гр.)",  "+X (от оси)", "Произвольный угол"};

}  // namespace

void CTurnPanel::OnInitPanel() {
    isPathToggled = false;
    // A new run writes its preview after the operations as they are now.
    previewStart.reset();
    selectedFrame = 0;
    propertyManager->SetCaption(CTurn::kCaption);
    // The manual values are those the copy holds in manual mode; the speed
    // groups below start from them.
    if (indSpod == 0) Spod2 = Spod;
    if (indNshp == 0) {
        Nshp2 = Nshp;
        Vconst2 = Vconst;
    }
    savedTransition = indPerehod;
    transitionForced = false;
    CreateTabs();
    CreateWorkingTab();
    CreateSourceTab();
    CreateToolTab();
    CreateStrategyTab();
    CreateCuttingTab();
    CreateCorrectionTab();
    CreatePropertiesTab();
    statisticsGrid->Grid().Redraw();
    FillOperationKinds();
    ApplyUsePrevContour();
    if (CSPID* spid = ExistingSPID(); spid && spid->GetLSC()) {
        if (const auto& selection = CommandDocument3D().Selection()) selection->Select(spid->GetLSC());
    }
    propertyManager->SetCaption("Тип обработки - " + kindName);
    if (pickingProcess) pickingProcess->SetName(TranslateString(sNameTurn));
    if (HostMajorVersion() >= 17) SetLongCaptions();
}

void CTurnPanel::CreateTabs() {
    propertyManager->DefaultTab().SetVisible(false);
    if (HostMajorVersion() >= 17) {
        PropertyTab& dots = propertyManager->AddTab(".......");
        PropertyControl& hidden = dots.AddControl(PropertyControlKind::Empty);
        hidden.SetVisible(false);
    }
    static constexpr struct {
        const char* caption;
        int image;
    } kTabs[kTabCount] = {{"Рабочий контур", 10073},     {"Исходный контур", 10074}, {"Инструмент", 10077},
                          {"Стратегия", 10076},          {"Режимы резания", 10079},  {"Коррекция инструмента", 10080},
                          {"Свойства/статистика", 10081}};
    for (int k = 0; k < kTabCount; ++k) {
        PropertyTab& tab = propertyManager->AddTab(kTabs[k].caption);
        tab.SetImage(HostImage::Library(kTabs[k].image));
        tabs[static_cast<std::size_t>(k)] = &tab;
    }
    currentTab = kNoTab;
}

void CTurnPanel::CreateWorkingTab() {
    PropertyTab& tab = *HostTab(kWorkingTab);
    workTab.CreateTab(pDetailContour, workChoice.get(), &workContour, workBuilder.get(), &sourceContour, pWorkSketch,
                      &tab, CContourTAB::kWorkingTab, StepBezieW, LibraryEntryText(), this);
    Separator(tab);
    auto modeList = [this, &tab](const char* caption, const char* hint, int mode) {
        PropertyControl& list = Add(tab, PropertyControlKind::ImageList, caption, hint);
        for (const char* item : kClosingModes) list.AddItem(item);
        SelectItem(list, mode);
        return &list;
    };
    constexpr const char* kStartHint = "Угол замыкающего отрезка в начале контура";
    constexpr const char* kEndHint = "Угол замыкающего отрезка в конце контура";
    startModeList = modeList("Угол 1", kStartHint, ClosedSposob1);
    startAngleField = &Number(tab, "", kStartHint, ClosedAngle1, -360, 360, 6);
    startAngleField->SetEnabled(ClosedSposob1 == 5);
    endModeList = modeList("Угол 2", kEndHint, ClosedSposob2);
    endAngleField = &Number(tab, "", kEndHint, ClosedAngle2, -360, 360, 6);
    endAngleField->SetEnabled(ClosedSposob2 == 5);
    PushClosingSegments();
}

void CTurnPanel::PushClosingSegments() {
    workBuilder->startMode = ClosedSposob1;
    workBuilder->endMode = ClosedSposob2;
    workBuilder->startAngle = ClosedAngle1;
    workBuilder->endAngle = ClosedAngle2;
}

void CTurnPanel::CreateSourceTab() {
    PropertyTab& tab = *HostTab(kSourceTab);
    const char* text = "Использовать в качестве исходного контур, полученный на предыдущей обработке";
    usePrevBox = &Check(tab, text, text, isUsePrevContour);
    sourceTab.CreateTab(pDetailContour, sourceChoice.get(), &sourceContour, sourceBuilder.get(), &workContour,
                        pSourSketch, &tab, CContourTAB::kSourceTab, StepBezieS, LibraryEntryText(), nullptr);
}

void CTurnPanel::ApplyUsePrevContour() {
    if (!isUsePrevContour) return;
    sourceTab.SetContour(prevFinalContour.get());
    sourceTab.HideControls();
    if (sourceContour) sourceContour->HideTessellation();
}

void CTurnPanel::CreateToolTab() {
    PropertyTab& tab = *HostTab(kToolTab);
    const bool newer = HostMajorVersion() >= 17;
    auto addAuto = [&] { autoToolBox = &Check(tab, "auto", "Автоподбор инструмента", isAutoTool); };
    if (newer) addAuto();
    toolList = &Add(tab, PropertyControlKind::ListWithButtons, "Таблица инструментов",
                    "Выберите инструментальную позицию из таблицы инструментов");
    if (!newer) addAuto();
    FillToolList();
    toolList->SetEnabled(!(newer && isAutoTool));
    addToolButton = &Add(tab, PropertyControlKind::Button, " Добавить инструмент >> ", "Добавить инструмент");
    Separator(tab);
    if (newer) toolPathSpacer = &Text(tab, "", "", "", 0);
    toolPathList = &Add(tab, PropertyControlKind::ListWithButtons, "Траектория инструмента", "Траектория инструмента");
    const ParamTool* tool = GetTool();
    toolNameField = &Text(tab, "Инструмент", "Инструмент", tool ? tool->sToolName : std::string(), 40);
    toolNameField->SetReadOnly(true);
    modelFileField = &Text(tab, "Файл модели", "Файл модели инструмента", tool ? tool->sFileName : std::string(), 60);
    modelFileField->SetReadOnly(true);
}

void CTurnPanel::CreateStrategyTab() {
    PropertyTab& tab = *HostTab(kStrategyTab);
    const bool newer = HostMajorVersion() >= 17;
    const bool cycles =
        !postProcessor.GetName().empty() && kind != kTurnKONTUR && kind != kTurnKANAVKA && kind != kTurnOTREZKA;
    if (cycles) {
        if (isNoCycles) indShema = 0;
        schemeList = &Add(tab, PropertyControlKind::ImageList, "Схема", "Схема удаления припуска");
        schemeList->AddItem("В элементарных движениях  ");
        if (!isNoCycles) schemeList->AddItem("В машинных циклах");
        SelectItem(*schemeList, indShema);
        if (!isNoCycles || kind == kTurnMnogoProhod) {
            cycleList = &Add(tab, PropertyControlKind::DropDownList, newer ? "Список циклов" : "", kCycleHint);
            if (newer) cycleList->SetWidth(8);
            CreateCycleList();
        }
        cycleParametersButton = &Add(tab, PropertyControlKind::Button, "Параметры цикла...", "Параметры цикла");
        Separator(tab);
    }
    CreateParametersTab();
    const char* show = "Показать/скрыть траектории между Исходной точкой и точкой начала обработки";
    showApproachBox = &Check(tab, show, show, true);
    Separator(tab);
    transitionList =
        &Add(tab, PropertyControlKind::ImageList, "Способ перехода", "Способ перехода с предыдущей обработки");
    for (const char* item : {"Напрямую", "Через зону безопасности ", "Через Исходную точку"})
        transitionList->AddItem(item);
    SelectItem(*transitionList, indPerehod);
    approachGroup =
        &Add(tab, PropertyControlKind::ButtonGroup, "Подход", "Траектория подхода к точке начала обработки");
    approachGroup->AddButton(kApproachLine, {}, "по прямому отрезку");
    approachGroup->AddButton(kApproachZX, {}, "Z, потом по X");
    approachGroup->AddButton(kApproachXZ, {}, "X, потом по Z");
    approachGroup->SetEnabled(indPerehod != 0);
    returnGroup = &Add(tab, PropertyControlKind::ButtonGroup, "Возврат", "Траектория возврата в Исходную точку");
    returnGroup->AddButton(kReturnLine, {}, "по прямому отрезку");
    returnGroup->AddButton(kReturnXZ, {}, "X, потом по Z");
    returnGroup->AddButton(kReturnZX, {}, "Z, потом по X");
    UpdateDirectionButtons();
    const PlanTurn* next = GetPLAN()->GetNextActiveTurn(index + 1);
    if (const auto* nextTurn = dynamic_cast<const CTurn*>(next); nextTurn && nextTurn->indPerehod == 0) {
        returnGroup->SetEnabled(false);
        returnGroup->SetHint(kReturnLocked);
        returnGroup->SetTip(kReturnLocked);
    }
}

void CTurnPanel::CreateCycleList() {
    if (!cycleList) return;
    if (indShema != 1 || postProcessor.GetName().empty()) return;
    cycleList->ClearItems();
    int longest = 0;
    const int count = postProcessor.GetCountCyclesOfType(typeKey);
    for (int n = 0; n < count; ++n) {
        const CCycle_Auto* cycle = postProcessor.GetCycleOfType(typeKey, n);
        if (!cycle) continue;
        const std::string item = " " + cycle->GetGCode() + " - " + cycle->GetName();
        cycleList->AddItem(item);
        longest = std::max(longest, Characters(item));
    }
    const int items = static_cast<int>(cycleList->Items().size());
    if (indCycle > items - 1) indCycle = 0;
    if (items == 0) {
        cycleList->SetEnabled(false);
    } else {
        cycleList->SetEnabled(true);
        cycleList->SetWidth(std::min(longest + 5, 50));
        SelectItem(*cycleList, indCycle);
    }
    cycleList->SetHint(kCycleHint);
    cycleList->SetTip(kCycleHint);
}

void CTurnPanel::CreateCuttingTab() {
    PropertyTab& tab = *HostTab(kCuttingTab);
    if (indSpod == 1) EvalFeedFormula();
    if (indNshp == 1) EvalSpeedFormulas();
    auto modeList = [this, &tab](const char* caption, const char* hint, int mode) {
        PropertyControl& list = Add(tab, PropertyControlKind::DropDownList, caption, hint);
        list.AddItem("Вручную");
        list.AddItem("Формула");
        SelectItem(list, mode);
        return &list;
    };
    feedModeList = modeList("Способ задания подачи", "Способ задания подачи", indSpod);
    feedField = &Number(tab, "s, мм/об", "Подача, s, мм/об", Spod, 0, 100);
    feedFormulaField = &Text(tab, "s, мм/об", "Формула для подачи", sSpod, 30);
    feedFormulaField->SetRange(0, 10000);
    // The formulas were evaluated just now: the fields show their values.
    ShowFeedMode();
    Separator(tab);
    constantSpeedBox = &Check(tab, "Vпост", "Включение постоянной скорости резания", isVconst);
    const char* speedMode = "Способ задания функции главного движения";
    speedModeList = modeList(speedMode, speedMode, indNshp);
    spindleSpeedField = &Number(tab, "Nшп, об/мин", "Частота вращения шпинделя, Nшп, об/мин", Nshp, 0, 100000);
    speedFormulaField = &Text(tab, "Nшп, об/мин", "Формула для частоты шпинделя", sNshp, 30);
    cuttingSpeedField = &Number(tab, "V, м/мин", "Скорость резания, V, м/мин", Vconst, 0, 10000);
    cuttingFormulaField = &Text(tab, "V, м/мин", "Формула для скорости резания", sVcut, 30);
    minSpeedField =
        &Number(tab, "Nmin, об/мин", "Нижняя граница частоты вращения шпинделя, Nmin, об/мин", Nmin, 0, 10000);
    maxSpeedField =
        &Number(tab, "Nmax, об/мин", "Верхняя граница частоты вращения шпинделя, Nmax, об/мин", Nmax, 0, 100000);
    ShowSpeedMode();
    Separator(tab);
    const char* direction = "Направление вращения шпинделя";
    directionGroup = &Add(tab, PropertyControlKind::ButtonGroup, direction, direction);
    directionGroup->AddButton(kSpindleLeft, {}, "Левое вращение шпинделя");
    directionGroup->AddButton(kSpindleRight, {}, "Правое вращение шпинделя");
    autoDirectionBox = &Check(tab, "auto", "Автоматическое направление вращения (из Таблицы инструментов)", isAutoM34);
    if (isAutoM34) {
        if (const ParamTool* tool = GetTool()) isM04 = tool->M34 == 4;
    }
    directionGroup->PressButton(kSpindleLeft, isM04);
    directionGroup->PressButton(kSpindleRight, !isM04);
    directionGroup->SetEnabled(!isAutoM34);
    Separator(tab);
    coolantBox = &Check(tab, "Вкл. охлаждение (M08)", "Включить охлаждение", isCheckCooler);
    toolLifeField = &Number(tab, "Стойкость T, мин", "Средняя стойкость T, мин", TT, 0, 1000);
    m01Box = &Check(tab, "Вкл. M01 в конце", "Вкл. M01 в конце", isM01end);
    if (kind == kTurnTHREADING || kind == kTurnPLASHKA) {
        directionGroup->SetEnabled(false);
        feedField->SetEnabled(false);
        for (PropertyControl* c : {cuttingSpeedField, minSpeedField, maxSpeedField, constantSpeedBox})
            c->SetVisible(false);
    }
}

void CTurnPanel::CreateCorrectionTab() {
    PropertyTab& tab = *HostTab(kCorrectionTab);
    radiusBox = &Check(tab, "Коррекция на радиус", "Включить коррекцию на радиус", isCorrectRadius);
    radiusField = &Number(tab, "Радиус коррекции", "Радиус коррекции, мм", Rtool, 0, 10);
    radiusField->SetReadOnly(true);
    machineCorrectionList = &Add(tab, PropertyControlKind::DropDownList, "На станке", "Коррекция на станке");
    for (const char* item : {"Нет", "G41", "G42"}) machineCorrectionList->AddItem(item);
    SelectItem(*machineCorrectionList, DirRcorrect);
    machineCorrectionList->SetEnabled(isCorrectRadius);
    radiusField->SetEnabled(isCorrectRadius);
    Separator(tab);
    const ParamTool* tool = GetTool();
    lengthZBox = &Check(tab, "Коррекция по Z", "Включить коррекцию по Z", isCorrectLz);
    lengthZField = &Number(tab, "Коррекция по Z", "Коррекция инструмента на длину по Z (Wz из Таблицы инструментов)",
                           tool ? tool->CorrectZ : 0.0, -1000, 1000);
    lengthZField->SetReadOnly(true);
    lengthZField->SetEnabled(isCorrectLz);
    lengthXBox = &Check(tab, "Коррекция по X", "Включить коррекцию по X", isCorrectLx);
    lengthXField = &Number(tab, "Коррекция по X", "Коррекция инструмента на длину по X (Wx из Таблицы инструментов)",
                           tool ? tool->CorrectX : 0.0, -1000, 1000);
    lengthXField->SetReadOnly(true);
    lengthXField->SetEnabled(isCorrectLx);
    Separator(tab);
    offsetZField = &Number(tab, "Смещение по Z", "Смещение траектории по Z, мм", CorrectLz, -500, 500);
    offsetXField = &Number(tab, "Смещение по X", "Смещение траектории по X, мм", CorrectLx, -500, 500);
}

void CTurnPanel::CreatePropertiesTab() {
    PropertyTab& tab = *HostTab(kPropertiesTab);
    autoNameBox = &Check(tab, "auto", "Автоматическое именование", isAutoName);
    nameList = &Add(tab, PropertyControlKind::DropDownList, "Наименование", "Введите или отредактируйте наименование");
    nameList->SetWidth(44);
    nameList->SetEnabled(!isAutoName);
    Separator(tab);
    statisticsGrid = &Add(tab, PropertyControlKind::Grid, "Статистика обработки", "Статистика обработки");
    statisticsGrid->SetGridSize(7, 2);
    statisticsGrid->SetWidth(380);
    statisticsGrid->SetColumnWidth(0, 250);
    statisticsGrid->SetColumnWidth(1, 95);
    static constexpr const char* kRows[] = {"Параметр",
                                            "Длина рабочего пути, мм",
                                            "Длина холостого пути, мм",
                                            "Общая длина пути, мм",
                                            "Время рабочих перемещений, мин",
                                            "Время холостых перемещений, мин",
                                            "Основное время Tосн, мин"};
    for (int r = 0; r < 7; ++r) statisticsGrid->Grid().SetCellText(r, 0, kRows[r]);
    statisticsGrid->Grid().SetCellText(0, 1, "Значение");
}

void CTurnPanel::SetLongCaptions() {
    auto caption = [](PropertyControl* control, const char* text) {
        if (control) control->SetCaption(text);
    };
    caption(startModeList, "Способ задания угла1");
    caption(endModeList, "Способ задания угла2");
    caption(startAngleField, "Угол1 замыкающего отрезка в начале контура");
    caption(endAngleField, "Угол2 замыкающего отрезка в конце контура");
    caption(usePrevBox, "Использовать результат предыдущей обработки");
    caption(autoToolBox, "Автоподбор инструмента");
    caption(modelFileField, "Файл модели инструмента");
    caption(schemeList, "Схема");
    caption(cycleList, "Список циклов");
    caption(transitionList, "Способ перехода с предыдущей обработки");
    caption(approachGroup, "Траектория подхода в начало обработки");
    caption(returnGroup, "Траектория возврата в Исходную точку");
    caption(feedField, "Подача, s, мм/об");
    caption(directionGroup, "Направление вращения шпинделя");
    directionGroup->SetButtonSecondText(kSpindleLeft, "Левое");
    directionGroup->SetButtonSecondText(kSpindleRight, "Правое");
    caption(autoDirectionBox, "auto (из Таблицы инструментов)");
    caption(spindleSpeedField, "Nшп, об/мин");
    caption(cuttingSpeedField, "Vрез, м/мин");
    caption(m01Box, "Вкл. останов M01 в конце");
    caption(radiusBox, "Вкл. коррекцию на радиус");
    caption(radiusField, "Радиус коррекции");
    caption(lengthZBox, "Вкл. коррекцию по Z");
    caption(lengthZField, "Коррекция по Z");
    caption(lengthXBox, "Вкл. коррекцию по X");
    caption(lengthXField, "Коррекция по X");
    caption(autoNameBox, "Вкл. автоматическое именование");
    caption(nameList, "Имя обработки");
}

}  // namespace zarvento
