// End to end: the installed VERSION "18" description turns a small program of
// frames into its NC text through templates alone, in each units setting.
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "../nc/frame_test_program.h"
#include "geometry/line_unit.h"
#include "golden_file.h"
#include "nc/cadre_beg_oper.h"
#include "nc/cadre_code.h"
#include "nc/cadre_doc1.h"
#include "nc/cadre_end_oper.h"
#include "nc/cadre_g40.h"
#include "nc/cadre_g42.h"
#include "nc/cadre_head.h"
#include "nc/cadre_m8.h"
#include "nc/cadre_m9.h"
#include "nc/cadre_name_oper.h"
#include "nc/cycle_auto.h"
#include "nc/modal_state.h"
#include "platform/documents/settings_record.h"
#include "post/post_processor.h"
#include "post/post_processor_links.h"
#include "test_support.h"

namespace zarvento {
namespace {

namespace fs = std::filesystem;

// The program's closing frame, written only by its template; the program
// object that will own this kind does not exist yet.
class ProgramEndFrame : public CCadreCode {
public:
    ProgramEndFrame() : CCadreCode("End", nullptr) {}
};

// What the plan and the operation answer while a program is written.
class PlanStandIn : public PARAMETERS {
public:
    const double* GetParameter(std::string_view name) override {
        if (name == "i") return ModalState.loopIndex > 0 ? &(loop = ModalState.loopIndex) : nullptr;
        if (name == "_NumStr") return &ModalState.frameCounter;
        auto v = values.find(std::string(name));
        return v == values.end() ? nullptr : &v->second;
    }
    const std::string* GetStringParameter(std::string_view name) override {
        if (name == "_sMEMSTR") return &ModalState.heldLine;
        if (name == "TOOLi.sName") {
            const auto i = static_cast<std::size_t>(ModalState.loopIndex + 0.5);
            return i >= 1 && i <= toolNames.size() ? &toolNames[i - 1] : nullptr;
        }
        auto t = texts.find(std::string(name));
        return t == texts.end() ? nullptr : &t->second;
    }

    // The roughing operation's values its G71 and G70 take: depth of cut,
    // retract, finishing allowance, feeds, finishing speed at constant speed.
    std::map<std::string, double> values{{"_NPOS", 2.0},  {"_INCH", 0.0},   {"_DEPT", 2.0},
                                         {"_RETR", 0.5},  {"_FALW", 0.1},   {"_FEED", 0.25},
                                         {"_FFED", 0.12}, {"_FSPN", 180.0}, {"_VCON", 1.0}};
    std::map<std::string, std::string> texts{{"_sPOST", "ISO_Lathe"}, {"_sNAMEOPER", "Наружное точение"}};
    std::vector<std::string> toolNames{"Резец проходной", "Сверло 8"};
    double loop = 0.0;
};

class TemplateProgramTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        ResetModalState();
        SettingsRecord::Global().xOutputMode = 0;
        ASSERT_TRUE(post.ReadPostProcessorDescription());
    }

    // Head, safe block, an operation with a tool change, spindle and coolant,
    // moves and arcs under compensation, a dwell, a drilling cycle, the
    // reference return, and the closing frames.
    test::Frames BuildProgram() {
        using namespace test;
        Frames f;
        f.push_back(std::make_unique<CCadre_Head>());
        f.push_back(std::make_unique<CCadre_Safe>());
        f.push_back(std::make_unique<CCadre_Comment>("Точение, переход 1"));
        f.push_back(std::make_unique<CCadre_NameOper>());
        f.push_back(std::make_unique<CCadre_BegOper>());
        f.push_back(std::make_unique<CCadre_T>(0, 1.0, 0.0, true));
        f.push_back(std::make_unique<CCadre_G96>(150.0, 100.0, 2500.0));
        f.push_back(std::make_unique<CCadre_M3>());
        f.push_back(std::make_unique<CCadre_M8>());
        f.push_back(std::make_unique<CCadre_G42>());
        f.push_back(std::make_unique<CCadre_LineG01>(-40.0, 10.0, -20.0, 2.0, 0.0, true));
        f.push_back(std::make_unique<CCadre_LineG01>(-20.0, 2.0, -20.0, -30.0, 0.2, false));
        f.push_back(std::make_unique<CCadre_ArcG03>(-25.0, -30.0, 5.0, -20.0, -30.0, -25.0, -35.0, 0.2, false));
        f.push_back(std::make_unique<CCadre_ArcG02>(-30.0, -35.0, 5.0, -25.0, -35.0, -30.0, -40.0, 0.1, false));
        f.push_back(std::make_unique<CCadre_G40>());
        f.push_back(std::make_unique<CCadre_LineG01>(-30.0, -40.0, -50.0, -40.0, 0.0, true));
        f.push_back(TurningCycle());
        f.push_back(std::make_unique<CCadre_G04>(0.5));
        f.push_back(std::make_unique<CCadre_LineG01>(-50.0, -40.0, 0.0, 2.0, 0.0, true));
        f.push_back(DrillingCycle());
        AddG28(f, 0, 2, -150, 150);
        f.push_back(std::make_unique<CCadre_M9>());
        f.push_back(std::make_unique<CCadre_M5>());
        f.push_back(std::make_unique<CCadre_EndOper>());
        f.push_back(std::make_unique<CCadre_Comment>("Конец"));
        f.push_back(std::make_unique<CCadre_M30>());
        f.push_back(std::make_unique<CCadre_Doc1>());
        f.push_back(std::make_unique<ProgramEndFrame>());
        for (auto& frame : f) frame->codeParameters->parent = &plan;
        return f;
    }

    // The operation's copy of the description's G71 roughing a step from
    // diameter 20 to 30, with the finishing profile printed unit by unit.
    std::unique_ptr<CCycle_Auto> TurningCycle() {
        auto cycle = std::make_unique<CCycle_Auto>();
        cycle->Copy(*post.FindCycleDefinition("G71"));
        cycle->start = {-50.0, 0.0, -40.0};
        cycle->workContour = std::make_unique<Contour>();
        cycle->printContour = std::make_unique<Contour>();
        const double points[][2] = {{-40, -10}, {-42, -10}, {-60, -10}, {-60, -15}, {-62, -15}};
        for (std::size_t i = 1; i < std::size(points); ++i) {
            cycle->workContour->AddUnit(
                std::make_unique<CLineUnit>(points[i - 1][0], points[i - 1][1], points[i][0], points[i][1]));
            if (i >= 2 && i <= 3)
                cycle->printContour->AddUnit(
                    std::make_unique<CLineUnit>(points[i - 1][0], points[i - 1][1], points[i][0], points[i][1]));
        }
        cycle->SetParentParameters(&plan);
        cycle->CreatePathFigure();
        return cycle;
    }

    // The operation's copy of the description's G83, drilling from Z 2 to Z -20.
    std::unique_ptr<CCycle_Auto> DrillingCycle() {
        auto cycle = std::make_unique<CCycle_Auto>();
        cycle->Copy(*post.FindCycleDefinition("G83"));
        cycle->start = {0.0, 0.0, 2.0};
        cycle->workContour = std::make_unique<Contour>();
        cycle->workContour->AddUnit(std::make_unique<CLineUnit>(2.0, 0.0, -20.0, 0.0));
        cycle->SetParentParameters(&plan);
        cycle->CreatePathFigure();
        return cycle;
    }

    std::string WriteProgram() {
        ResetAddressWords(0, &plan);
        test::Frames frames = BuildProgram();
        std::vector<std::string> lines;
        test::WriteFrames(frames, lines, 1);
        std::string text;
        for (const std::string& l : lines) text += l + "\n";
        return text;
    }

    CPostProcessor post{"ISO_Lathe", test::FixturePath("../../POSTPROCESSORS/ISO_Lathe.py3")};
    PlanStandIn plan;
};

TEST_F(TemplateProgramTest, EveryFrameIsWrittenByItsTemplate) {
    for (int inch : {0, 1, 2}) {
        plan.values["_INCH"] = inch;
        const std::string text = WriteProgram();
        test::ExpectGolden("post/ISO_Lathe_program_" + std::to_string(inch) + ".nc", text);
        EXPECT_EQ(ModalState.builtInTextWritten, 0) << "units " << inch;
        EXPECT_TRUE(ModalState.errorTexts.empty()) << ModalState.errorTexts.front();
        ResetModalState();
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(TemplateProgramTest, AFrameWithoutItsTemplateFallsBackToTheBuiltInText) {
    // The description has no template for these kinds; the flag tells the
    // program builder that a script must finish the text.
    FrameTemplates::Set("G04", nullptr);
    WriteProgram();
    EXPECT_EQ(ModalState.builtInTextWritten, 1);
}

// Names typed by users and file names reach the program inside comments: an
// operation named "Finish) G00 X0 Z-50 (" once wrote "(FINISH) G00 X0 Z-50 ()",
// and a document "inj2) M30 (.rdp" the block "(inj2) M30 ()"; a control ends
// the comment at the first ")" and runs the move. A line break in a name
// would start a block of its own.
TEST_F(TemplateProgramTest, NamesInsideCommentsNeverCloseThemNorBreakTheBlock) {
    plan.texts["_sNAMEOPER"] = "Finish) G00 X0 Z-50 (";
    plan.texts["_sPOST"] = "inj2) M30 (\r\nG00 X0";
    test::Frames frames;
    frames.push_back(std::make_unique<CCadre_Head>());
    frames.push_back(std::make_unique<CCadre_Comment>("part) M30 (\nN1 G00 X0"));
    frames.push_back(std::make_unique<CCadre_NameOper>());
    for (auto& frame : frames) frame->codeParameters->parent = &plan;
    ResetAddressWords(0, &plan);
    std::vector<std::string> lines;
    test::WriteFrames(frames, lines, 1);
    std::string text;
    for (const std::string& l : lines) text += l + "\n";
    EXPECT_NE(text.find("O0001 (inj2] M30 [  G00 X0)"), std::string::npos) << text;
    EXPECT_NE(text.find("(part] M30 [ N1 G00 X0)"), std::string::npos) << text;
    EXPECT_NE(text.find("(FINISH] G00 X0 Z-50 [)"), std::string::npos) << text;
    for (const std::string& line : lines) {
        EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
        // Every comment opened on a line is the last thing on it.
        if (line.find('(') != std::string::npos) {
            EXPECT_EQ(line.find(')'), line.size() - 1) << line;
        }
    }

    // The frames' own text, without a template, keeps its comment shut too.
    FrameTemplates::Set("Comm", nullptr);
    CCadre_Comment bare("a) G00 X0 (b");
    lines.clear();
    bare.WriteText(lines, 1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], " ( a] G00 X0 [b )");
}

}  // namespace
}  // namespace zarvento
