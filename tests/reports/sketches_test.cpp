// The sketches drawn for a fixture plan: the operation sketch's and the plan
// sketch's entities, the refusals, the document set's folder, files and
// messages, the busy flag and the active document on a failure, the saved
// drawing read back, and every drawing exported to SVG (read by an XML
// parser) and DXF (read back by ezdxf, the counts of its entities matching
// the exploded drawing).
#include <gtest/gtest.h>
#include <libxml/parser.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "catalogs/tool_model_text.h"
#include "fixture_parts.h"
#include "operations/turn.h"
#include "operations_test_support.h"
#include "plan/command_door.h"
#include "plan/plan.h"
#include "plan/plan_panels.h"
#include "plan/spid.h"
#include "platform/core/busy_flag.h"
#include "platform/core/host_faults.h"
#include "platform/core/messages.h"
#include "platform/dialogs/file_dialogs.h"
#include "platform/documents/drawing_document.h"
#include "platform/documents/host_documents.h"
#include "platform/drawings/document_2d.h"
#include "reports/plan_sketch.h"
#include "reports/sketch_drawing.h"
#include "reports/sketch_layout.h"
#include "reports/turn_sketch.h"

namespace zarvento {
namespace {

constexpr const char* kTwoSteps =
    "LineSeg( 5,-15, -10,-15, 1 );\nLineSeg( -10,-15, -10,-20, 1 );\nLineSeg( -10,-20, -30,-20, 1 );\n"
    "LineSeg( -30,-20, -30,-30, 1 );\n";

class SketchesTest : public test::OperationTest {
protected:
    void SetUp() override {
        test::OperationTest::SetUp();
        runner->Part(kTwoSteps);
        // The fixture's tools have no model to load: theirs counts as loaded.
        for (int i : {0, 1}) GetSPID()->GetTool(i)->isModelLoaded = true;
    }

    CTurn& Roughing() {
        CTurn& op = runner->AddKind(kTurnMnogoProhod, kTwoSteps);
        runner->Run();
        return op;
    }

    DrawingDocument& ActiveDrawing() {
        HostDocumentPtr doc = app->ActiveDocument();
        EXPECT_EQ(doc->Type(), DocumentType::Drawing2D);
        return DrawingOf(*doc);
    }

    static const DrawingText* FindText(const DrawingDocument& d, const std::string& text) {
        for (const DrawingText& t : d.Texts())
            if (t.text == text) return &t;
        return nullptr;
    }

    // Everything drawn stands on the sheet, clear of the paper's edges by at
    // least `margin`: lines and arcs by their points, a text by the box its
    // characters take (about 0.6 of the height wide), a picture by its box.
    static void ExpectInsideTheSheet(const DrawingDocument& drawing, double margin) {
        const double W = drawing.Sheet().Width(), H = drawing.Sheet().Height();
        double x0 = 1e9, y0 = 1e9, x1 = -1e9, y1 = -1e9;
        const auto take = [&](double x, double y) {
            x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
        };
        for (const DrawingPrimitive& p : drawing.Explode()) {
            switch (p.kind) {
                case DrawingPrimitive::Line: take(p.x1, p.y1), take(p.x2, p.y2); break;
                case DrawingPrimitive::Arc:
                case DrawingPrimitive::Circle: take(p.xc - p.r, p.yc - p.r), take(p.xc + p.r, p.yc + p.r); break;
                case DrawingPrimitive::Picture: take(p.x1, p.y1), take(p.x2, p.y2); break;
                case DrawingPrimitive::Text: {
                    std::size_t chars = 0;
                    for (char c : p.text) chars += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
                    const double w = 0.6 * p.height * static_cast<double>(chars);
                    const double from = p.align == 1 ? -w / 2 : p.align == 2 ? -w : 0.0;
                    if (p.rotation == 0)
                        take(p.x1 + from, p.y1), take(p.x1 + from + w, p.y1 + p.height);
                    else
                        take(p.x1 - p.height, p.y1 + from), take(p.x1, p.y1 + from + w);
                    break;
                }
            }
        }
        EXPECT_GE(x0, margin) << "left";
        EXPECT_GE(y0, margin) << "bottom";
        EXPECT_LE(x1, W - margin) << "right";
        EXPECT_LE(y1, H - margin) << "top";
    }

    // Every drawing exports to SVG that libxml2 reads, and to DXF whose LINE,
    // ARC, CIRCLE and TEXT counts ezdxf finds as the exploded list has them.
    void CheckExports(const DrawingDocument& drawing, const std::string& name) {
        const std::filesystem::path svg = folder / (name + ".svg"), dxf = folder / (name + ".dxf");
        ExportDrawing(drawing, svg.string());
        ExportDrawing(drawing, dxf.string());
        xmlDocPtr xml = xmlReadFile(svg.c_str(), nullptr, XML_PARSE_NONET);
        ASSERT_NE(xml, nullptr) << svg;
        EXPECT_STREQ(reinterpret_cast<const char*>(xmlDocGetRootElement(xml)->name), "svg");
        xmlFreeDoc(xml);

        std::map<std::string, int> expected;
        for (const DrawingPrimitive& p : drawing.Explode()) {
            static const char* names[] = {"LINE", "ARC", "CIRCLE", "TEXT", "IMAGE"};
            if (p.kind != DrawingPrimitive::Picture) ++expected[names[p.kind]];
        }
        const std::filesystem::path counts = folder / (name + ".counts");
        const std::string command =
            "/usr/bin/python3 -c \"import ezdxf, sys, collections; d = ezdxf.readfile(sys.argv[1]); "
            "c = collections.Counter(e.dxftype() for e in d.modelspace()); "
            "print(' '.join('%s=%d' % (k, c[k]) for k in ('LINE', 'ARC', 'CIRCLE', 'TEXT')))\" '" +
            dxf.string() + "' > '" + counts.string() + "' 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
        std::ifstream in(counts);
        std::string got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::ostringstream want;
        want << "LINE=" << expected["LINE"] << " ARC=" << expected["ARC"] << " CIRCLE=" << expected["CIRCLE"]
             << " TEXT=" << expected["TEXT"] << "\n";
        EXPECT_EQ(got, want.str());
    }
};

TEST_F(SketchesTest, OperationSketchLaysOutTheOperation) {
    CTurn& op = Roughing();
    ASSERT_FALSE(op.HasMessage()) << op.messageText;
    CreateSketch(op, "");
    EXPECT_FALSE(BusyFlag);
    DrawingDocument& d = ActiveDrawing();
    EXPECT_EQ(d.Sheet().format, 3);
    EXPECT_EQ(d.Sheet().orientation, 0);
    // The sketch is laid out from its frame's corner, which then stands at
    // (kSketchSheetX, kSketchSheetY) on the sheet. The stock runs from z -58
    // to 2 and x -25 to 0: view 0 moves by (73, 205) from that corner.
    const double sx = kSketchSheetX, sy = kSketchSheetY;
    const DrawingText* zero = FindText(d, "0");
    ASSERT_TRUE(zero);
    EXPECT_DOUBLE_EQ(zero->x, sx + 74.5);
    EXPECT_DOUBLE_EQ(zero->y, sy + 207.0);
    EXPECT_DOUBLE_EQ(d.View(0).x, sx + 73.0);
    EXPECT_DOUBLE_EQ(d.View(0).y, sy + 205.0);
    const DrawingText* title = FindText(d, "Переход 1");
    ASSERT_TRUE(title);
    EXPECT_DOUBLE_EQ(title->x, sx + 0.0);
    EXPECT_DOUBLE_EQ(title->y, sy + 242.0);
    ASSERT_EQ(d.Roughness().size(), 1u);
    EXPECT_DOUBLE_EQ(d.Roughness()[0]->x, sx + 350.0);
    EXPECT_DOUBLE_EQ(d.Roughness()[0]->y, sy + 233.0);
    EXPECT_TRUE(d.Roughness()[0]->switch1 && d.Roughness()[0]->switch2);
    ASSERT_TRUE(d.Zoom());
    EXPECT_EQ(*d.Zoom(), (std::array<double, 4>{sx - 3.0, sy - 3.0, sx + 403.0, sy + 252.0}));

    // The machined surfaces from the face (z 2) to the bar's outside: lengths
    // at z 2, -10, -30 and the radii 15, 20, 25, with their arrows and lines.
    int lengths = 0, diameters = 0;
    for (const DrawingDimension& dim : d.Dimensions()) {
        EXPECT_EQ(dim.arrow1, dim.value < 15.0 ? 2 : 1);
        if (dim.orientation == 1) {
            ++diameters;
            EXPECT_EQ(dim.sign, 1);
        } else {
            ++lengths;
        }
    }
    EXPECT_EQ(lengths, 3);
    EXPECT_EQ(diameters, 3);
    // Two hatches (the section above and below the axis), the axis, the zero mark.
    EXPECT_EQ(d.Hatches().size(), 2u);
    EXPECT_EQ(d.Compounds().size(), 1u);

    // The path stands where the tool moves, over the section (moved with the
    // view), without the rapid moves from the start point (z 40, x 60) and
    // back to it.
    int pathLines = 0;
    for (const Object2D& o : d.View(0).objects.Objects()) {
        if (o.style != 2 || o.type != kObj2DLine) continue;
        ++pathLines;
        for (double z : {o.line.x1 - sx, o.line.x2 - sx})
            EXPECT_TRUE(z >= -58.0 - 5.0 + 73.0 && z <= 2.0 + 5.0 + 73.0) << z;
        for (double x : {o.line.y1 - sy, o.line.y2 - sy}) EXPECT_TRUE(x >= -25.0 - 5.0 + 205.0 && x <= 205.0) << x;
    }
    EXPECT_GT(pathLines, 3);
    // The frame the sketch stands in, its tables on its bottom line.
    const auto hasLine = [&d, sx, sy](double x1, double y1, double x2, double y2) {
        for (const Object2D& o : d.View(0).objects.Objects())
            if (o.type == kObj2DLine && o.style == 1 && o.line.x1 == sx + x1 && o.line.y1 == sy + y1 &&
                o.line.x2 == sx + x2 && o.line.y2 == sy + y2)
                return true;
        return false;
    };
    EXPECT_TRUE(hasLine(0, 0, 403, 0) && hasLine(403, 0, 403, 252) && hasLine(403, 252, 0, 252) &&
                hasLine(0, 252, 0, 0));

    ASSERT_EQ(d.Tables().size(), 1u);
    const DrawingTable& table = *d.Tables()[0];
    EXPECT_DOUBLE_EQ(table.x, sx + 115.0);
    EXPECT_DOUBLE_EQ(table.y, sy + 20.0);
    ASSERT_EQ(table.Rows(), 2);
    EXPECT_EQ(table.Cell(0, 1)->text, "Инструмент");
    EXPECT_EQ(table.Cell(1, 0)->text, std::to_string(op.nToolPosition + 1));
    // A tool without a made designation (a catalog tool's name has no
    // standard) is named as the plan names it.
    EXPECT_EQ(table.Cell(1, 1)->text, "Резец проходной");
    EXPECT_EQ(table.Cell(1, 1)->align, 0);
    EXPECT_DOUBLE_EQ(table.columnWidths[1], 120.0);
    // The frame, the table on its bottom line and the title stand on the A3
    // sheet, its edges clear of them.
    EXPECT_EQ(d.Sheet().Width(), 420.0);
    EXPECT_EQ(d.Sheet().Height(), 297.0);
    ExpectInsideTheSheet(d, 5.0);
    // The column D is the mean machining diameter: twice the path's mean X,
    // which is a radius, and the cutting speed is worked out at it. The part
    // lies on the -X side of its system: both are printed as sizes.
    const double meanRadius = *op.GetNumericVariable("_DMID");
    EXPECT_LT(meanRadius, 0.0);
    char text[32];
    std::snprintf(text, sizeof text, "%1.2f", -2.0 * meanRadius);
    EXPECT_EQ(table.Cell(1, 3)->text, text);
    std::snprintf(text, sizeof text, "%1.0f", op.Nshp);
    EXPECT_EQ(table.Cell(1, 5)->text, text);
    std::snprintf(text, sizeof text, "%1.0f", 3.141592653589793 * -2.0 * meanRadius * op.Nshp / 1000.0);
    EXPECT_EQ(table.Cell(1, 6)->text, text);
    // The variable itself stays what stored formulas read: the mean X.
    EXPECT_EQ(*op.GetNumericVariable("_DMID"), meanRadius);
    CheckExports(d, "operation");
}

// The diameter of the cutting table: the turning kinds' mean X is a radius
// (a thread M40 turned at 500 rpm is cut at 63 m/min, not 31), the axial
// tools' value their diameter already.
TEST_F(SketchesTest, TheCuttingTableWorksAtTheDiameter) {
    const struct {
        int kind;
        double meanValue, diameter;
    } cases[] = {{kTurnMnogoProhod, -18.21, 36.42}, {kTurnKONTUR, 10.5, 21.0},   {kTurnKANAVKA, -8.8, 17.6},
                 {kTurnTHREADING, 20.0, 40.0},      {kTurnOTREZKA, -19.0, 38.0}, {kTurnDRILL, 10.0, 10.0},
                 {kTurnPLASHKA, 10.0, 10.0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.kind);
        std::unique_ptr<PlanTurn> made = CPLAN::CreateTurnClass(c.kind);
        auto& op = dynamic_cast<CTurn&>(*made);
        op.meanDiameter = c.meanValue;
        EXPECT_DOUBLE_EQ(SketchCuttingDiameter(op), c.diameter);
    }
    CuttingData thread;
    thread.diameter = 40.0;
    thread.spindle = 500;
    thread.nmax = 5000;
    EXPECT_EQ(MakeCuttingTable(thread).rows[1][6], "63");
}

// The sketch draws a tool as the simulation cuts with it: the catalog's
// grooving and cut-off blades stand across the spindle axis, their tip edge
// at the anchor's height, the blade and its holder running away from the
// axis (down the sheet), the whole no wider along Z than the holder.
TEST_F(SketchesTest, TheToolViewStandsABladeAcrossTheSpindleAxis) {
    for (const char* blade : {"Резец канавочный", "Резец отрезной"}) {
        SCOPED_TRACE(blade);
        const std::string model = (folder / (std::string(blade) + ".rdp")).string();
        ToolModelText::Convert(
            test::FixturePath(std::string("../../catalog/TOOLS/Токарные/Канавочные/") + blade + ".txt"), model);
        HostDocumentPtr doc = app->Documents().Add(DocumentType::Drawing2D, false);
        DrawingDocument& d = DrawingOf(*doc);
        const int view = AddToolModelView(d, model, 100.0, 50.0, -90.0);
        ASSERT_GE(view, 0);
        double left = 1e9, right = -1e9, low = 1e9, high = -1e9;
        for (const Object2D& o : d.View(view).objects.Objects()) {
            if (o.type != kObj2DLine) continue;
            left = std::min({left, o.line.x1, o.line.x2}), right = std::max({right, o.line.x1, o.line.x2});
            low = std::min({low, o.line.y1, o.line.y2}), high = std::max({high, o.line.y1, o.line.y2});
        }
        EXPECT_NEAR(high, 50.0 + 0.2, 0.011) << "the tip edge, a corner radius from the nose centre";
        EXPECT_GT(high - low, 3 * (right - left)) << "the blade stands across Z";
        EXPECT_LT(right - left, 20.0);
        app->Documents().Close(doc);
    }
}

TEST_F(SketchesTest, PlanSketchDrawsMachinedSurfacesAndTheTurret) {
    runner->Tool(3, "Резец отрезной", 0.3).CorrectX = -2.5;
    runner->Tool(1, "Резец подрезной", 0.4).CorrectX = -0.0005;
    GetSPID()->GetTool(3)->isModelLoaded = true;
    Roughing();
    CreatePlanDocument("");
    EXPECT_FALSE(BusyFlag);
    DrawingDocument& d = ActiveDrawing();
    // The middle of the stock lands at x = 75 from the frame's corner, which
    // stands at (kSketchSheetX, kSketchSheetY) on the sheet.
    const double sx = kSketchSheetX, sy = kSketchSheetY;
    EXPECT_DOUBLE_EQ(d.View(0).x, sx + 100.0 - (-58.0 + 2.0) * 0.5 - 25.0);
    EXPECT_DOUBLE_EQ(d.View(0).y, sy - 25.0 + 225.0);
    ASSERT_EQ(d.Tables().size(), 1u);
    const DrawingTable& table = *d.Tables()[0];
    // Three named tools, position 2 empty: four rows, at y = 40.
    EXPECT_DOUBLE_EQ(table.y, sy + 40.0);
    ASSERT_EQ(table.Rows(), 4);
    EXPECT_EQ(table.Cell(0, 0)->text, "ПИ");
    EXPECT_EQ(table.Cell(1, 0)->text, "1");
    EXPECT_EQ(table.Cell(2, 0)->text, "2");
    EXPECT_EQ(table.Cell(3, 0)->text, "4");
    EXPECT_EQ(table.Cell(2, 4)->text, "-");
    EXPECT_EQ(table.Cell(3, 4)->text, "-2.5 ");
    EXPECT_EQ(table.Cell(3, 2)->text, "0.3 ");
    EXPECT_EQ(table.Cell(3, 1)->text, "Резец отрезной");
    // The part's picture fits 150 × 155 mm with its top at 245: it keeps
    // inside the frame (and the A3 sheet) right of x = 250.
    ASSERT_EQ(d.Rasters().size(), 1u);
    const DrawingRaster& picture = *d.Rasters()[0];
    EXPECT_DOUBLE_EQ(picture.x, sx + 250.0);
    EXPECT_NEAR(picture.y + picture.Height(), sy + 245.0, 1e-9);
    EXPECT_TRUE(std::fabs(picture.Width() - 150.0) < 1e-9 || std::fabs(picture.Height() - 155.0) < 1e-9);
    EXPECT_LE(picture.x + picture.Width(), sx + 400.0 + 1e-9);
    EXPECT_LE(picture.x + picture.Width(), d.Sheet().Width());
    EXPECT_FALSE(std::filesystem::exists(picture.file));
    ASSERT_EQ(d.Roughness().size(), 1u);
    EXPECT_DOUBLE_EQ(d.Roughness()[0]->y, sy + 230.0);
    ExpectInsideTheSheet(d, 5.0);
    EXPECT_FALSE(d.Dimensions().empty());
    EXPECT_EQ(d.Hatches().size(), 2u);
    CheckExports(d, "plan");
}

TEST_F(SketchesTest, PlanSketchDropsWhatNoOperationMachines) {
    // The operation's working contour runs elsewhere: no machined surface.
    runner->AddKind(kTurnMnogoProhod, kTwoSteps);
    runner->Run();
    auto& op = runner->Operation(0);
    op.workContour = ParseContourScript("LineSeg( 100,-20, 90,-20, 1 );\n");
    CreatePlanDocument("");
    DrawingDocument& d = ActiveDrawing();
    EXPECT_TRUE(d.Dimensions().empty());
    for (const Object2D& o : d.View(0).objects.Objects()) EXPECT_NE(o.style, 7);
}

TEST_F(SketchesTest, PlanSketchRefusals) {
    CreatePlanDocument("");
    EXPECT_EQ(MessageLog::Instance().Texts(MessageRole::HostMessage),
              std::vector<std::string>{"План обработки не содержит переходов"});
    Roughing();
    GetSPID()->stockBuilder.buildMethod = -1;
    MessageLog::Instance().Clear();
    const std::size_t documents = app->Documents().Count();
    CreatePlanDocument("");
    EXPECT_EQ(MessageLog::Instance().Texts(MessageRole::HostMessage), std::vector<std::string>{"Заготовка не задана"});
    EXPECT_EQ(app->Documents().Count(), documents);
    EXPECT_FALSE(BusyFlag);
}

TEST_F(SketchesTest, DocumentSetWritesEverySketchIntoItsFolder) {
    Roughing();
    CTurn& second = runner->AddKind(kTurnKONTUR, kTwoSteps);
    second.isExclude = true;
    runner->Run();
    const std::filesystem::path chosen = folder / "Work.2024" / "Shaft.rdd";
    std::filesystem::create_directories(chosen.parent_path());
    std::filesystem::create_directories(folder / "Work.2024" / "Shaft");
    std::ofstream(folder / "Work.2024" / "Shaft" / "Эскиз 1.rdd.bak") << "old";
    FileDialogs::Instance().QueueSave(chosen.string());
    CreateDocumentSet(*GetPLAN());
    const std::filesystem::path set = folder / "Work.2024" / "Shaft";
    std::vector<std::string> files;
    for (const auto& e : std::filesystem::directory_iterator(set)) files.push_back(e.path().filename().string());
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, (std::vector<std::string>{"Эскиз 0.rdd", "Эскиз 1.rdd", "Эскиз 2.rdd"}));
    EXPECT_EQ(MessageLog::Instance().AllTexts(), std::vector<std::string>{"Комплект докуметов сформирован"});
    EXPECT_EQ(app->ActiveDocument(), part);
    EXPECT_FALSE(BusyFlag);
    // Each sketch is a drawing document that opens again as it was saved.
    for (const std::string& name : files) {
        HostDocumentPtr doc = app->Documents().Open((set / name).string(), false);
        EXPECT_EQ(doc->Type(), DocumentType::Drawing2D);
        DrawingDocument& d = DrawingOf(*doc);
        EXPECT_FALSE(d.Texts().empty()) << name;
        CheckExports(d, name.substr(0, name.size() - 4));
        app->Documents().Close(doc);
    }
}

TEST_F(SketchesTest, DocumentSetOfAnEmptyPlan) {
    const std::filesystem::path chosen = folder / "Empty.rdd";
    FileDialogs::Instance().QueueSave(chosen.string());
    CreateDocumentSet(*GetPLAN());
    EXPECT_TRUE(std::filesystem::is_empty(folder / "Empty"));
    EXPECT_EQ(MessageLog::Instance().AllTexts(),
              (std::vector<std::string>{"План обработки не содержит переходов", "Комплект докуметов сформирован"}));
    // Cancelled: nothing at all.
    MessageLog::Instance().Clear();
    CreateDocumentSet(*GetPLAN());
    EXPECT_TRUE(MessageLog::Instance().AllTexts().empty());
}

TEST_F(SketchesTest, FailedSketchPutsBackTheFlagAndThePart) {
    CTurn& op = Roughing();
    auto drawings = [this] {
        int n = 0;
        for (std::size_t i = 0; i < app->Documents().Count(); ++i)
            n += app->Documents().Item(i)->Type() == DocumentType::Drawing2D;
        return n;
    };
    const int before = drawings();
    HostFaults::Arm("Drawing.AddTable", E_FAIL_);
    EXPECT_THROW(CreateSketch(op, (folder / "a.rdd").string()), HostError);
    EXPECT_FALSE(BusyFlag);
    EXPECT_EQ(app->ActiveDocument(), part);
    EXPECT_EQ(drawings(), before);
    EXPECT_FALSE(std::filesystem::exists(folder / "a.rdd"));
    // A sketch afterwards goes through.
    CreateSketch(op, (folder / "a.rdd").string());
    EXPECT_TRUE(std::filesystem::exists(folder / "a.rdd"));
    EXPECT_EQ(app->ActiveDocument(), part);
}

TEST_F(SketchesTest, PlanCommandsDrawThroughTheRegisteredSketches) {
    Roughing();
    GetPlanPanels().CreateTurnSketch(runner->Operation(0), "");
    EXPECT_EQ(app->ActiveDocument()->Type(), DocumentType::Drawing2D);
}

TEST(DrawingDocumentTest, DamagedDrawingIsRefused) {
    DrawingDocument d;
    d.AddText(1, 2, "a\tb\\c");
    auto& t = d.AddTable(2, 2, 10, 20, 5, 6);
    t.SetCellText(1, 1, "x", 1, kDrawingFont);
    t.Merge(0, 0, 1, 0);
    DrawingDocument back;
    ASSERT_TRUE(DrawingDocument::Decode(d.Encode(), back));
    EXPECT_EQ(back.Encode(), d.Encode());
    EXPECT_EQ(back.Texts()[0].text, "a\tb\\c");
    DrawingDocument bad;
    EXPECT_FALSE(DrawingDocument::Decode("table\t0\t1\t2\t3\n", bad));
    EXPECT_FALSE(DrawingDocument::Decode("tablecell\t0\t0\t1\t1\t1\t0\tf\tx\n", bad));
    EXPECT_FALSE(DrawingDocument::Decode("text\t7\t1\t2\t0\t3.5\tf\tx\n", bad));
}

}  // namespace
}  // namespace zarvento
