// Frames built in program order and their built-in NC text.
#include <memory>
#include <numbers>

#include "frame_test_program.h"
#include "geometry/arc_unit.h"
#include "geometry/line_unit.h"
#include "nc/cadre_arc_g02.h"
#include "nc/cadre_arc_g03.h"
#include "nc/cadre_beg_oper.h"
#include "nc/cadre_comment.h"
#include "nc/cadre_f.h"
#include "nc/cadre_g04.h"
#include "nc/cadre_g28.h"
#include "nc/cadre_g96.h"
#include "nc/cadre_g97.h"
#include "nc/cadre_head.h"
#include "nc/cadre_line_g01.h"
#include "nc/cadre_m3.h"
#include "nc/cadre_m30.h"
#include "nc/cadre_m4.h"
#include "nc/cadre_m5.h"
#include "nc/cadre_s_f.h"
#include "nc/cadre_safe.h"
#include "nc/cadre_t.h"
#include "nc/frame_templates.h"
#include "nc/modal_state.h"
#include "platform/documents/settings_record.h"
#include "test_support.h"

namespace zarvento {
namespace {

using test::Frames;
using Lines = std::vector<std::string>;

class FramesBuiltInTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        ResetModalState();
    }

    template <class T, class... Args>
    T& Add(Args&&... args) {
        frames.push_back(std::make_unique<T>(std::forward<Args>(args)...));
        return static_cast<T&>(*frames.back());
    }

    void BuildProgram() { test::BuildTurningProgram(frames); }
    int WriteAll(Lines& lines, int number) { return test::WriteFrames(frames, lines, number); }

    Frames frames;
};

TEST_F(FramesBuiltInTest, ProgramInEachXConvention) {
    // The first arc turns counter-clockwise in the internal (Z, X) frame; X
    // printed mirrored (diameter, radius in +X) turns it clockwise.
    struct Case {
        int mode;
        const char* x[4];  // rapid approach, first arc, second arc, retract
        const char* g[2];  // the arcs' letters
    };
    const Case cases[] = {
        {0, {"X40 ", "X50 ", "X60 ", "X100 "}, {"G02  ", "G03  "}},
        {1, {"X-20 ", "X-25 ", "X-30 ", "X-50 "}, {"G03  ", "G02  "}},
        {2, {"X20 ", "X25 ", "X30 ", "X50 "}, {"G02  ", "G03  "}},
    };
    for (const Case& c : cases) {
        ResetProcessState();
        ResetModalState();
        frames.clear();
        SettingsRecord::Global().xOutputMode = c.mode;
        BuiltInFrameTexts::Global().toolOffsetText = "H01";
        BuildProgram();
        Lines lines;
        EXPECT_EQ(WriteAll(lines, 1), 17);
        const Lines expected = {
            " N001  G90 G40 G17",
            " N002  T1",
            " N002  H01",
            " N004  G96  S150 _MINS100 _MAXS2500 ",
            " N005  M03",
            std::string(" N006  G00  ") + c.x[0] + "Z2 ",
            " N007  G01  Z-30 F0.2 ",
            std::string(" N008  ") + c.g[0] + c.x[1] + "Z-35 R5 ",
            std::string(" N009  ") + c.g[1] + c.x[2] + "Z-40 R-5 F0.1 ",
            std::string(" N010  G00  ") + c.x[3],
            " N011  G04  P0.5 ",
            " N012  G28 W0",
            " N013  G28 U0",
            " N014  G28 U0 W0",
            " ( Конец )",
            " N015  M05",
            " N016  M30",
        };
        EXPECT_EQ(lines, expected) << "X convention " << c.mode;
        EXPECT_EQ(ModalState.builtInTextWritten, 1);
    }
}

TEST_F(FramesBuiltInTest, FrameKeepsItsFirstNumberAndNumberingCanBeOff) {
    BuildProgram();
    Lines lines;
    WriteAll(lines, 1);
    Lines again;
    EXPECT_EQ(frames[4]->WriteText(again, 40), 41);
    EXPECT_EQ(again.front().substr(0, 7), " N005  ");
    EXPECT_EQ(frames[4]->frameNumber, 5);

    ResetModalState();
    for (auto& f : frames) f->frameNumber = -1;
    Lines unnumbered;
    EXPECT_EQ(WriteAll(unnumbered, -1), -1);
    EXPECT_EQ(unnumbered[0], " G90 G40 G17");
    EXPECT_EQ(unnumbered[1], " T1");
    EXPECT_EQ(ModalState.frameCounter, 0);
}

TEST_F(FramesBuiltInTest, ToolChangeFormats) {
    auto& t = Add<CCadre_T>(2, 3.0, 1.0, false);
    EXPECT_EQ(ModalState.previousTool, 2);
    EXPECT_EQ(ModalState.spindleState, 0);
    EXPECT_EQ(*t.GetVariable("_T"), 3.0);
    EXPECT_EQ(*t.GetVariable("_T0"), 1.0);
    struct Case {
        const char* format;
        const char* line;
    };
    // A format from a description file is used only when it is one integer conversion.
    const Case cases[] = {{"T%d", " N001  T3"},  {"T%02d02", " N001  T0302"}, {"T%s", " N001  T3"},
                          {"%n%n", " N001  T3"}, {"T%d%d", " N001  T3"},      {"", " N001  T3"}};
    for (const Case& c : cases) {
        BuiltInFrameTexts::Global().toolCallFormat = c.format;
        Lines lines;
        t.frameNumber = -1;
        ModalState.frameCounter = 0;
        EXPECT_EQ(t.WriteText(lines, 1), 2);
        EXPECT_EQ(lines, Lines{c.line}) << c.format;
    }
}

// A word is written when it prints otherwise than the word last written for
// its axis (the frame's own start is no measure: changes below the printed
// resolution added up, dropped against each frame's start, once flattened
// whole crests); a move that changes no word writes no block at all.
TEST_F(FramesBuiltInTest, LineWordsAndFeedRules) {
    struct Case {
        FramePoint from, to;
        double feed;
        bool rapid, force;
        std::uint8_t lastRapid;
        double modalFeed;
        const char *writtenX, *writtenZ;  // the words last written
        const char* text;                 // null: no block
    };
    const Case cases[] = {
        {{-10, 0, 5}, {-10, 0, 5.0005}, 0.2, false, false, 0, 0.2, "X20 ", "Z5 ", nullptr},
        {{-10, 0, 5.0005}, {-10, 0, 5.001}, 0.2, false, false, 0, 0.2, "X20 ", "Z5 ", " N001  G01  Z5.001 "},
        {{-10.0004, 0, 5}, {-10.0008, 0, 5}, 0.2, false, false, 0, 0.2, "X20 ", "Z5 ", " N001  G01  X20.002 "},
        {{-10, 0, 5}, {-10, 0, 5}, 0.2, false, true, 0, 0.2, "X20 ", "Z5 ", " N001  G01  X20 Z5 "},
        {{-10, 0, 5}, {-10, 0, 0}, 0.3, false, false, 0, 0.2, "X20 ", "Z5 ", " N001  G01  Z0 "},
        {{-10, 0, 5}, {-10, 0, 0}, 0.3, false, false, 0, 0.2, "", "", " N001  G01  X20 Z0 "},
        {{-10, 0, 5}, {-10, 0, 0}, 0.3, false, false, 1, 0.2, "X20 ", "Z5 ", " N001  G01  Z0 F0.3 "},
        // A new feed alone is no block: the next move that goes somewhere writes it.
        {{-10, 0, 5}, {-10, 0, 5.0003}, 0.3, false, false, 1, 0.2, "X20 ", "Z5 ", nullptr},
        {{-10, 0, 5}, {-10, 0, 0}, 0.2, false, false, 1, 0.2, "X20 ", "Z5 ", " N001  G01  Z0 "},
        {{-10, 0, 5}, {-10, 0, 0}, 0.3, true, false, 1, 0.2, "X20 ", "Z5 ", " N001  G00  Z0 "},
        {{-10, 1, 5}, {-10, 1, 5}, 0.2, false, false, 0, 0.2, "X20 ", "Z5 ", " N001  G01  X-10 "},
        {{-10, 1, 5}, {-12, 3, 5}, 0.2, false, false, 0, 0.2, "X20 ", "Z5 ", " N001  G01  X-12 Y3 "},
    };
    for (const Case& c : cases) {
        ResetModalState();
        CCadre_LineG01 line(c.from, c.to, c.feed, c.rapid, c.force);
        line.SetOutputCoordinates();
        ModalState.lastMoveRapid = c.lastRapid;
        ModalState.feed = c.modalFeed;
        ModalState.writtenX = c.writtenX;
        ModalState.writtenZ = c.writtenZ;
        Lines lines;
        EXPECT_EQ(line.WriteText(lines, 1), c.text ? 2 : 1);
        EXPECT_EQ(lines, c.text ? Lines{c.text} : Lines{}) << (c.text ? c.text : "no block");
        // A block not written changes nothing of the modal state.
        EXPECT_EQ(ModalState.lastMoveRapid, c.text ? (c.rapid ? 1 : 0) : c.lastRapid);
        EXPECT_EQ(ModalState.feed, c.text ? c.feed : c.modalFeed);
        EXPECT_EQ(ModalState.position[0], c.to.x);
    }
}

TEST_F(FramesBuiltInTest, ArcVariables) {
    // A half turn from the top to the bottom of a circle about (X -20, Z 0).
    CCadre_ArcG02 half(-20, 0, 5, -15, 0, -25, 0, 0.1, false);
    EXPECT_EQ(*half.GetVariable("_R"), 5.0);
    EXPECT_NEAR(*half.GetVariable("_ANG"), 180.0, 1e-9);
    // The centre's X offset is a radius along the printed X: the diameter's
    // and the radius in +X run against the internal X.
    for (int mode : {0, 1, 2}) {
        SettingsRecord::Global().xOutputMode = mode;
        EXPECT_EQ(*half.GetVariable("_I"), mode == 1 ? -5.0 : 5.0) << mode;
    }
    EXPECT_EQ(*half.GetVariable("_K"), 0.0);
    EXPECT_NEAR(*half.GetVariable("_X3"), -20.0, 1e-9);
    CCadre_ArcG03 most(-20, 0, 5, -15, 0, -25, -0.001, 0.1, false);
    EXPECT_EQ(*most.GetVariable("_R"), 5.0);
    CCadre_ArcG02 over(-20, 0, 5, -15, 0, -25, -0.01, 0.1, false);
    EXPECT_EQ(*over.GetVariable("_R"), -5.0);
    SettingsRecord::Global().xOutputMode = 0;
    half.SetOutputCoordinates();
    EXPECT_EQ(*half.GetVariable("_X0"), 40.0);
    EXPECT_EQ(*half.GetVariable("_X1"), 30.0);
    half.Move(1, 0, 2);
    EXPECT_EQ(half.centreX, -19.0);
    EXPECT_EQ(half.centreZ, 2.0);
    EXPECT_EQ(half.GetVariable("_Q"), nullptr);
}

TEST_F(FramesBuiltInTest, UnitsMakeTheirMoveFrames) {
    CLineUnit line(10, -40, 2, -20, true);
    CadrePtr l = line.CreateCadre();
    auto* lf = dynamic_cast<CCadre_LineG01*>(l.get());
    ASSERT_NE(lf, nullptr);
    EXPECT_EQ(lf->rapid, 1);
    EXPECT_EQ(lf->start.x, -40.0);
    EXPECT_EQ(lf->end.z, 2.0);
    EXPECT_EQ(ModalState.position[0], -20.0);
    // The frame's sense and sweep agree with the unit's for both directions.
    for (int dir : {1, -1}) {
        CArcUnit arc(-35, -30, 5, -35, -25, -40, -30, dir);
        CadrePtr a = arc.CreateCadre();
        auto* af = dynamic_cast<CCadre_ArcG02*>(a.get());
        ASSERT_NE(af, nullptr);
        EXPECT_EQ(af->arcLetter, dir == 1 ? '2' : '3');
        EXPECT_NEAR(af->SweepAngle(), arc.GetSweep(), 1e-12);
        IntersectPoint mid;
        arc.GetMidPoint(mid, -35, -25, -40, -30);
        EXPECT_NEAR(*af->GetVariable("_X3"), mid.x, 1e-12);
    }
}

TEST_F(FramesBuiltInTest, ArcFeedWordAfterRapid) {
    Add<CCadre_LineG01>(-40.0, 10.0, -20.0, 2.0, 0.2, true);
    Add<CCadre_ArcG03>(-25.0, 2.0, 5.0, -20.0, 2.0, -25.0, -3.0, 0.2, false);
    Lines lines;
    WriteAll(lines, 1);
    EXPECT_EQ(lines[1], " N002  G02  X50 Z-3 R5 F0.2 ");
}

TEST_F(FramesBuiltInTest, XConventionOfTheOutputValues) {
    const int modes[] = {0, 1, 2, 7};
    const double expected[] = {20, -10, 10, 10};
    for (int i = 0; i < 4; ++i) {
        SettingsRecord::Global().xOutputMode = modes[i];
        CCadre_LineG01 line(-10, 0, -12, -5, 0.1, false);
        line.SetOutputCoordinates();
        EXPECT_EQ(*line.GetVariable("_X1"), expected[i]);
        EXPECT_EQ(*line.GetVariable("_Z2"), -5.0);
    }
}

TEST_F(FramesBuiltInTest, ModalStateThroughConstructionAndSetModalState) {
    ModalState.feed = 0.3;
    CCadre_LineG01 keeps(-10, 0, -10, -5, 0.5, false);
    CCadre_LineG01 takes(-10, -5, -10, -9, 0.0, false);
    EXPECT_EQ(keeps.feed, 0.5);
    EXPECT_EQ(takes.feed, 0.3);
    EXPECT_EQ(ModalState.position[2], -9.0);

    CCadre_S_F sf(800, 0.25);
    EXPECT_EQ(sf.previousSpindleSpeed, 0.0);
    EXPECT_EQ(sf.previousFeed, 0.3);
    EXPECT_EQ(ModalState.spindleSpeed, 800.0);
    CCadre_G96 g96(120, 50, 0);
    EXPECT_EQ(ModalState.constantSpeed, 1);
    EXPECT_EQ(*g96.GetVariable("_V"), 120.0);
    CCadre_G97 g97(600);
    EXPECT_EQ(g97.previousSpindleSpeed, 120.0);
    EXPECT_EQ(ModalState.constantSpeed, 0);
    CCadre_M4 m4;
    EXPECT_EQ(ModalState.spindleReverse, 1);
    EXPECT_EQ(m4.kindLetter, '4');
    CCadre_F f(0.15);
    EXPECT_EQ(f.previousFeed, 0.25);
    ModalState.feed = 0.0;
    f.SetModalState();
    EXPECT_EQ(ModalState.feed, 0.15);
    CCadre_M5 m5;
    EXPECT_EQ(ModalState.spindleState, 5);

    Lines lines;
    EXPECT_EQ(sf.WriteText(lines, 3), 4);
    EXPECT_EQ(g96.WriteText(lines, 4), 5);
    EXPECT_EQ(lines, (Lines{" N001  S800 F0.25 ", " N002  G96  S120 _MINS50 "}));
}

TEST_F(FramesBuiltInTest, OlderLayoutKeysOfTheBuiltInTexts) {
    BuiltInFrameTexts& texts = BuiltInFrameTexts::Global();
    texts.ApplyOlderLayoutKeys("G90 G95", "G67", "T%02d", "G43");
    texts.ApplyOlderLayoutKeys("", "", "", "");
    EXPECT_EQ(texts.startText, "G90 G40 G17");
    EXPECT_EQ(texts.syncCode, "G67");
    EXPECT_EQ(texts.toolCallFormat, "T%d");
    EXPECT_EQ(texts.toolOffsetText, "");
    CCadre_Safe safe;
    Lines lines;
    safe.WriteText(lines, 1);
    EXPECT_EQ(lines, Lines{" N001  G90 G40 G17"});
}

TEST_F(FramesBuiltInTest, ToolChangeUnderVersion18TakesTheModalValues) {
    CCadre_T t(4, 5, 1, false);
    t.spindleSpeed = 900;
    t.spindleState = 3;
    ModalState.versionText = "18";
    t.SetModalState();
    EXPECT_EQ(ModalState.previousTool, 4);
    EXPECT_EQ(ModalState.spindleSpeed, 900.0);
    EXPECT_EQ(ModalState.spindleState, 3);
}

TEST_F(FramesBuiltInTest, CommentTemplateOnlyKindsAndExportRun) {
    CCadre_Comment comment("Черновой проход " + std::string(3000, 'x'));
    CCadre_Head head;
    CCadre_BegOper beg;
    Lines lines;
    EXPECT_EQ(comment.WriteText(lines, 7), 7);
    EXPECT_EQ(lines.front().size(), 3000 + std::string(" ( Черновой проход  )").size());
    EXPECT_EQ(ModalState.frameCounter, 0);
    EXPECT_EQ(head.WriteText(lines, 7), 7);
    EXPECT_EQ(beg.WriteText(lines, 7), 7);
    EXPECT_EQ(lines.size(), 1u);
    EXPECT_EQ(head.GetPositionCount(), 1);
    EXPECT_EQ(beg.GetPositionCount(), 0);

    ModalState.builtInTextWritten = 0;
    ExportRunGuard exporting;
    CCadre_M3 m3;
    EXPECT_EQ(comment.WriteText(lines, 7), 7);
    EXPECT_EQ(m3.WriteText(lines, 7), 8);
    EXPECT_EQ(lines.size(), 1u);
    EXPECT_EQ(ModalState.builtInTextWritten, 1);  // from M03's number, not the comment
}

TEST_F(FramesBuiltInTest, CounterBeyondAnyBlockNumberIsNotConverted) {
    ModalState.frameCounter = 3e9;
    CCadre_M3 m3;
    Lines lines;
    m3.WriteText(lines, 1);
    EXPECT_EQ(lines, Lines{" M03"});
    EXPECT_EQ(m3.frameNumber, -1);
}

}  // namespace
}  // namespace zarvento
