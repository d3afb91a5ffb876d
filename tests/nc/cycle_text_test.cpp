// The NC text of machine cycles: the built-in CYCLE line with its end values,
// unit frames and G80, groups, and the template of a VERSION "18" description.
#include <memory>

#include "code_line_builder.h"
#include "cycle_test_support.h"
#include "geometry/line_unit.h"
#include "nc/address_table.h"
#include "nc/cadre_g80.h"
#include "nc/cycle_auto.h"
#include "nc/frame_templates.h"
#include "nc/modal_state.h"
#include "platform/documents/settings_record.h"
#include "test_support.h"

namespace zarvento {
namespace {

using Lines = std::vector<std::string>;

using test::Line;

class CycleTextTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        ResetModalState();
        SettingsRecord::Global().xOutputMode = 0;
    }

    // A cycle of the type whose working contour runs through the points (z, x).
    static std::unique_ptr<CCycle_Auto> Cycle(const char* type, std::vector<std::pair<double, double>> points) {
        auto c = std::make_unique<CCycle_Auto>();
        c->gcode = "G71";
        c->cycleType = type;
        c->AddParamDouble("D", 1.5, "depth");
        c->AddParamDouble("A", 0.0, "auto");
        c->params[1].kind = 'A';
        c->AddParamInt("L", 1, "list");
        c->AddListValue("a");
        c->AddListValue("b");
        c->AddParamDouble("E", 0.0, "empty");
        c->params[3].valueText.clear();
        c->cycleVariables = "_L1=5 ";
        c->start = {-25.0, 0.0, 3.0};
        c->workContour = std::make_unique<Contour>();
        for (std::size_t i = 1; i < points.size(); ++i)
            c->workContour->AddUnit(std::make_unique<CLineUnit>(points[i - 1].first, points[i - 1].second,
                                                                points[i].first, points[i].second));
        return c;
    }

    // Lead-in, three profile units, lead-out: units 1 and 2 are the profile.
    static std::unique_ptr<CCycle_Auto> Turning() {
        return Cycle("Turning", {{2, -10}, {0, -10}, {-20, -10}, {-20, -15}, {-22, -15}});
    }

    Lines Write(CCadreISO& c, int number, int* next = nullptr) {
        Lines lines;
        const int n = c.WriteText(lines, number);
        if (next) *next = n;
        return lines;
    }
};

TEST_F(CycleTextTest, TurningCycleWritesItsLineUnitFramesAndG80WithConsecutiveNumbers) {
    auto c = Turning();
    ModalState.frameCounter = 9;
    ModalState.position[0] = -10.0;
    ModalState.position[2] = 2.0;
    // The last block wrote where the tool stands.
    ModalState.writtenX = "X20 ";
    ModalState.writtenZ = "Z2 ";
    int next = 0;
    const Lines lines = Write(*c, 10, &next);
    const Lines expected = {
        " N010  CYCLE G71  D=1.5  L=1 E=0  _L1=5 _Xbegin=20 _Zbegin=0 _Xend=30 _Zend=-20 ",
        " N011  G01  Z-20 ",
        " N012  G01  X30 ",
        " N013  G80",
    };
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(next, 14);
    EXPECT_EQ(c->GetPositionCount(), 4);
}

TEST_F(CycleTextTest, EndValuesFollowTheXConvention) {
    const std::pair<int, const char*> modes[] = {
        {0, "_Xbegin=20 "}, {1, "_Xbegin=-10 "}, {2, "_Xbegin=10 "}, {7, "_Xbegin=20 "}};
    for (const auto& [mode, word] : modes) {
        SettingsRecord::Global().xOutputMode = mode;
        auto c = Turning();
        const Lines lines = Write(*c, 1);
        EXPECT_NE(lines.front().find(word), std::string::npos) << mode << ": " << lines.front();
    }
}

TEST_F(CycleTextTest, EndValuesOfTheOtherTypes) {
    struct Case {
        const char* type;
        const char* tail;  // what follows the cycle variables
        int lines;
    };
    const Case cases[] = {
        {"Drilling", "_Zbegin=3 _Zend=0 ", 1},
        {"Threading_Tap_Die", "_Zbegin=2 _Zend=0 ", 1},
        {"Threading_Chisel", "_Xbegin=20 _Zbegin=0 _Xend=20 _Zend=-20 ", 1},
        {"Threading", "", 0},
    };
    for (const Case& k : cases) {
        auto c = Turning();
        c->cycleType = k.type;
        int next = 0;
        const Lines lines = Write(*c, 5, &next);
        EXPECT_EQ(next, 6) << k.type;
        ASSERT_EQ(static_cast<int>(lines.size()), k.lines) << k.type;
        if (k.lines == 1) {
            EXPECT_EQ(lines.front().substr(lines.front().find("_L1=5 ") + 6), k.tail) << k.type;
        }
        EXPECT_EQ(c->GetPositionCount(), 1);
    }
}

TEST_F(CycleTextTest, ShortContoursNumberingOffAndExportRun) {
    // Fewer than two units: the line alone, never a unit that does not exist.
    for (const char* type : {"Turning", "Threading_Chisel"}) {
        auto one = Cycle(type, {{0, -10}, {-20, -10}});
        int next = 0;
        const Lines lines = Write(*one, 3, &next);
        EXPECT_EQ(next, 4);
        ASSERT_EQ(lines.size(), 1u);
        EXPECT_EQ(lines.front().find("_X"), std::string::npos);
    }
    auto chisel = Cycle("Threading_Chisel", {{0, -10}, {-20, -10}});
    chisel->CreatePathFigure();
    ASSERT_TRUE(chisel->provider->featureRecord);
    for (double v : *chisel->provider->featureRecord) EXPECT_EQ(v, 0.0);
    auto empty = Cycle("Turning", {});
    int next = 0;
    EXPECT_TRUE(Write(*empty, 3, &next).empty());
    EXPECT_EQ(next, 4);

    auto c = Turning();
    const Lines unnumbered = Write(*c, -1, &next);
    EXPECT_EQ(next, -1);
    EXPECT_EQ(unnumbered, Lines{" CYCLE G71  D=1.5  L=1 E=0  _L1=5 "});

    ExportRunGuard exporting;
    EXPECT_TRUE(Write(*c, 8, &next).empty());
    EXPECT_EQ(next, 8);
}

TEST_F(CycleTextTest, GroupWritesItsIncludedMembersInOrder) {
    CCycle_Auto group;
    group.groupFlag = 1;
    for (const char* code : {"G1", "G2", "G3"}) {
        auto m = Cycle("Drilling", {{0, -10}, {-20, -10}});
        m->gcode = code;
        group.members.push_back(std::move(m));
    }
    group.members[1]->included = 0;
    int next = 0;
    const Lines lines = Write(group, 1, &next);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(0, 15), " N001  CYCLE G1");
    EXPECT_EQ(lines[1].substr(0, 15), " N002  CYCLE G3");
    EXPECT_EQ(next, 3);
    std::vector<CCadreISO*> list;
    group.AddToList(list);
    EXPECT_EQ(list, (std::vector<CCadreISO*>{group.members[0].get(), group.members[2].get()}));
    EXPECT_EQ(group.GetPositionCount(), 2);
}

TEST_F(CycleTextTest, VersionEighteenWithoutATemplateFallsBackToTheBuiltInLine) {
    ModalState.versionText = "18";
    ModalState.builtInTextWritten = 0;
    auto c = Turning();
    c->cycleType = "Drilling";
    const Lines lines = Write(*c, 1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines.front().substr(0, 15), " N001  CYCLE G7");
    EXPECT_EQ(ModalState.builtInTextWritten, 1);
}

TEST_F(CycleTextTest, VersionEighteenWritesTheDefinitionsTemplate) {
    test::FakePostProcessors pps;
    pps.current = "Fanuc";
    CCycle_Auto& def = pps.AddDefinition("Fanuc", "G71 TYPE Turning\n");
    auto templ = std::make_shared<CycleCodeLists>();
    templ->code.push_back(Line("G71 X%5.3f Z%5.3f D%5.3f", {"_FX", "_FZ", "D*2"}, true));
    templ->printPnt.push_back(Line("(POINTS)", {}, false));
    templ->printCnt.push_back(Line("", {}, true));
    templ->printEnd.push_back(Line("G80", {}, true));
    def.cycleTemplate = templ;
    ModalState.versionText = "18";
    ModalState.builtInTextWritten = 0;
    for (const char* w : {"X", "Z", "D"}) AddressTable::Global().AddWord(w);
    auto unitTemplate = std::make_unique<CycleCodeLists>();
    unitTemplate->code.push_back(Line("G01 X%m Z%m", {"_X2", "_Z2"}, true));
    FrameTemplates::Set("G01", std::move(unitTemplate));

    auto c = Turning();
    c->spindleSpeed = 800.0;
    c->printContour = std::make_unique<Contour>();
    c->printContour->AddUnit(std::make_unique<CLineUnit>(0.0, -10.0, -20.0, -10.0));
    c->printContour->AddUnit(std::make_unique<CLineUnit>(-20.0, -10.0, -20.0, -15.0));
    ModalState.position[0] = -10.0;
    ModalState.position[2] = 0.0;
    int next = 0;
    const Lines lines = Write(*c, 1, &next);
    // The unit frames are numbered as the PRINT_CNT record is, and the address
    // values they wrote are forgotten afterwards.
    const Lines expected = {" N1 G71 X50 Z3 D3", " (POINTS)", " N2 G01 X20 Z-20", " N3 G01 X30", " N4 G80"};
    EXPECT_EQ(lines, expected);
    EXPECT_EQ(next, 5);
    EXPECT_EQ(*AddressTable::Global().LastValue("X"), 100000.0);  // as the plain field left it, not 30
    EXPECT_EQ(c->usedTemplate, templ.get());
    EXPECT_EQ(c->templateLineCount, 5);
    EXPECT_EQ(c->GetPositionCount(), 5);
    EXPECT_EQ(ModalState.builtInTextWritten, 0);
}

TEST_F(CycleTextTest, FeatureRecordOfATurningCycle) {
    auto c = Turning();
    c->CreatePathFigure();
    ASSERT_TRUE(c->provider->featureRecord);
    const auto& r = *c->provider->featureRecord;
    EXPECT_EQ(r[1], 50.0);  // output start X, diameter
    EXPECT_EQ(r[3], 3.0);
    EXPECT_EQ(r[6], 25.0);  // start Z - Zmin: Zmax lies below the start
    EXPECT_EQ(r[7], 15.0);  // Xmax - start X: the start lies outside the box
    EXPECT_EQ(r[12], 2.0);
    EXPECT_EQ(*c->FindParameter("D"), 1.5);
    double v = 0.0;
    EXPECT_TRUE(c->provider->CalcFormula(v, "_C_N+_FZ", true));
    EXPECT_EQ(v, 5.0);
}

TEST(CadreG80Test, WritesG80) {
    ResetModalState();
    CCadre_G80 g;
    Lines lines;
    EXPECT_EQ(g.WriteText(lines, 4), 5);
    EXPECT_EQ(lines, Lines{" N001  G80"});
}

}  // namespace
}  // namespace zarvento
