// A cost item's page of the cost estimate.
#include "reports/cost_page.h"

#include "reports/cost_dialog.h"

namespace zarvento {

CPage::CPage(CCycle_Auto& item, CDialogCalculate& dialog, int idBase)
    : CDialogParam(item, dialog, idBase), dialog_(&dialog), base_(idBase) {}

void CPage::Create() {
    FillList();
    Evaluate();
}

void CPage::Evaluate() {
    DoDataExchange();
    Cycle().CalcParameters(false);
    ShowValues();
}

}  // namespace zarvento
