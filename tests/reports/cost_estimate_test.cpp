// The cost estimate: its items and their formulas, the lookup across items,
// the tools page, the change of tab, OK and Cancel, and the batch values the
// plan reads from the stored item 1.
#include <gtest/gtest.h>

#include <cmath>

#include "catalogs/param_tool.h"
#include "geometry/number_format.h"
#include "operations/turn.h"
#include "plan/plan.h"
#include "plan/spid.h"
#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "platform/documents/host_record.h"
#include "platform/documents/host_storage.h"
#include "platform/documents/host_storages.h"
#include "platform/documents/storage_record.h"
#include "reports/cost_dialog.h"
#include "tests/reports/cost_test_support.h"

namespace zarvento::test {
namespace {

class CostEstimateTest : public ReportsTest {
protected:
    // The value of a parameter on its page, or NaN when it failed.
    static double Value(CDialogCalculate& dialog, int tab, const char* name) {
        const double* v = dialog.ItemPage(tab)->Cycle().FindParameter(name);
        return v ? *v : std::nan("");
    }
    // The value column of a page's row.
    static std::string Shown(CDialogCalculate& dialog, int tab, int row) {
        return dialog.Control(CDialogCalculate::PageBase(tab) + CDialogParam::kList).Cell(row, 3);
    }
    // Types into an edit of a page, as the user does.
    static void Type(CDialogCalculate& dialog, int id, const std::string& text) {
        ASSERT_TRUE(dialog.UserSetValue(id, text).done) << id;
    }
    static std::vector<std::string> CostRecords() {
        std::vector<std::string> names;
        for (const auto& r : ActiveHostDocument()->Storages().Items().front()->Records())
            if (r->Name().rfind("Zarvento.C", 0) == 0) names.push_back(r->Name());
        return names;
    }
};

TEST_F(CostEstimateTest, ItemsReproduceTheWorkedExample) {
    MakePlan("ISO_Lathe");
    Run("part density=7.85\n");
    CDialogCalculate dialog(*GetPLAN(), *GetSPID());
    dialog.OnInitDialog();
    EXPECT_EQ(dialog.ItemPage(0)->Cycle().GetGCode(), "С1");
    EXPECT_EQ(dialog.ItemPage(4)->Cycle().GetType(), "Calculate");
    const double T = Value(dialog, 0, "Ts_k");
    const double main = *GetPLAN()->GetNumericVariable("_TOSN");
    EXPECT_NEAR(T, main + *GetPLAN()->GetNumericVariable("_TVSP") + 30.0 / 500.0, 1e-9);
    EXPECT_NEAR(Value(dialog, 2, "Cosn"), T * 350 * 1.25 / 60, 1e-9);
    EXPECT_NEAR(Value(dialog, 2, "Czrp"), T * 350 * 1.25 / 60 * 1.15 * 2.305, 1e-9);
    EXPECT_NEAR(Value(dialog, 4, "A_ob"), 1150, 1e-9);
    EXPECT_NEAR(Value(dialog, 4, "A_in"), 70, 1e-9);
    EXPECT_NEAR(Value(dialog, 4, "C_el"), 80.4195, 1e-9);
    EXPECT_NEAR(Value(dialog, 4, "C_ob_year"), 1385.4195, 1e-9);
    EXPECT_NEAR(Value(dialog, 4, "Cobr"), 1000 * 1385.4195 * T / 2070 / 60, 1e-9);
    EXPECT_NEAR(Value(dialog, 5, "С_ceh"), 1800, 1e-9);
    EXPECT_NEAR(Value(dialog, 5, "С_soc"), 195.75, 1e-9);
    EXPECT_NEAR(Value(dialog, 5, "C_zrp"), 1995.75, 1e-9);
    EXPECT_NEAR(Value(dialog, 5, "F_dceh"), 10350, 1e-9);
    EXPECT_NEAR(Value(dialog, 5, "C_ceh_year"), 2380.75, 1e-9);
    EXPECT_NEAR(Value(dialog, 5, "Cceh"), 1000 * 2380.75 * T / 10350 / 60, 1e-9);
    // Item 7 sums the others and the tools page.
    const double tools = dialog.ToolsPage().total;
    const double sum = Value(dialog, 1, "Cmat") + Value(dialog, 2, "Czrp") + tools + Value(dialog, 4, "Cobr") +
                       Value(dialog, 5, "Cceh");
    EXPECT_NEAR(Value(dialog, 6, "Csum"), sum, 1e-9);
    EXPECT_NEAR(Value(dialog, 6, "CsumN"), sum * 500 / 1000, 1e-9);
    EXPECT_EQ(Shown(dialog, 4, 12), "80.419 ");
    EXPECT_EQ(dialog.Control(CDialogCalculate::PageBase(4) + CDialogParam::kList).Row(12)[1],
              " Cтоимость годового расхода электроэнергии, тыс. руб");
}

TEST_F(CostEstimateTest, ZeroBatchGivesErrorDownTheChain) {
    MakePlan("ISO_Lathe");
    CDialogCalculate dialog(*GetPLAN(), *GetSPID());
    dialog.OnInitDialog();
    Type(dialog, CDialogCalculate::PageBase(0) + 200 + 3, "0");  // _NPAR
    ASSERT_TRUE(dialog.UserOpenPage(CDialogCalculate::kTabs, 2).done);
    EXPECT_EQ(Shown(dialog, 0, 3), "0 ");
    EXPECT_EQ(Shown(dialog, 0, 5), "Error");   // Ts_k
    EXPECT_EQ(Shown(dialog, 2, 5), "Error");   // Cosn
    EXPECT_EQ(Shown(dialog, 2, 8), "Error");   // Czrp
    EXPECT_EQ(Shown(dialog, 4, 14), "Error");  // Cobr
    EXPECT_EQ(Shown(dialog, 5, 10), "Error");  // Cceh
    EXPECT_EQ(Shown(dialog, 6, 5), "Error");   // Csum
    EXPECT_EQ(Shown(dialog, 6, 6), "Error");   // CsumN
    EXPECT_NE(Shown(dialog, 4, 12), "Error");  // C_el does not depend on it
}

TEST_F(CostEstimateTest, TabChangeReevaluatesAndTheLastTabIsRemembered) {
    MakePlan("ISO_Lathe");
    double cehBefore = 0.0;
    {
        CDialogCalculate dialog(*GetPLAN(), *GetSPID());
        ScriptedUser::Instance().Queue(DialogSteps("costs", {{"page", "100", "4"},
                                                             {"set", "5208", "3000"},  // Fd
                                                             {"page", "100", "5"},
                                                             {"cancel"}}));
        cehBefore = 0.0;
        dialog.OnInitDialog();
        cehBefore = Value(dialog, 5, "Cceh");
        // The page of another tab cannot be typed into.
        EXPECT_FALSE(dialog.UserSetValue(CDialogCalculate::PageBase(4) + 208, "3000").done);
    }
    CDialogCalculate dialog(*GetPLAN(), *GetSPID());
    EXPECT_EQ(dialog.DoModal(), 2);
    EXPECT_NEAR(Value(dialog, 5, "F_dceh"), 15000, 1e-9);
    EXPECT_NEAR(Value(dialog, 5, "Cceh"), cehBefore * 10350 / 15000, 1e-9);
    EXPECT_EQ(CDialogCalculate::LastTab(), 5);
    CDialogCalculate again(*GetPLAN(), *GetSPID());
    again.OnInitDialog();
    EXPECT_EQ(again.Control(CDialogCalculate::kTabs).CurrentPage(), 5);
    EXPECT_EQ(again.Control(CDialogCalculate::kTabs).Pages()[5], "  Общецеховые расходы  ");
    EXPECT_TRUE(again.Control(CDialogCalculate::PageBase(5) + CDialogParam::kList).Visible());
    EXPECT_FALSE(again.Control(CDialogCalculate::PageBase(0) + CDialogParam::kList).Visible());
}

TEST_F(CostEstimateTest, OkStoresTheItemsAndTheToolsCancelNothing) {
    MakePlan("ISO_Lathe");
    CPLAN& plan = *GetPLAN();
    // Without records the plan's batch values are the item's defaults.
    EXPECT_DOUBLE_EQ(*plan.GetNumericVariable("_NPAR"), 500);
    EXPECT_DOUBLE_EQ(*plan.GetNumericVariable("_TPZK"), 30);
    const double price = GetSPID()->GetTool(0)->Cins;
    const std::vector<std::vector<std::string>> edits = {
        {"set", "1203", "100*2.5"}, {"set", "1204", "45"}, {"page", "100", "3"}, {"set", "4400", "12,5"}};
    ScriptedUser::Instance().Queue(DialogSteps("costs", edits));
    {
        CDialogCalculate dialog(plan, *GetSPID());
        dialog.DoModal();
    }
    EXPECT_TRUE(CostRecords().empty());
    EXPECT_DOUBLE_EQ(GetSPID()->GetTool(0)->Cins, price);
    EXPECT_DOUBLE_EQ(*plan.GetNumericVariable("_NPAR"), 500);

    // The dialog opens on the tab chosen last: the tools.
    std::vector<std::vector<std::string>> accepted = {{"page", "100", "0"}};
    accepted.insert(accepted.end(), edits.begin(), edits.end());
    accepted.push_back({"ok"});
    ScriptedUser::Instance().Queue(DialogSteps("costs", accepted));
    {
        CDialogCalculate dialog(plan, *GetSPID());
        EXPECT_EQ(dialog.DoModal(), 1);
    }
    EXPECT_EQ(CostRecords(), (std::vector<std::string>{"Zarvento.C1", "Zarvento.C2", "Zarvento.C3", "Zarvento.C5",
                                                       "Zarvento.C6", "Zarvento.C7"}));
    // A decimal comma is a decimal point.
    EXPECT_DOUBLE_EQ(GetSPID()->GetTool(0)->Cins, 12.5);
    ParamTool stored;
    ASSERT_TRUE(stored.Load(ParamTool::ToolRecordName(0)));
    EXPECT_DOUBLE_EQ(stored.Cins, 12.5);
    EXPECT_DOUBLE_EQ(*plan.GetNumericVariable("_NPAR"), 250);
    EXPECT_DOUBLE_EQ(*plan.GetNumericVariable("_TPZK"), 45);
    // The next estimate reads them back.
    CDialogCalculate reread(plan, *GetSPID());
    EXPECT_DOUBLE_EQ(Value(reread, 0, "_NPAR"), 250);
    plan.SetBatchValues(0, 0);
    EXPECT_DOUBLE_EQ(*plan.GetNumericVariable("_NPAR"), 250);
}

// The order OK writes in: items 1 to 3, the tools, items 5 to 7. A record
// that cannot be added stops the writing, so what stands in the document
// after the 4th or the 5th addition failed shows the order: the plan's one
// named tool is the 4th.
TEST_F(CostEstimateTest, OkWritesTheToolsBetweenItem3AndItem5) {
    MakePlan("ISO_Lathe");
    for (const int added : {3, 4}) {
        SCOPED_TRACE(added);
        CDialogCalculate dialog(*GetPLAN(), *GetSPID());
        dialog.OnInitDialog();
        HostFaults::Arm("HostStorage.AddRecord", E_FAIL_, added);
        try {
            dialog.UserClick(1);
        } catch (const HostError&) {
        }
        HostFaults::Clear();
        EXPECT_EQ(CostRecords(), (std::vector<std::string>{"Zarvento.C1", "Zarvento.C2", "Zarvento.C3"}));
        EXPECT_EQ(ParamTool().Load(ParamTool::ToolRecordName(0)), added == 4);
        for (const std::string& name : CostRecords()) StorageRecord().Remove(name);
    }
}

TEST_F(CostEstimateTest, ToolsPageRowsCostsAndEdits) {
    MakePlan("ISO_Lathe");
    // A second tool that no operation uses.
    GetSPID()->GetTool(1)->sToolName = "Резец чистовой";
    CDialogCalculate dialog(*GetPLAN(), *GetSPID());
    dialog.OnInitDialog();
    const int base = CDialogCalculate::PageBase(CDialogCalculate::kToolsPage);
    const DialogControl& list = dialog.Control(base + CPageInst::kList);
    ASSERT_EQ(list.RowCount(), 2);
    const auto& rows = dialog.ToolsPage().Rows();
    const double work = rows[0].workTime;
    EXPECT_GT(work, 0.0);
    EXPECT_EQ(list.Cell(0, 2), FormatFixed(work, 2));
    EXPECT_EQ(list.Cell(0, 3), FormatFixed(60.0 / work, 2));  // parts per tool life
    EXPECT_EQ(list.Cell(0, 6), FormatFixed(work * 10.0 / 60.0, 2));
    EXPECT_EQ(list.Row(1), (std::vector<std::string>{"2", "Резец чистовой", "0.00", "0.00", "3500", "10", "0.00"}));
    EXPECT_EQ(dialog.Control(base + 400).Text(), "3500");
    EXPECT_EQ(dialog.Control(base + 501).Text(), "10");
    dialog.UserOpenPage(CDialogCalculate::kTabs, CDialogCalculate::kToolsPage);
    Type(dialog, base + 500, "60");
    EXPECT_EQ(list.Cell(0, 6), FormatFixed(work, 2));
    EXPECT_EQ(dialog.Control(base + CPageInst::kTotal).Text(), " " + FormatFixed(work, 2));
    // Item 7 sees the new total once the tab changes.
    dialog.UserOpenPage(CDialogCalculate::kTabs, 6);
    EXPECT_NEAR(Value(dialog, 6, "Cins_"), work, 1e-9);
    // A tool life of 0 wears nothing rather than dividing by it.
    dynamic_cast<CTurn&>(*GetPLAN()->GetTurn(0)).TT = 0.0;
    dialog.ToolsPage().CalculateCosts();
    dialog.ToolsPage().ShowCosts();
    EXPECT_EQ(list.Cell(0, 3), "0.00");
}

TEST_F(CostEstimateTest, PlanWithoutNamedToolsHasAnEmptyToolsPage) {
    MakePart();
    CDialogCalculate dialog(*GetPLAN(), *GetSPID());
    dialog.OnInitDialog();
    const int base = CDialogCalculate::PageBase(CDialogCalculate::kToolsPage);
    EXPECT_EQ(dialog.Control(base + CPageInst::kList).RowCount(), 0);
    EXPECT_EQ(dialog.Control(base + CPageInst::kTotal).Text(), " 0.00");
    EXPECT_DOUBLE_EQ(Value(dialog, 6, "Cins_"), 0.0);
}

}  // namespace
}  // namespace zarvento::test
