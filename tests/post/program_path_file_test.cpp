// The script's path file: moves attached to the frames that printed their
// block numbers, scaled by the program units, replaced on a second reading.
#include <memory>
#include <vector>

#include "nc/address_table.h"
#include "nc/cadre_f.h"
#include "nc/cadre_g04.h"
#include "nc/cadre_g66.h"
#include "nc/cadre_line_g01.h"
#include "nc/cadre_s.h"
#include "nc/frame_templates.h"
#include "nc/modal_state.h"
#include "platform/documents/settings_record.h"
#include "post/program.h"
#include "post/python_run.h"
#include "program_links_stand_in.h"

namespace zarvento {
namespace {

// A machine-cycle frame of chisel threading shifts the moves it is given.
class ShiftedFrame : public CCadre_LineG01 {
public:
    using CCadre_LineG01::CCadre_LineG01;
    double GetXShift() const override { return 1.5; }
};

class ProgramPathFileTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        ResetModalState();
        SettingsRecord::Global().xOutputMode = 0;
    }

    // Three moves from (-30, 5) in steps along Z, in program order.
    template <typename Frame = CCadre_LineG01>
    void AddMoves(int count = 3) {
        for (int i = 0; i < count; ++i) {
            owned.push_back(
                std::make_unique<Frame>(-30.0, 5.0 - 10.0 * i, -30.0, -5.0 - 10.0 * i, 0.1 * (i + 1), false));
            program.frames.Add(owned.back().get());
        }
    }

    // The text pass: every frame numbered as the program writes it.
    std::vector<std::string> WriteText() {
        ResetModalState();
        std::vector<std::string> lines;
        int n = 1;
        for (CCadreISO* f : program.frames) {
            f->SetModalState();
            f->SetOutputCoordinates();
            n = f->WriteText(lines, n);
        }
        return lines;
    }

    void ReadPath(const std::string& text) {
        links.WriteFile(kPathFileName, text);
        program.ReadPathFile();
    }

    CCadreISO& Frame(int i) { return *program.frames[static_cast<std::uint32_t>(i)]; }
    template <typename T>
    T* Move(int frame, int i) {
        const auto moves = Frame(frame).SubFrames();
        const auto at = static_cast<std::size_t>(i);
        return at < moves.size() ? dynamic_cast<T*>(moves[at]) : nullptr;
    }

    test::ProgramLinksStandIn links;
    CPROGRAM program;
    std::vector<std::unique_ptr<CCadreISO>> owned;
};

TEST_F(ProgramPathFileTest, WordsScaledByTheProgramUnits) {
    struct Case {
        int nINCH;
        double factor;
    };
    for (const Case c : {Case{0, 1.0}, Case{1, 25.40038}, Case{2, 10.0}, Case{7, 1.0}}) {
        SCOPED_TRACE(c.nINCH);
        owned.clear();
        program.frames.RemoveAll();
        AddMoves(1);
        WriteText();
        ProgramUnits::Global().Set(c.nINCH);
        ReadPath("N1 G01 X20 Y4 Z-5 F0.2\r\n");
        auto* move = Move<CCadre_LineG01>(0, 0);
        ASSERT_NE(move, nullptr);
        EXPECT_DOUBLE_EQ(move->end.x, 20 * -0.5 * c.factor);
        EXPECT_DOUBLE_EQ(move->end.y, 4 * c.factor);
        EXPECT_DOUBLE_EQ(move->end.z, -5 * c.factor);
        EXPECT_DOUBLE_EQ(move->feed, 0.2 * c.factor);
        EXPECT_FALSE(move->rapid);
        // The first move starts where its frame does.
        EXPECT_DOUBLE_EQ(move->start.x, -30.0);
        EXPECT_DOUBLE_EQ(move->start.z, 5.0);
    }
}

TEST_F(ProgramPathFileTest, EachCodeMakesItsMove) {
    AddMoves(1);
    WriteText();
    ReadPath(
        "N1 G00 X40 Z2\r\n"
        "N1 G01 Z-10 F0.25\r\n"
        "N1 G66\r\n"
        "N1 G04 P2\r\n"
        "N1 G04\r\n"  // a dwell without its time: nothing
        "N1 F0.3\r\n"
        "N1 S800\r\n"
        "N1 M08\r\n");  // nothing either
    ASSERT_EQ(Frame(0).SubFrames().size(), 6u);
    auto* rapid = Move<CCadre_LineG01>(0, 0);
    ASSERT_NE(rapid, nullptr);
    EXPECT_TRUE(rapid->rapid);
    EXPECT_DOUBLE_EQ(rapid->end.x, -20.0);
    auto* cut = Move<CCadre_LineG01>(0, 1);
    ASSERT_NE(cut, nullptr);
    EXPECT_FALSE(cut->rapid);
    EXPECT_DOUBLE_EQ(cut->start.z, 2.0);  // from where the move before ended
    EXPECT_DOUBLE_EQ(cut->end.x, -20.0);  // X is modal
    EXPECT_DOUBLE_EQ(cut->end.z, -10.0);
    EXPECT_DOUBLE_EQ(cut->feed, 0.25);
    EXPECT_NE(Move<CCadre_G66>(0, 2), nullptr);
    ASSERT_NE(Move<CCadre_G04>(0, 3), nullptr);
    EXPECT_DOUBLE_EQ(Move<CCadre_G04>(0, 3)->dwell, 2.0);
    ASSERT_NE(Move<CCadre_F>(0, 4), nullptr);
    EXPECT_DOUBLE_EQ(Move<CCadre_F>(0, 4)->feed, 0.3);
    ASSERT_NE(Move<CCadre_S>(0, 5), nullptr);
    EXPECT_DOUBLE_EQ(Move<CCadre_S>(0, 5)->spindleSpeed, 800.0);
    // The frame ends where its moves do, and the next one would start there.
    EXPECT_DOUBLE_EQ(Frame(0).end.z, -10.0);
}

TEST_F(ProgramPathFileTest, MovesGoToTheirFramesAndTheNextFrameStartsWhereTheyEnd) {
    AddMoves(3);
    WriteText();
    ReadPath(
        "N2 G01 X70 Z-8\r\n"
        "N2 G01 X70 Z-12\r\n"
        "N9 G01 X1 Z1\r\n"  // no such frame: skipped up to the next known number
        "G01 X2 Z2\r\n"
        "N3 G00 X80 Z-30\r\n");
    EXPECT_TRUE(Frame(0).SubFrames().empty());
    ASSERT_EQ(Frame(1).SubFrames().size(), 2u);
    ASSERT_EQ(Frame(2).SubFrames().size(), 1u);
    EXPECT_DOUBLE_EQ(Frame(1).end.z, -12.0);
    // The frame after N2 starts where N2's last move ends, and so does its first move.
    EXPECT_DOUBLE_EQ(Frame(2).start.x, -35.0);
    EXPECT_DOUBLE_EQ(Frame(2).start.z, -12.0);
    EXPECT_DOUBLE_EQ(Move<CCadre_LineG01>(2, 0)->start.z, -12.0);
    EXPECT_DOUBLE_EQ(Frame(2).end.x, -40.0);
}

TEST_F(ProgramPathFileTest, ANumberReadAgainReplacesItsMoves) {
    AddMoves(2);
    WriteText();
    ReadPath("N1 G01 X10 Z0\r\nN2 G01 X12 Z0\r\nN1 G01 X14 Z0\r\n");
    ASSERT_EQ(Frame(0).SubFrames().size(), 1u);
    EXPECT_DOUBLE_EQ(Move<CCadre_LineG01>(0, 0)->end.x, -7.0);
    // A second reading of the same file neither doubles nor leaks the moves.
    program.ReadPathFile();
    EXPECT_EQ(Frame(0).SubFrames().size(), 1u);
    EXPECT_EQ(Frame(1).SubFrames().size(), 1u);
}

TEST_F(ProgramPathFileTest, LineEndsOfAnyFormAndALastLineWithoutOne) {
    AddMoves(1);
    WriteText();
    ReadPath("N1 G01 X10 Z0\nN1 G01 X12 Z0\rN1 G01 X14 Z0\r\nN1 G01 X16 Z0");
    ASSERT_EQ(Frame(0).SubFrames().size(), 4u);
    EXPECT_DOUBLE_EQ(Move<CCadre_LineG01>(0, 3)->end.x, -8.0);
    // A zero byte ends the text.
    ReadPath(std::string("N1 G01 X10 Z0\n\0N1 G01 X12 Z0\n", 28));
    EXPECT_EQ(Frame(0).SubFrames().size(), 1u);
}

TEST_F(ProgramPathFileTest, MovesAfterTheSecondTakeTheFramesXShift) {
    AddMoves<ShiftedFrame>(1);
    WriteText();
    ReadPath("N1 G01 X10 Z0\r\nN1 G01 X10 Z-1\r\nN1 G01 X10 Z-2\r\n");
    ASSERT_EQ(Frame(0).SubFrames().size(), 3u);
    EXPECT_DOUBLE_EQ(Move<CCadre_LineG01>(0, 1)->end.x, -5.0);
    EXPECT_DOUBLE_EQ(Move<CCadre_LineG01>(0, 2)->start.x, -3.5);
    EXPECT_DOUBLE_EQ(Move<CCadre_LineG01>(0, 2)->end.x, -3.5);
}

TEST_F(ProgramPathFileTest, NoPathFileNoMoves) {
    AddMoves(1);
    WriteText();
    program.ReadPathFile();
    EXPECT_TRUE(Frame(0).SubFrames().empty());
    EXPECT_TRUE(Messages().empty());
}

// Built-in texts and templates number frames differently inside: a frame
// numbered by its template keeps the number after the one it printed. Both
// must take the moves of the number they printed.
TEST_F(ProgramPathFileTest, MovesFindTheFrameThatPrintedTheirNumberBuiltInOrTemplate) {
    for (const bool templates : {false, true}) {
        SCOPED_TRACE(templates);
        FrameTemplates::Clear();
        if (templates) {
            for (const char* w : {"X", "Z", "F"}) AddressTable::Global().AddWord(w);
            auto t = std::make_unique<CycleCodeLists>();
            CodeLine line;
            line.text = "G01 X%m Z%m";
            line.arguments = {"_X2", "_Z2"};
            line.numbered = 1;
            t->code.push_back(line);
            FrameTemplates::Set("G01", std::move(t));
        }
        owned.clear();
        program.frames.RemoveAll();
        AddMoves(3);
        const std::vector<std::string> text = WriteText();
        ASSERT_EQ(text.size(), 3u);
        EXPECT_EQ(text[1].find(templates ? "N2 " : "N002 "), 1u) << text[1];
        ReadPath("N2 G01 X70 Z-8\r\n");
        EXPECT_TRUE(Frame(0).SubFrames().empty());
        EXPECT_EQ(Frame(1).SubFrames().size(), 1u);
        EXPECT_TRUE(Frame(2).SubFrames().empty());
    }
}

}  // namespace
}  // namespace zarvento
