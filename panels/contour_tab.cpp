// The contour tab: its binding, controls, method views, tables, drawing and
// rebuild. The handlers of the user's actions are in contour_tab_events.cpp.
#include "panels/contour_tab.h"

#include <cstdio>

#include "model/contour_builder.h"
#include "model/contour_builder_zagotovka.h"
#include "model/tessellation_object.h"
#include "panels/contour_tab_owner.h"
#include "plan/command_door.h"
#include "platform/core/host_major_version.h"
#include "platform/dialogs/property_control.h"
#include "platform/dialogs/selection_manager.h"
#include "platform/documents/host_application.h"
#include "platform/documents/settings_record.h"
#include "platform/host/host_document_3d.h"
#include "platform/processes/module.h"

namespace zarvento {

namespace {

// Images of the method group's buttons: the library's bitmap up to host 16,
// the host's image from 17 on.
struct MethodButton {
    int id;
    const char* tip;
    int hostImage;
};
constexpr MethodButton kMethodButtons[] = {
    {CContourTAB::kButtonSketch, "Указать эскиз, содержащий контур", 57435},
    {CContourTAB::kButtonFaces, "Указать поверхности детали", 57432},
    {CContourTAB::kButtonModel, "3D-модель заготовки", 57433},
    {CContourTAB::kButtonBar, "Размеры заготовки из проката", 57434},
};
constexpr const char* kJoinTexts[CContourTAB::kJoinTypes] = {
    "Соединять прямым углом от оси детали",
    "Соединять прямым углом к оси детали",
    "Соединять отрезком",
    "Соединять через точку пересечения",
};
constexpr int kFirstJoinHostImage = 57398;
constexpr int kRemoveLinkHostImage = 57448;
constexpr int kClearListHostImage = 57451;

bool NewHost() { return HostMajorVersion() >= 17; }

void SetTexts(PropertyControl& control, const char* caption, const char* hint) {
    control.SetCaption(caption);
    control.SetHint(hint);
    control.SetTip(hint);
}

void Show(PropertyControl* control, bool visible) {
    if (control) control->SetVisible(visible);
}

}  // namespace

std::string CContourTAB::FormatValue(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%1.2f", value);
    std::string s = text;
    for (char& c : s)
        if (c == ',') c = '.';
    return s;
}

HostDocument3D* CContourTAB::Document3D() {
    HostDocumentPtr doc = HeldActiveDocument();
    if (!doc) {
        HostApplication* app = HostApplicationObject();
        doc = app ? app->ActiveDocumentOrNull() : nullptr;
    }
    return doc ? doc->Document3D() : nullptr;
}

CContourTAB::CContourTAB() = default;
CContourTAB::~CContourTAB() = default;

void CContourTAB::CreateTab(const Contour* partContour, Contour* selectionContour, std::unique_ptr<Contour>* builtSlot,
                            CContourBuilder* builder, std::unique_ptr<Contour>* referenceSlot,
                            std::shared_ptr<HostSketch> sketch, PropertyTab* hostTab, char kind, double,
                            const std::string& entryText, ContourTabOwner* owner) {
    // 1. The context, the method and the colours of the kind.
    partContour_ = partContour;
    selectionContour_ = selectionContour;
    builtSlot_ = builtSlot;
    contourBuilder_ = builder;
    referenceSlot_ = referenceSlot;
    owner_ = kind == kWorkingTab ? owner : nullptr;
    buildMethod_ = builder ? builder->buildMethod : kMethodFaces;
    commonAllowance_ = builder && builder->isPripuskZ;
    sketch_ = std::move(sketch);
    hostTab_ = hostTab;
    kind_ = kind;
    const SettingsRecord& settings = SettingsRecord::Global();
    const int edge = kind == kWorkingTab ? 3 : kind == kStockTab ? 1 : 2;
    const int reference = kind == kWorkingTab ? 2 : 3;
    const int surface = kind == kWorkingTab ? 11 : 10;
    edgeColour_ = settings.Colour(edge);
    referenceColour_ = settings.Colour(reference);
    surfaceColour_ = settings.Colour(surface);

    // 3. The controls.
    if (hostTab_) CreateControls(entryText);

    // 4. No highlight of an earlier panel stays.
    if (HostDocument3D* document = Document3D()) {
        document->Picks().Clear();
        document->SecondHighlights().Clear();
    }
    // 5-7. The tables, the method's view, the table's first cell.
    FillElementList();
    FillGapList();
    ShowMethodView();
    if (surfaceTable) {
        surfaceTable->Grid().SetCurrentRow(0);
        surfaceTable->Grid().Redraw();
    }
    // 8-10.
    if (kind_ == kStockTab && showSurfacesBox) showSurfacesBox->SetValue(Variant::Bool(true));
    ShowContours();
    if (NewHost()) SetNewCaptions();
}

// Long: the tab's controls made one after another in the order the user
// sees them, each with its caption, range and tip.
void CContourTAB::CreateControls(const std::string& entryText) {
    PropertyTab& tab = *hostTab_;
    const bool newHost = NewHost();
    const bool stock = kind_ == kStockTab;
    auto checkBox = [&](const char* hint, int off, int on, bool value) {
        PropertyControl& box = tab.AddControl(PropertyControlKind::CheckBox);
        SetTexts(box, "", hint);
        box.SetCheckImages(HostImage::Library(off), HostImage::Library(on), HostImage::Library(off));
        box.SetValue(Variant::Bool(value));
        return &box;
    };
    // A button of a group or a bar: the library's bitmap up to host 16; the
    // host's image and the library entry text from 17 on.
    auto button = [&](PropertyControl& control, int id, int bitmap, int hostImage, const char* tip) {
        control.AddButton(id, newHost ? HostImage::Host(hostImage) : HostImage::Library(bitmap), tip);
        if (newHost) control.SetButtonSecondText(id, entryText);
    };

    methodGroup = &tab.AddControl(PropertyControlKind::ButtonGroup);
    SetTexts(*methodGroup, "", "Способ построения контура");
    methodGroup->Setup(2);
    for (const MethodButton& b : kMethodButtons) {
        if (!stock && b.id > kButtonFaces) break;
        button(*methodGroup, b.id, b.id, b.hostImage, b.tip);
    }
    if (methodGroup->Button(kButtonSketch + buildMethod_)) methodGroup->PressButton(kButtonSketch + buildMethod_, true);

    tab.AddControl(PropertyControlKind::Empty);

    if (stock) {
        fileNameField = &tab.AddControl(PropertyControlKind::TextEdit);
        SetTexts(*fileNameField, "Файл модели", "Файл модели заготовки");
        fileNameField->SetWidth(70);
        fileNameField->SetVisible(false);

        openFileGroup = &tab.AddControl(PropertyControlKind::ButtonGroup);
        SetTexts(*openFileGroup, "", "Открыть файл");
        button(*openFileGroup, kButtonOpenFile, kButtonModel, 57433, "Открыть файл");
        openFileGroup->SetVisible(false);

        removeLinkGroup = &tab.AddControl(PropertyControlKind::ButtonGroup);
        SetTexts(*removeLinkGroup, "Удалить ссылку на файл", "Удалить ссылку на файл");
        button(*removeLinkGroup, kButtonRemoveLink, kButtonRemoveLink, kRemoveLinkHostImage, "Удалить ссылку на файл");
        removeLinkGroup->SetVisible(false);

        auto* stockBuilder = dynamic_cast<CContourBuilderZagotovka*>(contourBuilder_);
        auto barField = [&](const char* caption, const char* hint, double minimum, double value) {
            PropertyControl& field = tab.AddControl(PropertyControlKind::RealEdit);
            SetTexts(field, caption, hint);
            field.SetWidth(7);
            field.SetRange(minimum, 10000.0);
            field.SetValue(Variant::R8(value));
            field.SetVisible(false);
            return &field;
        };
        barLengthField = barField("Длина", "Длина заготовки", 1.0, stockBuilder ? stockBuilder->barLength : 0.0);
        barDiameterField =
            barField("Диаметр", "Диаметр заготовки", 1.0, stockBuilder ? stockBuilder->barDiameter : 0.0);
        barHoleField = barField("Диаметр отверстия", "Диаметр отверстия в заготовке", 0.0,
                                stockBuilder ? stockBuilder->barInnerDiameter : 0.0);
        barFaceZField =
            barField("Z торца", "Координата Z торца заготовки", -10000.0, stockBuilder ? stockBuilder->barZ : 0.0);
    }

    sketchNameField = &tab.AddControl(PropertyControlKind::TextEdit);
    SetTexts(*sketchNameField, "Эскиз", "Эскиз");
    sketchNameField->SetWidth(30);
    sketchNameField->SetVisible(false);

    // The box shows the builder's direction (a box shown on while the
    // builder keeps the sketch's direction would turn nothing when cleared).
    reverseBox =
        checkBox("Сменить направление контура в эскизе", 10131, 10132, contourBuilder_ && contourBuilder_->reverseFlag);
    if (stock) reverseBox->SetEnabled(false);

    if (owner_) owner_->CreateContourModeGroup(tab);

    surfaceTable = &tab.AddControl(PropertyControlKind::Grid);
    if (!newHost) SetTexts(*surfaceTable, "Поверхности", "Список поверхностей, относительно которых задается контур");
    surfaceTable->SetGridSize(10, 4);
    surfaceTable->SetFixed(1, 0);
    surfaceTable->SetReadOnlyColumns(1);
    surfaceTable->SetWidth(290);
    surfaceTable->SetHeight(newHost ? 300 : 235);
    const int widths[2][4] = {{90, 55, 55, 55}, {100, 50, 50, 50}};
    for (int c = 0; c < 4; ++c) surfaceTable->SetColumnWidth(c, widths[newHost ? 1 : 0][c]);
    const char* headers[4] = {"Поверхности", "h, мм", "s1, мм", "s2, мм"};
    for (int c = 0; c < 4; ++c) surfaceTable->Grid().SetCellText(0, c, headers[c]);
    button(*surfaceTable, kButtonClearList, kButtonClearList, kClearListHostImage, "Очистить список");
    surfaceTable->EnableButton(kButtonClearList, false);

    const bool allowance = kind_ != kWorkingTab || !owner_ ||
                           (owner_->ContourTabOperationType() >= 1 && owner_->ContourTabOperationType() <= 4);
    if (allowance) {
        commonAllowanceBox = &tab.AddControl(PropertyControlKind::CheckBox);
        SetTexts(*commonAllowanceBox, "Общий припуск, мм", "Использовать общий припуск для всех поверхностей");
        commonAllowanceBox->SetValue(Variant::Bool(contourBuilder_ && contourBuilder_->isPripuskZ));
        commonAllowanceField = &tab.AddControl(PropertyControlKind::RealEdit);
        SetTexts(*commonAllowanceField, "", "Общий припуск для всех поверхностей, мм (на радиус)");
        commonAllowanceField->SetWidth(6);
        commonAllowanceField->SetValue(Variant::R8(contourBuilder_ ? contourBuilder_->PripuskZ : 0.0));
    }

    intermediateFacesBox = checkBox("Выбирать промежуточные поверхности", 10113, 10114, false);

    gapList = &tab.AddControl(PropertyControlKind::ListWithButtons);
    SetTexts(*gapList, "Разрывы контура", "Список разрывов между выбранными гранями");
    gapList->SetVisible(false);
    for (int k = 0; k < kJoinTypes; ++k) {
        button(*gapList, kButtonJoin1 + k, kButtonJoin1 + k, kFirstJoinHostImage + k, kJoinTexts[k]);
        gapList->EnableButton(kButtonJoin1 + k, false);
    }

    if (!newHost) tab.AddControl(PropertyControlKind::Empty);
    if (owner_) owner_->CreateGeometryGroup(tab);

    showPartContourBox = checkBox("Показать/скрыть контур детали", 10107, 10108, true);
    if (kind_ == kWorkingTab)
        showOtherContourBox = checkBox("Показать/скрыть исходный контур", 10109, 10110, true);
    else if (kind_ == kSourceTab)
        showOtherContourBox = checkBox("Показать/скрыть рабочий контур", 10111, 10112, true);
    if (!stock) showStockContourBox = checkBox("Показать/скрыть контур заготовки", 10121, 10122, false);
    if (!newHost) tab.AddControl(PropertyControlKind::Empty);
    showSurfacesBox = checkBox("Показать/скрыть фантом поверхностей контура", 10115, 10116, false);
}

void CContourTAB::SetNewCaptions() {
    if (methodGroup)
        methodGroup->SetCaption(kind_ == kStockTab ? "Способ задания заготовки" : "Способ создания контура");
    if (openFileGroup) openFileGroup->SetCaption("Открыть файл");
    if (reverseBox) reverseBox->SetCaption("Сменить направление контура в эскизе");
    if (commonAllowanceBox) commonAllowanceBox->SetCaption("Вкл. общий припуск");
    if (commonAllowanceField) commonAllowanceField->SetCaption("Общий припуск, мм");
    if (intermediateFacesBox) intermediateFacesBox->SetCaption("Вкл. выбор промежуточных граней");
    if (showPartContourBox) showPartContourBox->SetCaption("Показать контур детали");
    if (showOtherContourBox)
        showOtherContourBox->SetCaption(kind_ == kWorkingTab ? "Показать исходный контур" : "Показать рабочий контур");
    if (showStockContourBox) showStockContourBox->SetCaption("Показать контур заготовки");
    if (showSurfacesBox)
        showSurfacesBox->SetCaption(kind_ == kWorkingTab  ? "Показать рабочие поверхности"
                                    : kind_ == kSourceTab ? "Показать исходные поверхности"
                                                          : "Показать поверхности заготовки");
}

void CContourTAB::SetContext(const Contour* partContour, Contour* selectionContour, std::unique_ptr<Contour>* builtSlot,
                             CContourBuilder* builder) {
    partContour_ = partContour;
    selectionContour_ = selectionContour;
    builtSlot_ = builtSlot;
    contourBuilder_ = builder;
    // The current surface and the last picked face belonged to the old copy,
    // which its owner is about to delete: nothing of it is kept.
    currentSurface_ = nullptr;
    currentRow_ = 1;
    currentGap_ = -1;
    lastPickedFace_.reset();
    if (builder) commonAllowance_ = builder->isPripuskZ;
}

// ---- views ----

void CContourTAB::SetFaceControlsVisible(bool visible) {
    Show(surfaceTable, visible);
    Show(commonAllowanceBox, visible);
    Show(commonAllowanceField, visible);
    Show(intermediateFacesBox, visible);
    Show(gapList, visible);
}

void CContourTAB::SetStockControlsVisible(bool fileControls, bool barControls) {
    if (kind_ != kStockTab) return;
    Show(fileNameField, fileControls);
    Show(openFileGroup, fileControls);
    Show(removeLinkGroup, fileControls);
    for (PropertyControl* field : {barLengthField, barDiameterField, barHoleField, barFaceZField})
        Show(field, barControls);
}

void CContourTAB::SelectSketch(bool select) {
    SelectionManager* manager = HostSelectionManager();
    if (!manager || !sketch_) return;
    if (select)
        manager->Select(sketch_);
    else
        manager->Unselect(sketch_);
}

void CContourTAB::ShowMethodView() {
    switch (buildMethod_) {
        case kMethodSketch: ShowSketchControls(); break;
        case kMethodFaces: ShowFacesControls(); break;
        case kMethodFile: ShowModelControls(); break;
        case kMethodBar: ShowBarControls(); break;
        default: break;
    }
}

void CContourTAB::ShowSketchControls() {
    UnhighlightCurrentElement();
    if (selectionContour_) selectionContour_->HideSelection();
    SetFaceControlsVisible(false);
    Show(sketchNameField, true);
    Show(reverseBox, true);
    SetStockControlsVisible(false, false);
    SelectSketch(true);
    if (sketch_ && sketchNameField) sketchNameField->SetValue(Variant::BStr(sketch_->Name()));
}

void CContourTAB::ShowFacesControls() {
    HighlightCurrentElement();
    if (selectionContour_) selectionContour_->ShowSelection();
    SetFaceControlsVisible(true);
    Show(sketchNameField, false);
    Show(reverseBox, false);
    SetStockControlsVisible(false, false);
    SelectSketch(false);
}

void CContourTAB::ShowModelControls() {
    UnhighlightCurrentElement();
    if (selectionContour_) selectionContour_->HideSelection();
    SetFaceControlsVisible(false);
    Show(sketchNameField, false);
    Show(reverseBox, false);
    SetStockControlsVisible(true, false);
    const auto* stockBuilder = dynamic_cast<const CContourBuilderZagotovka*>(contourBuilder_);
    const std::string fileName = stockBuilder ? stockBuilder->GetFileName() : std::string();
    if (fileNameField) fileNameField->SetValue(Variant::BStr(fileName));
    if (removeLinkGroup) removeLinkGroup->EnableButton(kButtonRemoveLink, !fileName.empty());
    SelectSketch(false);
}

void CContourTAB::ShowBarControls() {
    UnhighlightCurrentElement();
    if (selectionContour_) selectionContour_->HideSelection();
    SetFaceControlsVisible(false);
    Show(sketchNameField, false);
    Show(reverseBox, false);
    SetStockControlsVisible(false, true);
    SelectSketch(false);
}

void CContourTAB::HideControls() {
    Show(methodGroup, false);
    Show(sketchNameField, false);
    Show(surfaceTable, false);
    Show(commonAllowanceBox, false);
    Show(commonAllowanceField, false);
    Show(intermediateFacesBox, false);
    Show(gapList, false);
}

void CContourTAB::ShowControls() {
    Show(methodGroup, true);
    if (buildMethod_ == kMethodSketch) {
        Show(sketchNameField, true);
        Show(reverseBox, true);
    } else {
        SetFaceControlsVisible(true);
    }
}

// ---- the owners' calls ----

void CContourTAB::OnActivate() {
    if (buildMethod_ == kMethodFaces && selectionContour_) selectionContour_->ShowSelection();
    if (buildMethod_ == kMethodSketch) SelectSketch(true);
    RebuildContour();
    if (buildMethod_ == kMethodFaces) HighlightCurrentElement();
}

void CContourTAB::ShowSelection() {
    changed_ = false;
    if (buildMethod_ == kMethodFaces && selectionContour_) selectionContour_->ShowSelection();
    if (buildMethod_ == kMethodSketch) SelectSketch(true);
    RebuildContour();
}

void CContourTAB::SetContour(const Contour* contour) {
    ClearHighlight();
    if (builtSlot_) *builtSlot_ = contour ? contour->Clone() : nullptr;
    changed_ = true;
    ShowContours();
}

void CContourTAB::ClearHighlight() {
    if (buildMethod_ == kMethodFaces && selectionContour_) selectionContour_->HideSelection();
    if (buildMethod_ == kMethodSketch) SelectSketch(false);
    if (Contour* built = BuiltContour()) {
        built->HideTessellation();
        built->DeselectAll();
    }
    UnhighlightCurrentElement();
}

void CContourTAB::InUpdateBracket(const std::function<void()>& changes) {
    SelectionManager* manager = HostSelectionManager();
    if (manager) manager->Update(1);
    try {
        changes();
    } catch (...) {
        if (manager && manager->UpdateDepth() > 0) manager->Update(2);
        throw;
    }
    if (manager) manager->Update(2);
}

void CContourTAB::HighlightCurrentElement() {
    if (!currentSurface_) return;
    InUpdateBracket([&] {
        if (HostDocument3D* document = Document3D())
            for (int i = 0; i < currentSurface_->HostObjectCount(); ++i)
                if (HostObjectPtr face = currentSurface_->GetSourceObject(i)) document->SecondHighlights().Add(face);
    });
    if (surfaceTable) {
        surfaceTable->Grid().SetCurrentRow(currentRow_);
        surfaceTable->Grid().Redraw();
    }
}

void CContourTAB::UnhighlightCurrentElement() {
    if (!currentSurface_) return;
    InUpdateBracket([&] {
        if (HostDocument3D* document = Document3D())
            for (int i = 0; i < currentSurface_->HostObjectCount(); ++i)
                if (HostObjectPtr face = currentSurface_->GetSourceObject(i)) document->SecondHighlights().Remove(face);
    });
}

// ---- tables ----

int CContourTAB::ChosenPosition(const CUnit* unit) const {
    if (!selectionContour_ || !unit) return -1;
    const int n = selectionContour_->GetSelectedCount();
    for (int k = 0; k < n; ++k)
        if (selectionContour_->GetSelectedUnit(k) == unit) return k;
    return -1;
}

void CContourTAB::FillElementList() {
    if (!selectionContour_ || !surfaceTable) return;
    const int n = selectionContour_->GetSelectedCount();
    GridControl& grid = surfaceTable->Grid();
    grid.SetRowCount(n + 1);
    surfaceTable->SetReadOnlyColumns(commonAllowance_ ? 2 : 1);
    const bool common = contourBuilder_ && contourBuilder_->isPripuskZ;
    for (int r = 1; r <= n; ++r) {
        const CUnit* u = selectionContour_->GetSelectedUnit(r - 1);
        grid.SetCellText(r, 0, u->SurfaceName);
        grid.SetCellText(r, 1, FormatValue(common ? contourBuilder_->PripuskZ : u->OffsetDistance));
        grid.SetCellText(r, 2, FormatValue(u->StartExtension));
        grid.SetCellText(r, 3, FormatValue(u->EndExtension));
    }
    grid.Redraw();
    if (commonAllowanceField) commonAllowanceField->SetEnabled(common);
}

void CContourTAB::FillGapList() {
    if (!selectionContour_ || !gapList) return;
    const Contour* built = BuiltContour();
    const int g = built ? built->GetGapCount() : 0;
    gapList->SetVisible(g > 0);
    gapList->ClearItems();
    for (int k = 0; k < g; ++k) gapList->AddItem(built->GetGapUnit(k)->SurfaceName);
}

// ---- drawing and rebuild ----

void CContourTAB::ShowContours() {
    if (Contour* reference = referenceSlot_ ? referenceSlot_->get() : nullptr; reference && showOtherContourBox) {
        if (showOtherContourBox->Value().ToBool())
            reference->CreateTessellationEdges(referenceColour_);
        else
            reference->ClearTessellationEdges();
    }
    if (Contour* built = BuiltContour()) {
        built->CreateTessellationEdges(edgeColour_);
        if (showSurfacesBox && showSurfacesBox->Value().ToBool()) {
            DrawSurfaces(*built);
        } else {
            built->ClearTessellationFaces();
        }
    }
    RefreshHostView();
}

void CContourTAB::DrawSurfaces(Contour& built) {
    if (kind_ != kWorkingTab) {
        built.CreateTessellationFaces(surfaceColour_);
        return;
    }
    // A working contour's surfaces are drawn opaque.
    const double opacity = DefaultOpacity;
    DefaultOpacity = 1.0;
    try {
        built.CreateTessellationFaces(surfaceColour_);
    } catch (...) {
        DefaultOpacity = opacity;
        throw;
    }
    DefaultOpacity = opacity;
}

void CContourTAB::DeleteBuiltContour() {
    if (builtSlot_) builtSlot_->reset();
}

void CContourTAB::ReleaseJoinButtons() {
    if (!gapList) return;
    for (int k = 0; k < kJoinTypes; ++k) gapList->PressButton(kButtonJoin1 + k, false);
}

void CContourTAB::RebuildContour() {
    if (!contourBuilder_) return;
    contourBuilder_->buildMethod = buildMethod_;
    if (buildMethod_ == kMethodSketch) {
        contourBuilder_->sketch = sketch_;
        contourBuilder_->accuracy = SettingsRecord::Global().accuracy;
    } else if (buildMethod_ == kMethodFaces) {
        FillGapList();
    }
    if (kind_ == kWorkingTab) contourBuilder_->sourceContour = ReferenceContour();
    DeleteBuiltContour();
    std::unique_ptr<Contour> built = contourBuilder_->Build();
    if (builtSlot_) *builtSlot_ = std::move(built);
    ShowContours();
    if (buildMethod_ == kMethodFaces) FillGapList();
    if (owner_) owner_->UpdateClosingSegments();
    ReleaseJoinButtons();
}

}  // namespace zarvento
