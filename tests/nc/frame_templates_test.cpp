// Frames written through hand-built post-processor templates.
#include <memory>

#include "code_line_builder.h"
#include "frame_test_program.h"
#include "geometry/contour.h"
#include "geometry/line_unit.h"
#include "nc/address_table.h"
#include "nc/cadre_comment.h"
#include "nc/cadre_g04.h"
#include "nc/cadre_line_g01.h"
#include "nc/cadre_m3.h"
#include "nc/frame_templates.h"
#include "nc/modal_state.h"
#include "nc/plan_contours.h"
#include "platform/documents/settings_record.h"
#include "test_support.h"

namespace zarvento {
namespace {

using Lines = std::vector<std::string>;

// Stands in for the plan's provider: the loop index and the held line.
class PlanVariables : public PARAMETERS {
public:
    const double* GetParameter(std::string_view name) override {
        if (name == "LOOP") return &ModalState.loopIndex;
        if (name == "HUGE") return &huge;
        return nullptr;
    }
    const std::string* GetStringParameter(std::string_view name) override {
        return name == "_sMEMSTR" ? &ModalState.heldLine : nullptr;
    }
    double huge = 1e12;
};

using test::Line;

class FrameTemplatesTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        ResetModalState();
        SettingsRecord::Global().xOutputMode = 0;
        for (const char* w : {"X", "Z", "F"}) AddressTable::Global().AddWord(w);
    }

    // Loads a one-list template of the kind and hands back its CODE list.
    static std::vector<CodeLine>& Load(const char* kind) {
        auto t = std::make_unique<CycleCodeLists>();
        auto& code = t->code;
        FrameTemplates::Set(kind, std::move(t));
        return code;
    }

    // A dwell frame whose formulas see the plan stand-in.
    CCadre_G04& Dwell(double seconds = 0.5) {
        dwell = std::make_unique<CCadre_G04>(seconds);
        dwell->codeParameters->parent = &plan;
        return *dwell;
    }

    Lines Write(CCadreISO& f, int number = 1, int* next = nullptr) {
        f.SetModalState();
        f.SetOutputCoordinates();
        Lines lines;
        const int n = f.WriteText(lines, number);
        if (next != nullptr) *next = n;
        return lines;
    }

    PlanVariables plan;
    std::unique_ptr<CCadre_G04> dwell;
};

TEST_F(FrameTemplatesTest, TurningProgramInEachXConvention) {
    struct Kind {
        const char* kind;
        const char* text;
        std::vector<std::string> arguments;
    };
    const Kind kinds[] = {
        {"Safe", "G90 G54", {}},
        {"T", "T%02f M06", {"_T"}},
        {"G96", "G96 S%f", {"_V"}},
        {"M03", "M03", {}},
        {"G00", "G00 X%m Z%m", {"_X2", "_Z2"}},
        {"G01", "G01 X%m Z%m F%m", {"_X2", "_Z2", "_F"}},
        {"G02", "G02 X%m Z%m R%f", {"_X2", "_Z2", "_R"}},
        {"G03", "G03 X%m Z%m I%f K%f", {"_X2", "_Z2", "_I", "_K"}},
        {"G04", "G04 P%f", {"_P"}},
        {"G28", "G28 U0 W0", {}},
        {"Comm", "(%t)", {"Конец"}},
        {"M05", "M05", {}},
        {"M30", "M30", {}},
    };
    // Each arc takes the template of the letter it prints: the sense it has
    // with X as printed (see FramesBuiltInTest), its centre's I a radius
    // along the printed X.
    struct Case {
        int mode;
        const char* x[4];  // rapid approach, first arc, second arc, retract
        const char* arcs[2];
    };
    const Case cases[] = {
        {0, {"X40", "X50", "X60", "X100"}, {"G02 X50 Z-35 R5", "G03 X60 Z-40 I5 K0"}},
        {1, {"X-20", "X-25", "X-30", "X-50"}, {"G03 X-25 Z-35 I-5 K0", "G02 X-30 Z-40 R-5"}},
        {2, {"X20", "X25", "X30", "X50"}, {"G02 X25 Z-35 R5", "G03 X30 Z-40 I5 K0"}},
    };
    for (const Case& c : cases) {
        ResetProcessState();
        ResetModalState();
        SettingsRecord::Global().xOutputMode = c.mode;
        for (const char* w : {"X", "Z", "F", "S", "R", "I", "K", "P"}) AddressTable::Global().AddWord(w);
        for (const Kind& k : kinds) Load(k.kind).push_back(Line(k.text, k.arguments, std::string(k.kind) != "Comm"));
        test::Frames frames;
        test::BuildTurningProgram(frames);
        Lines lines;
        EXPECT_EQ(test::WriteFrames(frames, lines, 1), 16);
        const Lines expected = {
            " N1 G90 G54",
            " N2 T01 M06",
            " N3 G96 S150",
            " N4 M03",
            std::string(" N5 G00 ") + c.x[0] + " Z2",
            " N6 G01 Z-30 F0.2",
            std::string(" N7 ") + c.arcs[0],
            std::string(" N8 ") + c.arcs[1],
            std::string(" N9 G00 ") + c.x[3],
            " N10 G04 P0.5",
            " N11 G28 U0 W0",
            " N12 G28 U0 W0",
            " N13 G28 U0 W0",
            " (Konec)",
            " N14 M05",
            " N15 M30",
        };
        EXPECT_EQ(lines, expected) << "X convention " << c.mode;
        EXPECT_EQ(ModalState.builtInTextWritten, 0);
        EXPECT_EQ(frames[0]->frameNumber, 2);
        int count = 0;
        for (auto& f : frames) count += f->GetPositionCount();
        EXPECT_EQ(count, 16);
    }
}

TEST_F(FrameTemplatesTest, NumberFieldsWithModalAndNonZeroSuppression) {
    Load("G01").push_back(Line("G01 X%m Z%m F%n", {"_X2", "_Z2", "_F"}, true));
    CCadre_LineG01 first(-40, 10, -20, 2, 0.2, false);
    CCadre_LineG01 second(-20, 2, -20, -30, 0, false);
    int next = 0;
    EXPECT_EQ(Write(first, 1, &next), Lines{" N1 G01 X40 Z2 F0.2"});
    EXPECT_EQ(next, 2);
    EXPECT_EQ(first.frameNumber, 2);
    EXPECT_EQ(Write(second, next, &next), Lines{" N2 G01 Z-30"});
    EXPECT_EQ(next, 3);
    EXPECT_EQ(second.GetPositionCount(), 1);
    EXPECT_EQ(second.usedTemplate, FrameTemplates::Find("G01"));
    EXPECT_EQ(ModalState.builtInTextWritten, 0);
    EXPECT_EQ(ModalState.frameCounter, 2);
    // A rapid move with only a G01 template writes its built-in text, which
    // states both words: it cannot know what the template wrote.
    CCadre_LineG01 rapid(-20, -30, -50, -30, 0, true);
    EXPECT_EQ(Write(rapid, 3), Lines{" N003  G00  X100 Z-30 "});
    EXPECT_EQ(rapid.usedTemplate, nullptr);
}

// A move whose every word prints as before goes nowhere as written: it
// writes no block (no empty "G01"), and what it moved is not lost: the next
// block writes the target, not a step from the last block.
TEST_F(FrameTemplatesTest, AMoveThatChangesNoWordWritesNoBlock) {
    Load("G01").push_back(Line("G01 X%m Z%m F%m", {"_X2", "_Z2", "_F"}, true));
    CCadre_LineG01 first(-10, 0, -10, -5, 0.2, false);
    CCadre_LineG01 tiny(-10, -5, -10.0002, -5.0003, 0.2, false);
    CCadre_LineG01 on(-10.0002, -5.0003, -10.0004, -5.0006, 0.2, false);
    int next = 0;
    EXPECT_EQ(Write(first, 1, &next), Lines{" N1 G01 X20 Z-5 F0.2"});
    EXPECT_EQ(Write(tiny, next, &next), Lines{});
    EXPECT_EQ(tiny.GetPositionCount(), 0);
    EXPECT_EQ(next, 2);
    EXPECT_EQ(Write(on, next, &next), Lines{" N2 G01 X20.001 Z-5.001"});
}

// A new feed is no word of where a move goes: a move that goes nowhere as
// written writes no "G01 F0.25" block for it, and the next move that goes
// somewhere writes the feed.
TEST_F(FrameTemplatesTest, AFeedAloneMakesNoBlock) {
    Load("G01").push_back(Line("G01 X%m Z%m F%m", {"_X2", "_Z2", "_F"}, true));
    CCadre_LineG01 first(-10, 0, -10, -5, 0.2, false);
    CCadre_LineG01 feedOnly(-10, -5, -10.0002, -5.0003, 0.25, false);
    CCadre_LineG01 along(-10.0002, -5.0003, -10.0002, -9, 0.25, false);
    int next = 0;
    EXPECT_EQ(Write(first, 1, &next), Lines{" N1 G01 X20 Z-5 F0.2"});
    EXPECT_EQ(Write(feedOnly, next, &next), Lines{});
    EXPECT_EQ(next, 2);
    EXPECT_EQ(Write(along, next, &next), Lines{" N2 G01 Z-9 F0.25"});
}

TEST_F(FrameTemplatesTest, TextFieldsWidthAndTransliteration) {
    Load("Comm").push_back(Line("(%s|%8t|%T)", {"NAME", "Щука", "ёлка"}));
    CCadre_Comment c("x");
    EXPECT_EQ(Write(c), Lines{" (NAME|Shchuka |ELKA)"});
}

TEST_F(FrameTemplatesTest, RepeatsConditionsAndLoopIndex) {
    auto& code = Load("G04");
    code.push_back(Line("P%2f", {"LOOP"}));
    code.back().repeat = "2.6";
    code.push_back(Line("Q%2f", {"LOOP"}));
    code.back().repeat = "3";
    code.back().condition = "LOOP-2";
    code.push_back(Line("never", {}));
    code.back().condition = "0";
    code.push_back(Line("unknown", {}));
    code.back().condition = "NOSUCH";
    code.push_back(Line("negative", {}));
    code.back().repeat = "-3";
    code.push_back(Line("huge", {}));
    code.back().repeat = "HUGE";  // a count beyond int32 is refused, not wrapped
    EXPECT_EQ(Write(Dwell()), (Lines{" P1", " P2", " P3", " Q1", " Q3"}));
    EXPECT_EQ(ModalState.loopIndex, 0);
    EXPECT_EQ(dwell->GetPositionCount(), 5);
}

TEST_F(FrameTemplatesTest, HeldLineEmptyLinesAndDroppedLines) {
    auto& code = Load("G04");
    code.push_back(Line("P%3.1f", {"_P"}, true));
    code.back().hold = 1;
    code.push_back(Line("MEM=%s", {"_sMEMSTR"}));
    code.push_back(Line("\\n", {}));
    code.push_back(Line("%s", {""}));
    int next = 0;
    EXPECT_EQ(Write(Dwell(), 4, &next), (Lines{" MEM= P0.5", " "}));
    EXPECT_EQ(ModalState.heldLine, " P0.5");
    EXPECT_EQ(next, 4);  // a held line is never numbered

    auto& dropped = Load("G04");
    dropped.clear();
    dropped.push_back(Line("%s", {""}, true));
    EXPECT_EQ(Write(Dwell()), Lines{});
    EXPECT_EQ(dwell->GetPositionCount(), 0);
}

TEST_F(FrameTemplatesTest, Numbering) {
    auto& code = Load("G04");
    code.push_back(Line("G04 P%3.1f", {"_P"}, true));
    int next = 0;
    EXPECT_EQ(Write(Dwell(), 12, &next), Lines{" N12 G04 P0.5"});
    EXPECT_EQ(next, 13);
    EXPECT_EQ(dwell->frameNumber, 13);
    // The builder's rewrite passes frameNumber - 1 and prints the same number again.
    Lines again;
    EXPECT_EQ(dwell->WriteText(again, dwell->frameNumber - 1), 13);
    EXPECT_EQ(again, Lines{" N12 G04 P0.5"});

    EXPECT_EQ(Write(Dwell(), -1, &next), Lines{" G04 P0.5"});
    EXPECT_EQ(next, -1);

    code.back().numberFormat = "N%03f";
    EXPECT_EQ(Write(Dwell(), 7), Lines{" N007 G04 P0.5"});
    code.back().numberFormat = "N";  // no usable number field: written unnumbered
    EXPECT_EQ(Write(Dwell(), 7, &next), Lines{" G04 P0.5"});
    EXPECT_EQ(next, 7);

    code.back().numberFormat = "N%3f";
    auto& d = Dwell();
    d.inheritNumbering = 1;
    ModalState.lastLineNumbered = 0;
    EXPECT_EQ(Write(d, 7), Lines{" G04 P0.5"});
    EXPECT_EQ(ModalState.lastLineNumbered, 1);  // the record's own mark
    EXPECT_EQ(Write(d, 7), Lines{" N7 G04 P0.5"});
}

TEST_F(FrameTemplatesTest, ErrorLinesAndFieldsWithoutResult) {
    auto& code = Load("G04");
    code.push_back(Line("G04 P%f", {"_Q"}));
    code.push_back(Line("A%m B%f", {"_P"}));
    code.back().formatM = "";
    code.push_back(Line("C%12345f D%3.1f", {"_P"}));
    code.push_back(Line("E%3n", {"1/0"}));
    EXPECT_EQ(Write(Dwell()), (Lines{" G04 P0", " A%m B0.5", " C%12345f D0.5", " E0"}));
    EXPECT_EQ(ModalState.errorTexts, (Lines{"Неизвестная переменная _Q в строке\nG04 P%f",
                                            "Неправильный спецификатор формата в строке\nA%m B%f",
                                            "Неизвестная переменная 1/0 в строке\nE%3n"}));
}

TEST_F(FrameTemplatesTest, AnArgumentIsTakenWholeHoweverLong) {
    // Cut at 259 characters this formula would end in "1+" and fail; a
    // description's long formula is evaluated as written.
    std::string sum = "1";
    while (sum.size() < 301) sum += "+1";
    ASSERT_EQ(sum.size(), 301u);
    Load("G04").push_back(Line("G04 P%5.0f", {sum}));
    EXPECT_EQ(Write(Dwell()), Lines{" G04 P151"});
    EXPECT_TRUE(ModalState.errorTexts.empty());
}

TEST_F(FrameTemplatesTest, PrefixBlanksExportRunAndDisabledTemplates) {
    auto& code = Load("G04");
    code.push_back(Line("  X%3f   Z%3f", {"_X2", "_Z2"}));
    CCadre_G04& d = Dwell();
    EXPECT_EQ(Write(d), Lines{" X0 Z0"});
    {
        ExportRunGuard exporting;
        EXPECT_EQ(Write(d), Lines{});
        EXPECT_EQ(d.GetPositionCount(), 0);
    }
    ModalState.templatesEnabled = 0;
    EXPECT_EQ(Write(d), Lines{});
}

// Stands in for the plan data: a part contour and no stock contour.
class PlanContoursStandIn : public PlanContours {
public:
    PlanContoursStandIn() : previous_(RegisterPlanContours(this)) {
        part.AddUnit(std::make_unique<CLineUnit>(0, -10, -20, -10));
        part.AddUnit(std::make_unique<CLineUnit>(-20, -10, -20, -15));
        part.AddUnit(std::make_unique<CLineUnit>(-20, -15, -40, -15));
    }
    ~PlanContoursStandIn() override { RegisterPlanContours(previous_); }
    PlanContoursStandIn(const PlanContoursStandIn&) = delete;
    PlanContoursStandIn& operator=(const PlanContoursStandIn&) = delete;

    const Contour* DetailContour() const override { return &part; }
    const Contour* StockContour() const override { return nullptr; }

    Contour part;

private:
    PlanContours* previous_;
};

TEST_F(FrameTemplatesTest, PartContourOutputLeavesThePlanContourUnchanged) {
    PlanContoursStandIn plan;
    Load("G00").push_back(Line("G00 X%3.3f Z%3.3f", {"_X2", "_Z2"}));
    Load("G01").push_back(Line("G01 X%3.3f Z%3.3f F%f", {"_X2", "_Z2", "_F"}));
    auto& code = Load("G04");
    CodeLine detail = Line("DETAIL", {}, true);
    detail.special = 1;
    code.push_back(detail);
    code.push_back(Line("STOCK", {}, true));
    code.back().special = 1;
    code.push_back(Line("DETAIL", {}, true));
    code.back().special = 1;
    code.back().condition = "0";
    int next = 0;
    const Lines lines = Write(Dwell(), 10, &next);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].substr(0, 13), " N10 G00 X20 ");  // the lead-in's start lies far off
    // The lead-in takes the DETAIL record's numbering; each stored line then
    // passes on its own record's mark, which the unnumbered G01 lines inherit.
    EXPECT_EQ(lines[1], " G01 X20 Z-20 F100000");
    EXPECT_EQ(lines[2], " G01 X30 Z-20 F100000");
    EXPECT_EQ(lines[3], " G01 X30 Z-40 F100000");
    EXPECT_EQ(next, 14);  // one number per unit, whatever the unit's frame used
    EXPECT_EQ(dwell->GetPositionCount(), 4);
    EXPECT_EQ(ModalState.lastLineNumbered, 0);
    ASSERT_EQ(plan.part.Count(), 3);
    EXPECT_EQ(plan.part.GetFirstUnit()->StartPoint.z, 0.0);
    EXPECT_EQ(plan.part.GetFirstUnit()->StartPoint.x, -10.0);

    EXPECT_EQ(Write(Dwell(), -1, &next).size(), 4u);
    EXPECT_EQ(next, -1);
}

TEST_F(FrameTemplatesTest, KindNames) {
    EXPECT_EQ(FrameTemplates::kKindNames.size(), 39u);
    EXPECT_FALSE(FrameTemplates::Set("G05", std::make_unique<CycleCodeLists>()));
    EXPECT_TRUE(FrameTemplates::Set("M03", std::make_unique<CycleCodeLists>()));
    CCadre_M3 m3;
    Lines lines;
    EXPECT_EQ(m3.WriteText(lines, 5), 5);  // an empty template writes nothing
    EXPECT_EQ(m3.GetPositionCount(), 0);
    EXPECT_TRUE(FrameTemplates::Set("M03", nullptr));
    EXPECT_EQ(m3.WriteText(lines, 5), 6);
}

}  // namespace
}  // namespace zarvento
