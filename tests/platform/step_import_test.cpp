// Importing STEP files as CAD systems write them: styles the reader cannot
// read are skipped with a note while what the solids are made of is still
// checked, damaged files are refused saying where (a cut, a loop, a missing
// entity), the reader's memory has a limit, and the bodies of an assembly are
// named by their products and chosen without surprises.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/core/messages.h"
#include "platform/core/scope_guard.h"
#include "platform/documents/host_application.h"
#include "platform/part_model.h"
#include "test_parts.h"
#include "test_support.h"

namespace zarvento {
namespace {

class StepImportTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        app = &ConnectHostApplication();
    }
    std::string PathOf(const std::string& name) const { return (dir / name).string(); }
    // A file of the folder with the text given.
    std::string Written(const std::string& name, const std::string& text) const {
        std::ofstream(PathOf(name), std::ios::binary) << text;
        return PathOf(name);
    }
    HostDocumentPtr NewPart() { return app->Documents().Add(DocumentType::Part); }

    test::TempDir dir;
    HostApplication* app = nullptr;
};

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// The text with the first `from` replaced by `to`.
std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

const std::string kRoller = "step/styled-roller.step";

// A roller whose file styles it as some CAD systems do: one colour the reader
// takes, a fill style with no name, a rendering whose method is no
// enumeration and a point marker of a type it does not know. The body is
// read whole; each style it cannot read is named in a note of the import,
// without the reader's form of a list within an entity.
TEST_F(StepImportTest, StylesTheReaderCannotReadAreSkippedWithANote) {
    HostDocumentPtr doc = NewPart();
    ImportStep(doc, test::FixturePath(kRoller));
    EXPECT_EQ(TopPart(doc)->Name(), "ROLLER");
    EXPECT_EQ(TopPart(doc)->Faces().size(), 3u);
    const std::vector<std::string> notes = MessageLog::Instance().Texts(MessageRole::TextOutput);
    ASSERT_EQ(notes.size(), 3u);
    const char* expected[][3] = {
        {"#82 (FILL_AREA_STYLE)", "not a quoted String", ""},
        {"#86 (SURFACE_STYLE_RENDERING_WITH_PROPERTIES)", "is not enumeration", ""},
        {"#95 (POINT_STYLE)", "#94 of the unknown type PRE_DEFINED_POINT_MARKER_SYMBOL", ""},
    };
    for (std::size_t k = 0; k < notes.size(); ++k) {
        SCOPED_TRACE(notes[k]);
        EXPECT_TRUE(Has(notes[k], "styled-roller.step\": entity " + std::string(expected[k][0]) +
                                      " cannot be read and is skipped"));
        EXPECT_TRUE(Has(notes[k], expected[k][1]));
        EXPECT_FALSE(Has(notes[k], "SUB") || Has(notes[k], "/*") || Has(notes[k], "#0"));
    }
    // The same failure in what the solid is made of is no style: refused.
    const std::string text = ReadWhole(test::FixturePath(kRoller));
    const std::string broken = Written("broken.step", Replaced(text, "#36 = EDGE_CURVE('',", "#36 = EDGE_CURVE($,"));
    const HostError e = test::CaughtHostError([&] { ImportStep(NewPart(), broken); });
    EXPECT_EQ(e.Code(), STG_E_DOCFILECORRUPT_);
    EXPECT_TRUE(Has(e.what(), "entity #36 (EDGE_CURVE) cannot be read: Parameter n0.1 (name) not a quoted String"))
        << e.what();
}

// A damaged file says what is wrong and where: cut off (the entity where it
// ends), a loop of entities (caught before the reader follows it), an entity
// that refers to one the file does not hold (its number), a list within an
// entity that cannot be read (no reader's form of it in the message).
TEST_F(StepImportTest, DamagedFilesAreRefusedSayingWhereAndWhat) {
    const std::string text = ReadWhole(test::FixturePath(kRoller));
    const struct {
        const char* name;
        std::string text;
        std::vector<std::string> says;
    } cases[] = {
        {"cut.step",
         text.substr(0, text.find("#40 = ") + 12),
         {"damaged: it is cut off at entity #40", "END-ISO-10303-21;"}},
        {"cut-between.step", text.substr(0, text.find("#41 = ")), {"it is cut off at entity #40"}},
        {"self.step",
         Replaced(text, "#39 = ORIENTED_EDGE('',*,*,#36,.T.);", "#39 = ORIENTED_EDGE('',*,*,#39,.T.);"),
         {"damaged: entity #39 (ORIENTED_EDGE) refers back to itself"}},
        {"pair.step",
         Replaced(Replaced(text, "#39 = ORIENTED_EDGE('',*,*,#36,.T.);", "#39 = ORIENTED_EDGE('',*,*,#40,.T.);"),
                  "#40 = ORIENTED_EDGE('',*,*,#38,.T.);", "#40 = ORIENTED_EDGE('',*,*,#39,.T.);"),
         {"damaged: entity #39 (ORIENTED_EDGE) refers back to itself through #40"}},
        {"missing.step",
         Replaced(text, "#36 = EDGE_CURVE('',#20,#20,#26,.T.);", "#36 = EDGE_CURVE('',#20,#77777,#26,.T.);"),
         {"entity #36 (EDGE_CURVE) cannot be read", "it refers to #77777, which the file does not hold"}},
        {"list.step",
         Replaced(text, "#43 = EDGE_LOOP('',(", "#43 = EDGE_LOOP($,("),
         {"entity #43 (EDGE_LOOP) cannot be read: Parameter n0.1 (name) not a quoted String"}},
    };
    HostDocumentPtr doc = NewPart();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = Written(c.name, c.text);
        const HostError e = test::CaughtHostError([&] { ImportStep(doc, path); });
        EXPECT_EQ(e.Code(), STG_E_DOCFILECORRUPT_) << e.what();
        for (const std::string& says : c.says) EXPECT_TRUE(Has(e.what(), says)) << e.what();
        EXPECT_FALSE(Has(e.what(), "SUB") || Has(e.what(), "/*") || Has(e.what(), "crashed")) << e.what();
        EXPECT_TRUE(TopPart(doc)->Faces().empty());
    }
}

// A file of points alone, however many, is refused as holding no solid
// before it is parsed; so is one whose only solid word is in a string.
TEST_F(StepImportTest, AFileThatNamesNoSolidIsRefusedAsHoldingNone) {
    std::string points = ReadWhole(test::FixturePath("platform/point-only.step"));
    std::string list, entities;
    for (int k = 0; k < 2000; ++k) {
        list += ",#" + std::to_string(100 + k);
        entities += "#" + std::to_string(100 + k) + " = CARTESIAN_POINT('MANIFOLD_SOLID_BREP(',(" + std::to_string(k) +
                    ".,1.,2.));\n";
    }
    points = Replaced(points, "(#11,#15)", "(#11,#15" + list + ")");
    points = Replaced(points, "ENDSEC;\nEND-ISO", entities + "ENDSEC;\nEND-ISO");
    const HostError e = test::CaughtHostError([&] { ImportStep(NewPart(), Written("points.step", points)); });
    EXPECT_EQ(e.Code(), E_INVALIDARG_);
    EXPECT_TRUE(Has(e.what(), "the file holds no solid body")) << e.what();
}

// The reader's memory has a limit (the environment's
// ZARVENTO_STEP_READER_MIB sets it): past it the file is refused by a clear
// message, not by the reader's death.
TEST_F(StepImportTest, TheReaderRefusesAFileThatTakesMoreMemoryThanItMayHave) {
    ASSERT_EQ(::setenv("ZARVENTO_STEP_READER_MIB", "1", 1), 0);
    ScopeGuard unset([] { ::unsetenv("ZARVENTO_STEP_READER_MIB"); });
    HostDocumentPtr doc = NewPart();
    const HostError e = test::CaughtHostError([&] { ImportStep(doc, test::FixturePath(kRoller)); });
    EXPECT_EQ(e.Code(), E_OUTOFMEMORY_);
    EXPECT_TRUE(Has(e.what(), "its reading takes more memory than the STEP reader may have (1 MiB)")) << e.what();
    EXPECT_TRUE(TopPart(doc)->Faces().empty());
    unset.Dismiss();
    ::unsetenv("ZARVENTO_STEP_READER_MIB");
    ImportStep(doc, test::FixturePath(kRoller));
    EXPECT_EQ(TopPart(doc)->Faces().size(), 3u);
}

// An AP203 assembly in inches names its bodies by its products (one of them
// defined by a definition with documents); each is taken by that name, in
// millimetres, where the assembly places it.
TEST_F(StepImportTest, BodiesOfAnInchAssemblyAreNamedByTheirProducts) {
    const std::string assembly = test::FixturePath("step/inch-assembly.step");
    const HostError refused = test::CaughtHostError([&] { ImportStep(NewPart(), assembly); });
    for (const char* line : {"1: \"ROD\", ", "2: \"BOLT\", ", "box (120.650 -6.350 0.000)-(133.350 6.350 50.800)"})
        EXPECT_TRUE(Has(refused.what(), line)) << refused.what();
    HostDocumentPtr doc = NewPart();
    for (const char* name : {"BOLT", "ROD"}) {
        ImportStep(doc, assembly, name);
        EXPECT_EQ(TopPart(doc)->Name(), name);
    }
    Point3 min, max;
    TopPart(doc)->Faces().front()->Box(min, max);
    EXPECT_NEAR(max[2], 101.6, 1e-6);
}

// A name that fits several bodies is refused with them all, to be named by
// number; a number takes its body whatever the names.
TEST_F(StepImportTest, ANameThatFitsSeveralBodiesIsRefusedWithThem) {
    const std::string path = PathOf("pins.step");
    PartShape::WriteStepAssembly(path, "Узел",
                                 {{"Штифт", test::OffAxisCylinder(), {0, 0, 0}},
                                  {"Вал", test::SteppedShaft(), {0, 0, 100}},
                                  {"Штифт", test::OffAxisCylinder(), {0, 0, 200}}});
    HostDocumentPtr doc = NewPart();
    const HostError e = test::CaughtHostError([&] { ImportStep(doc, path, "Штифт"); });
    EXPECT_EQ(e.Code(), E_INVALIDARG_);
    for (const char* says :
         {"the name \"Штифт\" fits 2 of its bodies; name one by its number: 1: \"Штифт\", ", "; 3: \"Штифт\", "})
        EXPECT_TRUE(Has(e.what(), says)) << e.what();
    EXPECT_FALSE(Has(e.what(), "2: \"Вал\"")) << e.what();
    EXPECT_TRUE(TopPart(doc)->Faces().empty());
    ImportStep(doc, path, "3");
    Point3 min, max;
    TopPart(doc)->Faces().front()->Box(min, max);
    EXPECT_NEAR(min[2], 200, 1e-6);
    ImportStep(doc, path, "Вал");
    EXPECT_EQ(TopPart(doc)->Faces().size(), 13u);
}

}  // namespace
}  // namespace zarvento
