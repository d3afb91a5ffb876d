// Cycle parameters: the table, evaluation through the provider chain, the
// missing-parameter list and copies of cycles.
#include <algorithm>
#include <memory>

#include "geometry/line_unit.h"
#include "nc/cadre_line_g01.h"
#include "nc/cycle_auto.h"
#include "nc/modal_state.h"
#include "nc/parameters.h"
#include "nc_test_support.h"
#include "test_support.h"

namespace zarvento {
namespace {

class CycleParametersTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        ResetModalState();
        cycle.SetParentParameters(&operation);
    }

    CycleParameter& Add(const char* name, const char* text, char kind = 'd') {
        cycle.AddParamDouble(name, 0.0, "");
        CycleParameter& p = cycle.params[static_cast<std::size_t>(cycle.paramCount - 1)];
        p.valueText = text;
        p.kind = kind;
        return p;
    }

    test::VariableTable operation;
    CCycle_Auto cycle;
};

TEST_F(CycleParametersTest, TableSlotsAndLists) {
    EXPECT_TRUE(cycle.AddParamInt("N", 3, " n"));
    EXPECT_TRUE(cycle.AddParamDouble("K", 0.125, " k"));
    EXPECT_TRUE(cycle.AddParamDouble("Z", 2e19, " auto"));
    EXPECT_EQ(cycle.params[0].valueText, "3");
    EXPECT_EQ(cycle.params[1].valueText, "0.125");
    EXPECT_EQ(cycle.params[1].kind, 'd');
    EXPECT_EQ(cycle.params[2].kind, 'A');
    EXPECT_EQ(cycle.params[2].valueText, "2e+19");  // as "%g" prints it

    // The expression slot is the one at the count: callers step back one.
    --cycle.paramCount;
    cycle.SetParamExpression("N*2");
    ++cycle.paramCount;
    EXPECT_EQ(cycle.params[2].valueText, "N*2");

    for (int i = 0; i < 25; ++i) cycle.AddListValue("e" + std::to_string(i));
    EXPECT_EQ(cycle.params[2].listCount, 20);  // entries past 20 are ignored
    EXPECT_EQ(cycle.params[2].listTexts[19], "e19");

    EXPECT_EQ(cycle.FindParam("K"), &cycle.params[1]);
    EXPECT_EQ(cycle.FindParam("k"), nullptr);
    EXPECT_EQ(cycle.FindParam(""), nullptr);  // unused slots are not searched
}

TEST_F(CycleParametersTest, ListEntryWithoutParameterAndAFortyFirstParameter) {
    cycle.AddListValue("x");
    EXPECT_EQ(Messages(), std::vector<std::string>{"ind error"});
    for (int i = 0; i < 40; ++i) EXPECT_TRUE(cycle.AddParamInt("P" + std::to_string(i), i, ""));
    EXPECT_FALSE(cycle.AddParamInt("P40", 40, ""));
    EXPECT_FALSE(cycle.AddParamDouble("P40", 40, ""));
    EXPECT_EQ(cycle.paramCount, 40);
    EXPECT_EQ(cycle.params[39].name, "P39");
}

TEST_F(CycleParametersTest, DependentParametersAndTheProviderChain) {
    operation.values["D"] = 40.0;
    Add("A", "B*2");
    Add("B", "D/4+C");
    Add("C", "1");
    cycle.CalcParameters(false);
    EXPECT_EQ(cycle.params[0].realValue, 22.0);  // B was evaluated first, on demand
    EXPECT_EQ(cycle.params[1].realValue, 11.0);
    EXPECT_EQ(*cycle.FindParameter("C"), 1.0);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(cycle.params[i].error, 0);
    // The feature provider answers the cycle's parameters to any formula of the chain.
    double v = 0.0;
    EXPECT_TRUE(cycle.provider->CalcFormula(v, "A+D", true));
    EXPECT_EQ(v, 62.0);
}

TEST_F(CycleParametersTest, TwoParametersNamingEachOtherAreACycle) {
    Add("P1", "P2+1");
    Add("P2", "P1+1");
    cycle.CalcParameters(true);
    EXPECT_EQ(cycle.params[0].error, 1);
    EXPECT_EQ(FormulaErrorText, std::string(kFormulaCyclicDependency) + "P1");
    // P2 never takes the value that P1's failure left behind.
    cycle.CalcParameters(false);
    EXPECT_EQ(cycle.params[0].error, 1);
    EXPECT_EQ(cycle.params[1].error, 1);
    EXPECT_EQ(FormulaErrorText, "Ошибка вычисления P2");
    EXPECT_EQ(cycle.FindParameter("P1"), nullptr);
}

TEST_F(CycleParametersTest, IntegerValuesRoundWithTheToleranceAndRefuseWhatDoesNotFit) {
    struct Case {
        const char* formula;
        std::int32_t value;
        bool error;
    };
    const Case cases[] = {{"2.9999999", 3, false}, {"0-0.5", 0, false},     {"7.6", 7, false},
                          {"-7.6", -7, false},     {"3000000000", 0, true}, {"0-3000000000", 0, true}};
    for (const Case& c : cases) {
        CCycle_Auto one;
        one.AddParamInt("N", 0, "");
        one.params[0].valueText = c.formula;
        one.CalcParameters(false);
        EXPECT_EQ(one.params[0].intValue, c.value) << c.formula;
        EXPECT_EQ(one.params[0].error, c.error ? 1 : 0) << c.formula;
        if (c.error) {
            EXPECT_EQ(FormulaErrorText, "Ошибка вычисления N");
        }
        // Asked by name, a value that does not fit an integer is no value.
        one.params[0].evaluated = 0;
        EXPECT_EQ(one.FindParameter("N") == nullptr, c.error) << c.formula;
    }
}

TEST_F(CycleParametersTest, AutomaticPassStopsAtTheFirstFailure) {
    Add("P1", "1");
    Add("P2", "2", 'A').autoFormula = "99";
    Add("P3", "1/0");
    Add("P4", "4");
    cycle.params[3].realValue = 7.0;
    cycle.params[3].error = 1;
    cycle.CalcParameters(true);
    EXPECT_EQ(cycle.params[0].evaluated, 1);
    EXPECT_EQ(cycle.params[1].evaluated, 0);  // kind 'A' is not evaluated in an automatic pass
    EXPECT_EQ(cycle.params[2].error, 1);
    EXPECT_EQ(FormulaErrorText, "Ошибка вычисления P3");
    EXPECT_EQ(cycle.params[3].evaluated, 0);  // after the failure: old values and flags
    EXPECT_EQ(cycle.params[3].realValue, 7.0);
    EXPECT_EQ(cycle.params[3].error, 1);
    EXPECT_EQ(cycle.automaticPass, 0);

    // A normal pass evaluates everything, kind 'A' by its automatic formula.
    cycle.CalcParameters(false);
    EXPECT_EQ(cycle.params[1].realValue, 99.0);
    EXPECT_EQ(cycle.params[3].realValue, 4.0);
    EXPECT_EQ(cycle.params[3].error, 0);
}

TEST_F(CycleParametersTest, AutomaticPassDoesNotAnswerAutomaticOrListParameters) {
    Add("A", "5", 'A').autoFormula = "5";
    CycleParameter& list = Add("L", "1", 'i');
    list.listCount = 2;
    Add("X", "A+1");
    Add("Y", "L+1");
    cycle.CalcParameters(true);
    EXPECT_EQ(cycle.params[2].error, 1);
    EXPECT_EQ(cycle.params[3].evaluated, 0);  // the pass stopped at X
}

TEST_F(CycleParametersTest, ListParametersAnswerValueOrCodeAndNeverReadOutsideTheList) {
    CycleParameter& p = Add("L", "", 'i');
    cycle.AddListValue("a");
    cycle.AddListValue("b");
    cycle.AddListValue("c");
    p.listValues = {10, 11, 12};
    p.listCodes = {20, 21, 22};
    struct Case {
        const char* text;
        std::int32_t index;
        double value, code;
    };
    const Case cases[] = {{"", 5, 10, 20}, {"3", 2, 12, 22}, {"x", -1, 10, 20}, {"x", 3, 10, 20}, {"x", 99, 10, 20}};
    for (const Case& c : cases) {
        p.valueText = c.text;
        p.intValue = c.index;
        ModalState.templateActive = 0;
        EXPECT_EQ(*cycle.FindParameter("L"), c.value) << c.index;
        ModalState.templateActive = 1;
        EXPECT_EQ(*cycle.FindParameter("L"), c.code) << c.index;
    }
}

TEST_F(CycleParametersTest, MissingMandatoryParameters) {
    const char* names[] = {"A", "B", "C", "D", "E", "F"};
    const char* texts[] = {"0", "", "-1", "0.5", "2", "0"};
    const char kinds[] = {'O', 'K', 'O', 'O', 'K', 'd'};
    for (int i = 0; i < 6; ++i) Add(names[i], texts[i], kinds[i]);
    EXPECT_EQ(cycle.GetMissingParameters(), "A, B, C");
    cycle.params[0].listCount = 1;  // a list parameter is never missing
    EXPECT_EQ(cycle.GetMissingParameters(), "B, C");
}

// A value no formula gives once went into the program as 0 (a cycle's depth
// of cut "1/0" wrote U0, with no word to anyone): each is a fault that names
// the parameter, its formula and why.
TEST_F(CycleParametersTest, AParameterWithoutAUsableValueIsAFaultNamingItsFormula) {
    struct Case {
        const char* formula;
        char kind;
        const char* fault;  // empty: none
    } cases[] = {
        {"1.5", 'K', ""},
        {"", 'K', ""},  // missing: the warning of GetMissingParameters
        {"D/4", 'd', ""},
        {"_DEPTH+1", 'K', "Параметр цикла G71 _DEPTH = _DEPTH+1 не вычисляется: Циклическая зависимость"},
        {"nosuch", 'K',
         "Параметр цикла G71 _DEPTH = nosuch не вычисляется: неизвестная переменная или ошибка в записи"},
        {"1/0", 'K', "Параметр цикла G71 _DEPTH = 1/0 не вычисляется: деление на ноль"},
        {"1/0", 'd', "Параметр цикла G71 _DEPTH = 1/0 не вычисляется: деление на ноль"},
        {"10^400", 'd', "Параметр цикла G71 _DEPTH = 10^400: значение не является конечным числом"},
        {"0", 'K', ""},   // missing, and warned of as such
        {"-1", 'O', ""},  // likewise
        {"2-3", 'K', "Параметр цикла G71 _DEPTH = 2-3: значение должно быть больше нуля, получено -1"},
        {"1-1", 'O', "Параметр цикла G71 _DEPTH = 1-1: значение должно быть больше нуля, получено 0"},
        {"-1", 'd', ""},
        {"D-40", 'K', "Параметр цикла G71 _DEPTH = D-40: значение должно быть больше нуля, получено 0"},
        {"_FH<0 ? -1 : 1", 'd', ""},  // the feature is filled when the cycle is written
        {"3000000000", 'i', "Параметр цикла G71 _DEPTH = 3000000000 не вычисляется: значение не является целым числом"},
    };
    operation.values["D"] = 40.0;
    for (const Case& c : cases) {
        CCycle_Auto one;
        one.gcode = "G71";
        one.SetParentParameters(&operation);
        one.AddParamDouble("_DEPTH", 0.0, "");
        one.params[0].valueText = c.formula;
        one.params[0].kind = c.kind;
        one.CalcParameters(false);
        EXPECT_EQ(one.ParameterFault(), c.fault) << c.formula << " of kind " << c.kind;
    }
}

TEST_F(CycleParametersTest, CopyDeepCopiesMembersAndSharesSubFramesWithoutTwoOwners) {
    Add("P1", "1.5");
    cycle.gcode = "G1";
    cycle.trajectory = "T";
    cycle.AddSubFrame(std::make_unique<CCadre_LineG01>(-10.0, 0.0, -10.0, -20.0, 0.2, false));
    cycle.AddSubFrame(std::make_unique<CCadre_LineG01>(-10.0, -20.0, -12.0, -20.0, 0.2, false));
    auto member = std::make_unique<CCycle_Auto>();
    member->gcode = "M1";
    member->AddSubFrame(std::make_unique<CCadre_LineG01>(0.0, 0.0, -1.0, 0.0, 0.1, false));
    cycle.members.push_back(std::move(member));

    auto copy = std::make_unique<CCycle_Auto>();
    copy->AddSubFrame(std::make_unique<CCadre_LineG01>(0.0, 0.0, 1.0, 1.0, 0.1, true));
    copy->Copy(cycle);
    EXPECT_EQ(copy->params[0].valueText, "1.5");
    EXPECT_EQ(copy->trajectory, "T");
    EXPECT_TRUE(std::ranges::equal(copy->SubFrames(), cycle.SubFrames()));
    ASSERT_EQ(copy->members.size(), 1u);
    EXPECT_NE(copy->members[0].get(), cycle.members[0].get());
    EXPECT_EQ(copy->members[0]->gcode, "M1");
    EXPECT_TRUE(std::ranges::equal(copy->members[0]->SubFrames(), cycle.members[0]->SubFrames()));

    // A move added to one side after the copy is that side's alone.
    copy->AddSubFrame(std::make_unique<CCadre_LineG01>(-12.0, -20.0, -12.0, -22.0, 0.2, false));
    EXPECT_EQ(copy->SubFrames().size(), 3u);
    EXPECT_EQ(cycle.SubFrames().size(), 2u);

    // Either side may go first; the frames stay valid for the other.
    copy->ReleaseSubFrames();
    EXPECT_TRUE(copy->SubFrames().empty());
    EXPECT_EQ(cycle.SubFrames()[1]->end.x, -12.0);
    auto second = std::make_unique<CCycle_Auto>();
    second->Copy(cycle);
    cycle.ReleaseSubFrames();
    cycle.members.clear();
    EXPECT_EQ(second->SubFrames().size(), 2u);
    EXPECT_EQ(second->SubFrames()[1]->end.x, -12.0);
    second->Move(1.0, 0.0, 0.0);
    EXPECT_EQ(second->SubFrames()[1]->end.x, -11.0);
    copy->Copy(*copy);  // a copy onto itself changes nothing
    EXPECT_EQ(copy->params[0].valueText, "1.5");
}

TEST_F(CycleParametersTest, ACopyEvaluatesOnTheCopiedChain) {
    operation.values["D"] = 8.0;
    Add("H", "D/2");
    test::VariableTable other;
    other.values["D"] = 2.0;
    CCycle_Auto copy;
    copy.SetParentParameters(&other);
    copy.Copy(cycle);
    copy.CalcParameters(false);
    EXPECT_EQ(copy.params[0].realValue, 4.0);
}

}  // namespace
}  // namespace zarvento
