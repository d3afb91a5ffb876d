// The host's part model: STEP files read into part and assembly documents,
// bodies with their faces and edges kept in the document file, the host's
// answers about faces and curves, the outline section and the 2D region
// boundary with the rectangle selection.
#include "platform/part_model.h"
#include "platform/core/numbers.h"

#include <gtest/gtest.h>

#include <sqlite3.h>
#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>

#include "platform/core/host_faults.h"
#include "platform/documents/host_application.h"
#include "platform/documents/storage_record.h"
#include "platform/drawings/document_2d.h"
#include "platform/drawings/local_coordinate_system.h"
#include "test_parts.h"
#include "test_support.h"

namespace zarvento {
namespace {

namespace fs = std::filesystem;

class PartModelTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        app = &ConnectHostApplication();
    }
    std::string PathOf(const std::string& name) const { return (dir / name).string(); }
    static std::vector<std::int64_t> Ids(const std::vector<std::shared_ptr<HostFace>>& faces) {
        std::vector<std::int64_t> ids;
        for (const auto& f : faces) ids.push_back(f->PersistentId());
        return ids;
    }
    test::TempDir dir;
    HostApplication* app = nullptr;
};

void ExpectNear(const Point3& p, double x, double y, double z) {
    EXPECT_NEAR(p[0], x, 1e-9);
    EXPECT_NEAR(p[1], y, 1e-9);
    EXPECT_NEAR(p[2], z, 1e-9);
}

TEST_F(PartModelTest, StepPartKeepsItsBodyColoursAndNamesAndTheDocumentFileKeepsFaceIds) {
    const std::string step = PathOf("shaft.step");
    const std::uint32_t red = 0x000000FF, blue = 0x00FF0000;
    test::SteppedShaft().WriteStep(step, "Вал", {{2, red}, {9, blue}});
    ASSERT_TRUE(IsStepFile(step));

    HostDocumentPtr doc = app->Documents().Open(step);
    EXPECT_EQ(doc->Type(), DocumentType::Part);
    EXPECT_EQ(doc->FilePath(), "");  // saving never writes over the STEP file
    auto part = TopPart(doc);
    EXPECT_EQ(part->Name(), "Вал");
    ASSERT_EQ(part->Faces().size(), 13u);
    EXPECT_EQ(part->Body().SolidCount(), 1);
    EXPECT_EQ(part->Faces()[1]->Colour(), red);
    EXPECT_EQ(part->Faces()[8]->Colour(), blue);
    EXPECT_EQ(part->Faces()[0]->Colour(), kDefaultFaceColour);
    part->Faces()[3]->SetName("Канавка");
    part->Faces()[3]->SetColour(0x00123456, {0.1, 0.2, 0.3, 0.4, 0.5, 0.6});
    part->Properties().material = "Сталь 40Х";
    part->Properties().density = 7.85;
    const auto faceIds = Ids(part->Faces());
    const std::size_t edges = part->Edges().size();
    const double volume = part->Volume();
    StorageRecord record;
    ASSERT_TRUE(record.OpenWrite("Zarvento.Test"));
    record.AddNamedValue("face", Variant::Dispatch(part->Faces()[3]));
    record.Flush();

    HostDocumentPtr again = test::SaveCloseReopen(doc, PathOf("shaft.rdp"));
    auto back = TopPart(again);
    EXPECT_EQ(back->Name(), "Вал");
    EXPECT_EQ(Ids(back->Faces()), faceIds);
    EXPECT_EQ(back->Edges().size(), edges);
    EXPECT_NEAR(back->Volume(), volume, 1e-6 * volume);
    EXPECT_EQ(back->Properties().material, "Сталь 40Х");
    EXPECT_DOUBLE_EQ(back->Properties().density, 7.85);
    const auto& groove = back->Faces()[3];
    EXPECT_EQ(groove->Name(), "Канавка");
    EXPECT_EQ(groove->Colour(), 0x00123456u);
    EXPECT_EQ(groove->Light(), (LightValues{0.1, 0.2, 0.3, 0.4, 0.5, 0.6}));
    EXPECT_EQ(back->Faces()[1]->Colour(), red);
    // The stored reference resolves to the same face, which answers about the
    // same surface as before.
    auto stored = test::StoredRecord(*again, "Zarvento.Test");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->Entries()[0].value.AsDispatch(), groove);
    EXPECT_EQ(groove->Kind(), SurfaceKind::Cylinder);
}

TEST_F(PartModelTest, StepAssemblyBecomesAnAssemblyWithOneSubPartPerComponent) {
    const std::string step = PathOf("pair.step");
    PartShape::WriteStepAssembly(
        step, "Узел", {{"Вал", test::SteppedShaft(), {0, 0, 0}}, {"Втулка", test::OffAxisCylinder(), {0, 0, 100}}});
    HostDocumentPtr doc = app->Documents().Open(step, false);
    EXPECT_EQ(doc->Type(), DocumentType::Assembly);
    auto top = TopPart(doc);
    EXPECT_EQ(top->Name(), "Узел");
    ASSERT_EQ(top->SubParts().size(), 2u);
    EXPECT_EQ(top->SubParts()[0]->Name(), "Вал");
    EXPECT_EQ(top->SubParts()[1]->Name(), "Втулка");
    EXPECT_TRUE(top->Faces().empty());
    // The components stand where the assembly placed them.
    Point3 min, max;
    top->SubParts()[1]->Faces().front()->Box(min, max);
    EXPECT_GE(min[2], 100 - 1e-6);

    // Imported into a part document, an assembly is refused and nothing changes.
    HostDocumentPtr part = app->Documents().Add(DocumentType::Part);
    const std::size_t entities = part->Entities().size();
    EXPECT_EQ(test::ErrorCodeOf([&] { ImportStep(part, step); }), E_INVALIDARG_);
    EXPECT_EQ(part->Entities().size(), entities);

    HostDocumentPtr again = test::SaveCloseReopen(doc, PathOf("pair.rda"));
    EXPECT_EQ(again->Type(), DocumentType::Assembly);
    auto back = TopPart(again);
    ASSERT_EQ(back->SubParts().size(), 2u);
    EXPECT_EQ(back->SubParts()[1]->Faces().size(), 3u);
    EXPECT_EQ(back->SubParts()[0]->Parent(), back.get());
}

std::string ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The STEP file the host writes, with one entity's line changed by `edit`
// (given the file's text, it returns the text to write).
std::string EditedStep(const std::string& good, const std::string& path,
                       const std::function<std::string(std::string)>& edit) {
    std::ofstream(path, std::ios::binary) << edit(ReadWhole(good));
    return path;
}

// An entity line of the STEP text the host writes: "#12 = TYPE('',#13,...);".
struct EntityLine {
    std::size_t start = 0, end = 0;  // the line's bounds in the text
    std::string id;                  // "#12"
    std::vector<std::string> refs;   // its references in order
};

// The first entity of that type, or the entity of that id.
EntityLine FindEntity(const std::string& text, const std::string& typeOrId) {
    EntityLine line;
    const bool byId = typeOrId[0] == '#';
    std::size_t at = byId ? text.find("\n" + typeOrId + " = ") : text.find(" = " + typeOrId + "(");
    EXPECT_NE(at, std::string::npos) << typeOrId;
    if (at == std::string::npos) return line;
    line.start = byId ? at + 1 : text.rfind('\n', at) + 1;
    line.end = text.find(';', line.start);
    line.id = text.substr(line.start, text.find(' ', line.start) - line.start);
    for (std::size_t k = text.find('#', text.find('(', line.start)); k < line.end; k = text.find('#', k + 1)) {
        std::size_t e = k + 1;
        while (e < line.end && std::isdigit(static_cast<unsigned char>(text[e]))) ++e;
        line.refs.push_back(text.substr(k, e - k));
    }
    return line;
}

// The text with the entity's line replaced.
std::string Replaced(std::string text, const EntityLine& line, const std::string& with) {
    return text.replace(line.start, line.end + 1 - line.start, with);
}

TEST_F(PartModelTest, BadStepFilesAreRefusedByNameAndLeaveTheDocumentAsItWas) {
    const std::string empty = PathOf("empty.step"), text = PathOf("notes.step"), cut = PathOf("cut.step"),
                      surface = PathOf("skin.step"), good = PathOf("good.step"), folder = PathOf("folder.step"),
                      large = PathOf("large.step");
    std::ofstream(empty).close();
    std::ofstream(text) << "a text file, no STEP\n";
    fs::create_directory(folder);
    test::SteppedShaft().WriteStep(good, "Вал");
    test::SteppedShaft().Skin().WriteStep(surface, "Оболочка");
    {
        // Its header survives, its data is cut in the middle of an entity.
        std::ofstream(cut) << ReadWhole(good).substr(0, ReadWhole(good).find("DATA;") + 200) << "\n#9999=GARBAGE((,\n";
        // A STEP file's start, then nothing past the size the host takes.
        std::ofstream(large) << "ISO-10303-21;\n";
        fs::resize_file(large, kMaxStepFileBytes + 1);
    }
    // The placement of the first axis in the file, and the point it stands on.
    const EntityLine placementLine = FindEntity(ReadWhole(good), "AXIS2_PLACEMENT_3D");
    ASSERT_EQ(placementLine.refs.size(), 3u);
    const std::string placement = placementLine.id.substr(1), point = placementLine.refs[0].substr(1);
    // The point's type misspelt: the placement cannot be read.
    const std::string misspelt = EditedStep(good, PathOf("misspelt.step"), [&](std::string t) {
        const EntityLine line = FindEntity(t, "#" + point);
        std::string entity = t.substr(line.start, line.end + 1 - line.start);
        return Replaced(t, line, entity.replace(entity.find("CARTESIAN_POINT"), 15, "CARTESIAN_POINX"));
    });
    // The placement refers to an entity the file does not hold.
    const std::string unresolved = EditedStep(good, PathOf("unresolved.step"), [&](std::string t) {
        const EntityLine line = FindEntity(t, "#" + placement);
        return Replaced(t, line,
                        line.id + " = AXIS2_PLACEMENT_3D('',#999999," + line.refs[1] + "," + line.refs[2] + ");");
    });
    // An oriented edge that is its own edge: the reader's own checks and the
    // translation would follow it without end.
    const std::string loopEdge = FindEntity(ReadWhole(good), "ORIENTED_EDGE").id;
    const std::string loop = EditedStep(good, PathOf("loop.step"), [&](std::string t) {
        const EntityLine line = FindEntity(t, "ORIENTED_EDGE");
        return Replaced(t, line, line.id + " = ORIENTED_EDGE('',*,*," + line.id + ",.F.);");
    });
    HostDocumentPtr doc = test::PartDocument(test::OffAxisCylinder());
    const std::size_t entities = doc->Entities().size();
    const struct {
        std::string path;
        HRESULT code;
        std::vector<std::string> says;
    } cases[] = {
        {PathOf("missing.step"), STG_E_FILENOTFOUND_, {"does not exist"}},
        {folder, STG_E_ACCESSDENIED_, {"is a folder"}},
        {"/dev/null", STG_E_ACCESSDENIED_, {"not a regular file"}},
        {empty, STG_E_INVALIDHEADER_, {"is empty"}},
        {large, STG_E_DOCFILETOOLARGE_, {"too large", "at most 32 MiB"}},
        {text, STG_E_INVALIDHEADER_, {"not a STEP file"}},
        {cut, STG_E_DOCFILECORRUPT_, {"damaged", "cut off at entity #9999"}},
        {misspelt,
         STG_E_DOCFILECORRUPT_,
         {"damaged", "entity #" + placement + " (AXIS2_PLACEMENT_3D) cannot be read",
          "#" + point + " of the unknown type CARTESIAN_POINX"}},
        {unresolved, STG_E_DOCFILECORRUPT_, {"damaged", "entity #" + placement, "unresolved"}},
        {loop, STG_E_DOCFILECORRUPT_, {"damaged", "entity " + loopEdge + " (ORIENTED_EDGE) refers back to itself"}},
        {surface, E_INVALIDARG_, {"no solid body"}},
        {test::FixturePath("platform/point-only.step"), E_INVALIDARG_, {"no solid body"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const HostError e = test::CaughtHostError([&] { ImportStep(doc, c.path); });
        EXPECT_EQ(e.Code(), c.code) << e.what();
        EXPECT_NE(std::string(e.what()).find(c.path), std::string::npos) << e.what();
        for (const std::string& says : c.says)
            EXPECT_NE(std::string(e.what()).find(says), std::string::npos) << e.what();
        EXPECT_EQ(doc->Entities().size(), entities);
        EXPECT_EQ(TopPart(doc)->Faces().size(), 3u);
    }
}

// A part whose shape is linked to its solid and to a wireframe besides (as CAD
// systems write a part's supplemental geometry) is one part, not an assembly.
TEST_F(PartModelTest, OneSolidWithSupplementalWireframeIsOnePart) {
    const std::string good = PathOf("good.step");
    test::SteppedShaft().WriteStep(good, "Вал");
    const std::string wired = EditedStep(good, PathOf("wired.step"), [](std::string t) {
        // The part's shape, its solid's representation, its axis and context.
        const EntityLine shape = FindEntity(t, "SHAPE_DEFINITION_REPRESENTATION");
        const std::string brep = shape.refs.at(1).substr(1);
        const EntityLine solid = FindEntity(t, "#" + brep);
        const std::string axis = solid.refs.at(0), context = solid.refs.back();
        t = Replaced(t, shape, shape.id + " = SHAPE_DEFINITION_REPRESENTATION(" + shape.refs[0] + ",#90001);");
        const std::string extra =
            "#90001 = SHAPE_REPRESENTATION('',(" + axis + ")," + context + ");\n" +
            "#90002 = SHAPE_REPRESENTATION_RELATIONSHIP('','',#90001,#" + brep + ");\n" +
            "#90003 = GEOMETRICALLY_BOUNDED_WIREFRAME_SHAPE_REPRESENTATION('',(#90004," + axis + ")," + context +
            ");\n" + "#90004 = GEOMETRIC_CURVE_SET('',(#90005));\n" + "#90005 = POLYLINE('',(#90006,#90007));\n" +
            "#90006 = CARTESIAN_POINT('',(0.,0.,0.));\n" + "#90007 = CARTESIAN_POINT('',(0.,0.,62.));\n" +
            "#90008 = SHAPE_REPRESENTATION_RELATIONSHIP('','',#90001,#90003);\n";
        return t.insert(t.rfind("ENDSEC;"), extra);
    });
    HostDocumentPtr doc = app->Documents().Add(DocumentType::Part);
    ImportStep(doc, wired);
    EXPECT_EQ(TopPart(doc)->Faces().size(), 13u);
    EXPECT_EQ(TopPart(doc)->Body().SolidCount(), 1);
    // Opened as a document of its own, it is a part too.
    EXPECT_EQ(app->Documents().Open(wired, false)->Type(), DocumentType::Part);
}

// An assembly is refused by a part document with the list of its bodies; the
// import takes one of them by its number or its name.
TEST_F(PartModelTest, OneBodyOfAnAssemblyIsTakenByItsNumberOrName) {
    const std::string step = PathOf("pair.step");
    PartShape::WriteStepAssembly(
        step, "Узел", {{"Вал", test::SteppedShaft(), {0, 0, 0}}, {"Втулка", test::OffAxisCylinder(), {0, 0, 100}}});
    HostDocumentPtr part = app->Documents().Add(DocumentType::Part);
    const HostError refused = test::CaughtHostError([&] { ImportStep(part, step); });
    EXPECT_EQ(refused.Code(), E_INVALIDARG_);
    const std::string said = refused.what();
    // Each body by its number, name, volume and box (the sleeve stands at z = 100).
    const double sleeve = PI * 25 * 20;
    for (const std::string& line : {std::string("assembly of 2 bodies"), std::string("1: \"Вал\", "),
                                    "2: \"Втулка\", " + std::to_string(sleeve).substr(0, 7), std::string(" mm3, box ("),
                                    std::string(" 120.000)")})
        EXPECT_NE(said.find(line), std::string::npos) << line << " in " << said;
    EXPECT_TRUE(TopPart(part)->Faces().empty());

    ImportStep(part, step, "2");
    EXPECT_EQ(TopPart(part)->Name(), "Втулка");
    EXPECT_EQ(TopPart(part)->Faces().size(), 3u);
    ImportStep(part, step, "Вал");
    EXPECT_EQ(TopPart(part)->Name(), "Вал");
    EXPECT_EQ(TopPart(part)->Faces().size(), 13u);
    for (const char* none : {"3", "0", "Ось"}) {
        SCOPED_TRACE(none);
        const HostError e = test::CaughtHostError([&] { ImportStep(part, step, none); });
        EXPECT_EQ(e.Code(), E_INVALIDARG_);
        EXPECT_NE(std::string(e.what()).find(std::string("no body \"") + none + "\""), std::string::npos) << e.what();
        EXPECT_NE(std::string(e.what()).find("2: \"Втулка\""), std::string::npos) << e.what();
        EXPECT_EQ(TopPart(part)->Faces().size(), 13u);
    }
}

// A system given by its origin and directions is right-handed with unit axes,
// X made square to Z; one with no Z, an X given as none, or an X along Z is
// refused.
TEST_F(PartModelTest, CoordinateSystemFramesAreRightHandedAndRefusedWhenDegenerate) {
    const auto near = [](const std::array<double, 3>& a, const std::array<double, 3>& b) {
        for (std::size_t i = 0; i < 3; ++i) EXPECT_NEAR(a[i], b[i], 1e-12) << i;
    };
    LocalCoordinateSystem::Frame f =
        LocalCoordinateSystem::MakeFrame({1, 2, 3}, {0, 0, 2}, std::array<double, 3>{1, 0, 1});
    near(f.origin, {1, 2, 3});
    near(f.z, {0, 0, 1});
    near(f.x, {1, 0, 0});
    near(f.y, {0, 1, 0});
    // Without an X the model axis most square to Z.
    f = LocalCoordinateSystem::MakeFrame({0, 0, 0}, {-3, 0, 0}, std::nullopt);
    near(f.z, {-1, 0, 0});
    near(f.x, {0, 1, 0});
    near(f.y, {0, 0, -1});
    const double third = 1.0 / 3.0;
    f = LocalCoordinateSystem::MakeFrame({0, 0, 0}, {1, 2, 2}, std::array<double, 3>{1, 0, 0});
    near(f.z, {third, 2 * third, 2 * third});
    EXPECT_NEAR(f.x[0] * f.z[0] + f.x[1] * f.z[1] + f.x[2] * f.z[2], 0, 1e-12);
    // Right-handed: X x Y is Z.
    near({f.x[1] * f.y[2] - f.x[2] * f.y[1], f.x[2] * f.y[0] - f.x[0] * f.y[2], f.x[0] * f.y[1] - f.x[1] * f.y[0]},
         f.z);
    // An X given as no direction is refused like such a Z, not taken as none.
    const struct {
        std::array<double, 3> z, x;
        const char* says;
    } refused[] = {
        {{0, 0, 0}, {1, 0, 0}, "the Z direction of a coordinate system has no length"},
        {{0, 0, 1}, {0, 0, -5}, "the X direction of a coordinate system lies along its Z direction"},
        {{1e-12, 0, 0}, {0, 1, 0}, "the Z direction of a coordinate system has no length"},
        {{0, 0, 1}, {0, 0, 0}, "the X direction of a coordinate system has no length"},
        {{1, 2, 2}, {1e-12, 0, 0}, "the X direction of a coordinate system has no length"},
        {{1, 2, 2}, {-2, -4, -4}, "the X direction of a coordinate system lies along its Z direction"},
    };
    for (const auto& r : refused) {
        const HostError e = test::CaughtHostError([&] { LocalCoordinateSystem::MakeFrame({0, 0, 0}, r.z, r.x); });
        EXPECT_EQ(e.Code(), E_INVALIDARG_);
        EXPECT_EQ(e.Message(), r.says);
    }
}

// On a face's axis: Z out of the end of the part the face lies nearer to (or
// the other end), the origin on the axis there; a face with no axis is refused.
TEST_F(PartModelTest, FrameOnAFacesAxisPointsOutOfThePartsFreeEnd) {
    RevolutionAxis alongY;
    alongY.origin = {1, 2, 3};
    alongY.direction = {0, 1, 0};
    alongY.radial = {0, 0, 1};
    HostDocumentPtr doc = test::PartDocument(test::SteppedShaft(alongY));
    auto part = TopPart(doc);
    // The journal from 10 to 30 along the axis (of 0 to 62), and a plane.
    std::shared_ptr<HostFace> journal, plane;
    for (const auto& face : part->Faces()) {
        Point3 min, max;
        face->Box(min, max);
        if (face->IsKind(SurfaceKind::Cylinder) && std::fabs(min[1] - 12) < 1e-6 && std::fabs(max[1] - 32) < 1e-6)
            journal = face;
        if (face->IsKind(SurfaceKind::Plane)) plane = face;
    }
    ASSERT_TRUE(journal && plane);
    LocalCoordinateSystem::Frame f = FrameOnFaceAxis(*part, *journal, false);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(f.origin[i], (std::array<double, 3>{1, 2, 3})[i], 1e-9) << i;
        EXPECT_NEAR(f.z[i], (std::array<double, 3>{0, -1, 0})[i], 1e-12) << i;
    }
    f = FrameOnFaceAxis(*part, *journal, true);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(f.origin[i], (std::array<double, 3>{1, 64, 3})[i], 1e-9) << i;
        EXPECT_NEAR(f.z[i], (std::array<double, 3>{0, 1, 0})[i], 1e-12) << i;
    }
    EXPECT_EQ(test::ErrorCodeOf([&] { FrameOnFaceAxis(*part, *plane, false); }), E_INVALIDARG_);
}

TEST_F(PartModelTest, AFailedSaveKeepsTheBodyOfTheLastSave) {
    HostDocumentPtr doc = test::PartDocument(test::SteppedShaft());
    const std::string path = PathOf("part.rdp");
    doc->SaveAs(path);
    SetPartBody(*TopPart(doc), test::OffAxisCylinder());
    HostFaults::Arm("DocumentFile.Replace", STG_E_WRITEFAULT_);
    EXPECT_EQ(test::ErrorCodeOf([&] { doc->Save(); }), STG_E_WRITEFAULT_);
    app->Documents().Close(doc);
    EXPECT_EQ(TopPart(app->Documents().Open(path))->Faces().size(), 13u);
}

// The volume is kept with the document under the body's checksum: taken as
// kept after reopening, found anew for another body.
TEST_F(PartModelTest, TheVolumeKeepsWithTheDocumentWhileTheBodyStays) {
    HostDocumentPtr doc = test::PartDocument(test::SteppedShaft());
    const double volume = TopPart(doc)->Volume();
    doc = test::SaveCloseReopen(doc, PathOf("part.rdp"));
    auto part = TopPart(doc);
    EXPECT_EQ(part->Volume(), volume);
    const std::string name = "volume " + std::to_string(part->PersistentId());
    const std::string* kept = doc->DerivedResult(name);
    ASSERT_TRUE(kept);
    ASSERT_EQ(kept->size(), 16u);
    std::string doubled = kept->substr(0, 8);
    const double twice = 2 * volume;
    doubled.append(reinterpret_cast<const char*>(&twice), sizeof twice);
    doc->SetDerivedResult(name, doubled);
    EXPECT_EQ(part->Volume(), twice);
    SetPartBody(*part, test::OffAxisCylinder());
    EXPECT_EQ(part->Volume(), test::OffAxisCylinder().Volume());
}

TEST_F(PartModelTest, DamagedBodyInTheFileIsReportedAsDamaged) {
    HostDocumentPtr doc = test::PartDocument(test::SteppedShaft());
    const std::string path = PathOf("part.rdp");
    doc->SaveAs(path);
    app->Documents().Close(doc);
    {
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        // One byte of the body changes.
        sqlite3_exec(db,
                     "UPDATE entities SET data = substr(data, 1, length(data) - 10) || x'00' || "
                     "substr(data, length(data) - 8) WHERE class = 'part'",
                     nullptr, nullptr, nullptr);
        sqlite3_close(db);
    }
    const HostError e = test::CaughtHostError([&] { app->Documents().Open(path); });
    EXPECT_EQ(e.Code(), STG_E_DOCFILECORRUPT_);
    EXPECT_NE(std::string(e.what()).find("body"), std::string::npos) << e.what();
}

// A part's faces and edges are its body's, numbered in its order: a file
// whose members are missing, misnumbered or belong to no part is damaged.
TEST_F(PartModelTest, DamagedMembersOfAPartInTheFileAreReportedAsDamaged) {
    const struct {
        const char* damage;
        const char* says;
    } cases[] = {
        {"DELETE FROM entities WHERE id = (SELECT min(id) FROM entities WHERE class = 'face')", "the faces of part"},
        {"DELETE FROM entities WHERE id = (SELECT min(id) FROM entities WHERE class = 'edge')", "the edges of part"},
        {"DELETE FROM entities WHERE class = 'part'", "belongs to a missing part"},
    };
    int file = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.damage);
        HostDocumentPtr doc = test::PartDocument(test::SteppedShaft());
        const std::string path = PathOf("members-" + std::to_string(++file) + ".rdp");
        doc->SaveAs(path);
        app->Documents().Close(doc);
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        EXPECT_EQ(sqlite3_exec(db, c.damage, nullptr, nullptr, nullptr), SQLITE_OK);
        EXPECT_GT(sqlite3_changes(db), 0);
        sqlite3_close(db);
        const HostError e = test::CaughtHostError([&] { app->Documents().Open(path); });
        EXPECT_EQ(e.Code(), STG_E_DOCFILECORRUPT_);
        EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
}

TEST_F(PartModelTest, FacesTellTheirSurfaceAndPlacementAndProjectOntoThemselves) {
    HostDocumentPtr doc = test::PartDocument(test::SteppedShaft());
    const auto& faces = TopPart(doc)->Faces();
    // In the order of the meridian's pieces.
    const SurfaceKind kinds[] = {
        SurfaceKind::Sphere,   SurfaceKind::Cylinder, SurfaceKind::Plane, SurfaceKind::Cylinder, SurfaceKind::Plane,
        SurfaceKind::Cylinder, SurfaceKind::Plane,    SurfaceKind::Torus, SurfaceKind::Cylinder, SurfaceKind::Cone,
        SurfaceKind::Plane,    SurfaceKind::Cylinder, SurfaceKind::Plane};
    ASSERT_EQ(faces.size(), std::size(kinds));
    for (std::size_t i = 0; i < faces.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(faces[i]->Kind(), kinds[i]);
        EXPECT_TRUE(faces[i]->IsKind(kinds[i]));
        Point3 p, q;
        if (kinds[i] == SurfaceKind::Sphere) {
            EXPECT_FALSE(faces[i]->Placement(p, q));
            ASSERT_TRUE(faces[i]->Centre(p));
            ExpectNear(p, 0, 0, 10);
        } else {
            ASSERT_TRUE(faces[i]->Placement(p, q));
            // Every axis (a plane's normal) runs along Z.
            EXPECT_NEAR(std::fabs(q[2] - p[2]), 1, 1e-9);
        }
    }
    EXPECT_TRUE(TopPart(test::PartDocument(test::TurnedSpline()))->Faces()[1]->IsKind(SurfaceKind::Nurbs));
    EXPECT_TRUE(TopPart(test::PartDocument(test::ShaftWithFlat()))->Faces().size() > 13);

    // A point on the collar projects onto itself; one beyond its end lands on
    // the face's edge, not on the cylinder's carrier.
    const HostFace& collar = *faces[8];
    double u = 0, v = 0;
    ASSERT_TRUE(collar.Project({0, 18, 50}, u, v));
    ExpectNear(collar.PointAt(u, v), 0, 18, 50);
    ASSERT_TRUE(collar.Project({0, 18, 70}, u, v));
    ExpectNear(collar.PointAt(u, v), 0, 18, 60);
    Point3 min, max;
    collar.Box(min, max);
    EXPECT_LE(min[2], 42 + 1e-6);
    EXPECT_GE(max[2], 60 - 1e-6);
}

TEST_F(PartModelTest, EdgesGiveTheirVerticesAndCurves) {
    HostDocumentPtr doc = test::PartDocument(test::SteppedShaft());
    int seams = 0, circles = 0;
    for (const auto& edge : TopPart(doc)->Edges()) {
        Point3 a, b;
        edge->Vertices(a, b);
        const auto curve = edge->Curve();
        if (!curve) continue;  // a degenerated edge at the sphere's pole
        double t0, t1;
        curve->Range(t0, t1);
        if (curve->Kind() == CurveKind::Arc) {
            ++circles;
        } else {
            // The seams lie in the plane the profile was turned from.
            ++seams;
            EXPECT_NEAR(a[1], 0, 1e-9);
            ExpectNear(curve->PointAt(curve->Project(a)), a[0], a[1], a[2]);
        }
    }
    EXPECT_EQ(seams, 6);  // of the five cylinders and the cone; the sphere's and the torus's are arcs
    EXPECT_GT(circles, 10);
}

// Every edge's box holds its curve, and a projection finds the curve's nearest
// point for points on it, off it, beyond its ends and on an arc's axis.
TEST_F(PartModelTest, EdgeProjectionsFindTheNearestPointWithinTheEdgesBox) {
    HostDocumentPtr doc = test::PartDocument(test::SteppedShaft());
    const auto distance = [](const Point3& a, const Point3& b) {
        return std::sqrt((a[0] - b[0]) * (a[0] - b[0]) + (a[1] - b[1]) * (a[1] - b[1]) + (a[2] - b[2]) * (a[2] - b[2]));
    };
    constexpr int kSamples = 2000;
    for (const auto& edge : TopPart(doc)->Edges()) {
        const auto curve = edge->Curve();
        Point3 min, max;
        if (!curve) {
            EXPECT_FALSE(edge->Box(min, max));
            continue;
        }
        ASSERT_TRUE(edge->Box(min, max));
        double t0, t1;
        curve->Range(t0, t1);
        std::vector<Point3> samples;
        for (int k = 0; k <= kSamples; ++k) samples.push_back(curve->PointAt(t0 + (t1 - t0) * k / kSamples));
        for (const Point3& s : samples)
            for (std::size_t i = 0; i < 3; ++i) {
                EXPECT_GE(s[i], min[i]);
                EXPECT_LE(s[i], max[i]);
            }
        const Point3 middle = samples[kSamples / 2];
        std::vector<Point3> probes = {samples[kSamples / 3],
                                      {middle[0] + 3, middle[1] - 2, middle[2] + 1},
                                      {0, 0, middle[2]},
                                      {-middle[0], -middle[1], middle[2] - 7}};
        for (const Point3& end : {samples.front(), samples.back()})
            probes.push_back({2 * end[0] - middle[0], 2 * end[1] - middle[1], 2 * end[2] - middle[2]});
        Point3 centre;
        double radius = 0;
        if (curve->Arc(centre, radius)) probes.push_back({centre[0], centre[1], centre[2] + 4});
        for (const Point3& p : probes) {
            SCOPED_TRACE(testing::Message() << edge->Index() << ": " << p[0] << ", " << p[1] << ", " << p[2]);
            const double t = curve->Project(p);
            EXPECT_GE(t, t0);
            EXPECT_LE(t, t1);
            double nearest = 1e300;
            for (const Point3& s : samples) nearest = std::min(nearest, distance(p, s));
            EXPECT_LE(distance(p, curve->PointAt(t)), nearest + 1e-9);
        }
    }
}

TEST_F(PartModelTest, OutlineIsTheExactTurnedOutlineOnThePlanesPositiveSide) {
    HostDocumentPtr doc = test::PartDocument(test::SteppedShaft());
    auto lsc = doc->AddLocalCoordinateSystem("ЛСК", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
    auto part = TopPart(doc);
    auto outline = part->CreateOutline("Контур детали");
    EXPECT_EQ(part->FindModelObject("Контур детали"), outline);
    EXPECT_EQ(test::ErrorCodeOf([&] { outline->Rebuild(); }), E_INVALIDARG_);  // no plane yet
    outline->AddReference(1, lsc->Plane(LocalCoordinateSystem::kPlaneZX));
    for (const auto& f : part->Faces()) outline->AddReference(0, f);
    outline->Rebuild();
    ASSERT_EQ(outline->ResultCount(), 1);
    int segments = 0, arcs = 0;
    for (const auto& curve : outline->ResultCurves(0)) {
        double t0, t1;
        curve->Range(t0, t1);
        for (double t : {t0, 0.5 * (t0 + t1), t1}) {
            const Point3 p = curve->PointAt(t);
            EXPECT_NEAR(p[1], 0, 1e-9);
            EXPECT_GE(p[0], -1e-9);
        }
        Point3 centre;
        double radius = 0;
        if (curve->Kind() == CurveKind::Arc) {
            ++arcs;
            ASSERT_TRUE(curve->Arc(centre, radius));
            EXPECT_TRUE(std::fabs(radius - 10) < 1e-9 || std::fabs(radius - 2) < 1e-9) << radius;
            EXPECT_GE(curve->Polyline(0.01).size(), 9u);
        } else {
            ++segments;
            EXPECT_EQ(curve->Polyline(0.01).size(), 6u);  // a segment needs its ends only
        }
    }
    EXPECT_EQ(arcs, 2);
    EXPECT_EQ(segments, 11);
    outline->ClearResult();
    EXPECT_EQ(outline->ResultCount(), 0);

    // A body beside the plane's positive half is turned into it: its outline
    // reaches from its nearest to its farthest distance from the axis, each
    // curve knowing the face it outlines.
    SetPartBody(*part, PartShape::Box({-30, -5, 0}, {-10, 5, 10}));
    outline->ClearReferences();
    outline->AddReference(1, lsc->Plane(LocalCoordinateSystem::kPlaneZX));
    for (const auto& f : part->Faces()) outline->AddReference(0, f);
    outline->Rebuild();
    ASSERT_EQ(outline->ResultCount(), 1);
    double nearest = 1e9, farthest = 0;
    for (const auto& curve : outline->ResultCurves(0)) {
        EXPECT_TRUE(std::dynamic_pointer_cast<HostFace>(curve->SourceFace()));
        const std::vector<double> points = curve->Polyline(0.001);
        for (std::size_t k = 0; k + 2 < points.size(); k += 3) {
            EXPECT_NEAR(points[k + 1], 0, 1e-9);
            nearest = std::min(nearest, points[k]);
            farthest = std::max(farthest, points[k]);
        }
    }
    EXPECT_NEAR(nearest, 10, 1e-6);
    EXPECT_NEAR(farthest, std::hypot(30, 5), 1e-6);
    // Without faces there is no result item.
    SetPartBody(*part, PartShape());
    outline->ClearReferences();
    outline->AddReference(1, lsc->Plane(LocalCoordinateSystem::kPlaneZX));
    outline->Rebuild();
    EXPECT_EQ(outline->ResultCount(), 0);
}

// A part turned in the section's half plane has its seams there: the section
// reads each seam's line or circle from its carrier, and must answer exactly
// as the seam edge's own curve, read the general way, does.
TEST_F(PartModelTest, SectionMeridiansAnswerAsTheirSeamEdgesCurvesToTheLastBit) {
    HostDocumentPtr doc = test::PartDocument(test::SteppedShaft());
    auto lsc = doc->AddLocalCoordinateSystem("ЛСК", {0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1});
    auto part = TopPart(doc);
    auto outline = part->CreateOutline("Контур детали");
    outline->AddReference(1, lsc->Plane(LocalCoordinateSystem::kPlaneZX));
    for (const auto& f : part->Faces()) outline->AddReference(0, f);
    outline->Rebuild();
    ASSERT_EQ(outline->ResultCount(), 1);
    std::vector<std::shared_ptr<HostCurve>> seams;
    for (const auto& edge : part->Edges())
        if (auto curve = edge->Curve()) seams.push_back(curve);
    const auto same = [](const Point3& a, const Point3& b) { return a[0] == b[0] && a[1] == b[1] && a[2] == b[2]; };
    int lines = 0, arcs = 0;
    for (const auto& meridian : outline->ResultCurves(0)) {
        double t0, t1;
        meridian->Range(t0, t1);
        const Point3 first = meridian->PointAt(t0), last = meridian->PointAt(t1);
        const auto seam = std::find_if(seams.begin(), seams.end(), [&](const auto& c) {
            double s0, s1;
            c->Range(s0, s1);
            return s0 == t0 && s1 == t1 && same(c->PointAt(s0), first) && same(c->PointAt(s1), last);
        });
        if (seam == seams.end()) continue;  // an end face's radial segment, made for the section
        const HostCurve& general = **seam;
        ASSERT_EQ(meridian->Kind(), general.Kind());
        (meridian->Kind() == CurveKind::Arc ? arcs : lines)++;
        for (int k = 0; k <= 8; ++k) {
            const double t = t0 + (t1 - t0) * k / 8;
            EXPECT_TRUE(same(meridian->PointAt(t), general.PointAt(t))) << t;
        }
        Point3 c1{}, c2{};
        double r1 = 0, r2 = 0;
        EXPECT_EQ(meridian->Arc(c1, r1), general.Arc(c2, r2));
        EXPECT_TRUE(same(c1, c2));
        EXPECT_EQ(r1, r2);
        // Points on, off, beyond the ends and on an arc's axis.
        const Point3 m = meridian->PointAt(0.5 * (t0 + t1));
        for (const Point3& p :
             {m, Point3{m[0] + 3, m[1] - 2, m[2] + 1}, Point3{0, 0, m[2]},
              Point3{2 * first[0] - m[0], first[1], 2 * first[2] - m[2]}, Point3{c1[0], c1[1], c1[2] + 4}})
            EXPECT_EQ(meridian->Project(p), general.Project(p));
        EXPECT_EQ(meridian->Polyline(0.01), general.Polyline(0.01));
    }
    EXPECT_EQ(lines, 6);  // five cylinders and the cone
    EXPECT_EQ(arcs, 2);   // the sphere and the torus
}

TEST_F(PartModelTest, RegionBoundaryRunsAroundTheSeedsRegionAndTheSelectionTakesFreeObjects) {
    Document2D doc;
    // A square frame with a ring of two arcs inside, and a line that closes nothing.
    doc.BeginObjectSet();
    doc.LineSeg(0, 0, 10, 0, 1);
    doc.LineSeg(10, 0, 10, 10, 1);
    doc.LineSeg(10, 10, 0, 10, 1);
    doc.LineSeg(0, 10, 0, 0, 1);
    doc.ArcByPoint(5, 5, 2, 7, 5, 3, 5, 1, 1);
    doc.ArcByPoint(5, 5, 2, 3, 5, 7, 5, 1, 1);
    doc.LineSeg(20, 0, 30, 0, 1);
    const Ref2D group = doc.EndObjectSet();

    EXPECT_EQ(doc.RegionBoundary(group, 25, 5), 0);  // outside every closed region
    const Ref2D boundary = doc.RegionBoundary(group, 1, 1);
    ASSERT_NE(boundary, 0);
    const auto contours = doc.GroupObjects(boundary);
    ASSERT_EQ(contours.size(), 2u);  // the square, then the ring around the hole
    const Object2D* outer = doc.Find(contours[0]);
    const Object2D* hole = doc.Find(contours[1]);
    ASSERT_EQ(outer->type, kObj2DContour);
    ASSERT_EQ(outer->pieces.size(), 4u);
    // Counter-clockwise from the lowest-left point, the hole clockwise.
    EXPECT_DOUBLE_EQ(outer->pieces[0].a.x, 0);
    EXPECT_DOUBLE_EQ(outer->pieces[0].a.y, 0);
    EXPECT_DOUBLE_EQ(outer->pieces[0].b.x, 10);
    ASSERT_EQ(hole->pieces.size(), 2u);
    for (const Curve2D& c : hole->pieces) {
        EXPECT_TRUE(c.arc);
        EXPECT_LT(c.sweep, 0);
        EXPECT_NEAR(c.r, 2, 1e-12);
    }

    // The object list and the object call leave the pieces as free objects;
    // the rectangle selection takes them and the boundary's group, which lies
    // wholly inside, but not the drawn group, which reaches out of it.
    for (Ref2D c : contours) EXPECT_TRUE(doc.ReleaseGroup(doc.ObjectList(c, 0, 5.0, 1)));
    const std::vector<Ref2D> drawn = doc.GroupObjects(group);
    doc.BeginObjectSet();
    EXPECT_EQ(doc.SelectInRect(-1, -1, 11, 11, 1), 8);
    const Ref2D inside = doc.EndObjectSet();
    int pieces = 0;
    for (Ref2D r : doc.GroupObjects(inside)) {
        EXPECT_EQ(std::count(drawn.begin(), drawn.end(), r), 0);
        if (doc.ObjectType(r) != kObj2DContour) ++pieces;
    }
    EXPECT_EQ(pieces, 6);
    doc.BeginObjectSet();
    EXPECT_EQ(doc.SelectInRect(-1, -1, 11, 11, 0), 14);  // the drawn objects inside as well
    doc.EndObjectSet();
}

}  // namespace
}  // namespace zarvento

namespace zarvento {
namespace {

// Bodies of revolution have their volume from their meridians; closed forms
// (Pappus for the arcs' half discs) and, for a profile of every kind of piece,
// the modeller's own integration (taken by joining a box far away, which no
// longer makes a body of revolution) hold it to the last digits.
TEST(PartShapeTest, VolumesOfBodiesOfRevolutionAreExact) {
    using M = MeridianPiece;
    const struct {
        const char* body;
        std::vector<MeridianPiece> profile;
        double volume;
    } cases[] = {
        {"cylinder", {M::Segment(0, 0, 0, 10), M::Segment(0, 10, 20, 10), M::Segment(20, 10, 20, 0)}, PI * 100 * 20},
        {"cone and cylinder",
         {M::Segment(0, 0, 0, 5), M::Segment(0, 5, 10, 8), M::Segment(10, 8, 20, 8), M::Segment(20, 8, 20, 0)},
         PI * 10 / 3 * (25 + 40 + 64) + PI * 64 * 10},
        {"cone to a point", {M::Segment(0, 0, 0, 6), M::Segment(0, 6, 9, 0)}, PI * 36 * 9 / 3},
        {"sphere", {M::Arc(-5, 0, 0, 5, 5, 0)}, 4 * PI * 125 / 3},
        {"torus", {M::Arc(-3, 20, 0, 23, 3, 20), M::Arc(3, 20, 0, 17, -3, 20)}, 2 * PI * PI * 20 * 9},
        {"tube",
         {M::Segment(0, 5, 0, 10), M::Segment(0, 10, 20, 10), M::Segment(20, 10, 20, 5), M::Segment(20, 5, 0, 5)},
         PI * (100 - 25) * 20},
        {"collar",
         {M::Segment(0, 0, 0, 5), M::Arc(0, 5, 5, 10, 10, 5), M::Segment(10, 5, 10, 0)},
         PI * 25 * 10 + 2 * PI * (PI * 25 / 2) * (5 + 20 / (3 * PI))},
        {"groove",
         {M::Segment(0, 0, 0, 10), M::Arc(0, 10, 5, 5, 10, 10), M::Segment(10, 10, 10, 0)},
         PI * 100 * 10 - 2 * PI * (PI * 25 / 2) * (10 - 20 / (3 * PI))},
    };
    RevolutionAxis slanted;
    slanted.origin = {3, -2, 7};
    slanted.direction = {1, 2, -2};
    slanted.radial = {2, -1, 0};
    for (const auto& c : cases) {
        EXPECT_NEAR(PartShape::Revolve(c.profile).Volume(), c.volume, 1e-12 * c.volume) << c.body;
        EXPECT_NEAR(PartShape::Revolve(c.profile, slanted).Volume(), c.volume, 1e-12 * c.volume) << c.body;
        EXPECT_NEAR(PartShape::Revolve(c.profile).Translated({1, 2, 3}).Volume(), c.volume, 1e-12 * c.volume) << c.body;
    }
    const std::vector<MeridianPiece> mixed = {M::Segment(0, 0, 0, 4),         M::Segment(0, 4, 2, 6),
                                              M::Arc(2, 6, 4, 7, 6, 6.5),     M::Arc(6, 6.5, 8, 5, 10, 6.5),
                                              M::Segment(10, 6.5, 15, 6.5),   M::Arc(15, 6.5, 17, 8.5, 15, 10.5),
                                              M::Segment(15, 10.5, 25, 10.5), M::Segment(25, 10.5, 25, 0)};
    const PartShape body = PartShape::Revolve(mixed);
    const PartShape box = PartShape::Box({100, 100, 100}, {102, 103, 104});
    const double integrated = body.Fuse(box).Volume() - 24;
    EXPECT_NEAR(body.Volume(), integrated, 1e-9 * integrated);
    // Bodies that are not of revolution keep the modeller's integration.
    EXPECT_NEAR(box.Volume(), 24, 1e-9);
    const PartShape notched =
        PartShape::Cylinder({0, 0, 0}, {0, 0, 1}, 10, 20).Cut(PartShape::Box({-2, -2, 5}, {2, 2, 25}));
    EXPECT_NEAR(notched.Volume(), PI * 100 * 20 - 16 * 15, 1e-9 * PI * 100 * 20);
    EXPECT_NEAR(PartShape::Cylinder({0, 0, 0}, {0, 0, 1}, 10, 20).Volume(), PI * 100 * 20, 1e-12 * PI * 100 * 20);
}

TEST(PartShapeTest, ProfilesThatBoundNoBodyAreRefusedWithWhatIsWrong) {
    const struct {
        std::vector<MeridianPiece> profile;
        const char* says;
    } cases[] = {
        // A bow tie: the profile crosses itself.
        {{MeridianPiece::Segment(0, 0, 0, 10), MeridianPiece::Segment(0, 10, 20, 0),
          MeridianPiece::Segment(20, 0, 20, 10), MeridianPiece::Segment(20, 10, 0, 0)},
         "crosses itself"},
        {{MeridianPiece::Segment(0, 0, 0, 10), MeridianPiece::Segment(0, 10, 20, 10)}, "open"},
        {{MeridianPiece::Segment(0, 0, 0, 10), MeridianPiece::Segment(5, 10, 20, 10),
          MeridianPiece::Segment(20, 10, 20, 0)},
         "breaks"},
        {{MeridianPiece::Segment(0, 0, 0, -10)}, "wrong side"},
    };
    for (const auto& c : cases) {
        const HostError e = test::CaughtHostError([&] { PartShape::Revolve(c.profile); });
        EXPECT_EQ(e.Code(), E_INVALIDARG_) << c.says;
        EXPECT_NE(std::string(e.what()).find(c.says), std::string::npos) << e.what();
    }
}

}  // namespace
}  // namespace zarvento
