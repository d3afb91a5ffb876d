// CPanel_LSC: the panel of the plan command "Система ЧПУ". The user chooses
// the NC coordinate system (a local coordinate system of the part, picked in
// the 3D view or typed by name) and the post-processor from the installed
// ones, on a private copy of the plan data that OK assigns back.
#pragma once

#include <memory>
#include <string>

#include "panels/base_panel_3d.h"

namespace zarvento {

class CSPID;
class LocalCoordinateSystem;

class CPanel_LSC : public CBasePanel3D {
public:
    static constexpr const char* kScriptName = "lsc";
    static constexpr int kHelpTopic = 70001;
    static constexpr const char* kNotFound = "Не обнаружена ЛСК с именем";

    explicit CPanel_LSC(CSPID* planData);
    ~CPanel_LSC() override;

    bool OnButtonClick(int buttonId) override;
    bool OnChangeControlValue(PropertyControl& control) override;
    bool IsButtonEnabled(int buttonId, std::int32_t& state, std::int16_t& enabled) override;
    void OnInitPanel() override;
    void OnClosePanel() override;
    bool FilterObject(const HostObjectPtr& object) override;
    bool OnSelectObject(const HostObjectPtr& object, const Variant& value) override;

    // The entity of the model behind a picked object, or null.
    HostObjectPtr GetPickedEntity(const HostObjectPtr& object) const;

    // The panel's copy of the plan data.
    const CSPID& PlanData() const { return *copy_; }

private:
    // The object itself, or its entity, when one of them is a coordinate
    // system; null otherwise.
    HostObjectPtr CoordinateSystemOf(const HostObjectPtr& object) const;
    // Makes `lsc` the chosen system: the one it replaces is unselected and
    // leaves the pick collection.
    void Replace(const std::shared_ptr<LocalCoordinateSystem>& lsc, HostDocument3D& document);
    void ShowChosenName();
    // A name typed: the part's coordinate system of that name, if any.
    void OnNameTyped();

    // The panel's copy of the plan data.
    std::unique_ptr<CSPID> copy_;
    PropertyControl* lscNameEdit = nullptr;
    PropertyControl* postProcessorList = nullptr;
    CSPID* sourcePlanData = nullptr;
};

// Runs the panel on the plan data; 1 when OK assigned the choice to it.
int ShowPanel_LSC(CSPID& planData);

}  // namespace zarvento
