// The single-pass contour operation: full paths for every lead-in and
// lead-out mode, direction and overrun cases, the invariants over the
// fixture parts (clearance of the nose circle, continuity), the sketch mode
// and the operation's stored values.
#include <gtest/gtest.h>

#include <cmath>

#include "catalogs/param_tool.h"
#include "fixture_parts.h"
#include "geometry/arc_unit.h"
#include "operations/turn_kontur.h"
#include "operations_test_support.h"
#include "path_checks.h"
#include "platform/core/messages.h"
#include "platform/documents/storage_record.h"

namespace zarvento {
namespace {

class TurnKonturTest : public test::OperationTest {
protected:
    CTurnKONTUR& Kontur(const std::string& profile, const std::function<void(CTurnKONTUR&)>& setup = {}) {
        runner->Clear();
        runner->Part(profile);
        CTurn& op = runner->AddKind(kTurnKONTUR, profile, [&](CTurn& o) {
            if (setup) setup(dynamic_cast<CTurnKONTUR&>(o));
        });
        runner->Run();
        return dynamic_cast<CTurnKONTUR&>(op);
    }
};

// The golden paths of the default step: lead-in and lead-out by mode, then
// the cases of direction and overrun. The lead-in starts where the nose is
// nearer than the clearance (1 mm) to the step's shoulder or end: the
// approach comes the rest of the way at feed.
TEST_F(TurnKonturTest, FullPathsForEveryLeadMode) {
    struct Case {
        const char* name;
        std::function<void(CTurnKONTUR&)> setup;
        const char* frames;
    };
    const Case cases[] = {
        {"modes 0: along the contour's tangents", [](CTurnKONTUR&) {},
         "T1\nS700 F0.25\nM03\nG00  X63.112 Z-29.095\nG01  X63 Z-29.2\nG01  X41.6\nG01  Z6.5\nG00  X200 Z100\nM01\n"},
        // Its lead-in would come past the shoulder's corner, 0.1 deep: the
        // tangent's instead.
        {"modes 1: along +Z, the lead-in clear of the shoulder",
         [](CTurnKONTUR& o) { o.VrezanieSposob = o.PerebegSposob = 1; },
         "T1\nS700 F0.25\nM03\nG00  X63.112 Z-29.095\nG01  X63 Z-29.2\nG01  X41.6\nG01  Z6.5\nG00  X200 Z100\nM01\n"},
        // Its lead-out would take the nose round the diameter's end towards the axis.
        {"modes 2: along +X, the lead-out clear of the diameter's end",
         [](CTurnKONTUR& o) { o.VrezanieSposob = o.PerebegSposob = 2; },
         "T1\nS700 F0.25\nM03\nG00  X63.112 Z-29.095\nG01  X63 Z-29.2\nG01  X41.6\nG01  Z6.5\nG00  X200 Z100\nM01\n"},
        {"modes 3: along -Z", [](CTurnKONTUR& o) { o.VrezanieSposob = o.PerebegSposob = 3; },
         "T1\nS700 F0.25\nM03\nG00  X60 Z-27.7\nG01  Z-29.2\nG01  X41.6\nG01  Z5\nG01  Z3.5\nG00  X200 Z100\nM01\n"},
        {"modes 4: along -X", [](CTurnKONTUR& o) { o.VrezanieSposob = o.PerebegSposob = 4; },
         "T1\nS700 F0.25\nM03\nG00  X58.107 Z-28.200\nG01  X57 Z-29.2\nG01  X60\nG01  X41.6\nG01  Z5\nG01  X44.6\nG00  "
         "X200 Z100\nM01\n"},
        {"modes 5: the given angles",
         [](CTurnKONTUR& o) {
             o.VrezanieSposob = o.PerebegSposob = 5;
             o.VrezanieAngle = 135.0;
             o.PerebegAngle = 315.0;
         },
         "T1\nS700 F0.25\nM03\nG00  X62.121 Z-28.139\nG01  X60 Z-29.2\nG01  X41.6\nG01  Z5\nG01  X43.721 Z6.061\nG00  "
         "X200 Z100\nM01\n"},
        {"along the contour's direction", [](CTurnKONTUR& o) { o.indNapr = true; },
         "T1\nS700 F0.25\nM03\nG00  X41.733 Z6.578\nG01  X41.6 Z6.5\nG01  Z-29.2\nG01  X63\nG00  X200 Z100\nM01\n"},
        {"no overrun", [](CTurnKONTUR& o) { o.Perebeg = 0.0; },
         "T1\nS700 F0.25\nM03\nG00  X63.112 Z-29.095\nG01  X63 Z-29.2\nG01  X41.6\nG01  Z5\nG00  X200 Z100\nM01\n"},
        {"negative overrun drops the last unit", [](CTurnKONTUR& o) { o.Perebeg = -0.5; },
         "T1\nS700 F0.25\nM03\nG00  X63.112 Z-29.095\nG01  X63 Z-29.2\nG01  X41.6\nG00  X200 Z100\nM01\n"},
        {"tool offsets",
         [](CTurnKONTUR& o) {
             o.isCorrectLz = true;
             o.CorrectLz = 0.25;
         },
         "T1\nS700 F0.25\nM03\nG00  X63 Z-28.95\nG01  X41.6\nG01  Z6.75\nG00  X200 Z100\nM01\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CTurnKONTUR& op = Kontur(test::kStepProfile, c.setup);
        EXPECT_EQ(runner->Text(0), c.frames);
        EXPECT_EQ(op.messageText, "");
    }
}

TEST_F(TurnKonturTest, NoseCircleKeepsClearOfThePartAndPathsAreContinuous) {
    for (const auto& part : test::FixtureParts()) {
        for (bool along : {false, true}) {
            SCOPED_TRACE(std::string(part.name) + (along ? ", along" : ", against"));
            runner->Bar(part.barLength, part.barDiameter, part.barInner, part.barZ)
                .InnerPoint(part.innerZ, part.innerX);
            CTurnKONTUR& op = Kontur(part.profile, [&](CTurnKONTUR& o) { o.indNapr = along; });
            ASSERT_EQ(op.messageText, "");
            const ParamTool& tool = *op.GetTool();
            const auto profile = test::OperationRunner::Parse(part.profile);
            const double clearance = tool.r - 1e-6;
            bool started = false;
            double lastX = 0, lastZ = 0;
            int moves = 0;
            for (const auto& frame : op.Frames()) {
                StepArray<CUnit*> units(4);
                frame->AddPathUnits(units);
                if (units.Count() == 0) continue;
                ++moves;
                if (started) {
                    EXPECT_NEAR(frame->start.x, lastX, 1e-6) << "frame " << moves;
                    EXPECT_NEAR(frame->start.z, lastZ, 1e-6) << "frame " << moves;
                }
                started = true;
                lastX = frame->end.x;
                lastZ = frame->end.z;
                // The idle moves take the route the user chose; the cut keeps clear.
                if (frame->rapid) continue;
                for (std::uint32_t k = 0; k < units.Count(); ++k) {
                    IntersectPointList points(64);
                    units[k]->GetPointsByStep(points, 0.05, 1);
                    for (std::uint32_t p = 0; p < points.Count(); ++p) {
                        const double cz = points[p].z + tool.dNoseDx, cx = points[p].x - tool.dNoseDy;
                        ASSERT_GE(test::Distance(*profile, cz, cx), clearance)
                            << "frame " << moves << " at (" << cz << ", " << cx << ")";
                    }
                }
            }
            EXPECT_GT(moves, profile->Count());
        }
    }
}

// A journal of radius 15 dropping 1 mm into an undercut at z = -36, the
// shoulder at z = -42. The nose keeps off the part on either pass; so must
// the insert's edges: one whose second edge leaves the nose at 14 degrees
// leaves the wall along that edge's line (down the wall running -Z, up it
// running +Z) and leaves the corner behind it for another tool, and a square
// insert set square to the axis (its edge along the pass, as the catalog's
// turning tool) bridges the undercut at the journal's level.
TEST_F(TurnKonturTest, TheInsertsEdgesKeepOffAnUndercutWall) {
    constexpr const char* kUndercut =
        "LineSeg( 5,-15, -36,-15, 1 );\nLineSeg( -36,-15, -36,-14, 1 );\nLineSeg( -36,-14, -42,-14, 1 );\n"
        "LineSeg( -42,-14, -42,-30, 1 );\n";
    const auto profile = test::OperationRunner::Parse(kUndercut);
    const struct {
        double trailing;
        bool reachesFloor;
    } kInserts[] = {{14.0, true}, {90.0, false}};
    for (const auto& insert : kInserts) {
        for (bool along : {true, false}) {
            SCOPED_TRACE(testing::Message()
                         << (along ? "running -Z" : "running +Z") << ", edge at " << insert.trailing);
            runner->Clear();
            runner->Part(kUndercut);
            ParamTool& tool = *GetSPID()->GetTool(0);
            tool.pContour = test::InsertOutline(tool, insert.trailing);
            ASSERT_NE(tool.pContour, nullptr);
            tool.isNoContour = false;
            CTurn& op = runner->AddKind(kTurnKONTUR, kUndercut, [&](CTurn& o) { o.indNapr = along; });
            runner->Run();
            ASSERT_EQ(op.messageText, "");
            EXPECT_EQ(test::FirstGouge(op, *profile, 0.0), "");
            test::ExpectContinuous(test::PathMoves(op));
            const test::OutlineGouge gouge = test::DeepestOutlineGouge(op, *profile, *tool.pContour);
            EXPECT_LT(gouge.depth, 0.01) << "with the tool at (" << gouge.z << ", " << gouge.x << ")";
            // The pass still finishes the journal, and the undercut's floor where the insert reaches it.
            const std::string text = runner->Text(0);
            EXPECT_NE(text.find("X31.6"), std::string::npos) << text;
            EXPECT_EQ(text.find("X29.6") != std::string::npos, insert.reachesFloor) << text;
        }
    }
}

TEST_F(TurnKonturTest, SketchModeWithoutSketchFailsVisibly) {
    CTurnKONTUR& op = Kontur(test::kStepProfile, [](CTurnKONTUR& o) { o.SposobTrajectory = true; });
    EXPECT_EQ(op.messageText, "Ошибка:\nПотеряна связь с эскизом");
    EXPECT_TRUE(op.Frames().empty());
    EXPECT_FALSE(op.IsActive());
}

TEST_F(TurnKonturTest, RetractFollowsWhenTheNextOperationChangesTool) {
    runner->Clear();
    runner->Part(test::kStepProfile);
    CTurn& first = runner->AddKind(kTurnKONTUR, test::kStepProfile, [](CTurn& o) {
        o.isAutoTool = false;
        o.nToolPosition = 0;
    });
    runner->AddKind(kTurnKONTUR, test::kStepProfile, [](CTurn& o) {
        o.isAutoTool = false;
        o.nToolPosition = 1;
        o.indPerehod = 0;  // left from an earlier calculation without the tool change
    });
    runner->Run();
    const std::string text = runner->Text(0);
    EXPECT_NE(text.find("G00  X200 Z100"), std::string::npos) << text;
    EXPECT_EQ(first.naprVozvrat, 1);
}

TEST_F(TurnKonturTest, StoredValuesRoundTripAndALostSketchIsReported) {
    auto sketch = part->AddSketch("Эскиз1");
    CTurnKONTUR saved;
    saved.SposobTrajectory = true;
    saved.pEskiz = sketch;
    {
        StorageRecord record;
        ASSERT_TRUE(record.OpenWrite("Zarvento.Turn.0"));
        EXPECT_TRUE(saved.SaveKindValues(record));
    }
    CTurnKONTUR loaded;
    {
        StorageRecord record;
        ASSERT_TRUE(record.OpenRead("Zarvento.Turn.0"));
        EXPECT_TRUE(loaded.LoadKindValues(record));
    }
    EXPECT_TRUE(loaded.SposobTrajectory);
    EXPECT_EQ(loaded.pEskiz, sketch);
    EXPECT_TRUE(MessageLog::Instance().Entries().empty());

    // Without the sketch mode nothing else is stored or read.
    CTurnKONTUR plain;
    {
        StorageRecord record;
        ASSERT_TRUE(record.OpenWrite("Zarvento.Turn.1"));
        plain.SaveKindValues(record);
        EXPECT_EQ(record.PendingNames(), std::vector<std::string>{"SposobTrajectory"});
    }

    // A sketch that no open document holds any more.
    auto other = app->Documents().Add(DocumentType::Part, false);  // the plan's document stays active
    saved.pEskiz = other->AddSketch("Эскиз2");
    {
        StorageRecord record;
        ASSERT_TRUE(record.OpenWrite("Zarvento.Turn.2"));
        saved.SaveKindValues(record);
    }
    app->Documents().Close(other);
    CTurnKONTUR lost;
    {
        StorageRecord record;
        ASSERT_TRUE(record.OpenRead("Zarvento.Turn.2"));
        EXPECT_TRUE(lost.LoadKindValues(record));
    }
    EXPECT_TRUE(lost.SposobTrajectory);
    EXPECT_FALSE(lost.pEskiz);
    ASSERT_FALSE(MessageLog::Instance().Entries().empty());
    EXPECT_EQ(MessageLog::Instance().Entries().back().text, "Потеряна связь с эскизом");
    EXPECT_EQ(MessageLog::Instance().Entries().back().caption, "Orbisel");
}

}  // namespace
}  // namespace zarvento
