// Extruded bodies, the outline of a projected body, its approximation by
// lines and arcs, and the size table's file form.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "platform/core/host_error.h"
#include "platform/core/numbers.h"
#include "platform/documents/host_size_table.h"
#include "platform/model_view.h"
#include "platform/part_shape.h"

namespace zarvento {
namespace {

// The distance of a point from a piece.
double DistanceToPiece(const OutlinePoint& p, const OutlinePiece& piece) {
    if (piece.kind == OutlinePiece::kLine) {
        const double dx = piece.end[0] - piece.start[0], dy = piece.end[1] - piece.start[1];
        const double t =
            std::clamp(((p[0] - piece.start[0]) * dx + (p[1] - piece.start[1]) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
        return std::hypot(p[0] - piece.start[0] - t * dx, p[1] - piece.start[1] - t * dy);
    }
    return std::fabs(std::hypot(p[0] - piece.centre[0], p[1] - piece.centre[1]) - piece.radius);
}

double DistanceToPieces(const OutlinePoint& p, const std::vector<OutlinePiece>& pieces) {
    double best = 1e300;
    for (const auto& piece : pieces) best = std::min(best, DistanceToPiece(p, piece));
    return best;
}

// The pieces follow one another end to start and close the chain.
void ExpectClosedChain(const std::vector<OutlinePiece>& pieces) {
    ASSERT_FALSE(pieces.empty());
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const auto& next = pieces[(i + 1) % pieces.size()];
        EXPECT_NEAR(pieces[i].end[0], next.start[0], 1e-9);
        EXPECT_NEAR(pieces[i].end[1], next.start[1], 1e-9);
    }
}

TEST(OutlineApproximation, RoundedRectanglesAndCirclesComeBackAsLinesAndArcs) {
    // A rectangle 30 x 10 with one corner rounded by 4, sampled finely.
    OutlineChain chain{{0, 0}, {30, 0}, {30, 10}};
    for (int k = 0; k <= 40; ++k) {
        const double a = PI / 2 + k * (PI / 2) / 40;
        chain.push_back({4 + 4 * std::cos(a), 6 + 4 * std::sin(a)});
    }
    const auto pieces = ApproximateOutline(chain, 0.01);
    ExpectClosedChain(pieces);
    int lines = 0, arcs = 0;
    for (const auto& p : pieces) {
        if (p.kind == OutlinePiece::kLine) ++lines;
        if (p.kind == OutlinePiece::kArc) {
            ++arcs;
            EXPECT_NEAR(p.radius, 4, 1e-9);
            EXPECT_EQ(p.direction, 1);
            // The lines end where the arc begins, not within the tolerance of it.
            EXPECT_NEAR(p.start[0], 4, 1e-9);
            EXPECT_NEAR(p.start[1], 10, 1e-9);
            EXPECT_NEAR(p.end[0], 0, 1e-9);
            EXPECT_NEAR(p.end[1], 6, 1e-9);
        }
    }
    EXPECT_EQ(lines, 4);
    EXPECT_EQ(arcs, 1);
    for (const auto& p : chain) EXPECT_LE(DistanceToPieces(p, pieces), 0.01);

    // A whole circle, walked clockwise: arcs under a half turn each (a few
    // points left at the end may close it as a line within the tolerance).
    OutlineChain circle;
    for (int k = 0; k < 200; ++k) circle.push_back({5 * std::cos(-k * 2 * PI / 200), 5 * std::sin(-k * 2 * PI / 200)});
    const auto round = ApproximateOutline(circle, 0.01);
    ExpectClosedChain(round);
    int roundArcs = 0;
    for (const auto& p : round) {
        if (p.kind != OutlinePiece::kArc) continue;
        ++roundArcs;
        EXPECT_EQ(p.direction, -1);
        EXPECT_NEAR(p.radius, 5, 1e-9);
    }
    EXPECT_GE(roundArcs, 2);
    EXPECT_LE(round.size(), 4u);
    for (const auto& p : circle) EXPECT_LE(DistanceToPieces(p, round), 0.01);
}

TEST(OutlineApproximation, NoisyChainsStayWithinTheTolerance) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> noise(-0.004, 0.004), radius(2, 20);
    for (int round = 0; round < 20; ++round) {
        OutlineChain chain;
        const double r = radius(random);
        for (int k = 0; k < 150; ++k) {
            const double a = k * 2 * PI / 150;
            const double wobble = k % 50 < 25 ? r : r * 0.6;  // steps in the radius make corners
            chain.push_back({wobble * std::cos(a) + noise(random), wobble * std::sin(a) + noise(random)});
        }
        const auto pieces = ApproximateOutline(chain, 0.01);
        ExpectClosedChain(pieces);
        for (const auto& p : chain) EXPECT_LE(DistanceToPieces(p, pieces), 0.0100001);
    }
}

TEST(BodyProjection, TheOutlineOfABodyIsItsOuterBoundaryInTheNamedView) {
    // An L-shaped plate with a hole, rounded at one corner.
    const std::vector<MeridianPiece> profile{
        MeridianPiece::Segment(0, 0, 20, 0),
        MeridianPiece::Segment(20, 0, 20, 6),
        MeridianPiece::Arc(20, 6, 18 + 2 * std::cos(PI / 4), 6 + 2 * std::sin(PI / 4), 18, 8),
        MeridianPiece::Segment(10, 20, 0, 20),
        MeridianPiece::Segment(18, 8, 10, 8),
        MeridianPiece::Segment(10, 8, 10, 20),
        MeridianPiece::Segment(0, 20, 0, 0),
    };
    const PartShape plate = PartShape::Extrude(profile, 0, -3);
    EXPECT_NEAR(plate.Volume(), 3 * (20 * 8 + 10 * 12 - (4 - PI)), 1e-6);
    // Stood up so that the plate lies in the XZ plane the views look at (its
    // y along Z).
    const PartShape holed =
        plate.Cut(PartShape::Cylinder({5, 5, -5}, {0, 0, 1}, 1.5, 10)).Rotated({0, 0, 0}, {1, 0, 0}, 90);
    // As drawn, the plate shows its edge: its thickness along Z.
    const auto edge = ProjectBodyOutline(plate, ModelViewOrientation::FromBelow);
    ASSERT_EQ(edge.size(), 1u);
    for (const auto& p : edge[0]) EXPECT_TRUE(p[1] > -3 - 1e-6 && p[1] < 1e-6) << p[1];

    ModelViewOrientation below, above, none;
    ASSERT_TRUE(ModelViewOrientationByName("#Снизу", below));
    ASSERT_TRUE(ModelViewOrientationByName("#Сверху", above));
    EXPECT_FALSE(ModelViewOrientationByName("#Слева", none));

    const auto chains = ProjectBodyOutline(holed, below);
    ASSERT_EQ(chains.size(), 1u);  // the hole is no part of the outline
    const auto pieces = ApproximateOutline(chains[0]);
    int arcs = 0;
    for (const auto& p : pieces) arcs += p.kind == OutlinePiece::kArc;
    EXPECT_EQ(pieces.size(), 7u);
    EXPECT_EQ(arcs, 1);
    for (const auto& p : chains[0]) {
        EXPECT_GE(p[1], -1e-6);
        EXPECT_LE(p[1], 20 + 1e-6);
    }
    const auto mirrored = ProjectBodyOutline(holed, above);
    ASSERT_EQ(mirrored.size(), 1u);
    for (const auto& p : mirrored[0]) EXPECT_LE(p[1], 1e-6);

    // A cylinder seen from the side: its silhouette is a rectangle.
    const auto side = ProjectBodyOutline(PartShape::Cylinder({0, 0, 0}, {1, 0, 0}, 3, 10), below);
    ASSERT_EQ(side.size(), 1u);
    const auto rect = ApproximateOutline(side[0]);
    EXPECT_EQ(rect.size(), 4u);
    EXPECT_TRUE(ProjectBodyOutline(PartShape(), below).empty());
}

TEST(BodyProjection, ExtrudingRefusesOpenOrBrokenProfiles) {
    const auto open =
        std::vector<MeridianPiece>{MeridianPiece::Segment(0, 0, 1, 0), MeridianPiece::Segment(1, 0, 1, 1)};
    const auto broken = std::vector<MeridianPiece>{
        MeridianPiece::Segment(0, 0, 1, 0), MeridianPiece::Segment(2, 0, 2, 1), MeridianPiece::Segment(2, 1, 0, 0)};
    const auto square =
        std::vector<MeridianPiece>{MeridianPiece::Segment(0, 0, 1, 0), MeridianPiece::Segment(1, 1, 1, 0),
                                   MeridianPiece::Segment(0, 1, 1, 1), MeridianPiece::Segment(0, 0, 0, 1)};
    for (const auto* profile : {&open, &broken}) {
        try {
            PartShape::Extrude(*profile, 0, 1);
            ADD_FAILURE() << "an open profile was extruded";
        } catch (const HostError& e) {
            EXPECT_EQ(e.Code(), E_INVALIDARG_);
        }
    }
    EXPECT_THROW(PartShape::Extrude(square, 1, 1), HostError);
    EXPECT_NEAR(PartShape::Extrude(square, 2, -1).Volume(), 3, 1e-9);
}

TEST(SizeTableForm, RowsSurviveTheFileFormAndDamageIsRefused) {
    HostSizeTable table;
    table.SetColumns({"D", "L"});
    table.AddRow({"Сверло 8\tдлинное", {8, 117.5}});
    table.AddRow({"Сверло 10", {10, 0.1 + 0.2}});
    EXPECT_THROW(table.AddRow({"короткая", {1}}), HostError);
    HostSizeTable back;
    ASSERT_TRUE(HostSizeTable::Decode(table.Encode(), back));
    EXPECT_EQ(back.Columns(), table.Columns());
    ASSERT_EQ(back.RowCount(), 2);
    EXPECT_EQ(back.Rows()[0].name, "Сверло 8 длинное");
    EXPECT_EQ(back.Rows()[1].values[1], 0.1 + 0.2);
    EXPECT_FALSE(HostSizeTable::Decode("D\tL\nA\t1", back));
    EXPECT_FALSE(HostSizeTable::Decode("D\nA\tx", back));
}

}  // namespace
}  // namespace zarvento
