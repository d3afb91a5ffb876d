// The reader of programs as written, which the main job checks programs
// with and the tests read them with: modal motion, the X conventions and the
// units, arcs by R or by I and K in the sense their letter has as printed,
// returns to the reference point, thread cuts, machine cycles, and blocks no
// control could read.
#include "post/written_program_reader.h"
#include "platform/core/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace zarvento {
namespace {

struct Case {
    const char* name;
    int xMode;
    double scale;
    std::vector<std::string> blocks;
    // The last move: its kind, start and end in (z, x), x the negated radius.
    int g;
    double z1, x1, z2, x2;
    int count;  // moves read
};

TEST(WrittenProgramReaderTest, AThreadingCyclesDeepestPassIsAThreadCut) {
    std::vector<std::string> faults;
    const std::vector<WrittenMove> moves =
        ReadWrittenProgram({"G00 X22 Z1.5", "G76 X18.16 Z-26.55 P920 Q367 F1.5", "G00 X40"}, {}, &faults);
    EXPECT_TRUE(faults.empty());
    ASSERT_EQ(moves.size(), 6u);
    EXPECT_EQ(moves[2].g, 32);
    EXPECT_DOUBLE_EQ(moves[2].z1, 1.5);
    EXPECT_DOUBLE_EQ(moves[2].z2, -26.55);
    EXPECT_DOUBLE_EQ(moves[2].x2, -9.08);
    // The cycle ends where it began.
    EXPECT_DOUBLE_EQ(moves[5].z1, 1.5);
    EXPECT_DOUBLE_EQ(moves[5].x1, -11);
}

TEST(WrittenProgramReaderTest, BlocksAreReadAsAControlReadsThem) {
    const Case cases[] = {
        {"a rapid, then a modal feed", 0, 1.0, {"N1 G00 X40 Z5", "N2 Z-30"}, 0, 5, -20, -30, -20, 2},
        {"feed after rapid", 0, 1.0, {"G00 X40 Z5", "G01 X30 F0.2"}, 1, 5, -20, 5, -15, 2},
        {"radius in -X", 1, 1.0, {"G00 X-20 Z5", "G01 X-15"}, 1, 5, -20, 5, -15, 2},
        {"radius in +X", 2, 1.0, {"G00 X20 Z5", "G01 X15"}, 1, 5, -20, 5, -15, 2},
        {"inches", 0, 25.4, {"G00 X2 Z1"}, 0, 0, 0, 25.4, -25.4, 1},
        {"comments are no words", 0, 1.0, {"(X100 Z100) G00 X40 (Z7) Z5"}, 0, 0, 0, 5, -20, 1},
        {"blocks without a move", 0, 1.0, {"G00 G40 G80", "M03", "G97 S500 F0.2", "G00 X40 Z5"}, 0, 0, 0, 5, -20, 1},
        {"a thread cut", 0, 1.0, {"G00 X20 Z5", "G32 Z-20 F1.5"}, 32, 5, -10, -20, -10, 2},
        // Read as its deepest pass: in, along the thread, out, and back.
        {"a threading cycle",
         0,
         1.0,
         {"G00 X22 Z1.5", "G76 P010060 Q50 R0.02", "G76 X18.16 Z-26.55 P920 Q367 F1.5"},
         0,
         -26.55,
         -11,
         1.5,
         -11,
         5},
        {"a return to the reference on X",
         0,
         1.0,
         {"G00 X40 Z5", "G28 U0", "G00 Z-3"},
         0,
         5,
         -WrittenProgramReader::kReference,
         -3,
         -WrittenProgramReader::kReference,
         2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WrittenProgramFormat format;
        format.xMode = c.xMode;
        format.scale = c.scale;
        std::vector<std::string> faults;
        const std::vector<WrittenMove> moves = ReadWrittenProgram(c.blocks, format, &faults);
        EXPECT_TRUE(faults.empty());
        ASSERT_EQ(static_cast<int>(moves.size()), c.count);
        const WrittenMove& m = moves.back();
        EXPECT_EQ(m.g, c.g);
        EXPECT_NEAR(m.z1, c.z1, 1e-12);
        EXPECT_NEAR(m.x1, c.x1, 1e-12);
        EXPECT_NEAR(m.z2, c.z2, 1e-12);
        EXPECT_NEAR(m.x2, c.x2, 1e-12);
        EXPECT_EQ(m.line, static_cast<int>(c.blocks.size()) - 1);
    }
}

// A quarter of a circle of radius 5 about (z, radius) = (0, 10), from
// (5, 10) to (0, 15): counter-clockwise with Z right and the radius up, G03
// as printed in diameter or in +X, G02 printed in -X; by R and by I, K.
TEST(WrittenProgramReaderTest, ArcsTakeTheirCentreAndSenseAsPrinted) {
    struct ArcCase {
        int xMode;
        const char* start;
        const char* arc;
    } cases[] = {
        {0, "G00 X20 Z5", "G03 X30 Z0 R5"},       {0, "G00 X20 Z5", "G03 X30 Z0 I0 K-5"},
        {2, "G00 X10 Z5", "G03 X15 Z0 R5"},       {1, "G00 X-10 Z5", "G02 X-15 Z0 R5"},
        {1, "G00 X-10 Z5", "G02 X-15 Z0 I0 K-5"},
    };
    for (const ArcCase& c : cases) {
        SCOPED_TRACE(c.arc);
        WrittenProgramFormat format;
        format.xMode = c.xMode;
        const std::vector<WrittenMove> moves = ReadWrittenProgram({c.start, c.arc}, format);
        ASSERT_EQ(moves.size(), 2u);
        const WrittenMove& m = moves.back();
        EXPECT_TRUE(m.Arc());
        EXPECT_NEAR(m.cz, 0.0, 1e-9);
        EXPECT_NEAR(m.cx, -10.0, 1e-9);
        EXPECT_NEAR(m.r, 5.0, 1e-9);
        // Counter-clockwise with the radius up is clockwise in (z, x).
        EXPECT_NEAR(m.sweep, -PI / 2, 1e-9);
    }
}

// After a machine cycle's profile the control stands where the cycle began;
// a return to the reference point that names no axis leaves the position
// unknown until a block names one.
TEST(WrittenProgramReaderTest, CyclesAndReturnsToAnUnknownPoint) {
    WrittenProgramReader reader(WrittenProgramFormat{});
    std::vector<WrittenMove> moves;
    reader.Read("G00 X40 Z5", 0, moves);
    reader.BeginCycle();
    reader.Read("G71 U1.5 R0.5", 1, moves);
    reader.Read("G01 X20 Z-30", 2, moves);
    reader.EndCycle();
    reader.Read("G00 Z10", 3, moves);
    reader.Read("G28", 4, moves);
    reader.Read("G00 X50", 5, moves);
    ASSERT_EQ(moves.size(), 4u);
    EXPECT_TRUE(moves[1].inCycle);
    EXPECT_FALSE(moves[2].inCycle);
    EXPECT_EQ(moves[2].z1, 5.0);
    EXPECT_EQ(moves[2].x1, -20.0);
    EXPECT_TRUE(moves[2].fromKnownPoint);
    EXPECT_FALSE(moves[3].fromKnownPoint);
    EXPECT_TRUE(reader.Faults().empty());
}

TEST(WrittenProgramReaderTest, BlocksNoControlReadsAreFaults) {
    for (const char* block : {"G01 X? Z5", "G01 X1.2.3", "G02 X30 Z0", "G02 X60 Z0 R1"}) {
        SCOPED_TRACE(block);
        std::vector<std::string> faults;
        ReadWrittenProgram({"G00 X20 Z5", block}, WrittenProgramFormat{}, &faults);
        EXPECT_EQ(faults.size(), 1u);
    }
}

}  // namespace
}  // namespace zarvento
