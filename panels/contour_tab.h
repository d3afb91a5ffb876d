// CContourTAB: the tab on which the user says where a contour comes from: a
// sketch, faces of the part, a stock model file or bar sizes. The plan-data
// panel embeds one for the stock (kind 'z'); every operation panel embeds one
// for the working contour ('w', with the panel as its owner) and one for the
// source contour ('s').
//
// The tab makes its controls on a host tab its owner has made, drives the
// owner's contour builder, keeps the built contour in the owner's slot and
// draws it. The owner forwards every notification of its panel to the five
// handlers (FilterObject, OnSelectObject, OnSelectListItem,
// OnChangeControlValue, OnControlCommand); a handler ignores a control that is
// not one of the tab's own.
//
// The tab owns only its stock display contour. The contours, the builder and
// the host tab are the owner's and must outlive the tab or be re-pointed with
// SetContext; the owner's slots hold the built and the reference contour.
// An owner that attaches the tab to the plan data (CSPID::pStockTab) takes it
// off again before the tab goes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "geometry/contour.h"
#include "plan/stock_tab.h"
#include "platform/core/host_object.h"
#include "platform/dialogs/property_tab.h"
#include "platform/drawings/host_sketch.h"

namespace zarvento {

class CContourBuilder;
class ContourTabOwner;
class HostDocument3D;
class PropertyControl;
class PropertyTab;

class CContourTAB : public StockTab {
public:
    // Kind letters.
    static constexpr char kStockTab = 'z';
    static constexpr char kWorkingTab = 'w';
    static constexpr char kSourceTab = 's';

    // Build methods (the builder's values).
    static constexpr int kMethodSketch = 0;
    static constexpr int kMethodFaces = 1;
    static constexpr int kMethodFile = 2;
    static constexpr int kMethodBar = 3;

    // Buttons of the method group, by method.
    static constexpr int kButtonSketch = 10001;
    static constexpr int kButtonFaces = 10002;
    static constexpr int kButtonModel = 10003;
    static constexpr int kButtonBar = 10004;
    // The open-file button (the model button's image and id).
    static constexpr int kButtonOpenFile = 10003;
    // The remove-link button and the table's clear-list button.
    static constexpr int kButtonRemoveLink = 10653;
    static constexpr int kButtonClearList = 10653;
    // The gap list's join buttons: join type k has button kButtonJoin1 + k - 1.
    static constexpr int kButtonJoin1 = 10601;
    static constexpr int kJoinTypes = 4;

    // Limit of an allowance (exclusive), mm.
    static constexpr double kMaxAllowance = 500.0;

    static constexpr const char* kAllowanceMessage = "Припуск должен быть от 0 до 500";
    static constexpr const char* kDegenerateMessage = "Значения s1 и s2 в сумме создают вырожденный сегмент контура";
    static constexpr const char* kDirectionMessage = "Значения s1 и s2 не должны менять направление элемента контура";
    static constexpr const char* kOpenInWindowMessage = "Файл открыт в текущем окне";
    static constexpr const char* kRemoveLinkQuestion = "Вы действительно хотите удалить ссылку на файл заготовки?";

    CContourTAB();
    ~CContourTAB() override;
    CContourTAB(const CContourTAB&) = delete;
    CContourTAB& operator=(const CContourTAB&) = delete;

    // Binds the tab and makes its controls on `hostTab`:
    //   partContour       the part's section contour (kept for the owner);
    //   selectionContour  the contour whose units are the faces that may be
    //                     chosen: its selection flags are the chosen surfaces,
    //                     its relation matrix the gap joins (the builder's
    //                     part contour);
    //   builtSlot         the owner's slot of the built contour;
    //   builder           the owner's builder (a CContourBuilderZagotovka on a
    //                     stock tab); the tab takes its build method;
    //   referenceSlot     the owner's slot of the other contour (a working
    //                     tab's source contour), may be null;
    //   sketch            the chosen sketch, may be null;
    //   kind              kStockTab, kWorkingTab or kSourceTab;
    //   stepBezie         carried, not read;
    //   entryText         the library entry text the buttons get from host 17;
    //   owner             the operation panel of a working tab, else null.
    // Every pointer except referenceSlot, sketch and owner must be given.
    virtual void CreateTab(const Contour* partContour, Contour* selectionContour, std::unique_ptr<Contour>* builtSlot,
                           CContourBuilder* builder, std::unique_ptr<Contour>* referenceSlot,
                           std::shared_ptr<HostSketch> sketch, PropertyTab* hostTab, char kind, double stepBezie,
                           const std::string& entryText, ContourTabOwner* owner);
    // Re-points the tab at the owner's new copy of its data; the current
    // surface and the last picked face of the old copy are forgotten.
    void SetContext(const Contour* partContour, Contour* selectionContour, std::unique_ptr<Contour>* builtSlot,
                    CContourBuilder* builder);
    // The operation panel gives the working tab its current source contour.
    void SetReferenceSlot(std::unique_ptr<Contour>* referenceSlot) { referenceSlot_ = referenceSlot; }

    // --- what the owners call ---
    // Hides the method group, the sketch name, the surface table, the
    // allowance controls, the intermediate-faces box and the gap list.
    void HideControls();
    // Shows the method group and the controls of the build method.
    void ShowControls();
    // The tab became current: the choice is shown again, the contour rebuilt,
    // the current surface highlighted.
    void OnActivate();
    // Clears the changed flag; then as OnActivate without the highlight.
    void ShowSelection();
    // Takes a copy of the contour (or nothing) as the built contour; sets the
    // changed flag.
    void SetContour(const Contour* contour);
    // Hides every highlight the tab shows (the tab is left).
    void ClearHighlight();
    // Rebuilds the contour from the tab's settings and draws it.
    void RebuildContour() override;
    void HighlightCurrentElement();
    void UnhighlightCurrentElement();
    // The chosen sketch, or null.
    std::shared_ptr<HostSketch> GetSketch() const { return sketch_; }
    // The chosen faces: the selection contour, whose selected units are the
    // chosen surfaces in table order; null before CreateTab.
    Contour* GetSurfaces() const { return selectionContour_; }

    // --- the panel's notifications, forwarded ---
    bool FilterObject(const HostObjectPtr& object);
    // Always true.
    bool OnSelectObject(const HostObjectPtr& object);
    // `selected`: 1 selected, 0 deselected. False without a selection contour.
    bool OnSelectListItem(PropertyControl& control, int index, int selected);
    // Always true.
    bool OnChangeControlValue(PropertyControl& control);
    void OnControlCommand(PropertyControl& control, int id);

    // --- state the owners read ---
    char Kind() const { return kind_; }
    int BuildMethod() const { return buildMethod_; }
    CContourBuilder* Builder() const { return contourBuilder_; }
    const Contour* PartContour() const { return partContour_; }
    Contour* BuiltContour() const { return builtSlot_ ? builtSlot_->get() : nullptr; }
    const Contour* ReferenceContour() const { return referenceSlot_ ? referenceSlot_->get() : nullptr; }
    // Set by SetContour, cleared by ShowSelection.
    bool IsChanged() const { return changed_; }
    bool IsCommonAllowance() const { return commonAllowance_; }
    // The colours of the built contour, of the reference contour and of the surfaces.
    std::uint32_t EdgeColour() const { return edgeColour_; }
    std::uint32_t ReferenceColour() const { return referenceColour_; }
    std::uint32_t SurfaceColour() const { return surfaceColour_; }
    // The current surface (a unit of the selection contour), its table row
    // (1-based) and the current gap (-1 for none).
    CUnit* CurrentSurface() const { return currentSurface_; }
    int CurrentRow() const { return currentRow_; }
    int CurrentGap() const { return currentGap_; }
    PropertyTab* HostTab() const { return hostTab_; }

    // --- the tab's controls (null when the tab's kind has none); owned by
    // the host tab. Panels may hide them and set their captions ---
    PropertyControl* methodGroup = nullptr;
    PropertyControl* fileNameField = nullptr;
    PropertyControl* openFileGroup = nullptr;
    PropertyControl* removeLinkGroup = nullptr;
    PropertyControl* barLengthField = nullptr;
    PropertyControl* barDiameterField = nullptr;
    PropertyControl* barHoleField = nullptr;
    PropertyControl* barFaceZField = nullptr;
    PropertyControl* sketchNameField = nullptr;
    PropertyControl* reverseBox = nullptr;
    PropertyControl* surfaceTable = nullptr;  // its bar holds the clear-list button
    PropertyControl* commonAllowanceBox = nullptr;
    PropertyControl* commonAllowanceField = nullptr;
    PropertyControl* intermediateFacesBox = nullptr;
    PropertyControl* gapList = nullptr;  // its bar holds the join buttons
    PropertyControl* showPartContourBox = nullptr;
    PropertyControl* showOtherContourBox = nullptr;
    PropertyControl* showStockContourBox = nullptr;
    PropertyControl* showSurfacesBox = nullptr;

protected:
    // --- the tab's own steps ---
    void FillElementList();
    void FillGapList();
    void ShowContours();
    void DeleteBuiltContour();
    void ShowSketchControls();
    void ShowFacesControls();
    void ShowModelControls();
    void ShowBarControls();

private:
    // "%1.2f" with a point as the decimal separator.
    static std::string FormatValue(double value);
    // A number typed into a cell: what a leading number of the text reads,
    // a comma read as the decimal point ("1,5" reads 1.5); none when the text
    // starts with no number or the number is not finite.
    static std::optional<double> ReadCellNumber(const std::string& typed);
    // The 3D side of the command's document, or null.
    static HostDocument3D* Document3D();
    // Runs the changes inside the selection manager's update bracket.
    static void InUpdateBracket(const std::function<void()>& changes);
    // The position of the unit among the chosen surfaces, -1 for none.
    int ChosenPosition(const CUnit* unit) const;
    void DrawSurfaces(Contour& built);
    void CreateControls(const std::string& entryText);
    void SetNewCaptions();
    void ShowMethodView();
    void ReleaseJoinButtons();
    void SetFaceControlsVisible(bool visible);
    void SetStockControlsVisible(bool fileControls, bool barControls);
    void SelectSketch(bool select);
    void OnTableValue();
    // Refuses a table value: the old one goes back into the cell.
    void RefuseCell(int row, int column, double old, const char* message);
    // Which joins the gap offers: 1, 2 and 3 always, 4 when its neighbours
    // prolonged meet.
    static bool JoinAllowed(const CUnit& gap, int joinType);
    void OnJoinCommand(int joinType);
    // A button of the build method's group: the method it stands for.
    void OnMethodCommand(int id);
    // A row of the surfaces' table, or a gap of the gaps' list, chosen or let go.
    void OnSurfaceRowSelected(int selected);
    void OnGapSelected(int index, int selected);
    void OnOpenFile();
    void OnRemoveLink();
    void OnClearList();
    // The positions in the selection contour of the units the gap's two
    // neighbours were made from; false when either is unknown.
    bool GapPair(const CUnit& gap, int& i, int& j) const;

    ContourTabOwner* owner_ = nullptr;
    std::unique_ptr<Contour> stockDisplayContour_;
    const Contour* partContour_ = nullptr;
    Contour* selectionContour_ = nullptr;
    std::unique_ptr<Contour>* builtSlot_ = nullptr;
    std::unique_ptr<Contour>* referenceSlot_ = nullptr;
    CContourBuilder* contourBuilder_ = nullptr;
    HostObjectPtr lastPickedFace_;
    int buildMethod_ = kMethodFaces;
    bool changed_ = false;
    bool intermediateFaces_ = false;
    std::shared_ptr<HostSketch> sketch_;
    char kind_ = kStockTab;
    std::uint32_t edgeColour_ = 0, referenceColour_ = 0, surfaceColour_ = 0;
    PropertyTab* hostTab_ = nullptr;
    int currentGap_ = -1;
    int currentRow_ = 1;
    CUnit* currentSurface_ = nullptr;
    bool commonAllowance_ = false;
};

}  // namespace zarvento
