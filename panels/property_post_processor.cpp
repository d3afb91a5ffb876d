// The dialog of a post-processor's supported cycles.
#include "panels/property_post_processor.h"

namespace zarvento {

CPropertyPostProcessor::CPropertyPostProcessor(const CPostProcessor& postProcessor)
    : HostDialog(kScriptName, kTemplate), postProcessor_(postProcessor) {
    SetTitle("Свойства постпроцессора " + postProcessor_.GetName());
    AddControl(kLabel, DialogControlKind::Static, "Поддерживаемые циклы");
    DialogControl& list = AddControl(kList, DialogControlKind::ListView);
    list.SetListStyle(true, true, false);
    list.AddColumn("Код", 60);
    list.AddColumn("Название цикла", kListWidth - 60 - 85);
    AddControl(2, DialogControlKind::Button, "Закрыть окно");
}

void CPropertyPostProcessor::OnInitDialog() {
    DialogControl& list = Control(kList);
    list.DeleteAllRows();
    if (!postProcessor_.ReadPostProcessorDescription()) return;
    for (const auto& cycle : postProcessor_.GetCycles()) list.AddRow({cycle->GetGCode(), cycle->GetName()});
}

}  // namespace zarvento
