// Every tool of the bundled catalog, in every way it is mounted, as the
// program drives it and the simulation cuts with it: roughing and finishing
// a stepped section leave exactly the section, and the grooving and cut-off
// blades stand across the spindle axis.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "bundled_catalog.h"
#include "geometry/arc_unit.h"
#include "geometry/line_unit.h"
#include "geometry/lsc_transform.h"
#include "model/model_tess.h"
#include "operations/path_clearance.h"
#include "simulation/section_comparison.h"
#include "simulation/tool_model_placement.h"
#include "simulation_test_support.h"

namespace zarvento::test {
namespace {

// How near the machined section must come to the part's.
constexpr double kWithin = 0.005;

// Rows of the catalog dialog's tree (as "zarvento catalog" lists it).
constexpr int kGrooving = 10;   // Резец канавочный (N123)
constexpr int kCutOff = 11;     // Резец отрезной (N151.2)
constexpr int kTurning = 13;    // Резец проходной SSBCR
constexpr int kBoring = 15;     // Резец расточной (SCLCR)
constexpr int kThreading = 17;  // Резец резьбовой 16ER AG60
constexpr int kThreadingLeft = 18;

// Stepped sections, points (z, x) with x the negative radius, each from the
// face at z = 0 to the back at z = -60. The fillets in the hollow corners
// take the largest nose, and the chamfers the corners a nose rounds.
//
// Outside, rising towards the chuck: a chamfered journal of diameter 20, a
// step to 30 and one to 36.
constexpr const char* kRisingShaft = R"(LineSeg( 0,0, 0,-9, 1 );
LineSeg( 0,-9, -1,-10, 1 );
LineSeg( -1,-10, -18.5,-10, 1 );
ArcByPoint( -18.5,-11.5, 1.5, -18.5,-10, -20,-11.5, 1, 1 );
LineSeg( -20,-11.5, -20,-14, 1 );
LineSeg( -20,-14, -21,-15, 1 );
LineSeg( -21,-15, -38.5,-15, 1 );
ArcByPoint( -38.5,-16.5, 1.5, -38.5,-15, -40,-16.5, 1, 1 );
LineSeg( -40,-16.5, -40,-17, 1 );
LineSeg( -40,-17, -41,-18, 1 );
LineSeg( -41,-18, -60,-18, 1 );
LineSeg( -60,-18, -60,0, 1 );
)";

// Outside, rising away from the chuck, for tools that cut towards +Z: the
// mirror image of the shaft above about z = -30.
constexpr const char* kFallingShaft = R"(LineSeg( 0,0, 0,-18, 1 );
LineSeg( 0,-18, -19,-18, 1 );
LineSeg( -19,-18, -20,-17, 1 );
LineSeg( -20,-17, -20,-16.5, 1 );
ArcByPoint( -21.5,-16.5, 1.5, -20,-16.5, -21.5,-15, 1, 1 );
LineSeg( -21.5,-15, -39,-15, 1 );
LineSeg( -39,-15, -40,-14, 1 );
LineSeg( -40,-14, -40,-11.5, 1 );
ArcByPoint( -41.5,-11.5, 1.5, -40,-11.5, -41.5,-10, 1, 1 );
LineSeg( -41.5,-10, -60,-10, 1 );
LineSeg( -60,-10, -60,0, 1 );
)";

// Outside, rising towards the chuck in cones of 45 degrees, which the flank
// of a threading tool clears: a chamfered journal of diameter 20, a cone to
// 30 and one to 36.
constexpr const char* kConicalShaft = R"(LineSeg( 0,0, 0,-9, 1 );
LineSeg( 0,-9, -1,-10, 1 );
LineSeg( -1,-10, -18,-10, 1 );
LineSeg( -18,-10, -23,-15, 1 );
LineSeg( -23,-15, -38,-15, 1 );
LineSeg( -38,-15, -41,-18, 1 );
LineSeg( -41,-18, -60,-18, 1 );
LineSeg( -60,-18, -60,0, 1 );
)";

class CatalogToolsTest : public PlanHostTest {
protected:
    void SetUp() override {
        PlanHostTest::SetUp();
        // The bundled catalog beside the library, as the build makes it.
        InstallBundledCatalog(examples / ".." / "catalog", folder.Path());
    }

    void Script(const std::string& text) {
        CommandScript runner(folder.Path());
        runner.Run(text);
        ASSERT_EQ(runner.CommandsFailed(), 0) << text;
    }

    // A part of the section on a bar of diameter 38 from z = 2 to z = 2 -
    // length, with the catalog's tool of tree row `row` in its size `size`
    // (-1: a model without sizes) at positions 1 and 2.
    void MakePart(const std::string& section, double length, int row, int size) {
        MakePartOf(section, "L=" + std::to_string(length) + " D=38 Z=2", row, size, 2);
    }

    // The same on the stock the fields give ("L=.. D=.. d=.. Z=.."), with the
    // tool at the first `positions` positions.
    void MakePartOf(const std::string& section, const std::string& stock, int row, int size, int positions) {
        {
            std::ofstream out(folder.Path() / "part.profile", std::ios::binary);
            out << section;
        }
        part = app->Documents().Add(DocumentType::Part);
        std::string text =
            "lsc \"ЛСК-1\"\nprofile part.profile\npanel lsc\n  set \"Система координат ЧПУ\" \"ЛСК-1\"\n"
            "  set \"Система ЧПУ (постпроцессор)\" ISO_Lathe\n  ok\nend\ncoordinate-system\n"
            "answer spid ok " +
            stock + " positions=" + std::to_string(positions) + " x0=60 z0=40\nplan-data\n";
        for (int position = 1; position <= positions; ++position)
            text += "answer spid ok catalog=" + std::to_string(position) + "\ndialog catalog\n  select 100 " +
                    std::to_string(row) + "\n" + (size >= 0 ? "  select 200 " + std::to_string(size) + "\n" : "") +
                    "  ok\nend\nplan-data\n";
        Script(text);
    }

    // Roughs and finishes the units with the tools at positions 1 and 2 and
    // pre-calculates the program as the simulation panel does: the
    // departures of the machined section from the part over those units.
    std::vector<SectionDeviation> Machine(int first, int last) {
        const std::string work = " work=" + std::to_string(first) + "-" + std::to_string(last);
        return Simulate("answer turn ok name=Черновая tool=1 allowance=0.5" + work + "\ncreate 1\n" +
                            "answer turn ok name=Чистовая tool=2" + work + "\ncreate 2\n",
                        first, last);
    }

    // Plans the operations of the script and pre-calculates the program:
    // the departures of the machined section from the part over the units.
    std::vector<SectionDeviation> Simulate(const std::string& plan, int first, int last) {
        Script(plan);
        if (HasFailure()) return {};
        GetSPID()->CreateContourTool(CSPID::kAllPositions);
        CPROGRAM program;
        program.CreateProgram();
        std::vector<std::string> lines;
        program.WriteProgramText(lines);
        CSimulation simulation;
        simulation.SetFrames(program.frames);
        simulation.SetSpeedFactor(CSimulation::kPreCalculationSpeed);
        simulation.CalculateAllFrames();
        for (CCadreISO* frame : program.frames) frame->simulatedStock.reset();
        if (!simulation.Stock()) {
            ADD_FAILURE() << "the simulation has no stock";
            return {};
        }
        std::vector<SectionDeviation> out;
        for (const SectionDeviation& d : CompareSections(*GetSPID()->GetDetailContour(), *simulation.Stock(), kWithin))
            if (d.unit >= first && d.unit <= last) out.push_back(d);
        return out;
    }
};

// ---------------------------------------------------------------- roughing and finishing

struct MachiningCase {
    const char* name;
    int row, size;
    bool m4;  // spindle M4: the tool turned over, seen from above
    const char* section;
    double length;
    int first, last;  // the units machined
};

class CatalogToolMachining : public CatalogToolsTest, public ::testing::WithParamInterface<MachiningCase> {};

// The program drives the tool's point where the plan puts it, and the
// simulation cuts with the tool's outline about that point: the roughing's
// allowance goes with the finishing pass, and nothing of the part, to within
// a few micrometres (the sections' hollow corners take the tools' noses). A
// tool turned over for M4 cuts towards +Z, so it makes a shaft that rises
// that way.
TEST_P(CatalogToolMachining, RoughingAndFinishingLeaveTheSection) {
    const MachiningCase& c = GetParam();
    MakePart(c.section, c.length, c.row, c.size);
    if (HasFailure()) return;
    if (c.m4)
        for (int i = 0; i < 2; ++i) {
            GetSPID()->tools[static_cast<std::size_t>(i)].M34 = 4;
            GetSPID()->tools[static_cast<std::size_t>(i)].ClearContour();
        }
    for (const SectionDeviation& d : Machine(c.first, c.last))
        ADD_FAILURE() << "unit " << d.unit << ": " << d.left << " mm left, " << d.cut << " mm cut into the part";
}

INSTANTIATE_TEST_SUITE_P(
    BundledCatalog, CatalogToolMachining,
    ::testing::Values(MachiningCase{"TurningR04", kTurning, 0, false, kRisingShaft, 64, 2, 11},
                      MachiningCase{"TurningR12M4", kTurning, 2, true, kFallingShaft, 62, 2, 10},
                      MachiningCase{"Grooving3", kGrooving, 1, false, kRisingShaft, 64, 2, 11},
                      MachiningCase{"Grooving4M4", kGrooving, 2, true, kFallingShaft, 62, 2, 10},
                      MachiningCase{"CutOff2", kCutOff, 0, false, kRisingShaft, 64, 2, 11},
                      MachiningCase{"CutOff3M4", kCutOff, 1, true, kFallingShaft, 62, 2, 10},
                      MachiningCase{"Threading", kThreading, -1, false, kConicalShaft, 64, 2, 6},
                      MachiningCase{"ThreadingM4", kThreading, -1, true, kConicalShaft, 64, 2, 6},
                      MachiningCase{"ThreadingLeft", kThreadingLeft, -1, false, kConicalShaft, 64, 2, 6}),
    [](const ::testing::TestParamInfo<MachiningCase>& param) { return std::string(param.param.name); });

// ---------------------------------------------------------------- the operations each tool is made for

// Parts for the tools that work on the spindle's axis or in a bore, points
// (z, x) from the face at z = 0 as above. A bore of diameter 22 and 20 deep
// with a hole of 16 through (the stock's own bore) behind it:
constexpr const char* kCounterbored = R"(LineSeg( 0,-11, 0,-20, 1 );
LineSeg( 0,-20, -50,-20, 1 );
LineSeg( -50,-20, -50,-8, 1 );
LineSeg( -50,-8, -20,-8, 1 );
LineSeg( -20,-8, -20,-11, 1 );
LineSeg( -20,-11, 0,-11, 1 );
)";
// A bar of diameter 20 (its face is centred):
constexpr const char* kBar = R"(LineSeg( 0,0, 0,-10, 1 );
LineSeg( 0,-10, -40,-10, 1 );
LineSeg( -40,-10, -40,0, 1 );
)";
// A blind hole of diameter 10, 25 deep, in a bar of 20:
constexpr const char* kHoled = R"(LineSeg( 0,-5, 0,-10, 1 );
LineSeg( 0,-10, -40,-10, 1 );
LineSeg( -40,-10, -40,0, 1 );
LineSeg( -40,0, -25,0, 1 );
LineSeg( -25,0, -25,-5, 1 );
LineSeg( -25,-5, 0,-5, 1 );
)";
// A ring whose hole of 8.5 (drilled in the stock) takes an M10 thread:
constexpr const char* kTappingRing = R"(LineSeg( 0,-4.25, 0,-10, 1 );
LineSeg( 0,-10, -20,-10, 1 );
LineSeg( -20,-10, -20,-4.25, 1 );
LineSeg( -20,-4.25, 0,-4.25, 1 );
)";
// A pin of diameter 10 (the stock's) for an M10 thread:
constexpr const char* kPin10 = R"(LineSeg( 0,0, 0,-5, 1 );
LineSeg( 0,-5, -20,-5, 1 );
LineSeg( -20,-5, -20,0, 1 );
)";
// Catalog rows of the axial tools.
constexpr int kTap = 3, kDie = 4, kTwistDrill = 6, kCentreDrill = 7;

struct OperationCase {
    const char* name;
    const char* section;  // null: the threaded pin of the examples
    const char* stock;
    int row, size;
    int kind;
    const char* fields;
    double overrun;  // 0: the operation's own
};

class CatalogToolOperation : public CatalogToolsTest, public ::testing::WithParamInterface<OperationCase> {};

// Every tool of the catalog, in a size-table row, takes the operations it is
// made for on a part it suits: the operation holds no message (a tool it
// refuses, as the centre drill was for centring, a path it cannot make) and
// its path passes the main job's check.
TEST_P(CatalogToolOperation, TakesTheTool) {
    const OperationCase& c = GetParam();
    std::string section = c.section ? c.section : std::string();
    if (!c.section) {
        std::ifstream in(examples / "pin" / "threaded-pin.profile");
        section.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    MakePartOf(section, c.stock, c.row, c.size, 1);
    if (HasFailure()) return;
    Script(std::string("answer turn ok name=Op tool=1 ") + c.fields + "\ncreate " + std::to_string(c.kind) + "\n");
    if (HasFailure()) return;
    ASSERT_EQ(GetPLAN()->GetTurnCount(), 1);
    auto& op = dynamic_cast<CTurn&>(*GetPLAN()->GetTurn(0));
    if (c.overrun > 0.0) {
        // The thread's run-out shortened to the relief, as the panel does.
        op.Perebeg = c.overrun;
        GetPLAN()->DiagnosticRaschetPath();
    }
    EXPECT_EQ(op.kind, c.kind);
    EXPECT_FALSE(op.HasMessage()) << op.messageText;
    EXPECT_FALSE(op.Frames().empty());
    // A thread is cut into the part by design: its own check of the run-out
    // and the insert's flank is the message it would hold.
    if (c.kind != kTurnTHREADING) {
        EXPECT_TRUE(CheckPathClearance(op)) << op.messageText;
    }
}

constexpr const char* kPinStock = "L=101 D=38 Z=1";

INSTANTIATE_TEST_SUITE_P(
    BundledCatalog, CatalogToolOperation,
    ::testing::Values(
        OperationCase{"TurningRoughing", nullptr, kPinStock, kTurning, 1, 1, "work=1-15 allowance=0.3", 0},
        OperationCase{"TurningContour", nullptr, kPinStock, kTurning, 0, 2, "work=1-15 direction=along", 0},
        OperationCase{"GroovingGroove", nullptr, kPinStock, kGrooving, 0, 3, "work=10", 0},
        OperationCase{"GroovingMultiPass", nullptr, kPinStock, kGrooving, 1, 1, "work=4-6 strategy=groove", 0},
        OperationCase{"CutOff", nullptr, kPinStock, kCutOff, 1, 7, "work=16", 0},
        OperationCase{"CutOffBladeGroove", nullptr, kPinStock, kCutOff, 0, 3, "work=10", 0},
        OperationCase{"Threading", nullptr, kPinStock, kThreading, -1, 5, "work=3 pitch=1.5", 1.5},
        OperationCase{"ThreadingLeft", nullptr, kPinStock, kThreadingLeft, -1, 5, "work=3 pitch=1.5", 1.5},
        OperationCase{"BoringRoughing", kCounterbored, "L=51 D=42 d=16 Z=1", kBoring, 0, 1, "work=1-2", 0},
        OperationCase{"BoringContour", kCounterbored, "L=51 D=42 d=16 Z=1", kBoring, 0, 2, "work=1-2", 0},
        // The centre hole goes where the part has its hole: into a part
        // without one its cone would cut.
        OperationCase{"CentreDrill", kHoled, "L=41 D=22 Z=1", kCentreDrill, 1, 4, "hole=centring", 0},
        OperationCase{"TwistDrill", kHoled, "L=41 D=22 Z=1", kTwistDrill, 2, 4, "hole=surface work=1-2", 0},
        OperationCase{"Tap", kTappingRing, "L=21 D=22 d=8.5 Z=1", kTap, 2, 6, "work=0", 0},
        OperationCase{"Die", kPin10, "L=21 D=10 Z=1", kDie, 1, 6, "work=2", 0}),
    [](const ::testing::TestParamInfo<OperationCase>& param) { return std::string(param.param.name); });

// A groove 5 wide cut by plunges of the 3 mm blade, whose corners are
// rounded: the plunges take the blade from wall to wall, its far corner as
// near its wall as the bound one. Only the groove's sharp corners keep what
// a corner of radius 0.2 leaves in them (0.083).
TEST_F(CatalogToolsTest, AMultiPassGrooveIsCutWallToWall) {
    constexpr const char* kGrooved =
        "LineSeg( 0,0, 0,-14, 1 );\nLineSeg( 0,-14, -1,-15, 1 );\nLineSeg( -1,-15, -20,-15, 1 );\n"
        "LineSeg( -20,-15, -20,-12, 1 );\nLineSeg( -20,-12, -25,-12, 1 );\nLineSeg( -25,-12, -25,-15, 1 );\n"
        "LineSeg( -25,-15, -40,-15, 1 );\nLineSeg( -40,-15, -40,0, 1 );\n";
    MakePart(kGrooved, 44, kGrooving, 1);
    if (HasFailure()) return;
    for (const SectionDeviation& d :
         Simulate("answer turn ok name=Канавка tool=1 work=4-6 strategy=groove feed=0.05\ncreate 1\n", 4, 6))
        if (d.left > 0.09 || d.cut > 0.0)
            ADD_FAILURE() << "unit " << d.unit << ": " << d.left << " mm left, " << d.cut << " mm cut into the part";
    // The main job's check follows the same blade: its far corner at the wall is no cut.
    auto& op = dynamic_cast<CTurn&>(*GetPLAN()->GetTurn(0));
    EXPECT_TRUE(CheckPathClearance(op)) << op.messageText;
}

// ---------------------------------------------------------------- one model of the tool

// The outline's box in the turning plane.
BoundBox OutlineBox(const std::vector<OutlinePiece>& pieces, double dz, double dx) {
    Contour outline;
    for (const OutlinePiece& p : pieces)
        if (p.kind == OutlinePiece::kLine)
            outline.AddUnit(std::make_unique<CLineUnit>(p.start[0], p.start[1], p.end[0], p.end[1], false));
        else
            outline.AddUnit(std::make_unique<CArcUnit>(p.centre[0], p.centre[1], p.radius, p.start[0], p.start[1],
                                                       p.end[0], p.end[1], -p.direction, false));
    outline.Move(dz, dx);
    return outline.GetBoundBox();
}

// Every turning tool of the catalog, however it is mounted, is one model: the
// contour the simulation cuts with (and draws) and the 3D model its collision
// check moves stand in the same place about the programmed point, with the
// nose centre where the program puts it; a grooving or cut-off blade stands
// across the spindle axis, its tip edge as wide along Z as the blade and the
// blade running away from the axis.
TEST_F(CatalogToolsTest, TheContourAndTheModelOfEveryToolAreOne) {
    MakePart(kRisingShaft, 64, kTurning, 1);
    if (HasFailure()) return;
    struct Mounting {
        int m34;
        double angle;
    };
    for (const int row : {kGrooving, kCutOff, kTurning, kBoring, kThreading, kThreadingLeft}) {
        Script("answer spid ok catalog=1\ndialog catalog\n  select 100 " + std::to_string(row) +
               "\n  ok\nend\nplan-data\n");
        for (const Mounting m : {Mounting{3, 0.0}, Mounting{4, 0.0}, Mounting{4, -20.0}}) {
            ParamTool& tool = GetSPID()->tools[0];
            SCOPED_TRACE(tool.sToolName + " M" + std::to_string(m.m34) + " angle " + std::to_string(m.angle));
            tool.M34 = static_cast<std::int16_t>(m.m34);
            tool.Angle = m.angle;
            tool.ClearContour();
            GetSPID()->CreateContourTool(0);
            ASSERT_TRUE(tool.pContour);
            double noseZ = 0, noseX = 0;
            tool.NoseCentre(noseZ, noseX);

            // The program's nose: its circle touches the lines through the
            // programmed point that its tip position names.
            const BoundBox contour = tool.pContour->GetBoundBox();
            if (m.angle == 0.0 && tool.r > 0.0) {
                const int across = tool.isInter ? 1 : -1;  // where the material lies, in x
                EXPECT_NEAR(noseX - across * tool.r, 0.0, 1e-6) << "the nose touches the programmed x";
                EXPECT_NEAR(across > 0 ? contour.xmin : contour.xmax, 0.0, 0.011)
                    << "the tool reaches the programmed x";
            }
            if (tool.GetType() == 13 || tool.GetType() == 14) {
                double width = 0, depth = 0;
                tool.GetVariable("width", width);
                tool.GetVariable("Ld", depth);
                const double along = contour.zmax - contour.zmin, away = contour.xmax - contour.xmin;
                if (m.angle == 0.0) {
                    EXPECT_NEAR(along, width, 0.011) << "the tip edge is the blade's width along Z";
                    EXPECT_NEAR(away, depth, 0.011) << "the blade runs away from the axis";
                    EXPECT_NEAR(contour.xmax, 0.0, 0.011) << "the tip edge faces the axis";
                }
            }

            // The 3D model the simulation moves, at the programmed point
            // (0, 0), over the outline of the whole model in the same view.
            double originZ = 0, originX = 0;
            ToolModelOrigin(tool, 0.0, 0.0, 0.0, 0.0, originZ, originX);
            EXPECT_NEAR(originZ, noseZ, 1e-12);
            EXPECT_NEAR(originX, -noseX, 1e-12);
            const std::unique_ptr<CModelTess> model = LoadToolModel(tool, originZ, originX);
            ASSERT_TRUE(model);
            model->CollectTriangles(false);
            ASSERT_GT(model->triangles.Count(), 0u);
            BoundBox seen{1e9, 1e9, -1e9, -1e9};
            for (const CollisionTriangle& t : model->triangles)
                for (const auto& v : t.vertices) {
                    double x = v[0], y = v[1], z = v[2];
                    LscTransform::Global().GlobalToLocal(x, y, z);
                    seen.zmin = std::min(seen.zmin, z), seen.zmax = std::max(seen.zmax, z);
                    seen.xmin = std::min(seen.xmin, -x), seen.xmax = std::max(seen.xmax, -x);
                }
            HostDocumentPtr doc = ConnectHostApplication().Documents().Open(tool.sWorkFile, false);
            const BoundBox drawn =
                OutlineBox(ParamTool::ModelOutline(doc, tool.ViewFromAbove(), tool.ViewTurn()), noseZ, noseX);
            ConnectHostApplication().Documents().Close(doc);
            EXPECT_NEAR(seen.zmin, drawn.zmin, 0.011);
            EXPECT_NEAR(seen.zmax, drawn.zmax, 0.011);
            EXPECT_NEAR(seen.xmin, drawn.xmin, 0.011);
            EXPECT_NEAR(seen.xmax, drawn.xmax, 0.011);
        }
    }
}

// A plan read back from its document builds each position's contour from its
// own model in its own size: a 2 mm grooving blade beside a 3 mm cut-off
// blade stays 2 mm wide.
TEST_F(CatalogToolsTest, EveryPositionOfAPlanReadBackKeepsItsOwnModel) {
    MakePart(kRisingShaft, 64, kGrooving, 0);
    Script("answer spid ok catalog=2\ndialog catalog\n  select 100 " + std::to_string(kCutOff) +
           "\n  select 200 1\n  ok\nend\nplan-data\n");
    if (HasFailure()) return;
    DeleteSPID();
    CSPID* spid = GetSPID();
    ASSERT_TRUE(spid->LoadTools());
    spid->CreateContourTool(CSPID::kAllPositions);
    for (int i = 0; i < 2; ++i) {
        const ParamTool& tool = spid->tools[static_cast<std::size_t>(i)];
        ASSERT_TRUE(tool.pContour) << i;
        double width = 0;
        ASSERT_TRUE(tool.GetVariable("width", width)) << i;
        const BoundBox box = tool.pContour->GetBoundBox();
        EXPECT_NEAR(box.zmax - box.zmin, width, 0.011) << tool.sToolName;
    }
    EXPECT_NE(spid->tools[0].sWorkFile, spid->tools[1].sWorkFile);
}
}  // namespace
}  // namespace zarvento::test
