// The headless host's 3D view: drawables check what they are sent as a host
// would, belong to their document, show per view; the scene is surveyed,
// written as binary glTF, drawn as a PNG picture, and the turning plane as SVG.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "gltf_read_back.h"
#include "platform/documents/host_application.h"
#include "platform/drawings/host_drawable.h"
#include "platform/drawings/host_drawing_container.h"
#include "platform/drawings/rgba_image.h"
#include "platform/drawings/zx_drawing.h"
#include "platform/part_model.h"
#include "platform/part_shape.h"
#include "platform/view/scene.h"
#include "platform/view/scene_gltf.h"
#include "platform/view/scene_picture.h"
#include "platform/view/scene_survey.h"
#include "test_support.h"

namespace zarvento {
namespace {

Variant Reals(std::vector<double> values) {
    std::vector<Variant> items;
    for (double v : values) items.push_back(Variant::R8(v));
    return Variant::Array(std::move(items), VarType::R8);
}

Variant Ints(std::vector<std::int32_t> values) {
    std::vector<Variant> items;
    for (std::int32_t v : values) items.push_back(Variant::I4(v));
    return Variant::Array(std::move(items), VarType::I4);
}

const DrawableLight kOpaque{0.5, 0.6, 0.8, 0.8, 1.0, 0.5};

class View3DTest : public test::CleanStateTest {
protected:
    void SetUp() override {
        CleanStateTest::SetUp();
        part = ConnectHostApplication().Documents().Add(DocumentType::Part);
    }

    // A drawn square of two triangles in the plane z = height.
    std::shared_ptr<HostDrawable> Square(double height, std::uint32_t colour, double opacity = 1.0) {
        auto d = part->Drawings().Create();
        d->SetMesh(Reals({0, 0, height, 10, 0, height, 10, 10, height, 0, 10, height}), Ints({0, 1, 2, 0, 2, 3}),
                   Reals({0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1}), Ints({}));
        DrawableLight light = kOpaque;
        light[kOpacityLight] = opacity;
        d->SetColour(colour, light);
        d->Enable(1);
        return d;
    }

    HostDocumentPtr part;
    test::TempDir dir;
};

TEST_F(View3DTest, DrawablesTakeArraysThatFitTogetherAndRefuseTheRest) {
    const Variant square = Reals({0, 0, 0, 1, 0, 0, 1, 1, 0});
    const Variant twoD = Variant::Array({Variant::R8(0), Variant::R8(0), Variant::R8(0)}, VarType::R8, 0, 2);
    struct Case {
        const char* name;
        Variant vertices, indices, normals, normalIndices;
        bool taken;
    };
    const Case cases[] = {
        {"a triangle", square, Ints({0, 1, 2}), Reals({0, 0, 1, 0, 0, 1, 0, 0, 1}), Ints({}), true},
        {"no normals", square, Ints({2, 1, 0}), Variant(), Variant(), true},
        {"nothing at all", Reals({}), Ints({}), Reals({}), Ints({}), true},
        {"normals by their own indices", square, Ints({0, 1, 2}), Reals({0, 0, 1}), Ints({0, 0, 0}), true},
        {"an index past the points", square, Ints({0, 1, 3}), Variant(), Variant(), false},
        {"a negative index", square, Ints({0, -1, 2}), Variant(), Variant(), false},
        {"indices not in threes", square, Ints({0, 1}), Variant(), Variant(), false},
        {"points not in threes", Reals({0, 0, 0, 1}), Ints({0, 0, 0}), Variant(), Variant(), false},
        {"a normal short", square, Ints({0, 1, 2}), Reals({0, 0, 1, 0, 0, 1}), Variant(), false},
        {"a normal index past the normals", square, Ints({0, 1, 2}), Reals({0, 0, 1}), Ints({0, 1, 0}), false},
        {"normal indices short", square, Ints({0, 1, 2}), Reals({0, 0, 1}), Ints({0, 0}), false},
        {"integers for points", Ints({0, 0, 0}), Ints({0, 0, 0}), Variant(), Variant(), false},
        {"no array", Variant::R8(1), Ints({}), Variant(), Variant(), false},
        {"two dimensions", twoD, Ints({0, 0, 0}), Variant(), Variant(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto d = part->Drawings().Create();
        const HRESULT code = test::ErrorCodeOf([&] { d->SetMesh(c.vertices, c.indices, c.normals, c.normalIndices); });
        EXPECT_EQ(code, c.taken ? S_OK_ : E_INVALIDARG_);
        EXPECT_EQ(d->Shape(), c.taken ? DrawableShape::Mesh : DrawableShape::Empty) << "a refusal changes nothing";
    }

    auto line = part->Drawings().Create();
    line->SetPolyline(square, Ints({3, 0, 1, 2, 2, 2, 0}), Variant());
    ASSERT_EQ(line->Polylines().size(), 2u);
    EXPECT_EQ(line->Polylines()[1], (std::vector<std::int32_t>{2, 0}));
    for (const auto& bad : {Ints({4, 0, 1, 2}), Ints({2, 0, 3}), Ints({-1})})
        EXPECT_EQ(test::ErrorCodeOf([&] { line->SetPolyline(square, bad, Variant()); }), E_INVALIDARG_);
    EXPECT_EQ(line->Polylines().size(), 2u);
    EXPECT_EQ(test::ErrorCodeOf([&] { line->SetLineWidth(Variant::I4(-2)); }), E_INVALIDARG_);
    line->SetLineWidth(Variant::I4(3));
    EXPECT_EQ(line->LineWidth(), 3);
}

TEST_F(View3DTest, DrawablesBelongToTheirDocumentAndShowPerView) {
    auto d = Square(0, 0xFF);
    EXPECT_TRUE(d->VisibleIn(0));
    d->SetVisibility(7, 0);
    EXPECT_FALSE(d->VisibleIn(7));
    EXPECT_TRUE(d->VisibleIn(0));
    EXPECT_EQ(SceneSurvey(*part, 7).ShownCount(), 0);
    EXPECT_EQ(SceneSurvey(*part).ShownTriangles(), 2);

    bool removed = false;
    d->Remove(removed);
    EXPECT_TRUE(removed);
    EXPECT_TRUE(d->Removed());
    for (const auto& call :
         std::vector<std::function<void()>>{[&] { d->Enable(1); }, [&] { d->SetVisibility(0, 1); },
                                            [&] { d->Remove(removed); }, [&] { d->SetColour(1, kOpaque); }})
        EXPECT_EQ(test::ErrorCodeOf(call), E_POINTER_);

    auto kept = Square(0, 0xFF);
    auto gone = Square(1, 0xFF);
    EXPECT_EQ(SceneSurvey(*part).LiveCount(), 2);
    ConnectHostApplication().Documents().Close(part);
    EXPECT_TRUE(kept->Removed() && gone->Removed());
    EXPECT_EQ(test::ErrorCodeOf([&] { part->Drawings(); }), E_POINTER_);
    auto drawing = ConnectHostApplication().Documents().Add(DocumentType::Drawing2D);
    EXPECT_EQ(test::ErrorCodeOf([&] { drawing->Drawings(); }), E_POINTER_) << "a drawing has no 3D view";
    EXPECT_EQ(SceneSurvey(*drawing).LiveCount(), 0);
}

TEST_F(View3DTest, TheSceneHoldsWhatIsEnabledAndVisible) {
    auto shown = Square(0, 0x0000FF);
    auto hidden = Square(1, 0x00FF00);
    hidden->SetVisibility(0, 0);
    auto disabled = part->Drawings().Create();
    auto line = part->Drawings().Create();
    line->SetPolyline(Reals({0, 0, 0, 5, 5, 5, 9, 0, 0}), Ints({3, 0, 1, 2}), Variant());
    line->SetColour(0x00AA00, kOpaque);
    line->Enable(1);
    const Scene scene = CollectScene(*part);
    ASSERT_EQ(scene.meshes.size(), 1u);
    EXPECT_EQ(scene.meshes[0].colour, 0x0000FFu);
    EXPECT_EQ(scene.TriangleCount(), 2);
    ASSERT_EQ(scene.lines.size(), 1u);
    EXPECT_EQ(scene.lines[0].runs[0].size(), 3u);
    EXPECT_EQ(scene.Box().max, (ScenePoint{10, 10, 5}));

    const SceneSurvey view(*part);
    EXPECT_EQ(view.LiveCount(), 4);
    EXPECT_EQ(view.ShownCount(), 2);
    EXPECT_EQ(view.WithColour(0x00FF00).size(), 1u);
    EXPECT_EQ(view.Drawables()[1].box.min, (ScenePoint{0, 0, 1}));
    EXPECT_NE(view.Text().find("4 drawables (2 shown, 2 triangles shown)"), std::string::npos) << view.Text();
}

TEST_F(View3DTest, TheSceneShowsThePartsBodyFaceByFaceInItsColours) {
    SetPartBody(*TopPart(part), PartShape::Box({0, 0, 0}, {10, 20, 30}));
    LightValues light = kDefaultLight;
    light[kOpacityLight] = 0.25;
    TopPart(part)->Faces()[0]->SetColour(0x0000FF, light);
    Square(40, 0x00FF00);
    const Scene scene = CollectScene(*part);
    ASSERT_EQ(scene.meshes.size(), 7u) << "six faces, then the drawable";
    EXPECT_EQ(scene.TriangleCount(), 12 + 2);
    EXPECT_EQ(scene.meshes[0].colour, 0x0000FFu);
    EXPECT_DOUBLE_EQ(scene.meshes[0].opacity, 0.25);
    EXPECT_EQ(scene.meshes[1].colour, kDefaultFaceColour);
    EXPECT_EQ(scene.meshes[6].colour, 0x00FF00u);
    for (int f = 0; f < 6; ++f) {
        const SceneMesh& face = scene.meshes[f];
        ASSERT_EQ(face.normals.size(), face.corners.size());
        for (std::size_t k = 0; k < face.corners.size(); ++k) {
            const ScenePoint &p = face.corners[k], &n = face.normals[k];
            EXPECT_GT((p[0] - 5) * n[0] + (p[1] - 10) * n[1] + (p[2] - 15) * n[2], 0) << "faces look out";
        }
    }
    EXPECT_EQ(scene.Box().max, (ScenePoint{10, 20, 40}));
}

// The binary glTF file as a reader meets it: a header, a JSON chunk, a binary chunk.
struct Glb {
    std::uint32_t magic = 0, version = 0, length = 0;
    std::string json, bin;
};

Glb ReadGlb(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const auto u32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        std::memcpy(&v, bytes.data() + at, 4);
        return v;
    };
    Glb glb;
    if (bytes.size() < 20) return glb;
    glb.magic = u32(0), glb.version = u32(4), glb.length = u32(8);
    const std::uint32_t jsonLength = u32(12);
    glb.json = bytes.substr(20, jsonLength);
    if (bytes.size() > 28 + jsonLength) glb.bin = bytes.substr(28 + jsonLength, u32(20 + jsonLength));
    EXPECT_EQ(glb.length, bytes.size());
    return glb;
}

int Occurrences(const std::string& text, const std::string& what) {
    int n = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

TEST_F(View3DTest, TheSceneIsWrittenAsBinaryGltf) {
    Square(0, 0x3366CC, 0.5);
    auto line = part->Drawings().Create();
    line->SetPolyline(Reals({0, 0, 0, 5, 5, 5, 9, 0, 0}), Ints({3, 0, 1, 2}), Variant());
    line->SetColour(0x00AA00, kOpaque);
    line->Enable(1);
    const std::string path = (dir / "view.glb").string();
    WriteSceneGlb(CollectScene(*part), path);
    const Glb glb = ReadGlb(path);
    EXPECT_EQ(glb.magic, 0x46546C67u);
    EXPECT_EQ(glb.version, 2u);
    EXPECT_EQ(glb.json.size() % 4, 0u);
    EXPECT_EQ(Occurrences(glb.json, "\"mode\":4"), 1);
    EXPECT_EQ(Occurrences(glb.json, "\"mode\":1"), 1);
    EXPECT_EQ(Occurrences(glb.json, "\"alphaMode\":\"BLEND\""), 1) << "only the translucent square";
    // Six corners of two triangles with normals, four line ends: floats xyz.
    EXPECT_EQ(glb.bin.size(), (6 + 6 + 4) * 3 * 4u);
    const std::array<double, 3> blue = GltfLinearColour(0x3366CC);
    EXPECT_NEAR(blue[0], std::pow((0xCC / 255.0 + 0.055) / 1.055, 2.4), 1e-12) << "red is the low byte";
    EXPECT_NE(glb.json.find("\"baseColorFactor\":[" + FormatDouble(blue[0])), std::string::npos) << glb.json;

    const test::GltfReadBack occt = test::ReadGltfWithOcct(path);
    ASSERT_TRUE(occt.ok) << "Open CASCADE's own reader reads the file";
    EXPECT_EQ(occt.triangles, 2);
    EXPECT_EQ(occt.colours, (std::set<std::uint32_t>{0x3366CC})) << "the lines are no faces";

    WriteSceneGlb(Scene{}, path);
    EXPECT_EQ(ReadGlb(path).bin, "") << "an empty view is a valid file of no meshes";
    EXPECT_EQ(test::ErrorCodeOf([&] { WriteSceneGlb(Scene{}, (dir / "no" / "view.glb").string()); }),
              STG_E_WRITEFAULT_);
}

TEST_F(View3DTest, ThePictureShowsMeshesLinesAndWhatShinesThrough) {
    Square(0, 0x0000FF);       // red, the back
    Square(2, 0xFF0000, 0.5);  // a translucent blue square in front
    auto line = part->Drawings().Create();
    line->SetPolyline(Reals({-5, 5, 4, 15, 5, 4}), Ints({2, 0, 1}), Variant());
    line->SetColour(0x00C000, kOpaque);
    line->SetLineWidth(Variant::I4(2));
    line->Enable(1);
    ScenePictureOptions options;
    options.width = 200, options.height = 100;
    options.eye = {0, 0, 1};
    options.right = {1, 0, 0};
    const RgbaImage image = ScenePicture::Render(CollectScene(*part), options);
    ASSERT_EQ(image.Width(), 200);
    int white = 0, green = 0, purple = 0;
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const RgbaImage::Pixel p = image.At(x, y);
            white += p[0] == 255 && p[1] == 255 && p[2] == 255;
            green += p[0] == 0 && p[1] == 0xC0 && p[2] == 0;
            purple += p[0] > 100 && p[2] > 100 && p[1] < 30;
        }
    EXPECT_GT(white, 0) << "the background around the fitted scene";
    EXPECT_GT(green, 100) << "the line, unshaded, over the squares";
    EXPECT_GT(purple, 1000) << "red behind translucent blue";

    const std::string path = (dir / "view.png").string();
    image.WritePng(path);
    const RgbaImage back = RgbaImage::ReadPng(path);
    EXPECT_EQ(back.Bytes(), image.Bytes());
    std::ofstream(dir / "not.png") << "text";
    EXPECT_EQ(test::ErrorCodeOf([&] { RgbaImage::ReadPng((dir / "not.png").string()); }), STG_E_INVALIDHEADER_);
    EXPECT_EQ(test::ErrorCodeOf([&] { RgbaImage::ReadPng((dir / "none.png").string()); }), STG_E_FILENOTFOUND_);
    options.width = 0;
    EXPECT_EQ(test::ErrorCodeOf([&] { ScenePicture::Render(Scene{}, options); }), E_INVALIDARG_);
}

// A translucent body (the stock round the part) is a veil: one flat tint
// however many of its surfaces lie over a pixel, so that its caps and sides
// draw no rings on the faces it covers.
TEST_F(View3DTest, ATranslucentBodyTintsWhatItCoversOnce) {
    const auto square = [](double x0, double height, std::vector<ScenePoint>& corners) {
        for (const ScenePoint& p :
             {ScenePoint{x0, 0, height}, ScenePoint{x0 + 10, 0, height}, ScenePoint{x0 + 10, 10, height},
              ScenePoint{x0, 0, height}, ScenePoint{x0 + 10, 10, height}, ScenePoint{x0, 10, height}})
            corners.push_back(p);
    };
    Scene scene;
    SceneMesh face{"face", {}, {}, 0x0000FF, 1.0};
    square(0, 0, face.corners);
    square(10, 0, face.corners);
    // One surface of the veil over the left half, two over the right half.
    SceneMesh veil{"stock", {}, {}, 0xFF0000, 0.4};
    square(0, 2, veil.corners);
    square(10, 2, veil.corners);
    square(10, 4, veil.corners);
    scene.meshes = {face, veil};
    ScenePictureOptions options;
    options.width = 200, options.height = 100;
    options.eye = {0, 0, 1};
    options.right = {1, 0, 0};
    const RgbaImage image = ScenePicture::Render(scene, options);
    const RgbaImage::Pixel left = image.At(60, 50), right = image.At(140, 50);
    EXPECT_GT(left[0], 50) << "the face shows through";
    EXPECT_EQ(left, right);
}

TEST_F(View3DTest, TheTurningPlaneDrawingHasAPathPerItemAndDashedRapidMoves) {
    ZxDrawing drawing("part & plan");
    drawing.AddPath("section", {{{0, 0}, {0, -10}, {-40, -10}, {-40, 0}}}, {0x404040, 1.5, false, true});
    drawing.BeginGroup("operation-1", "1. <Черновой>");
    drawing.AddPath("operation-1-feed", {{{2, -12}, {-38, -12}}, {{2, -11}, {-38, -11}}},
                    {0x780096, 1.2, false, false});
    drawing.AddPath("operation-1-rapid", {{{30, -40}, {2, -12}}}, {0x0096FF, 1, true, false});
    drawing.AddPath("nothing", {{{1, 1}}}, {});
    drawing.EndGroup();
    const std::string text = drawing.Text();
    EXPECT_EQ(Occurrences(text, "<path "), 3) << "a run of one point draws nothing";
    EXPECT_EQ(Occurrences(text, "stroke-dasharray"), 2) << "the rapid moves and the axis";
    EXPECT_NE(text.find("d=\"M2,-12 L-38,-12 M2,-11 L-38,-11\""), std::string::npos) << text;
    EXPECT_NE(text.find("stroke=\"#960078\""), std::string::npos) << "colours are 0x00BBGGRR";
    EXPECT_NE(text.find("<title>1. &lt;Черновой&gt;</title>"), std::string::npos);
    EXPECT_NE(text.find("<title>part &amp; plan</title>"), std::string::npos);
    EXPECT_NE(text.find("viewBox=\"-43.5 -43.5 77 47\""), std::string::npos) << text;
}

// A drawing fitted to the part and the stock: a rapid move to a start point
// far off (Z40 X120, the radius -60) is cut at the page's edge and marked
// there, instead of shrinking the part into a corner; the legend below
// names what each colour and line stands for.
TEST_F(View3DTest, TheTurningPlaneDrawingIsFittedToThePartWithALegend) {
    ZxDrawing drawing("part");
    const std::vector<ZxRun> section{{{0, 0}, {0, -10}, {-40, -10}, {-40, 0}}};
    drawing.AddPath("section", section, {0x404040, 1.5, false, true});
    drawing.FitTo(section);
    drawing.AddLegend("part section", {0x404040, 1.5, false, true});
    drawing.BeginGroup("operation-1", "1. Черновая");
    drawing.AddPath("operation-1-rapid", {{{40, -60}, {2, -12}, {2, -11}}}, {0xB4771F, 1, true, false});
    drawing.EndGroup();
    drawing.AddLegend("1. Черновая", {0xB4771F, 1.2, false, false});
    const std::string text = drawing.Text();
    // The part's box with a margin of 8 % of its length, and the legend's band below it.
    EXPECT_NE(text.find("viewBox=\"-43.2 -13.2 46.4 "), std::string::npos) << text;
    // The rapid move comes in at the page's upper edge (x -13.2) and goes on to its end.
    const std::size_t rapid = text.find("<path id=\"operation-1-rapid\" d=\"M2.95,-13.2 L2,-12 L2,-11\"");
    EXPECT_NE(rapid, std::string::npos) << text;
    EXPECT_EQ(Occurrences(text, "<polyline class=\"beyond\""), 1) << "where it comes in from beyond";
    for (const char* line :
         {">part section</text>", ">1. Черновая</text>", ">the move goes on beyond the drawing</text>"})
        EXPECT_EQ(Occurrences(text, line), 1) << line;
}

}  // namespace
}  // namespace zarvento
