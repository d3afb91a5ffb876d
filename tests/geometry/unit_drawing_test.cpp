// Units drawing themselves: 3D-view calls with their colours, the 2D document
// objects with their styles, and the frames asked of the frame factory.
#include <gtest/gtest.h>

#include <vector>

#include "geometry/arc_unit.h"
#include "geometry/cadre_factory.h"
#include "geometry/line_unit.h"
#include "geometry/unit_colours.h"
#include "platform/documents/settings_record.h"
#include "platform/view/view_3d_log.h"
#include "test_support.h"

namespace zarvento {
namespace {

using test::CleanStateTest;

class UnitDrawingTest : public CleanStateTest {};

const std::vector<View3DEntry>& ViewEntries() { return View3DLog::Instance().Entries(); }

TEST_F(UnitDrawingTest, EdgeColourPrecedence) {
    const std::uint32_t given = 0x123456, pass = 0xFFE1C8;
    struct Case {
        std::uint32_t colour;
        bool selected, rapid, marked;
        std::uint32_t drawn;
    };
    const Case cases[] = {
        {pass, true, true, true, pass},       {given, true, true, true, 0x00FF00},
        {given, false, true, true, 0x0096FF}, {given, false, false, true, 0xFFFF00},
        {given, false, false, false, given},
    };
    for (const auto& c : cases) {
        View3DLog::Instance().Reset();
        CLineUnit line(0, -1, 10, -2, c.rapid);
        line.Selected = c.selected;
        line.IsMarked = c.marked;
        line.CreateTessellationEdge(c.colour);
        ASSERT_EQ(ViewEntries().size(), 1u);
        const auto& e = ViewEntries()[0];
        EXPECT_EQ(e.action, "CreateLine");
        EXPECT_EQ(e.args, (std::vector<double>{0, -1, 10, -2}));
        EXPECT_EQ(e.kind, 1);
        EXPECT_EQ(e.colour, c.drawn) << c.selected << c.rapid << c.marked;
    }
    // The settings are read at every call.
    SettingsRecord::Global().colours[4] = 0xABCDEF;  // colour 5: rapid moves
    CLineUnit rapid(0, 0, 1, 0, true);
    rapid.CreateTessellationEdge(given);
    EXPECT_EQ(ViewEntries().back().colour, 0xABCDEFu);
}

TEST_F(UnitDrawingTest, FacesRememberTheirColourUnlessSelected) {
    CLineUnit line(0, -1, 10, -2);
    line.CreateTessellationFace(0x111111);
    EXPECT_EQ(line.FaceColour, 0x111111u);
    line.Selected = true;
    line.CreateTessellationFace(0x222222);
    EXPECT_EQ(line.FaceColour, 0x111111u);
    ASSERT_EQ(ViewEntries().size(), 2u);
    EXPECT_EQ(ViewEntries()[0].action, "CreateRevolvedLine");
    EXPECT_EQ(ViewEntries()[0].args, (std::vector<double>{0, -1, 10, -2, 0, 0}));
    EXPECT_EQ(ViewEntries()[1].colour, 0x00FF00u);
    EXPECT_EQ(ViewEntries()[0].item, ViewEntries()[1].item);

    CArcUnit arc(0, -20, 10, 0, -10, 10, -20, 1);
    arc.CreateTessellationFace(0x333333);
    EXPECT_EQ(arc.FaceColour, 0x333333u);
    const auto& e = ViewEntries().back();
    EXPECT_EQ(e.action, "CreateRevolvedArc");
    EXPECT_EQ(e.args, (std::vector<double>{0, -20, 10, 0, -10, 10, -20, -1}));
    EXPECT_EQ(e.colour, 0x333333u);
}

TEST_F(UnitDrawingTest, ArcEdgeIsItsPolyline) {
    CArcUnit arc(0, 0, 10, 0, 10, 10, 0, 1);
    arc.IsMarked = true;
    arc.CreateTessellationEdge(0x010101);
    arc.CreateTessellationEdge(0x010101);  // the polyline is rebuilt, not appended to
    ASSERT_EQ(ViewEntries().size(), 2u);
    const auto& e = ViewEntries()[1];
    EXPECT_EQ(e.action, "CreatePolyline");
    EXPECT_EQ(e.kind, 1);
    EXPECT_EQ(e.colour, 0xFFFF00u);
    ASSERT_EQ(e.args.size(), 30u);
    EXPECT_EQ(arc.Polyline.Count(), 15u);
    EXPECT_EQ(e.args[0], 0);
    EXPECT_EQ(e.args[1], 10);
    EXPECT_EQ(e.args[28], 10);
    EXPECT_EQ(e.args[29], 0);
}

TEST_F(UnitDrawingTest, ClearShowAndHideReachTheDrawables) {
    CLineUnit line(0, 0, 1, 0);
    line.ClearTessellationEdge();
    line.ShowTessellation();
    line.HideTessellation();
    EXPECT_TRUE(ViewEntries().empty());  // nothing drawn yet

    line.CreateTessellationEdge(1);
    line.CreateTessellationFace(2);
    line.HideTessellation();
    line.ShowTessellation();
    line.ClearTessellationFace();
    line.ClearTessellationEdge();
    EXPECT_EQ(View3DLog::Instance().Actions(), (std::vector<std::string>{"CreateLine", "CreateRevolvedLine", "Hide",
                                                                         "Hide", "Show", "Show", "Erase", "Erase"}));
    const int edge = ViewEntries()[0].item, face = ViewEntries()[1].item;
    EXPECT_NE(edge, face);
    EXPECT_EQ(ViewEntries()[2].item, edge);  // the edge first, then the face
    EXPECT_EQ(ViewEntries()[3].item, face);
    EXPECT_EQ(ViewEntries()[6].item, face);
    EXPECT_FALSE(View3DLog::Instance().IsDrawn(edge));
    line.CreateTessellationEdge(1);  // still usable after Erase
    EXPECT_TRUE(View3DLog::Instance().IsVisible(edge));
}

class CountingDrawables final : public UnitDrawableFactory {
public:
    class Edge final : public UnitEdgeDrawable {
    public:
        explicit Edge(int& n) : n_(n) {}
        void SetKind(int) override {}
        void CreateLine(double, double, double, double, std::uint32_t) override { ++n_; }
        void CreatePolyline(const IntersectPointList&, std::uint32_t) override { ++n_; }
        void Erase() override {}
        void Show() override {}
        void Hide() override {}

    private:
        int& n_;
    };
    std::unique_ptr<UnitEdgeDrawable> CreateEdge() override { return std::make_unique<Edge>(lines); }
    std::unique_ptr<UnitFaceDrawable> CreateFace() override { return nullptr; }
    int lines = 0;
};

TEST_F(UnitDrawingTest, ARegisteredFactoryTakesOverTheView) {
    CountingDrawables factory;
    SetUnitDrawableFactory(&factory);
    CLineUnit line(0, 0, 1, 0);
    line.CreateTessellationEdge(1);
    line.CreateTessellationFace(1);  // a factory without faces: the recording view stands in
    SetUnitDrawableFactory(nullptr);
    EXPECT_EQ(factory.lines, 1);
    ASSERT_EQ(ViewEntries().size(), 1u);
    EXPECT_EQ(ViewEntries()[0].action, "CreateRevolvedLine");
}

TEST_F(UnitDrawingTest, Draw2DRaisesTheStyleOfRapidUnits) {
    struct Case {
        bool rapid;
        int style, drawn;
    };
    const Case cases[] = {{true, 1, 4}, {true, 3, 4}, {true, 4, 4}, {true, 5, 5}, {false, 1, 1}, {false, 3, 3}};
    for (const auto& c : cases) {
        CLineUnit line(1, -2, 3, -4, c.rapid);
        const Ref2D ref = line.Draw2D(c.style);
        ASSERT_NE(ref, 0);
        EXPECT_EQ(line.HostObjectId, ref);
        const Object2D* o = ActiveDocument2D().Find(ref);
        ASSERT_NE(o, nullptr);
        EXPECT_EQ(o->type, kObj2DLine);
        EXPECT_EQ(o->line.style, c.drawn) << c.rapid << " " << c.style;
        EXPECT_EQ(o->line.x1, 1);
        EXPECT_EQ(o->line.y1, -2);
        EXPECT_EQ(o->line.x2, 3);
        EXPECT_EQ(o->line.y2, -4);
    }

    CArcUnit arc(0, -20, 10, 0, -10, 10, -20, 1, true);
    const Ref2D ref = arc.Draw2D(2);
    const Object2D* o = ActiveDocument2D().Find(ref);
    ASSERT_NE(o, nullptr);
    EXPECT_EQ(arc.HostObjectId, ref);
    EXPECT_EQ(o->type, kObj2DArc);
    EXPECT_EQ(o->arc.direction, -1);
    EXPECT_EQ(o->arc.style, 4);
    EXPECT_EQ(o->arc.xc, 0);
    EXPECT_EQ(o->arc.yc, -20);
    EXPECT_EQ(o->arc.rad, 10);
    EXPECT_EQ(o->arc.x2, 10);
    EXPECT_EQ(o->arc.y2, -20);
}

TEST_F(UnitDrawingTest, ZeroLengthUnitsDrawNothingAndKeepTheirReference) {
    CLineUnit line(1, 1, 1, 1 + 0.5e-6);
    line.HostObjectId = 17;
    EXPECT_EQ(line.Draw2D(1), 0);
    EXPECT_EQ(line.HostObjectId, 17);
    CArcUnit arc(0, 0, 1, 1, 0, 1, 0, 1);
    EXPECT_EQ(arc.Draw2D(1), 0);
    EXPECT_TRUE(ActiveDocument2D().Objects().empty());
}

class RecordingCadres final : public CadreFactory {
public:
    CadrePtr MakeLineFrame(double x1, double z1, double x2, double z2, double feed, bool rapid, int option1,
                           int option2) override {
        calls.push_back({"line", {x1, z1, x2, z2, feed, rapid ? 1.0 : 0.0, double(option1), double(option2)}});
        return NoCadre();
    }
    CadrePtr MakeArcFrame(bool clockwise, double xc, double zc, double radius, double x1, double z1, double x2,
                          double z2, double feed, bool rapid) override {
        calls.push_back({clockwise ? "G02" : "G03", {xc, zc, radius, x1, z1, x2, z2, feed, rapid ? 1.0 : 0.0}});
        return NoCadre();
    }
    struct Call {
        std::string kind;
        std::vector<double> args;
    };
    std::vector<Call> calls;
};

TEST_F(UnitDrawingTest, FramesComeFromTheRegisteredFactory) {
    CLineUnit line(1, -2, 3, -4, true);
    CArcUnit cw(0, -20, 10, 0, -10, 10, -20, 1);
    CArcUnit ccw(0, -20, 10, 10, -20, 0, -10, -1);
    EXPECT_EQ(line.CreateCadre(), nullptr);  // nothing registered yet

    RecordingCadres factory;
    SetCadreFactory(&factory);
    EXPECT_EQ(line.CreateCadre(), nullptr);
    cw.CreateCadre();
    ccw.CreateCadre();
    SetCadreFactory(nullptr);
    ASSERT_EQ(factory.calls.size(), 3u);
    EXPECT_EQ(factory.calls[0].kind, "line");
    EXPECT_EQ(factory.calls[0].args, (std::vector<double>{-2, 1, -4, 3, -1, 1, 0, 0}));
    EXPECT_EQ(factory.calls[1].kind, "G02");
    EXPECT_EQ(factory.calls[1].args, (std::vector<double>{-20, 0, 10, -10, 0, -20, 10, -1, 0}));
    EXPECT_EQ(factory.calls[2].kind, "G03");
}

}  // namespace
}  // namespace zarvento
