// Documents written by earlier versions of the program still open, with every
// entity and value they hold; each fixture was written by the program of its
// time and is never rewritten.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "platform/core/host_variable.h"
#include "platform/documents/host_application.h"
#include "platform/documents/host_document.h"
#include "platform/documents/host_documents.h"
#include "platform/documents/storage_record.h"
#include "platform/drawings/document_2d.h"
#include "platform/drawings/host_sketch.h"
#include "platform/drawings/local_coordinate_system.h"
#include "test_support.h"

namespace zarvento {
namespace {

namespace fs = std::filesystem;

struct OldDocument {
    const char* file;      // under tests/fixtures/documents
    bool sketchGeometry;   // its sketches keep their source and lines and arcs, its variables their equation
    bool sketchPlacement;  // its sketches keep the plane they lie on
};

class OldDocumentTest : public test::CleanStateTest, public ::testing::WithParamInterface<OldDocument> {
protected:
    // Opens a copy, so that nothing the host does to an open file reaches the fixture.
    HostDocumentPtr Open() {
        const fs::path copy = dir_ / GetParam().file;
        fs::copy_file(test::FixturePath(std::string("documents/") + GetParam().file), copy);
        return ConnectHostApplication().Documents().Open(copy.string());
    }

    test::TempDir dir_;
};

TEST_P(OldDocumentTest, OpensWithItsEntitiesAndRecords) {
    const OldDocument& c = GetParam();
    HostDocumentPtr doc = Open();
    ASSERT_TRUE(doc);
    EXPECT_EQ(doc->Type(), DocumentType::Part);

    StorageRecord all;
    ASSERT_TRUE(all.OpenRead("Zarvento.ALL"));
    Variant v;
    EXPECT_TRUE(all.ReadValue(v).IsEmpty());
    EXPECT_EQ(all.ReadValue(v), Variant::I4(-2147483647 - 1));
    EXPECT_EQ(all.ReadValue(v), Variant::Int(2147483647));
    EXPECT_EQ(all.ReadValue(v), Variant::R8(0.1));
    EXPECT_TRUE(std::signbit(all.ReadValue(v).AsR8()));
    EXPECT_TRUE(std::isnan(all.ReadValue(v).AsR8()));
    EXPECT_EQ(all.ReadValue(v), Variant::Bool(true));
    EXPECT_EQ(all.ReadValue(v), Variant::BStr("Прокат \"круг\"\n"));
    EXPECT_EQ(all.ReadValue(v), Variant::Dispatch(nullptr));

    all.ReadNamedValue("pLSC");
    auto lcs = std::dynamic_pointer_cast<LocalCoordinateSystem>(all.ReadBuffer().AsDispatch());
    ASSERT_TRUE(lcs);
    EXPECT_EQ(lcs->Name(), "ЛСК-1");
    all.ReadNamedValue("nested");
    const HostObjectPtr face = all.ReadBuffer().AsArray().at(1).AsArray().at(1).AsDispatch();
    ASSERT_TRUE(face);
    EXPECT_EQ(face->Name(), "Грань:4");
    EXPECT_EQ(face->ObjectType(), 6);

    all.ReadNamedValue("pSourceSketch");
    auto sketch = std::dynamic_pointer_cast<HostSketch>(all.ReadBuffer().AsDispatch());
    ASSERT_TRUE(sketch);
    EXPECT_EQ(sketch->Name(), "Эскиз:1");
    EXPECT_EQ(sketch->Source(), c.sketchGeometry ? "profile shaft" : "");
    EXPECT_EQ(sketch->Objects().Objects().size(), c.sketchGeometry ? 2u : 0u);
    EXPECT_EQ(sketch->PlaneSystem(), c.sketchPlacement ? lcs : nullptr);
    if (c.sketchPlacement) {
        EXPECT_EQ(sketch->PlaneNumber(), LocalCoordinateSystem::kPlaneZX);
    }

    const auto variables = doc->Variables();
    ASSERT_EQ(variables.size(), 1u);
    EXPECT_EQ(variables[0]->Value(), 210.5);
    EXPECT_EQ(variables[0]->Comment(), "твёрдость");
    EXPECT_EQ(variables[0]->Equation(), c.sketchGeometry ? "200+10.5" : "");

    StorageRecord spid;
    ASSERT_TRUE(spid.OpenRead("Zarvento.SPID"));
    spid.ReadNamedValue("name");
    EXPECT_EQ(spid.ReadBuffer(), Variant::BStr("Вал"));
    EXPECT_EQ(doc->Storages().Count(), 2u);

    // Saved by this version, it opens again as it was.
    auto again = test::SaveCloseReopen(doc, (dir_ / "saved.rdp").string());
    ASSERT_TRUE(again);
    EXPECT_EQ(again->Entities().size(), 4u);
    EXPECT_TRUE(Messages().empty());
}

// Format 1 as written by the program at commits 9b5063b (sketches and
// variables as bare names and values), cc7693d (a sketch's source, lines and
// arcs, a variable's equation) and ca11b05 on (a sketch's plane).
INSTANTIATE_TEST_SUITE_P(Format1, OldDocumentTest,
                         ::testing::Values(OldDocument{"format1_first.rdp", false, false},
                                           OldDocument{"format1_sketch_geometry.rdp", true, false},
                                           OldDocument{"format1_sketch_placement.rdp", true, true}),
                         [](const auto& param) { return fs::path(param.param.file).stem().string(); });

}  // namespace
}  // namespace zarvento
