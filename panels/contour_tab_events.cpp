// The contour tab's answers to the user: picks of faces and sketches, the
// surface table and the gap list, value edits with their checks, the method
// commands, the stock file and the gap joins.
#include <charconv>
#include <cmath>

#include "geometry/gap_unit.h"
#include "geometry/primitives.h"
#include "model/contour_builder.h"
#include "model/contour_builder_zagotovka.h"
#include "panels/contour_tab.h"
#include "panels/contour_tab_owner.h"
#include "panels/control_events.h"
#include "plan/command_door.h"
#include "plan/spid.h"
#include "platform/core/messages.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/dialogs/property_control.h"
#include "platform/dialogs/selection_manager.h"
#include "platform/documents/host_application.h"
#include "platform/documents/settings_record.h"
#include "platform/host/host_document_3d.h"
#include "platform/processes/module.h"

namespace zarvento {

namespace {

constexpr const char* kMessageCaption = "Orbisel";
constexpr int kExclamation = 0x30;

void Warn(const char* text) { HostMessageBox(text, kMessageCaption, kExclamation); }

// The smaller angle between two directions.
double AngleBetween(double a, double b) {
    const double d = std::fmod(std::fabs(a - b), 2 * PI);
    return d > PI ? 2 * PI - d : d;
}

}  // namespace

std::optional<double> CContourTAB::ReadCellNumber(const std::string& typed) {
    // A comma typed in a number is its decimal point, as in every edit of the host.
    std::string text = typed;
    for (char& c : text)
        if (c == ',') c = '.';
    std::size_t i = text.find_first_not_of(" \t");
    if (i == std::string::npos) return std::nullopt;
    if (text[i] == '+') ++i;
    double v = 0.0;
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    const auto [end, error] = std::from_chars(first, last, v, std::chars_format::general);
    if (error != std::errc() || end == first || !std::isfinite(v)) return std::nullopt;
    return v;
}

bool CContourTAB::JoinAllowed(const CUnit& gap, int joinType) {
    if (joinType >= 1 && joinType <= 3) return true;
    if (joinType != kGapCorner) return false;
    const auto* g = dynamic_cast<const CGapUnit*>(&gap);
    if (!g || !g->PrevUnit || !g->NextUnit) return false;
    // A copy finds the corner, so the gap shown keeps its own.
    CGapUnit probe;
    return probe.IntersectNeighbours(*g->PrevUnit, *g->NextUnit) == 1;
}

bool CContourTAB::GapPair(const CUnit& gap, int& i, int& j) const {
    const auto* g = dynamic_cast<const CGapUnit*>(&gap);
    if (!g || !g->PrevUnit || !g->NextUnit || !selectionContour_) return false;
    i = selectionContour_->IndexOf(g->PrevUnit->SourceUnit);
    j = selectionContour_->IndexOf(g->NextUnit->SourceUnit);
    const int size = selectionContour_->RelationSize();
    return i >= 0 && j >= 0 && i < size && j < size;
}

// ---- picks ----

bool CContourTAB::FilterObject(const HostObjectPtr& object) {
    if (!object || !contourBuilder_) return false;
    if (buildMethod_ == kMethodSketch) {
        // The sketch method picks sketches (the builder's own test answers
        // for faces).
        return object->ObjectType() == HostSketch::kObjectType;
    }
    if (buildMethod_ != kMethodFaces || !contourBuilder_->HasUnitForObject(object)) return false;
    if (!selectionContour_) return true;
    const int n = selectionContour_->GetSelectedCount();
    for (int k = 0; k < n; ++k) {
        CUnit* unit = selectionContour_->GetSelectedUnit(k);
        if (!SameHostObject(unit->GetSourceObject(0), object)) continue;
        if (unit != currentSurface_) {
            InUpdateBracket([&] {
                UnhighlightCurrentElement();
                currentSurface_ = unit;
                HighlightCurrentElement();
            });
        }
        currentRow_ = k + 1;
        if (surfaceTable) {
            surfaceTable->Grid().SetCurrentRow(currentRow_);
            surfaceTable->Grid().Redraw();
        }
        break;
    }
    return true;
}

bool CContourTAB::OnSelectObject(const HostObjectPtr& object) {
    if (!selectionContour_ || !object || !contourBuilder_) return true;
    if (buildMethod_ == kMethodFaces) {
        if (!contourBuilder_->HasUnitForObject(object)) return true;
        InUpdateBracket([&] { UnhighlightCurrentElement(); });
        contourBuilder_->HighlightUnit(object);
        const int n = selectionContour_->GetSelectedCount();
        if (surfaceTable) surfaceTable->EnableButton(kButtonClearList, n > 0);
        if (intermediateFaces_ && lastPickedFace_ && n > 0) {
            selectionContour_->SelectBetween(lastPickedFace_, object);
            intermediateFaces_ = false;
            if (intermediateFacesBox) intermediateFacesBox->SetValue(Variant::Bool(false));
        }
        lastPickedFace_ = object;
        // A surface no longer chosen is no longer current.
        if (currentSurface_ && !currentSurface_->Selected) currentSurface_ = nullptr;
        FillElementList();
        const int position = ChosenPosition(selectionContour_->FindUnitByObject(object));
        if (position >= 0 && surfaceTable) {
            surfaceTable->Grid().SetCurrentRow(position + 1);
            surfaceTable->Grid().Redraw();
        }
        RebuildContour();
        return true;
    }
    if (buildMethod_ != kMethodSketch || object->ObjectType() != HostSketch::kObjectType) return true;
    HostDocument3D* document = Document3D();
    if (!document) return true;
    PickCollection& picks = document->Picks();
    if (!picks.Contains(object)) {
        if (sketch_) {
            // The sketch it replaces leaves the pick list too, so that picking
            // that one again chooses it rather than dropping it.
            if (SelectionManager* manager = HostSelectionManager()) manager->Unselect(sketch_);
            picks.Remove(sketch_);
        }
        if (sketchNameField) sketchNameField->SetValue(Variant::BStr(object->Name()));
        picks.Add(object);
        sketch_ = std::dynamic_pointer_cast<HostSketch>(object);
    } else {
        if (sketchNameField) sketchNameField->SetValue(Variant::BStr(" "));
        picks.Remove(object);
        sketch_.reset();
    }
    RebuildContour();
    if (!BuiltContour()) {
        // No contour from the sketch: it is dropped again, its name too.
        picks.Remove(object);
        sketch_.reset();
        contourBuilder_->sketch.reset();
        if (sketchNameField) sketchNameField->SetValue(Variant::BStr(" "));
    }
    return true;
}

// ---- lists ----

bool CContourTAB::OnSelectListItem(PropertyControl& control, int index, int selected) {
    if (!selectionContour_) return false;
    using Self = CContourTAB;
    static constexpr ControlEvents<Self, int, int> kRows[] = {
        {&Self::surfaceTable, [](Self& p, PropertyControl&, int, int chosen) { p.OnSurfaceRowSelected(chosen); }},
        {&Self::gapList, [](Self& p, PropertyControl&, int row, int chosen) { p.OnGapSelected(row, chosen); }},
    };
    DispatchControlEvent(kRows, *this, control, index, selected);
    return true;
}

void CContourTAB::OnSurfaceRowSelected(int selected) {
    if (!selected) return;
    const int r = surfaceTable->CurrentRow();
    const int n = selectionContour_->GetSelectedCount();
    if (r < 1 || r > n) return;
    CUnit* unit = selectionContour_->GetSelectedUnit(r - 1);
    if (unit && unit != currentSurface_) {
        InUpdateBracket([&] {
            UnhighlightCurrentElement();
            currentSurface_ = unit;
            currentRow_ = r;
            HighlightCurrentElement();
        });
    }
    currentRow_ = r;
}

void CContourTAB::OnGapSelected(int index, int selected) {
    Contour* built = BuiltContour();
    CUnit* gap = built && index >= 0 ? built->GetGapUnit(index) : nullptr;
    if (!gap) return;
    built->DeselectGaps();
    if (!selected) {
        for (int k = 0; k < kJoinTypes; ++k) {
            gapList->EnableButton(kButtonJoin1 + k, false);
            gapList->PressButton(kButtonJoin1 + k, false);
        }
        return;
    }
    currentGap_ = index;
    for (int k = 1; k <= kJoinTypes; ++k)
        if (JoinAllowed(*gap, k)) gapList->EnableButton(kButtonJoin1 + k - 1, true);
    ReleaseJoinButtons();
    int i = 0, j = 0;
    const int join = GapPair(*gap, i, j) ? selectionContour_->GetRelation(i, j) : 0;
    if (join >= 1 && join <= kJoinTypes) gapList->PressButton(kButtonJoin1 + join - 1, true);
    gap->Select();
    ShowContours();
}

// ---- values ----

void CContourTAB::RefuseCell(int row, int column, double old, const char* message) {
    surfaceTable->Grid().SetCellText(row, column, FormatValue(old));
    surfaceTable->Grid().Redraw();
    if (message) Warn(message);
}

void CContourTAB::OnTableValue() {
    const int r = surfaceTable->CurrentRow();
    const int c = surfaceTable->CurrentColumn();
    const int n = selectionContour_->GetSelectedCount();
    if (r < 1 || r > n || c < 1 || c > 3) return;
    CUnit* u = selectionContour_->GetSelectedUnit(r - 1);
    const std::optional<double> v = ReadCellNumber(surfaceTable->Grid().CellText(r, c));
    if (c == 1) {
        if (!v || *v <= -EPS || *v >= kMaxAllowance)
            RefuseCell(r, c, u->OffsetDistance, kAllowanceMessage);
        else
            u->OffsetDistance = *v;
    } else {
        const double old = c == 2 ? u->StartExtension : u->EndExtension;
        if (!v) {
            RefuseCell(r, c, old, nullptr);
        } else {
            const double s1 = c == 2 ? *v : u->StartExtension;
            const double s2 = c == 3 ? *v : u->EndExtension;
            if (s1 + u->GetLength() + s2 < EPS) {
                RefuseCell(r, c, old, kDegenerateMessage);
            } else if (u->Kind == kUnitLine) {
                UnitPtr clone = u->Clone();
                clone->StartExtension = s1;
                clone->EndExtension = s2;
                const UnitPtr offset = clone->GetOffsetUnit(contourBuilder_ && contourBuilder_->isPripuskZ,
                                                            contourBuilder_ ? contourBuilder_->PripuskZ : 0.0);
                if (!offset || AngleBetween(u->GetStartAngle(), offset->GetStartAngle()) > PI / 2) {
                    RefuseCell(r, c, old, kDirectionMessage);
                } else {
                    u->StartExtension = s1;
                    u->EndExtension = s2;
                }
            } else if (u->Kind == kUnitArc || u->Kind == kUnitComplex) {
                u->StartExtension = s1;
                u->EndExtension = s2;
            } else {
                RefuseCell(r, c, old, nullptr);
            }
        }
    }
    RebuildContour();
}

bool CContourTAB::OnChangeControlValue(PropertyControl& control) {
    if (!selectionContour_ || !contourBuilder_) return true;
    using Self = CContourTAB;
    static constexpr auto shownContours = [](Self& p, PropertyControl&) { p.ShowContours(); };
    static constexpr auto bar = [](Self& p, PropertyControl& c) {
        auto* stockBuilder = dynamic_cast<CContourBuilderZagotovka*>(p.contourBuilder_);
        if (!stockBuilder) return;
        const double v = c.Value().ToR8();
        if (&c == p.barLengthField) stockBuilder->barLength = v;
        if (&c == p.barDiameterField) stockBuilder->barDiameter = v;
        if (&c == p.barHoleField) stockBuilder->barInnerDiameter = v;
        if (&c == p.barFaceZField) stockBuilder->barZ = v;
        p.RebuildContour();
    };
    static constexpr ControlEvents<Self> kRows[] = {
        {&Self::surfaceTable, [](Self& p, PropertyControl&) { p.OnTableValue(); }},
        {&Self::commonAllowanceBox,
         [](Self& p, PropertyControl& c) {
             p.commonAllowance_ = p.contourBuilder_->isPripuskZ = c.Value().ToBool();
             p.FillElementList();
             p.RebuildContour();
         }},
        {&Self::commonAllowanceField,
         [](Self& p, PropertyControl& c) {
             const double v = c.Value().ToR8();
             if (!std::isfinite(v) || v <= -EPS || v >= kMaxAllowance) {
                 c.SetValue(Variant::R8(p.contourBuilder_->PripuskZ));
                 Warn(kAllowanceMessage);
             } else {
                 p.contourBuilder_->PripuskZ = v;
                 p.FillElementList();
                 p.RebuildContour();
             }
         }},
        {&Self::intermediateFacesBox, [](Self& p, PropertyControl& c) { p.intermediateFaces_ = c.Value().ToBool(); }},
        {&Self::showSurfacesBox,
         [](Self& p, PropertyControl& c) {
             if (Contour* built = p.BuiltContour()) {
                 if (c.Value().ToBool())
                     p.DrawSurfaces(*built);
                 else
                     built->ClearTessellationFaces();
             }
             RefreshHostView();
         }},
        {&Self::showPartContourBox, shownContours},
        {&Self::showOtherContourBox, shownContours},
        {&Self::showStockContourBox,
         [](Self& p, PropertyControl& c) {
             if (!p.stockDisplayContour_)
                 if (CSPID* planData = GetSPID()) p.stockDisplayContour_ = planData->CreateSourceContour();
             if (p.stockDisplayContour_) {
                 if (c.Value().ToBool())
                     p.stockDisplayContour_->CreateTessellationEdges(SettingsRecord::Global().Colour(1));
                 else
                     p.stockDisplayContour_->ClearTessellationEdges();
             }
             RefreshHostView();
         }},
        {&Self::reverseBox,
         [](Self& p, PropertyControl& c) {
             p.contourBuilder_->reverseFlag = c.Value().ToBool();
             p.RebuildContour();
         }},
        {&Self::barLengthField, bar},
        {&Self::barDiameterField, bar},
        {&Self::barHoleField, bar},
        {&Self::barFaceZField, bar},
    };
    DispatchControlEvent(kRows, *this, control);
    return true;
}

// ---- commands ----

void CContourTAB::OnClearList() {
    if (selectionContour_->GetSelectedCount() == 0) return;
    InUpdateBracket([&] { UnhighlightCurrentElement(); });
    selectionContour_->DeselectAll();
    lastPickedFace_.reset();
    currentSurface_ = nullptr;
    FillElementList();
    DeleteBuiltContour();
    // The gaps of the deleted contour leave the list with it.
    FillGapList();
    surfaceTable->EnableButton(kButtonClearList, false);
    RefreshHostView();
}

void CContourTAB::OnOpenFile() {
    const std::optional<std::string> path = ShowOpenFileDialog("*.rdp,*.rda", "Модель (*.rdp)|*.rdp|");
    if (!path) return;
    HostDocumentPtr active = HeldActiveDocument();
    if (!active)
        if (HostApplication* app = HostApplicationObject()) active = app->ActiveDocumentOrNull();
    if (active && *path == active->FilePath()) {
        ShowHostMessage(kOpenInWindowMessage);
        return;
    }
    auto* stockBuilder = dynamic_cast<CContourBuilderZagotovka*>(contourBuilder_);
    if (!stockBuilder) return;
    if (fileNameField) fileNameField->SetValue(Variant::BStr(*path));
    if (removeLinkGroup) removeLinkGroup->EnableButton(kButtonRemoveLink, true);
    stockBuilder->buildMethod = kMethodFile;
    stockBuilder->SetFileName(*path);
    stockBuilder->DeleteContour();
    DeleteBuiltContour();
    std::unique_ptr<Contour> built = stockBuilder->Build();
    if (builtSlot_) *builtSlot_ = std::move(built);
    ShowContours();
}

void CContourTAB::OnRemoveLink() {
    if (!AskQuestion(kRemoveLinkQuestion, "Да", "Отмена")) return;
    auto* stockBuilder = dynamic_cast<CContourBuilderZagotovka*>(contourBuilder_);
    if (fileNameField) fileNameField->SetValue(Variant::BStr(""));
    if (removeLinkGroup) removeLinkGroup->EnableButton(kButtonRemoveLink, false);
    if (stockBuilder) {
        stockBuilder->SetFileName("");
        stockBuilder->DeleteContour();
    }
    DeleteBuiltContour();
    RefreshHostView();
}

void CContourTAB::OnJoinCommand(int joinType) {
    Contour* built = BuiltContour();
    CUnit* gap = built && currentGap_ >= 0 ? built->GetGapUnit(currentGap_) : nullptr;
    int i = 0, j = 0;
    if (!gap || !GapPair(*gap, i, j)) return;
    if (selectionContour_->GetRelation(i, j) == joinType) return;
    selectionContour_->SetRelation(i, j, joinType);
    DeleteBuiltContour();
    if (kind_ == kWorkingTab) contourBuilder_->sourceContour = ReferenceContour();
    std::unique_ptr<Contour> rebuilt = contourBuilder_->Build();
    if (builtSlot_) *builtSlot_ = std::move(rebuilt);
    built = BuiltContour();
    if (CUnit* again = built ? built->GetGapUnit(currentGap_) : nullptr) again->Select();
    FillGapList();
    ShowContours();
    if (owner_) owner_->UpdateClosingSegments();
    ReleaseJoinButtons();
    gapList->PressButton(kButtonJoin1 + joinType - 1, true);
}

void CContourTAB::OnControlCommand(PropertyControl& control, int id) {
    if (!selectionContour_ || !contourBuilder_) return;
    using Self = CContourTAB;
    static constexpr ControlEvents<Self, int> kRows[] = {
        {&Self::surfaceTable,
         [](Self& p, PropertyControl&, int button) {
             if (button == kButtonClearList) p.OnClearList();
         }},
        {&Self::methodGroup, [](Self& p, PropertyControl&, int button) { p.OnMethodCommand(button); }},
        {&Self::openFileGroup,
         [](Self& p, PropertyControl&, int button) {
             if (button == kButtonOpenFile) p.OnOpenFile();
         }},
        {&Self::removeLinkGroup,
         [](Self& p, PropertyControl&, int button) {
             if (button == kButtonRemoveLink) p.OnRemoveLink();
         }},
        {&Self::gapList,
         [](Self& p, PropertyControl&, int button) {
             if (button >= kButtonJoin1 && button < kButtonJoin1 + kJoinTypes)
                 p.OnJoinCommand(button - kButtonJoin1 + 1);
         }},
    };
    DispatchControlEvent(kRows, *this, control, id);
}

void CContourTAB::OnMethodCommand(int id) {
    int method = -1;
    switch (id) {
        case kButtonSketch: method = kMethodSketch; break;
        case kButtonFaces: method = kMethodFaces; break;
        case kButtonModel: method = kind_ == kStockTab ? kMethodFile : -1; break;
        case kButtonBar: method = kind_ == kStockTab ? kMethodBar : -1; break;
        default: break;
    }
    if (method < 0) return;
    buildMethod_ = method;
    for (int k = kButtonSketch; k <= kButtonBar; ++k)
        if (methodGroup->Button(k)) methodGroup->PressButton(k, k == id);
    ShowMethodView();
    if (owner_) owner_->ShowControlGroup(method == kMethodSketch ? 1 : 0);
    RebuildContour();
}

}  // namespace zarvento
