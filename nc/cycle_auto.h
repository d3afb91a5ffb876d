// CCycle_Auto: a machine cycle. Its parameters are evaluated through its own
// variable provider, it is read from description blocks, stored under the
// operation's record, copied from post-processor definitions and writes its
// own NC text.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/contour.h"
#include "geometry/region_drawable.h"
#include "nc/cadre_cycle.h"
#include "nc/cycle_code_lists.h"
#include "nc/manufactur_feature.h"
#include "nc/parameter_source.h"

namespace zarvento {

class CCycle_Auto;

// The cycle-parameter dialog while it runs, as the panel that owns the
// edited cycle sees it.
class CycleDialogView {
public:
    virtual ~CycleDialogView() = default;
    // The dialog's working copy of the cycle, which OK copies back.
    virtual CCycle_Auto& Cycle() = 0;
    // Takes the editors' entries into the working copy.
    virtual void DoDataExchange() = 0;
    // Shows parameter i's expression in its editor again.
    virtual void UpdateParamEdit(int index) = 0;
    // Takes the entries, evaluates every parameter and shows the values.
    virtual void Recalculate() = 0;
};

// The operation panel a cycle is edited from: the cycle-parameter dialog
// tells it that it opened (command 307) and passes on the clicks and choices
// of its editors (with their control ids).
class CycleDialogOwner {
public:
    static constexpr int kDialogOpened = 307;
    virtual ~CycleDialogOwner() = default;
    virtual void OnCycleDialogCommand(CycleDialogView& dialog, int controlId) = 0;
};

class CCycle_Auto : public CCadreCycle, public ParameterSource {
public:
    // The two lines of the message for a 21st list entry in a description block.
    static constexpr const char* kListOverflow = "Переполнение списка для цикла %s.\nОшибка постпроцессора";
    static constexpr const char* kEvaluationError = "Ошибка вычисления ";
    // The parts of a parameter's fault (ParameterFault).
    static constexpr const char* kNotEvaluated = " не вычисляется: ";
    static constexpr const char* kUnknownName = "неизвестная переменная или ошибка в записи";
    static constexpr const char* kNotAnInteger = "значение не является целым числом";
    static constexpr const char* kNotFinite = ": значение не является конечным числом";
    static constexpr const char* kNotPositive = ": значение должно быть больше нуля, получено ";

    CCycle_Auto();
    ~CCycle_Auto() override;

    // --- evaluation ---
    // Evaluates every parameter in slot order; an automatic pass (a set) uses a
    // fresh provider, skips kind 'A' and stops at the first failure.
    void CalcParameters(bool automatic);
    // After CalcParameters: the first parameter that holds no usable value,
    // named with its formula and why (its formula does not evaluate, its
    // result is not a finite number, or a mandatory parameter's formula gives
    // no value above zero); empty when every one does. Mandatory parameters
    // whose text is no positive number are the missing ones
    // (GetMissingParameters), not faults. A group answers for its included
    // members.
    std::string ParameterFault();
    // The evaluated value of one parameter (evaluating it when needed), or null.
    const double* FindParameter(std::string_view name) override;
    // Chains a new provider of this cycle to the parent; a group passes the
    // call to its members.
    void SetParentParameters(PARAMETERS* parentProvider);

    // --- copies: never two owners of one object ---
    // Takes over everything of the source that a cycle copy carries; member
    // cycles are copied deeply and the sub-frames become shared with the source.
    CCycle_Auto& Copy(const CCycle_Auto& source);

    // --- storage under the parent record ---
    // Writes the record parent name + "." + GCODE (and a group's members
    // below it); false when no parameter has a value.
    bool SaveParameters(StorageRecord& parentRecord) override;
    // Reads that record, or an older layout from the parent record itself.
    bool LoadParameters(StorageRecord& parentRecord) override;
    int EditParameters() override;
    std::string GetMissingParameters() override;

    // --- description blocks of the older layout ---
    void ReadCycleDescription(std::string_view block);
    // Members of a group copied from the definitions of its post-processor.
    void CreateGroupCycles();
    void SetPostProcessorName(std::string_view name) { postProcessorName = name; }

    // --- frame slots ---
    void SetModalState() override;
    // The provider's names, and "_C_NP", the number of units of the contour
    // the template prints: a control whose roughing cycle names the blocks
    // of its profile (G71 P.. Q..) needs it before the profile is written.
    double* GetVariable(std::string_view name) override;
    int GetPositionCount() const override;
    void CreatePathFigure() override;
    void AddPathUnits(StepArray<CUnit*>&) override {}
    void AddToList(std::vector<CCadreISO*>& list) override;
    int WriteText(std::vector<std::string>& lines, int number) override;
    void Move(double dx, double dy, double dz) override;

    // --- display, simulation and statistics: passed on to the sub-frames, or
    // to the included members of a group ---
    void DrawPath2D() override;
    // The working contour with its filled region, in the cycle colour or,
    // when the cycle is selected, in the selected-cycle colour.
    void DrawPath() override;
    void HidePath() override;
    // Only mark the cycle; the next DrawPath shows the mark.
    void SelectPath() override { selected = 1; }
    void DeselectPath() override { selected = 0; }
    void GetSimulationPoints(SimulationPointList& points) override;
    void GetSimulationPoints3D(UnitPoint3DList& points) override;
    void GetTracePoints(UnitPoint3DList& points) override;
    // Without sub-frames the simulation removes the machining region at once.
    std::int32_t SimulateStep(FrameSimulation& simulation) override;
    PathStatistics GetStatistics() override;

    // The working contour's unit i, or null when it has no such unit.
    const CUnit* WorkUnit(int i) const;
    int WorkUnitCount() const { return workContour ? workContour->Count() : 0; }

    // Six texts.
    std::string postProcessorName;
    std::string cycleVariables;  // the operation's cycle variables, written into the CYCLE line
    std::string toolDemands;     // TOOL_DEMANDS
    std::string profilDemands;   // PROFIL_DEMANDS
    std::string trajectory;      // TRAJECTORY
    std::string spareText;
    // The working contour, the machining region and the contour a template
    // prints unit by unit.
    std::unique_ptr<Contour> workContour;
    std::unique_ptr<Contour> secondContour;
    std::unique_ptr<Contour> printContour;
    // How far the cycle's start point stands off its line in X (the thread
    // line's start X less the start point's X); set by the operation that
    // made the frame, 0 in a definition and where the start lies on the line.
    double retractValue = 0.0;
    // The working contour's filled region in the 3D view, made on first drawing.
    std::unique_ptr<RegionDrawable> region;
    std::vector<std::string> textList;
    std::vector<std::unique_ptr<CCycle_Auto>> members;
    std::vector<std::string> entryList;  // filled by the newer description reader
    std::int32_t counter = 0;
    std::uint8_t included = 1;       // a group writes and lists only included members
    std::uint8_t automaticPass = 0;  // set while an automatic pass runs
    std::uint8_t selected = 0;
    // The printed contour's first block writes every word, changed or not: a
    // roughing cycle's profile that turns back across the axis needs its P
    // block to name both axes (a G71 of type II). Set by the operation.
    std::uint8_t statePrintStart = 0;
    // A definition's template, shared by the definition and its copies.
    std::shared_ptr<const CycleCodeLists> cycleTemplate;
    std::unique_ptr<MANUFACTUR_FEATURE> provider;
    PARAMETERS* parentProvider = nullptr;  // not owned
    // The panel the cycle is being edited from, or null; not owned, and never
    // copied: a copy belongs to no panel.
    CycleDialogOwner* ownerPanel = nullptr;

private:
    // One slot of a pass, with the stack of formulas under evaluation reset.
    bool EvaluateSlot(CycleParameter& p, const std::string& formula, double& result);
    int WriteBuiltInText(std::vector<std::string>& lines, int number);
    int WriteWithTemplate(std::vector<std::string>& lines, int number);
    // The feature record of the provider, made when missing.
    MANUFACTUR_FEATURE::FeatureRecord& FeatureRecord();

    double printUnitCount_ = 0.0;  // the value behind "_C_NP"
};

// Hooks the parameter dialog in; without one EditParameters answers 0 (cancel).
using CycleDialogRunner = int (*)(CCycle_Auto& cycle);
CycleDialogRunner RegisterCycleDialogRunner(CycleDialogRunner runner);

}  // namespace zarvento
