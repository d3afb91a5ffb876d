// The provider chain frame or cycle -> operation -> plan -> part, and the
// part variables' "MODEL." and "MTRL." lookups.
#include <map>
#include <memory>
#include <string>

#include "nc/calculate_parameters.h"
#include "nc/code_parameters.h"
#include "nc/detail_parameters.h"
#include "nc/manufactur_feature.h"
#include "nc/operation_parameters.h"
#include "nc/plan_parameters.h"
#include "nc_test_support.h"
#include "test_support.h"

namespace zarvento {
namespace {

using Values = std::map<std::string, double, std::less<>>;
using Texts = std::map<std::string, std::string, std::less<>>;

template <typename Map>
auto Find(Map& map, std::string_view name) -> decltype(&map.begin()->second) {
    auto it = map.find(name);
    return it == map.end() ? nullptr : &it->second;
}

class TestFrame : public CODE_PARAMETERS {
public:
    Values own;

protected:
    const double* GetVariable(std::string_view name) override { return Find(own, name); }
};

class TestCycle : public ParameterSource {
public:
    Values own;
    const double* FindParameter(std::string_view name) override { return Find(own, name); }
};

class TestOperation : public OPERATION_PARAMETERS {
public:
    using OPERATION_PARAMETERS::OPERATION_PARAMETERS;
    Values own;
    Texts texts;
    const double* GetTurnParameter(std::string_view name) override { return Find(own, name); }
    const std::string* GetTurnStringParameter(std::string_view name) override { return Find(texts, name); }
};

class TestPlan : public PLAN_PARAMETERS {
public:
    using PLAN_PARAMETERS::PLAN_PARAMETERS;
    Values own;
    Texts texts;
    const double* GetPlanParameter(std::string_view name) override { return Find(own, name); }
    const std::string* GetPlanStringParameter(std::string_view name) override { return Find(texts, name); }
};

class TestCost : public CALCULATE_PARAMETERS {
public:
    using CALCULATE_PARAMETERS::CALCULATE_PARAMETERS;
    Values items;
    Values page;

protected:
    const double* FindCostItemParameter(std::string_view name) override { return Find(items, name); }
    const double* FindCostPageValue(std::string_view name) override { return Find(page, name); }
};

// One chain as a plan builds it: the plan's provider asks the part, the
// operation the plan, frames and cycles the operation.
class ChainTest : public test::CleanStateTest {
protected:
    ChainTest() : plan(&part), operation(&plan), feature(&cycle, &operation) {
        frame.parent = &operation;
        part.AddNumeric("Mass", 2.5, "Масса детали, кг");
        part.AddString("Name", "Вал", "Наименование детали");
        plan.own = {{"V", 3}, {"_TOSN", 12}};
        plan.texts = {{"_sPOST", "Fanuc"}};
        operation.own = {{"V", 2}, {"F", 0.2}};
        operation.texts = {{"_sName", "Точение"}};
        frame.own = {{"V", 1}, {"_X1", -20}};
        cycle.own = {{"F", 0.15}};
    }

    double Eval(PARAMETERS& provider, std::string_view formula) {
        double result = 0;
        EXPECT_TRUE(provider.CalcFormula(result, formula, true)) << formula;
        return result;
    }

    DETAIL_PARAMETERS part;
    TestPlan plan;
    TestOperation operation;
    TestFrame frame;
    TestCycle cycle;
    MANUFACTUR_FEATURE feature;
};

TEST_F(ChainTest, InnermostDefinitionHidesTheOuterOnes) {
    EXPECT_EQ(Eval(frame, "V"), 1);
    EXPECT_EQ(Eval(operation, "V"), 2);
    EXPECT_EQ(Eval(plan, "V"), 3);
    EXPECT_EQ(Eval(frame, "F*100 + _TOSN + MODEL.Mass*2"), 20 + 12 + 5);
    // A cycle parameter named like an operation variable hides it.
    EXPECT_DOUBLE_EQ(Eval(feature, "F"), 0.15);
    EXPECT_EQ(Eval(feature, "V"), 2);
    // Names are case-sensitive all the way out.
    double result = 0;
    EXPECT_FALSE(frame.CalcFormula(result, "v", true));
    EXPECT_FALSE(frame.CalcFormula(result, "model.Mass", true));
}

TEST_F(ChainTest, StringsComeFromOperationPlanAndPart) {
    ASSERT_NE(frame.GetStringParameter("_sName"), nullptr);
    EXPECT_EQ(*frame.GetStringParameter("_sName"), "Точение");
    EXPECT_EQ(*feature.GetStringParameter("_sPOST"), "Fanuc");
    EXPECT_EQ(*operation.GetStringParameter("MODEL.Name"), "Вал");
    EXPECT_EQ(frame.GetStringParameter("MODEL.Mass"), nullptr);  // numeric entries are no texts
    TestFrame lone;
    EXPECT_EQ(lone.GetStringParameter("_sName"), nullptr);
}

TEST_F(ChainTest, FeatureNamesNeedTheRecordAndAreExact) {
    // Without a record "_FT" goes on to the extra provider and the parent.
    EXPECT_EQ(feature.GetParameter("_HOLE"), nullptr);
    operation.own["_FT"] = 5;
    EXPECT_EQ(Eval(feature, "_FT"), 5);
    auto extra = std::make_unique<test::VariableTable>();
    extra->values["_FT"] = 6;
    feature.extraProvider = std::move(extra);
    EXPECT_EQ(Eval(feature, "_FT"), 6);

    feature.featureRecord = std::make_unique<MANUFACTUR_FEATURE::FeatureRecord>();
    for (int i = 0; i < MANUFACTUR_FEATURE::kFeatureFields; ++i) (*feature.featureRecord)[i] = 100 + i;
    const std::pair<const char*, double> names[] = {
        {"_FT", 100},           {"_FX", 101},         {"_FY", 102},
        {"_FZ", 103},           {"_FD", 104},         {"_FL", 105},
        {"_FW", 106},           {"_FH", 107},         {"_FA", 108},
        {"_FB", 109},           {"_FR", 110},         {"_Fd", 111},
        {"_C_N", 112},          {"_HOLE", 10},        {"_POCKET_RECT", 31},
        {"_POCKET_CIRC", 32},   {"_POCKET_SLOT", 33}, {"_POCKET_CIRCSLOT", 34},
        {"_FACE_RECT", 41},     {"_FACE_CIRC", 42},   {"_FACE_SLOT", 43},
        {"_FACE_CIRCSLOT", 44},
    };
    for (const auto& [name, value] : names) EXPECT_EQ(Eval(feature, name), value) << name;
    // The cycle's own parameter still comes first; fields 13-16 stay hidden.
    cycle.own["_FX"] = -1;
    EXPECT_EQ(Eval(feature, "_FX"), -1);
    EXPECT_EQ(feature.GetParameter("_F13"), nullptr);
    EXPECT_EQ(feature.GetParameter("_fd"), nullptr);
}

TEST_F(ChainTest, AddressWordAnswersAfterTheWholeChain) {
    test::FakePostLinks links;
    links.words = {{"X", 12.5}, {"V", 99}};
    EXPECT_EQ(Eval(frame, "X"), 12.5);
    EXPECT_EQ(Eval(frame, "V"), 1);
    frame.own.erase("V");
    operation.own.erase("V");
    plan.own.erase("V");
    EXPECT_EQ(Eval(frame, "V"), 99);
    TestFrame lone;
    EXPECT_EQ(Eval(lone, "X"), 12.5);
    // Only frames read address words.
    EXPECT_EQ(operation.GetParameter("X"), nullptr);
    EXPECT_EQ(feature.GetParameter("X"), nullptr);
}

TEST_F(ChainTest, CostProviderIsSilentWhileAnErrorIsRecorded) {
    TestCost cost(&plan);
    cost.items = {{"T1", 4}};
    cost.page = {{"T1", 5}, {"K", 7}};
    EXPECT_EQ(Eval(cost, "T1 + K + V"), 4 + 7 + 3);
    FormulaErrorText = kFormulaCyclicDependency;
    EXPECT_EQ(cost.GetParameter("T1"), nullptr);
    EXPECT_EQ(cost.GetParameter("V"), nullptr);
    FormulaErrorText.clear();
    EXPECT_NE(cost.GetParameter("V"), nullptr);
}

class PartVariablesTest : public test::CleanStateTest {
protected:
    DETAIL_PARAMETERS part;
};

TEST_F(PartVariablesTest, AddRulesKeepTheFirstEntry) {
    EXPECT_NE(part.AddModelVariable("Mass", 0.0, "from the model"), nullptr);  // no tests for model variables
    EXPECT_EQ(part.AddNumeric("Mass", 3.0, "Масса детали, кг"), nullptr);
    EXPECT_EQ(part.AddNumeric("Zero", 0.0, ""), nullptr);
    EXPECT_EQ(part.AddNumeric("Tiny", 1e-6, ""), nullptr);
    EXPECT_EQ(part.AddNumeric("Negative", -2.0, ""), nullptr);
    EXPECT_EQ(part.AddString("Empty", "", ""), nullptr);
    EXPECT_NE(part.AddString("Material", "Сталь 40Х", "Материал"), nullptr);
    EXPECT_EQ(part.AddNumeric("Material", 5.0, ""), nullptr);  // names are shared by both kinds
    EXPECT_TRUE(part.FindVariable("Mass"));
    EXPECT_FALSE(part.FindVariable("Zero"));
    ASSERT_EQ(part.Variables().size(), 2u);
    EXPECT_EQ(*part.GetParameter("MODEL.Mass"), 0.0);
    EXPECT_EQ(part.GetParameter("MODEL.Zero"), nullptr);
    EXPECT_EQ(part.GetParameter("MODEL.Material"), nullptr);
    EXPECT_EQ(*part.GetStringParameter("MODEL.Material"), "Сталь 40Х");
    part.ClearVariables();
    EXPECT_EQ(part.GetParameter("MODEL.Mass"), nullptr);
}

TEST_F(PartVariablesTest, ToleranceNamesAnswerOnlyTheirExactForm) {
    PartVariable* l1 = part.AddNumeric("L1", 40.0, "линейный размер");
    ASSERT_NE(l1, nullptr);
    DETAIL_PARAMETERS::AttachTolerance(*l1, -0.1, 0.05);
    part.AddNumeric("L10", 7.0, "линейный размер");
    EXPECT_EQ(l1->tolerance->dimension, l1);
    EXPECT_EQ(l1->tolerance->t.description, "допуск");
    const std::pair<const char*, double> known[] = {
        {"MODEL.L1", 40}, {"MODEL.L1.t", 0.15}, {"MODEL.L1.h", 0.05}, {"MODEL.L1.l", -0.1}, {"MODEL.L10", 7},
    };
    for (const auto& [name, value] : known) {
        ASSERT_NE(part.GetParameter(name), nullptr) << name;
        EXPECT_NEAR(*part.GetParameter(name), value, 1e-12) << name;
    }
    for (const char* unknown : {"MODEL.L1.x", "MODEL.L1.", "MODEL.L1.tt", "MODEL.L1xt", "MODEL.L10.t", "L1", "MODEL."})
        EXPECT_EQ(part.GetParameter(unknown), nullptr) << unknown;
    double result = 0;
    EXPECT_TRUE(part.CalcFormula(result, "MODEL.L1 + MODEL.L1.t", true));
    EXPECT_NEAR(result, 40.15, 1e-12);
}

TEST_F(PartVariablesTest, MaterialNamesReadTheRecord) {
    part.material->Cr = 0.95;
    part.material->sGroup = "Сталь конструкционная";
    EXPECT_EQ(*part.GetParameter("MTRL.Cr"), 0.95);
    EXPECT_EQ(*part.GetParameter("MTRL.HB"), 0.0);
    EXPECT_EQ(part.GetParameter("MTRL.Xx"), nullptr);
    EXPECT_EQ(part.GetParameter("MTRL.cr"), nullptr);
    EXPECT_EQ(*part.GetStringParameter("MTRL.sGroup"), "Сталь конструкционная");
    EXPECT_EQ(part.GetStringParameter("MTRL.Cr"), nullptr);
    EXPECT_EQ(part.GetParameter("Cr"), nullptr);
    // The part is the end of the chain: a parent is never asked.
    test::VariableTable outer;
    outer.values["Cr"] = 1;
    part.parent = &outer;
    EXPECT_EQ(part.GetParameter("Cr"), nullptr);
    EXPECT_TRUE(outer.asked.empty());
}

}  // namespace
}  // namespace zarvento
