// The program as written against the path computed, on dense, gently curved
// profiles such as CAD systems export: each word is the rounded target,
// never a sum of rounded steps, so that after every frame's blocks the
// program stands within the output resolution of where the frame ends, and
// a move that changes no word writes no block. Small changes once were
// dropped from the X word one after another and added up: the written path
// flattened a crest of 0.05 mm by 0.02 mm and wrote hundreds of empty "G01"
// blocks, while the main job's check, which read the computed path, let the
// program pass.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "dense_profiles.h"
#include "nc/frame_templates.h"
#include "operations/turn_kontur.h"
#include "operations_test_support.h"
#include "platform/core/numbers.h"
#include "platform/documents/settings_record.h"
#include "program_checks.h"

namespace zarvento {
namespace {

// A crest of `height` over 20 mm from the face, in n segments rounded to
// six decimals, on a shaft of radius 10 to z = -30: the part's section, and
// the crest alone as the working contour.
struct Crest {
    std::string part, work;
};

Crest CrestProfile(int n, double height) {
    Crest c;
    auto line = [](std::string& to, double z1, double x1, double z2, double x2) {
        to += "LineSeg( " + test::DenseNumber(z1, 6) + "," + test::DenseNumber(x1, 6) + ", " +
              test::DenseNumber(z2, 6) + "," + test::DenseNumber(x2, 6) + ", 1 );\n";
    };
    double z = 0.0, x = -10.0;
    line(c.part, 0.0, 0.0, z, x);
    for (int i = 1; i <= n; ++i) {
        const double zi = -20.0 * i / n, xi = -(10.0 + height * std::sin(PI * i / n));
        line(c.part, z, x, zi, xi);
        line(c.work, z, x, zi, xi);
        z = zi, x = xi;
    }
    line(c.part, z, x, -30.0, -10.0);
    line(c.part, -30.0, -10.0, -30.0, 0.0);
    return c;
}

// The farthest, over the frames that move, that the program as written
// stands from where the frame ends once its blocks are read (along Z and
// along the radius); and the blocks of moves that move nothing.
struct Drift {
    double z = 0.0, radius = 0.0;
    int emptyBlocks = 0;
};

Drift WrittenDrift(const CPROGRAM& program, const std::vector<std::string>& lines) {
    Drift d;
    WrittenProgramReader reader(ProgramTextFormat());
    std::vector<WrittenMove> moves;
    std::size_t line = 0;
    bool known = false;
    const std::vector<std::uint32_t>& owners = program.LineFrames();
    for (std::uint32_t f = 0; f < program.frames.Count(); ++f) {
        const CCadreISO& frame = *program.frames[f];
        const bool moving = frame.kindLetter == 'L' || frame.kindLetter == 'A';
        for (; line < lines.size() && owners[line] == f; ++line) {
            const std::size_t before = moves.size();
            reader.Read(lines[line], static_cast<int>(line), moves);
            if (moving && moves.size() == before) ++d.emptyBlocks;
        }
        if (!moves.empty()) known = true;
        if (!moving || !known || frame.operation == nullptr) continue;
        d.z = std::max(d.z, std::fabs(moves.back().z2 - frame.end.z));
        d.radius = std::max(d.radius, std::fabs(moves.back().x2 - frame.end.x));
    }
    EXPECT_TRUE(reader.Faults().empty());
    return d;
}

class WrittenProgramTest : public test::OperationTest {
protected:
    void SetUp() override {
        test::OperationTest::SetUp();
        lathe = test::InstalledLathe();
    }
    void TearDown() override {
        SettingsRecord::Global().xOutputMode = 0;
        test::OperationTest::TearDown();
    }

    std::unique_ptr<CPostProcessor> lathe;
};

TEST_F(WrittenProgramTest, TheWordsFollowThePathToTheirResolution) {
    struct Case {
        const char* name;
        bool templates;  // the description's move templates, else the built-in texts
        int xMode;
    } cases[] = {
        {"templates, diameter", true, 0},       {"templates, radius in -X", true, 1}, {"templates, radius", true, 2},
        {"built-in texts, diameter", false, 0}, {"built-in texts, radius", false, 2},
    };
    const int segments = test::kSanitizedBuild ? 500 : 2000;
    const Crest crest = CrestProfile(segments, 0.05);
    const test::DenseProfile wavy =
        test::DenseProfileOf(test::DenseForm::WavyShaft, test::kSanitizedBuild ? 2000 : 20000, 6);
    std::string wavyWork;
    {
        std::istringstream in(wavy.script);
        int k = 0;
        for (std::string unit; std::getline(in, unit); ++k)
            if (k >= wavy.first && k <= wavy.last) wavyWork += unit + "\n";
    }
    struct Part {
        const char* name;
        std::string part, work;
        double barLength, barDiameter;
    } parts[] = {{"a crest of 0.05", crest.part, crest.work, 35, 21}, {"a wavy shaft", wavy.script, wavyWork, 105, 62}};
    for (const Case& c : cases) {
        if (!c.templates)
            for (const char* kind : {"G00", "G01", "G02", "G03"}) FrameTemplates::Set(kind, nullptr);
        SettingsRecord::Global().xOutputMode = c.xMode;
        for (const Part& p : parts) {
            SCOPED_TRACE(std::string(p.name) + ", " + c.name);
            runner->Clear();
            runner->Bar(p.barLength, p.barDiameter, 0, 2).InnerPoint(-10, -3).Part(p.part);
            runner->AddKind(kTurnKONTUR, p.work, [](CTurn& o) {
                o.nToolPosition = 1;
                o.isAutoTool = false;
                o.indNapr = true;
            });
            runner->Run();
            ASSERT_EQ(runner->Operation(0).messageText, "");
            CPROGRAM program;
            program.CreateProgram();
            std::vector<std::string> lines;
            program.WriteProgramText(lines);
            const Drift d = WrittenDrift(program, lines);
            // The templates' three decimals round to half a unit of the last;
            // the built-in texts take the fewest decimals exact to 0.001.
            const double resolution = c.templates ? 0.0005 : 0.001;
            EXPECT_LE(d.z, resolution + 1e-9);
            EXPECT_LE(d.radius, resolution * (c.xMode == 0 ? 0.5 : 1.0) + 1e-9);
            EXPECT_EQ(d.emptyBlocks, 0);
        }
    }
}

}  // namespace
}  // namespace zarvento
