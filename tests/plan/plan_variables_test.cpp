// The plan variables: constants, plan-data values, boxes, cached statistics,
// turret positions and fixtures, and the string variables.
#include <cctype>
#include <cmath>

#include "geometry/primitives.h"
#include "nc/modal_state.h"
#include "plan/plan.h"
#include "plan/plan_reports.h"
#include "plan/spid.h"
#include "plan_test_support.h"
#include "post/program_units.h"

namespace zarvento {
namespace {

// Counts its calls and answers fixed values.
class CountingReports : public PlanReports {
public:
    CountingReports() : previous_(RegisterPlanReports(this)) {}
    ~CountingReports() override { RegisterPlanReports(previous_); }
    CountingReports(const CountingReports&) = delete;
    CountingReports& operator=(const CountingReports&) = delete;

    double StockMass(CPLAN&) override { return ++stockCalls, 12.5; }
    double DetailMass(CPLAN&) override { return 7.25; }
    double Density(CPLAN&) override { return 7.85; }
    void CalculateTime(CPLAN&, double& main, double& aux) override { ++timeCalls, main = 3.5, aux = 1.25; }
    void LoadCalculateC1(CPLAN&, double& batch, double& setup) override { batch = 100, setup = 30; }

    int stockCalls = 0;
    int timeCalls = 0;

private:
    PlanReports* previous_;
};

// Whether text has the pattern's shape: '0' stands for any digit.
bool Fits(const std::string& text, const std::string& pattern) {
    if (text.size() != pattern.size()) return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = std::isdigit(static_cast<unsigned char>(text[i])) != 0;
        if (pattern[i] == '0' ? !digit : text[i] != pattern[i]) return false;
    }
    return true;
}

class PlanVariablesTest : public test::PlanTest {
protected:
    void SetUp() override {
        test::PlanTest::SetUp();
        plan = GetPLAN();
        spid = GetSPID();
        spid->Npositions = 8;
        spid->tools[1].D = 12.5;
        spid->tools[2].D = 20.0;
        spid->tools[1].r = 0.8;
        spid->tools[1].TYPE_ = 4;
        spid->tools[0].aVariables[0] = {"h", "", 32.0, "", false, 0};
        spid->tools[0].Npv = 1;
        spid->Ngadgets = 1;
        spid->gadgets[0].Lvlt = 5;
        spid->gadgets[0].CorrectX = 60;
        spid->gadgets[0].CorrectZ = -15;
        spid->gadgets[0].aVariables[0] = {"Dclamp", "", 40.0, "", false, 0};
        spid->gadgets[0].Npv = 1;
    }
    // The numeric answer; NaN for none.
    double Value(const std::string& name) {
        const double* v = plan->GetNumericVariable(name);
        return v ? *v : std::nan("");
    }

    CPLAN* plan = nullptr;
    CSPID* spid = nullptr;
};

TEST_F(PlanVariablesTest, NumericTable) {
    ModalState.frameCounter = 17;
    nINCH = 1;
    struct Case {
        const char* name;
        double value;
    };
    const double none = std::nan("");
    const Case cases[] = {
        {"M_PI", PI},
        {"_M_PI", PI},
        {"m_pi", none},
        {"_M__E", 2.718281828459045},
        {"_M_RD", 180 / PI},
        {"_M_DR", PI / 180},
        {"_NPOS", 8},
        {"_XTOP", 100},
        {"_X_WS", 100},
        {"_ZTOP", 100},
        {"_Z_WS", 100},
        {"_DSAF", 50},
        {"_ZSAF", 10},
        {"_ST_T", 0},
        {"_STBT", static_cast<double>(spid->StockBuilder().buildMethod)},
        {"_NFIX", 1},
        {"_NumStr", 17},
        {"_INCH", 1},
        {"i", none},  // outside a template loop
        {"TOOL2._DIAM", 12.5},
        {"TOOL3._DIAM", 20},
        {"TOOL2._RCOR", 0.8},
        {"TOOL2._TYPE", 4},
        {"TOOL1.h", 32},
        {"TOOL1._EXIS", 0},
        {"TOOL9._DIAM", none},
        {"TOOL0._DIAM", none},
        {"TOOL", none},
        {"TOOL1", none},
        {"TOOLx._DIAM", none},
        {"FIXT1._LVLT", 5},
        {"FIXT1._DCLM", 40},
        {"FIXT1.Dclamp", 40},
        {"FIXT1._XPOS", 60},
        {"FIXT1._YPOS", 0},
        {"FIXT1._ZPOS", -15},
        {"FIXT2._LVLT", none},
        {"unknown", none},
        {"", none},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (std::isnan(c.value)) {
            EXPECT_EQ(plan->GetNumericVariable(c.name), nullptr);
        } else {
            EXPECT_DOUBLE_EQ(Value(c.name), c.value);
        }
    }
    EXPECT_EQ(plan->PlanParameters().errorText, "");
    // Answers of one formula do not overwrite each other.
    const double* safety = plan->GetNumericVariable("_DSAF");
    const double* positions = plan->GetNumericVariable("_NPOS");
    plan->GetNumericVariable("_INCH");
    plan->GetNumericVariable("_NFIX");
    plan->GetNumericVariable("TOOL1._EXIS");
    EXPECT_EQ(*safety, 50);
    EXPECT_EQ(*positions, 8);
    spid->tools[1].sFileName = "Резец.rdp";
    EXPECT_EQ(Value("TOOL2._EXIS"), 1);
}

TEST_F(PlanVariablesTest, LoopIndexPicksTheTurretPosition) {
    ModalState.loopIndex = 3;
    EXPECT_EQ(Value("i"), 3);
    EXPECT_EQ(Value("TOOLi._DIAM"), 20);
    EXPECT_EQ(CPLAN::ParseObjectIndex("TOOLi._DIAM"), 2);
    EXPECT_EQ(CPLAN::ParseObjectIndex("TOOL12.x"), 11);
    EXPECT_EQ(CPLAN::ParseObjectIndex("TOOL 7"), 6);
    EXPECT_EQ(CPLAN::ParseObjectIndex("TOOL99999999999999.x"), 2147483646);
}

TEST_F(PlanVariablesTest, MissingParameterLeavesTheMessageAndTheCallersName) {
    const std::string tool = "TOOL2.Lmax";
    EXPECT_EQ(plan->GetNumericVariable(tool), nullptr);
    EXPECT_EQ(tool, "TOOL2.Lmax");
    EXPECT_EQ(plan->PlanParameters().errorText, "Инструмент не содержит параметра Lmax");
    EXPECT_EQ(plan->GetNumericVariable("FIXT1.Hmax"), nullptr);
    EXPECT_EQ(plan->PlanParameters().errorText, "Инструмент не содержит параметра Hmax");
    spid->gadgets[0].Npv = 0;
    EXPECT_EQ(plan->GetNumericVariable("FIXT1._DCLM"), nullptr);
    EXPECT_EQ(plan->PlanParameters().errorText, "Инструмент не содержит параметра _DCLM");
}

TEST_F(PlanVariablesTest, FormulasSeePlanVariablesBeforeThePartsAndKeepTheirNames) {
    double result = 0;
    ASSERT_TRUE(plan->PlanParameters().CalcFormula(result, "TOOL2._DIAM*2+_NPOS", true));
    EXPECT_DOUBLE_EQ(result, 33);
    plan->AddNumeric("L", 80, "длина");
    ASSERT_TRUE(plan->PlanParameters().CalcFormula(result, "MODEL.L/2", true));
    EXPECT_DOUBLE_EQ(result, 40);
    // A tool parameter that does not exist fails the formula with the plan's message.
    EXPECT_FALSE(plan->PlanParameters().CalcFormula(result, "TOOL2.nothing+1", true));
    EXPECT_EQ(plan->PlanParameters().errorText, "Инструмент не содержит параметра nothing");
}

TEST_F(PlanVariablesTest, StatisticsAreComputedOnceAndZeroWithoutReports) {
    EXPECT_EQ(Value("_MZAG"), 0);
    CountingReports reports;
    EXPECT_EQ(Value("_MZAG"), 12.5);
    EXPECT_EQ(Value("_MZAG"), 12.5);
    EXPECT_EQ(reports.stockCalls, 1);
    EXPECT_EQ(Value("_MDET"), 7.25);
    EXPECT_EQ(Value("_DENS"), 7.85);
    EXPECT_EQ(Value("_TOSN"), 3.5);
    EXPECT_EQ(Value("_TVSP"), 1.25);
    EXPECT_EQ(reports.timeCalls, 1) << "the two times are computed together";
    EXPECT_EQ(Value("_NPAR"), 100);
    EXPECT_EQ(Value("_TPZK"), 30);
}

TEST_F(PlanVariablesTest, BoxesMapToTheMinimumAndMaximumCorners) {
    std::string error;
    spid->pDetailContour = ParseContourScript(test::SteppedShaft(80, 20), &error);
    ASSERT_NE(spid->pDetailContour, nullptr) << error;
    double xmax, ymax, zmax, xmin, ymin, zmin;
    CSPID reference;
    reference.pDetailContour = spid->pDetailContour->Clone();
    reference.GetDetailExtents(xmax, ymax, zmax, xmin, ymin, zmin);
    EXPECT_DOUBLE_EQ(Value("_DTX1"), xmin);
    EXPECT_DOUBLE_EQ(Value("_DTY1"), ymin);
    EXPECT_DOUBLE_EQ(Value("_DTZ1"), zmin);
    EXPECT_DOUBLE_EQ(Value("_DTX2"), xmax);
    EXPECT_DOUBLE_EQ(Value("_DTY2"), ymax);
    EXPECT_DOUBLE_EQ(Value("_DTZ2"), zmax);
    EXPECT_LT(zmin, zmax);
    EXPECT_LT(xmin, xmax);
    EXPECT_EQ(plan->GetNumericVariable("_DTW1"), nullptr);
    EXPECT_EQ(plan->GetNumericVariable("_DTX3"), nullptr);
}

TEST_F(PlanVariablesTest, StringTable) {
    EXPECT_EQ(plan->GetStringVariable("_sPOST"), nullptr) << "no post-processor chosen";
    EXPECT_EQ(plan->GetStringVariable("_sExt"), nullptr);
    EXPECT_EQ(*plan->GetStringVariable("_sST_TYPE"), "Прокат");
    spid->nSposobStock = 4;
    EXPECT_EQ(plan->GetStringVariable("_sST_TYPE"), nullptr);
    ModalState.heldLine = "G71";
    EXPECT_EQ(*plan->GetStringVariable("_sMEMSTR"), "G71");
    EXPECT_TRUE(Fits(*plan->GetStringVariable("_sDATE"), "00-00-0000")) << *plan->GetStringVariable("_sDATE");
    EXPECT_TRUE(Fits(*plan->GetStringVariable("_sTIME"), "00:00")) << *plan->GetStringVariable("_sTIME");
    spid->tools[0].sToolName = "Резец проходной";
    spid->tools[0].sPsevName = "Резец 2102-0005 ГОСТ  18877-73";
    spid->tools[0].sComment = "2102-0005";
    EXPECT_EQ(*plan->GetStringVariable("TOOL1.sName"), "Резец проходной");
    EXPECT_EQ(*plan->GetStringVariable("TOOL1.sMark"), "2102-0005");
    EXPECT_EQ(*plan->GetStringVariable("TOOL1.sGOST"), "ГОСТ 18877-73");
    EXPECT_EQ(plan->GetStringVariable("TOOL1.sOther"), nullptr);
    EXPECT_EQ(plan->GetStringVariable("TOOL9.sName"), nullptr);
    EXPECT_EQ(plan->GetStringVariable("TOOL1"), nullptr);
    EXPECT_EQ(plan->GetStringVariable("_spost"), nullptr);
}

}  // namespace
}  // namespace zarvento
