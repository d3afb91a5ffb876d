// Tessellated models read from files through the host: documents already open
// stay open, others are opened and closed again; faces keep the host's
// colours and face out of the body; the model moves, turns and collects its
// triangles with boxes.
#include <cmath>
#include <filesystem>

#include "display_test_support.h"
#include "geometry/primitives.h"
#include "model/model_tess.h"
#include "platform/documents/host_application.h"
#include "platform/part_model.h"

namespace zarvento {
namespace {

class ModelTessTest : public test::DisplayTest {
protected:
    // A part document holding a box from min to max, its first face red,
    // saved to a file of the test's folder and closed.
    std::string SaveBox(const std::string& name, Point3 min, Point3 max) {
        HostApplication& app = ConnectHostApplication();
        HostDocumentPtr doc = app.Documents().Add(DocumentType::Part, false);
        SetPartBody(*TopPart(doc), PartShape::Box(min, max));
        LightValues light = kDefaultLight;
        light[4] = 0.8;
        TopPart(doc)->Faces()[0]->SetColour(0x0000FF, light);
        const std::string path = (dir / name).string();
        doc->SaveAs(path);
        app.Documents().Close(doc);
        return path;
    }

    static SceneBox BoxOf(const CModelTess& model) {
        SceneBox box;
        for (const auto& part : model.parts)
            for (const auto& face : part->faces)
                for (const Point3D& p : face->vertices) box.Add({p.x, p.y, p.z});
        return box;
    }

    test::TempDir dir;
};

TEST_F(ModelTessTest, AFileNotOpenIsOpenedAndClosedAgainOneOpenStaysOpen) {
    const std::string path = SaveBox("tool.rdp", {0, 0, 0}, {10, 20, 30});
    HostDocuments& documents = ConnectHostApplication().Documents();
    const std::size_t before = documents.Count();
    CModelTess closed;
    ASSERT_TRUE(closed.LoadFromFile(path));
    EXPECT_EQ(documents.Count(), before) << "opened for the load and closed again";
    EXPECT_EQ(closed.partCount, 1);
    ASSERT_EQ(closed.parts.size(), 1u);
    EXPECT_EQ(closed.parts[0]->faceCount, 6);
    EXPECT_EQ(closed.parts[0]->faces.size(), 6u);
    EXPECT_EQ(ConnectHostApplication().ActiveDocument(), part) << "the user's document stays active";

    HostDocumentPtr open = documents.Open(path, false);
    CModelTess kept;
    ASSERT_TRUE(kept.LoadFromFile(open->FilePath()));
    EXPECT_TRUE(documents.Contains(open));
    // The same file under another spelling of its path is the same document,
    // and the user's: it stays open too.
    const std::string roundabout = (dir.Path() / "." / "tool.rdp").string();
    CModelTess again;
    ASSERT_TRUE(again.LoadFromFile(roundabout));
    EXPECT_TRUE(documents.Contains(open));
    EXPECT_EQ(again.parts[0]->faces.size(), 6u);

    CModelTess missing;
    EXPECT_FALSE(missing.LoadFromFile((dir / "none.rdp").string()));
    EXPECT_TRUE(Messages().empty()) << "a file that cannot be opened is no message";
    HostDocumentPtr drawing = documents.Add(DocumentType::Drawing2D, false);
    drawing->SaveAs((dir / "sheet.rdd").string());
    documents.Close(drawing);
    CModelTess sheet;
    EXPECT_TRUE(sheet.LoadFromFile((dir / "sheet.rdd").string()));
    EXPECT_TRUE(sheet.parts.empty()) << "neither part nor assembly: no parts";
}

TEST_F(ModelTessTest, AnAssemblyGivesAPartPerComponent) {
    const std::string path = (dir / "chuck.step").string();
    PartShape::WriteStepAssembly(path, "chuck",
                                 {{"jaw 1", PartShape::Box({0, 0, 0}, {5, 5, 5}), {0, 0, 0}},
                                  {"jaw 2", PartShape::Cylinder({0, 0, 0}, {0, 0, 1}, 3, 10), {20, 0, 0}}});
    CModelTess chuck;
    ASSERT_TRUE(chuck.LoadFromFile(path));
    EXPECT_EQ(chuck.partCount, 2);
    ASSERT_EQ(chuck.parts.size(), 2u);
    EXPECT_EQ(chuck.parts[0]->faces.size(), 6u);
    EXPECT_EQ(chuck.parts[1]->faces.size(), 3u);
    EXPECT_NEAR(BoxOf(chuck).max[0], 23, 1e-6) << "each component at its place";
}

TEST_F(ModelTessTest, FacesKeepTheHostsColoursAndFaceOutOfTheBody) {
    CModelTess model;
    ASSERT_TRUE(model.LoadFromFile(SaveBox("box.rdp", {0, 0, 0}, {10, 20, 30})));
    const auto& faces = model.parts[0]->faces;
    EXPECT_EQ(faces[0]->colour, 0x0000FFu);
    EXPECT_DOUBLE_EQ(faces[0]->light[4], 0.8);
    EXPECT_EQ(faces[1]->colour, kDefaultFaceColour);
    EXPECT_GT(faces[0]->tessellationValue, 0.0);
    int triangles = 0;
    for (const auto& face : faces) {
        ASSERT_GT(face->vertexCount, 0);
        for (std::uint32_t i = 0; i + 2 < face->vertices.Count(); i += 3, ++triangles) {
            const Point3D &a = face->vertices[i], &b = face->vertices[i + 1], &c = face->vertices[i + 2];
            const Point3D& n = face->normals[i];
            const double gx = (b.y - a.y) * (c.z - a.z) - (b.z - a.z) * (c.y - a.y);
            const double gy = (b.z - a.z) * (c.x - a.x) - (b.x - a.x) * (c.z - a.z);
            const double gz = (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x);
            EXPECT_GT(gx * n.x + gy * n.y + gz * n.z, 0) << "corners turn about the normal";
            const double out = (a.x - 5) * n.x + (a.y - 10) * n.y + (a.z - 15) * n.z;
            EXPECT_GT(out, 0) << "the normal leaves the box";
        }
    }
    EXPECT_EQ(triangles, 12);
    model.CollectTriangles(true);
    EXPECT_EQ(model.triangles.Count(), 12u);
    EXPECT_EQ(model.modelBox, (std::array<double, 6>{0, 0, 0, 10, 20, 30}));
    EXPECT_EQ(model.overlapBox, (std::array<double, 6>{1e9, 1e9, 1e9, 1e9, 1e9, 1e9}));
    model.CollectTriangles(false);
    EXPECT_EQ(model.modelBox, (std::array<double, 6>{0, 0, 0, 0, 0, 0})) << "boxes of zeros";
    CModelTess empty;
    empty.CollectTriangles(true);
    EXPECT_EQ(empty.modelBox, (std::array<double, 6>{1e9, 1e9, 1e9, -1e9, -1e9, -1e9}));
}

TEST_F(ModelTessTest, UnderTheLscInputFlagHostNormalsStayDirections) {
    const std::string path = SaveBox("plate.rdp", {-5, -5, -1}, {5, 5, 0});
    // The NC system's Z runs along model X, its origin far from the model's.
    UseLsc({100, 50, 0}, {0, 1, 0}, {0, 0, 1}, {1, 0, 0});
    CModelTess model;
    ASSERT_TRUE(model.LoadFromFile(path));
    bool top = false;
    for (const auto& face : model.parts[0]->faces) {
        const Point3D& n = face->normals[0];
        EXPECT_NEAR(std::sqrt(n.x * n.x + n.y * n.y + n.z * n.z), 1.0, 1e-9) << "a direction, not a point";
        if (std::fabs(face->vertices[0].x - 100) < 1e-9 && std::fabs(face->vertices[1].x - 100) < 1e-9 &&
            std::fabs(face->vertices[2].x - 100) < 1e-9) {
            top = true;
            EXPECT_NEAR(n.x, 1.0, 1e-9) << "the file's +Z is the LSC Z: model +X";
        }
    }
    EXPECT_TRUE(top) << "the plate's top lies in the LSC plane Z = 0";
    EXPECT_NEAR(BoxOf(model).max[0], 100, 1e-9);
    EXPECT_NEAR(BoxOf(model).min[1], 45, 1e-9);
}

TEST_F(ModelTessTest, AToolModelIsDrawnMovedAndTurned) {
    CModelTess tool;
    ASSERT_TRUE(tool.LoadFromFile(SaveBox("tool.rdp", {0, -2, 0}, {20, 2, 6})));
    EXPECT_FALSE(tool.IsDrawn());
    tool.DrawAt(-30, 15, 0);
    EXPECT_TRUE(tool.IsDrawn());
    EXPECT_EQ(View().LiveCount(), 6);
    EXPECT_EQ(View().ShownTriangles(), 12);
    SceneBox box = BoxOf(tool);
    EXPECT_NEAR(box.min[0], 15, 1e-9);
    EXPECT_NEAR(box.min[2], -30, 1e-9);
    tool.MoveTo(-10, 15, 0);
    EXPECT_NEAR(BoxOf(tool).min[2], -10, 1e-9);
    tool.Shift(5, 0, 0);
    EXPECT_NEAR(BoxOf(tool).min[2], -5, 1e-9);
    // Half a turn about the LSC X axis through each face's reference point
    // (the tool's place): the tool now hangs the other way along Z.
    tool.MoveTo(0, 0, 0);
    tool.RotateX(PI);
    box = BoxOf(tool);
    EXPECT_NEAR(box.min[2], -6, 1e-9);
    EXPECT_NEAR(box.max[2], 0, 1e-9);
    EXPECT_NEAR(box.max[1], 2, 1e-9);
    tool.RotateX(0);
    EXPECT_NEAR(BoxOf(tool).max[2], 6, 1e-9);
    tool.Hide();
    EXPECT_FALSE(tool.IsVisible());
    EXPECT_EQ(View().ShownCount(), 0);
    tool.Show();
    EXPECT_TRUE(tool.IsVisible());
    tool.Erase();
    EXPECT_FALSE(tool.IsDrawn());
    EXPECT_EQ(View().LiveCount(), 0);
    tool.DrawAtXYZ(0, 0, 0);
    EXPECT_EQ(View().LiveCount(), 6) << "drawn again after an erase";
}

TEST_F(ModelTessTest, HostArraysThatDoNotFitLeaveTheFaceEmpty) {
    const auto reals = [](std::vector<double> v) {
        std::vector<Variant> items;
        for (double d : v) items.push_back(Variant::R8(d));
        return Variant::Array(std::move(items), VarType::R8);
    };
    const auto ints = [](std::vector<std::int32_t> v) {
        std::vector<Variant> items;
        for (std::int32_t i : v) items.push_back(Variant::I4(i));
        return Variant::Array(std::move(items), VarType::I4);
    };
    const Variant points = reals({0, 0, 0, 1, 0, 0, 0, 1, 0});
    const Variant normals = reals({0, 0, 1, 0, 0, 1, 0, 0, 1});
    struct Case {
        const char* name;
        Variant points, indices, normals;
        bool taken;
    };
    const Case cases[] = {
        {"a triangle", points, ints({0, 1, 2}), normals, true},
        {"a corner past the points", points, ints({0, 1, 3}), normals, false},
        {"a negative corner", points, ints({0, -1, 2}), normals, false},
        {"a corner past the normals", points, ints({0, 1, 2}), reals({0, 0, 1, 0, 0, 1}), false},
        {"corners not in threes", points, ints({0, 1}), normals, false},
        {"no points", reals({}), ints({}), reals({}), false},
        {"integers for points", ints({0, 0, 0}), ints({0, 0, 0}), normals, false},
        {"two dimensions", Variant::Array({Variant::R8(0), Variant::R8(0), Variant::R8(0)}, VarType::R8, 0, 2),
         ints({0, 0, 0}), normals, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTessellationObjectFace face;
        EXPECT_EQ(face.AppendHostTriangles(c.points, c.indices, c.normals), c.taken);
        EXPECT_EQ(face.vertexCount, c.taken ? 3 : 0);
    }
}

}  // namespace
}  // namespace zarvento
