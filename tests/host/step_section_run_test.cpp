// Runs that read a real-world kind of STEP file and take the part's section:
// a part lying along a skew axis typed to four decimals, the bodies of an
// inch assembly, a body standing beside the system's axis, and a styled file
// whose notes the run prints.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "host/script_run.h"
#include "platform/processes/module.h"
#include "test_parts.h"
#include "test_support.h"

namespace zarvento::app {
namespace {

namespace fs = std::filesystem;

class StepSectionRunTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        previous = fs::current_path();
        fs::current_path(folder.Path());
    }
    void TearDown() override {
        fs::current_path(previous);
        SetModuleDirectory(std::nullopt);
        CleanStateTest::TearDown();
    }
    // zarvento run --new part.rdp on the script: its exit code; what it
    // printed in `out` and `err`.
    int Run(const std::string& script) {
        std::ofstream("run.zsc") << script;
        SetModuleDirectory(fs::current_path());
        std::vector<std::string> args{"zarvento", "run", "--new", "--replace", "part.rdp", "run.zsc"};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        testing::internal::CaptureStdout();
        testing::internal::CaptureStderr();
        const int code = RunScript(static_cast<int>(argv.size()), argv.data());
        out = testing::internal::GetCapturedStdout();
        err = testing::internal::GetCapturedStderr();
        return code;
    }
    // The section the run printed, its unit lines, each place and radius to
    // 1e-6 (so that a zero 1e-13 off it reads as zero).
    std::string Section() const {
        const std::size_t from = out.find("== section\n"), to = out.find("== plan\n");
        if (from == std::string::npos || to == std::string::npos) return {};
        const std::string text = out.substr(from, to - from);
        std::string rounded;
        for (std::size_t k = 0; k < text.size();) {
            const char c = text[k++];
            rounded.push_back(c);
            if (c != 'Z' && c != 'D' && c != 'R') continue;
            char* end = nullptr;
            const double v = std::strtod(text.c_str() + k, &end);
            if (end == text.c_str() + k) continue;
            char value[64];
            const double r = std::round(v * 1e6) / 1e6;
            std::snprintf(value, sizeof value, "%.6f", r == 0 ? 0.0 : r);
            rounded += value;
            k = static_cast<std::size_t>(end - text.c_str());
        }
        return rounded;
    }
    // The body's section under the system the line sets.
    static std::string SectionScript(const std::string& step, const std::string& lsc) {
        return step + "\n" + lsc + "\npanel lsc\n pick ЛСК-1\n ok\nend\ncoordinate-system\n";
    }

    test::TempDir folder;
    fs::path previous;
    std::string out, err;
};

// A shaft lying along a skew axis, its system typed to four decimals (as a
// user reads them off a CAD system): the system stands on the shaft's axis,
// the run says so, and the section is the shaft's along Z.
TEST_F(StepSectionRunTest, ASkewPartTypedToFourDecimalsGivesItsSection) {
    test::SteppedShaft().WriteStep("straight.step", "Вал");
    ASSERT_EQ(Run(SectionScript("step straight.step", "lsc ЛСК-1")), kExitOk) << out << err;
    const std::string straight = Section();
    ASSERT_NE(straight.find("\n13: "), std::string::npos) << straight;

    RevolutionAxis skew;
    const double length = std::sqrt(0.53 * 0.53 + 0.257 * 0.257 + 0.8081 * 0.8081);
    skew.origin = {31.25, -12.5, 7};
    // The shaft's own axis, which the typed one misses by 5e-5 in each part.
    skew.direction = {-0.53005 / length, 0.25705 / length, 0.80805 / length};
    const double l = std::sqrt(skew.direction[0] * skew.direction[0] + skew.direction[1] * skew.direction[1] +
                               skew.direction[2] * skew.direction[2]);
    for (double& c : skew.direction) c /= l;
    skew.radial = {skew.direction[1], -skew.direction[0], 0};
    const double r = std::hypot(skew.radial[0], skew.radial[1]);
    for (double& c : skew.radial) c /= r;
    test::SteppedShaft(skew).WriteStep("skew.step", "Вал");
    char typed[160];
    std::snprintf(typed, sizeof typed, "lsc ЛСК-1 %.4f %.4f %.4f %.4f %.4f %.4f", skew.origin[0], skew.origin[1],
                  skew.origin[2], skew.direction[0], skew.direction[1], skew.direction[2]);
    ASSERT_EQ(Run(SectionScript("step skew.step", typed)), kExitOk) << out << err;
    EXPECT_NE(out.find("output: lsc ЛСК-1: its Z axis is the axis of face "), std::string::npos) << out;
    EXPECT_EQ(Section(), straight);
}

// A body of an AP203 assembly in inches, chosen by its product's name, turns
// as the same body written alone; a body standing 127 mm beside the system's
// axis is refused, saying so, instead of turning into a ring.
TEST_F(StepSectionRunTest, TheBodiesOfAnInchAssemblyTurnAsAloneOrAreRefusedBesideTheAxis) {
    const std::string assembly = test::FixturePath("step/inch-assembly.step");
    ASSERT_EQ(Run(SectionScript("step " + test::FixturePath("step/inch-rod.step"), "lsc ЛСК-1")), kExitOk)
        << out << err;
    const std::string alone = Section();
    ASSERT_NE(alone.find("\n3: "), std::string::npos) << alone;
    for (const char* body : {"ROD", "1"}) {
        SCOPED_TRACE(body);
        ASSERT_EQ(Run(SectionScript("step " + assembly + " " + body, "lsc ЛСК-1")), kExitOk) << out << err;
        EXPECT_EQ(Section(), alone);
    }
    // The system set before the bolt is read: the section refuses it.
    EXPECT_EQ(Run("lsc ЛСК-1\n" + SectionScript("step " + assembly + " BOLT", "")), kExitCommandFailed) << out << err;
    EXPECT_NE(out.find("Деталь не содержит поверхностей вращения, совпадающих с осью Z ЛСК: ось вращения грани "),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("параллельна ей и отстоит от неё на 127.000 мм"), std::string::npos) << out;
    EXPECT_EQ(Section(), "== section\n");
    // Set after it, the statement does.
    EXPECT_EQ(Run(SectionScript("step " + assembly + " BOLT", "lsc ЛСК-1")), kExitUsage) << out << err;
    EXPECT_NE(err.find("lsc ЛСК-1: no face of the part turns about this axis; the nearest axis of revolution, of "
                       "face 1, lies 0.0000° and 127.0000 mm from it"),
              std::string::npos)
        << err;
}

// The notes of the styles a file's reader skipped are printed by the run as
// the host's text output.
TEST_F(StepSectionRunTest, TheRunPrintsTheNotesOfWhatTheImportSkipped) {
    ASSERT_EQ(Run("step " + test::FixturePath("step/styled-roller.step") + "\n"), kExitOk) << out << err;
    EXPECT_NE(out.find("output: import \""), std::string::npos) << out;
    EXPECT_NE(out.find("styled-roller.step\": entity #82 (FILL_AREA_STYLE) cannot be read and is skipped"),
              std::string::npos)
        << out;
}

}  // namespace
}  // namespace zarvento::app
