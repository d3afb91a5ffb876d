// The NC coordinate-system and post-processor panel.
#include "panels/panel_lsc.h"
#include "panels/control_events.h"

#include "plan/spid.h"
#include "platform/core/host_major_version.h"
#include "platform/core/messages.h"
#include "platform/drawings/local_coordinate_system.h"
#include "platform/host/object_queries.h"
#include "platform/processes/help_calls.h"

namespace zarvento {

CPanel_LSC::CPanel_LSC(CSPID* planData)
    : CBasePanel3D(kScriptName), copy_(std::make_unique<CSPID>()), sourcePlanData(planData) {
    *copy_ = *planData;
}

CPanel_LSC::~CPanel_LSC() = default;

int ShowPanel_LSC(CSPID& planData) {
    auto panel = std::make_unique<CPanel_LSC>(&planData);
    return panel->ShowModal();
}

HostObjectPtr CPanel_LSC::GetPickedEntity(const HostObjectPtr& object) const { return PickedEntity(object); }

HostObjectPtr CPanel_LSC::CoordinateSystemOf(const HostObjectPtr& object) const {
    if (!object) return nullptr;
    if (IsObjectOfType(object, kObjectTypeCoordinateSystem)) return object;
    HostObjectPtr entity = GetPickedEntity(object);
    return entity && IsObjectOfType(entity, kObjectTypeCoordinateSystem) ? entity : nullptr;
}

void CPanel_LSC::ShowChosenName() {
    lscNameEdit->SetValue(Variant::BStr(copy_->pLSC ? copy_->pLSC->Name() : std::string()));
}

void CPanel_LSC::Replace(const std::shared_ptr<LocalCoordinateSystem>& lsc, HostDocument3D& document) {
    const std::shared_ptr<LocalCoordinateSystem> old = copy_->pLSC;
    if (old && old != lsc) {
        document.Selection()->Unselect(old);
        // A system that is no longer chosen leaves the pick collection too, so
        // that picking it again chooses it instead of dropping it.
        document.Picks().Remove(old);
    }
    copy_->pLSC = lsc;
}

void CPanel_LSC::OnInitPanel() {
    propertyManager->SetCaption("Система координат ЧПУ");
    propertyManager->Setup(3);
    propertyManager->TabsSetup(0);

    PropertyTab& tab = propertyManager->AddTab("Система ЧПУ");
    tab.SetImage(HostImage::Library(1030));
    tab.SetExpanded(true);
    tab.SetCurrent();

    lscNameEdit = &tab.AddControl(PropertyControlKind::TextEdit);
    lscNameEdit->SetCaption("Система координат ЧПУ");
    lscNameEdit->SetHint("Система координат ЧПУ");
    lscNameEdit->SetTip("Система координат ЧПУ");
    lscNameEdit->SetHelpTopic(kHelpTopic);
    lscNameEdit->Setup(0);
    lscNameEdit->SetWidth(20);

    tab.AddControl(PropertyControlKind::Empty);

    postProcessorList = &tab.AddControl(PropertyControlKind::DropDownList);
    postProcessorList->SetCaption("Система ЧПУ (постпроцессор)");
    postProcessorList->SetHint("Система ЧПУ (постпроцессор)");
    postProcessorList->SetTip("Система ЧПУ (постпроцессор)");
    postProcessorList->SetHelpTopic(kHelpTopic);
    const CPostProcessorsList& installed = copy_->PostProcessors();
    for (int i = 0; i < installed.Count(); ++i) postProcessorList->AddItem(installed.GetName(i));
    postProcessorList->Setup(1);
    postProcessorList->SetWidth(30);
    postProcessorList->SetValue(Variant::BStr(copy_->sNamePostProcessor));

    HostDocument3D& document = CommandDocument3D();
    document.Picks().Clear();
    document.SecondHighlights().Clear();
    pickingProcess->SetName("Укажите систему координат ЧПУ");
    if (copy_->pLSC) {
        ShowChosenName();
        document.Selection()->Select(copy_->pLSC);
    }
    if (HostMajorVersion() >= 17) {
        lscNameEdit->SetCaption("Система координат");
        postProcessorList->SetCaption("Система ЧПУ");
        propertyManager->SetCaption("Выбор системы ЧПУ (постпроцессора)");
    }
}

bool CPanel_LSC::FilterObject(const HostObjectPtr& object) {
    // After OK or Cancel a late pick changes nothing, so every object may go.
    if (result != 0) return true;
    return CoordinateSystemOf(object) != nullptr;
}

bool CPanel_LSC::OnSelectObject(const HostObjectPtr& object, const Variant&) {
    if (result != 0) return true;
    const HostObjectPtr picked = CoordinateSystemOf(object);
    if (!picked) return true;
    HostDocument3D& document = CommandDocument3D();
    if (!document.Picks().Contains(picked)) {
        document.Picks().Add(picked);
        Replace(ConvertToCoordinateSystem(picked), document);
        if (copy_->pLSC) ShowChosenName();
    } else {
        // The chosen system picked again: nothing is chosen.
        document.Picks().Remove(picked);
        copy_->pLSC = nullptr;
        lscNameEdit->SetValue(Variant::BStr({}));
    }
    return true;
}

bool CPanel_LSC::OnChangeControlValue(PropertyControl& control) {
    using Self = CPanel_LSC;
    static constexpr ControlEvents<Self> kRows[] = {
        {&Self::lscNameEdit, [](Self& p, PropertyControl&) { p.OnNameTyped(); }},
        {&Self::postProcessorList,
         [](Self& p, PropertyControl&) {
             p.copy_->sNamePostProcessor = p.postProcessorList->Value().ToBStr();
             p.copy_->CheckPostProcessor();
         }},
    };
    DispatchControlEvent(kRows, *this, control);
    return true;
}

void CPanel_LSC::OnNameTyped() {
    const std::string name = lscNameEdit->Value().ToBStr();
    HostDocument3D& document = CommandDocument3D();
    for (const HostObjectPtr& entity : document.TopPartEntities(kObjectTypeCoordinateSystem)) {
        if (entity->Name() != name) continue;
        document.Picks().Add(entity);
        const std::shared_ptr<LocalCoordinateSystem> lsc = ConvertToCoordinateSystem(entity);
        Replace(lsc, document);
        if (lsc) document.Selection()->Select(lsc);
        ShowChosenName();
        return;
    }
    ShowMessageBox(std::string(kNotFound) + "\"" + name + "\"");
    ShowChosenName();
}

bool CPanel_LSC::IsButtonEnabled(int buttonId, std::int32_t&, std::int16_t& enabled) {
    enabled = buttonId == kPanelButtonOK && !copy_->pLSC ? 0 : 1;
    return true;
}

bool CPanel_LSC::OnButtonClick(int buttonId) {
    if (result == 1) return true;
    switch (buttonId) {
        case kPanelButtonOK:
            result = 1;
            *sourcePlanData = *copy_;
            EndHostProcess(1, 0);
            break;
        case kPanelButtonCancel:
            result = 2;
            EndHostProcess(1, 0);
            break;
        case kPanelButtonHelp: OpenHelp(1); break;
        default: break;
    }
    return true;
}

void CPanel_LSC::OnClosePanel() {
    HostDocument3D& document = CommandDocument3D();
    document.Picks().Clear();
    document.SecondHighlights().Clear();
}

}  // namespace zarvento
