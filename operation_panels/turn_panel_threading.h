// CTurnPanelTHREADING: the panel of a thread cut with a chisel. As the
// tap/die panel, with the profile depth (computed from the pitch for a metric
// thread, then read-only), the repetition of the thread along Z and a
// diameter display that follows the contour's changes of diameter.
//
// An operation stored with isModel takes its thread from a thread
// designation of the part: on the working tab only designations can be
// picked, and the one picked gives the working contour (from its thread
// surface), the diameter, the pitch and the depth.
#pragma once

#include "operation_panels/turn_kind_panel.h"
#include "operations/turn_threading.h"

namespace zarvento {

class CTurnPanelTHREADING : public TurnKindPanel<CTurnTHREADING> {
public:
    static constexpr int kHelpTopic = 76000;
    static constexpr int kMetricImageOff = 10141, kMetricImageOn = 10142;

    explicit CTurnPanelTHREADING(CTurnTHREADING& operation);

    static int Edit(CTurn& turn);

    void FillOperationKinds() override;
    void CreateParametersTab() override;
    void CreateCycleList() override;
    void UpdateClosingSegments() override;
    void UpdateCaption() override;
    bool OnChangeControlValue(PropertyControl& control) override;
    bool OnControlCommand(PropertyControl& control, int id) override;
    bool OnChangeTab(int tabIndex) override;
    bool OnTabStateChanged(int tabIndex) override;
    bool FilterObject(const HostObjectPtr& object) override;
    bool OnSelectObject(const HostObjectPtr& object, const Variant& value) override;

    // The display shows the diameters of the working contour; the thread
    // diameter becomes the last of them.
    void RefreshDiameter();
    // The working contour from the kept designation's thread surface, and
    // the thread values the designation gives.
    void RefreshFromDesignation();
    // The working contour from the chosen faces; a kept designation is no
    // longer shown selected.
    void RefreshFromFaces();

    double ThreadDiameter() const { return threadDiameter; }

    PropertyControl *handList = nullptr, *pitchField = nullptr, *startsField = nullptr, *depthField = nullptr,
                    *approachField = nullptr, *overrunField = nullptr, *metricBox = nullptr, *diameterField = nullptr,
                    *startShiftField = nullptr, *repeatCountField = nullptr, *repeatStepField = nullptr;

private:
    void RefreshWorkingTab();
    // The thread fields show the copy's values.
    void ShowThreadValues();
    void FollowThreadChange();
    double threadDiameter = 0.0;
};

}  // namespace zarvento
