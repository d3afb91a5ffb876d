// The equidistant of chains of segments and arcs: fixtures with known results
// through the 2D document, bad input, and properties over random chains.
#include "platform/drawings/equidistant.h"

#include <cmath>
#include <functional>
#include <limits>
#include <random>
#include <string>

#include "platform/core/numbers.h"
#include "platform/drawings/document_2d.h"
#include "test_support.h"

namespace zarvento {
namespace {

using test::CleanStateTest;

double MinDistance(const std::vector<Curve2D>& source, Point2D p) {
    double best = std::numeric_limits<double>::infinity();
    for (const Curve2D& c : source) best = std::min(best, c.Distance(p));
    return best;
}

// The arc a document would rebuild from centre, end points and direction.
double SweepFromEnds(const Curve2D& c) {
    const double a1 = std::atan2(c.a.y - c.c.y, c.a.x - c.c.x);
    const double a2 = std::atan2(c.b.y - c.c.y, c.b.x - c.c.x);
    return c.Direction() < 0 ? -NormalizeAngle(a1 - a2) : NormalizeAngle(a2 - a1);
}

// Checks the properties every result must have; returns the number of pieces.
std::size_t CheckResult(const std::vector<Curve2D>& source, bool sourceClosed, double distance,
                        const EquidistantResult& r, const std::string& what) {
    const double d = std::abs(distance);
    std::size_t pieces = 0;
    for (const EquidistantChain& chain : r.chains) {
        EXPECT_FALSE(chain.pieces.empty()) << what;
        if (sourceClosed) {
            EXPECT_TRUE(chain.closed) << what << ": a closed chain must give closed offsets";
        }
        for (std::size_t i = 0; i < chain.pieces.size(); ++i) {
            const Curve2D& c = chain.pieces[i];
            ++pieces;
            EXPECT_GT(c.Length(), 0) << what;
            if (i > 0) {
                EXPECT_LE(Dist(chain.pieces[i - 1].b, c.a), 1e-9) << what << ": break before piece " << i;
            }
            if (c.arc) {
                EXPECT_NEAR(Dist(c.a, c.c), c.r, 1e-7 * (1 + c.r)) << what;
                EXPECT_NEAR(Dist(c.b, c.c), c.r, 1e-7 * (1 + c.r)) << what;
                // End points and direction describe the same arc as the sweep.
                EXPECT_NEAR(SweepFromEnds(c), c.sweep, 1e-6) << what << ": arc direction";
            }
            for (int k = 0; k <= 16; ++k) {
                const Point2D p = c.At(k / 16.0);
                const double md = MinDistance(source, p);
                EXPECT_NEAR(md, d, 1e-6 * d + 1e-9) << what << ": piece " << i << " at " << k << "/16";
                if (std::abs(md - d) > 1e-6 * d + 1e-9) return pieces;
            }
        }
        if (chain.closed) {
            EXPECT_LE(Dist(chain.pieces.back().b, chain.pieces.front().a), 1e-9) << what;
        }
    }
    // Nothing is missing: a point straight off the source on the chosen side
    // that keeps the distance to the whole source lies on the result.
    for (const Curve2D& c : source) {
        for (int k = 1; k < 8; ++k) {
            const Point2D s = c.At(k / 8.0), t = c.Tangent(k / 8.0);
            const Point2D q{s.x - distance * t.y, s.y + distance * t.x};
            if (MinDistance(source, q) < d * (1 - 1e-9)) continue;
            double onResult = std::numeric_limits<double>::infinity();
            for (const EquidistantChain& chain : r.chains)
                for (const Curve2D& piece : chain.pieces) onResult = std::min(onResult, piece.Distance(q));
            EXPECT_LE(onResult, 1e-7 * (1 + d)) << what << ": offset point (" << q.x << ", " << q.y << ") missing";
            if (onResult > 1e-7 * (1 + d)) return pieces;
        }
    }
    return pieces;
}

// A chain through corner points, with a fillet radius per corner and a signed
// sweep per edge (0: straight). Fillets go only between straight edges.
std::vector<Curve2D> BuildChain(const std::vector<Point2D>& pts, const std::vector<double>& fillet,
                                const std::vector<double>& bulge, bool closed) {
    const std::size_t n = pts.size();
    const std::size_t edges = closed ? n : n - 1;
    std::vector<Point2D> from(edges), to(edges);
    for (std::size_t e = 0; e < edges; ++e) {
        from[e] = pts[e];
        to[e] = pts[(e + 1) % n];
    }
    std::vector<Curve2D> arcsAt(n);
    std::vector<bool> hasArc(n, false);
    for (std::size_t v = 0; v < n; ++v) {
        if (!closed && (v == 0 || v == n - 1)) continue;
        const std::size_t ein = (v + edges - 1) % edges, eout = v % edges;
        if (fillet[v] <= 0 || bulge[ein] != 0 || bulge[eout] != 0) continue;
        const Point2D V = pts[v];
        const Point2D u1{(V.x - from[ein].x) / Dist(V, from[ein]), (V.y - from[ein].y) / Dist(V, from[ein])};
        const Point2D u2{(to[eout].x - V.x) / Dist(V, to[eout]), (to[eout].y - V.y) / Dist(V, to[eout])};
        const double turn = std::atan2(u1.x * u2.y - u1.y * u2.x, u1.x * u2.x + u1.y * u2.y);
        if (std::abs(turn) < 1e-2 || std::abs(turn) > PI - 0.2) continue;
        double rho = fillet[v];
        const double room = 0.45 * std::min(Dist(V, from[ein]), Dist(V, to[eout]));
        rho = std::min(rho, room / std::tan(std::abs(turn) / 2));
        const double t = rho * std::tan(std::abs(turn) / 2);
        const Point2D t1{V.x - t * u1.x, V.y - t * u1.y};
        const Point2D t2{V.x + t * u2.x, V.y + t * u2.y};
        const double s = turn > 0 ? 1.0 : -1.0;
        const Point2D centre{t1.x - s * rho * u1.y, t1.y + s * rho * u1.x};
        Curve2D arc = Curve2D::Arc(centre, rho, std::atan2(t1.y - centre.y, t1.x - centre.x), turn);
        arc.a = t1;
        arc.b = t2;
        arcsAt[v] = arc;
        hasArc[v] = true;
        to[ein] = t1;
        from[eout] = t2;
    }
    std::vector<Curve2D> chain;
    for (std::size_t e = 0; e < edges; ++e) {
        if (bulge[e] == 0) {
            chain.push_back(Curve2D::Line(from[e], to[e]));
        } else {
            const Point2D p = from[e], q = to[e];
            const double L = Dist(p, q);
            const double R = L / (2 * std::sin(std::abs(bulge[e]) / 2));
            const double h = R * std::cos(bulge[e] / 2);
            const double s = bulge[e] > 0 ? 1.0 : -1.0;
            const Point2D centre{(p.x + q.x) / 2 - s * h * (q.y - p.y) / L, (p.y + q.y) / 2 + s * h * (q.x - p.x) / L};
            Curve2D arc = Curve2D::Arc(centre, R, std::atan2(p.y - centre.y, p.x - centre.x), bulge[e]);
            arc.a = p;
            arc.b = q;
            chain.push_back(arc);
        }
        const std::size_t v = (e + 1) % n;
        if (hasArc[v]) chain.push_back(arcsAt[v]);
    }
    return chain;
}

// Draws a chain into a document group and asks for its equidistant; the
// result is read back through the iterator.
struct DocRun {
    EquidistantReply reply;
    std::vector<Curve2D> pieces;
    std::vector<int> styles;
};

DocRun RunThroughDocument(Document2D& doc, const std::vector<Curve2D>& chain, int side, double distance) {
    doc.BeginObjectSet();
    for (const Curve2D& c : chain) doc.DrawCurve(c, 1);
    EquidistantRequest req;
    req.group = doc.EndObjectSet();
    req.side = static_cast<std::uint8_t>(side);
    req.distance = req.distance2 = distance;
    DocRun run;
    run.reply = doc.Equidistant(req);
    const Iter2D it = doc.CreateIterator(doc.ObjectList(run.reply.group, 0, 0.0001, 1));
    for (Ref2D r = doc.MoveFirst(it); r != 0; r = doc.MoveNext(it)) {
        if (const auto l = doc.GetLineParam(r)) {
            run.pieces.push_back(Curve2D::Line({l->x1, l->y1}, {l->x2, l->y2}));
            run.styles.push_back(l->style);
        } else if (const auto a = doc.GetArcParam(r)) {
            Curve2D c;
            c.arc = true;
            c.c = {a->xc, a->yc};
            c.r = a->rad;
            c.a = {a->x1, a->y1};
            c.b = {a->x2, a->y2};
            c.sweep = a->direction;  // the sign only; the sweep is rebuilt below
            c.a0 = std::atan2(c.a.y - c.c.y, c.a.x - c.c.x);
            c.sweep = SweepFromEnds(c);
            run.pieces.push_back(c);
            run.styles.push_back(a->style);
        }
    }
    doc.DeleteIterator(it);
    return run;
}

struct Expected {
    bool arc;
    Point2D a, b;
    double r = 0;
    int direction = 1;
};

void ExpectPieces(const std::vector<Curve2D>& got, const std::vector<Expected>& want, const std::string& what) {
    ASSERT_EQ(got.size(), want.size()) << what;
    for (std::size_t i = 0; i < want.size(); ++i) {
        EXPECT_EQ(got[i].arc, want[i].arc) << what << " piece " << i;
        EXPECT_NEAR(got[i].a.x, want[i].a.x, 1e-9) << what << " piece " << i;
        EXPECT_NEAR(got[i].a.y, want[i].a.y, 1e-9) << what << " piece " << i;
        EXPECT_NEAR(got[i].b.x, want[i].b.x, 1e-9) << what << " piece " << i;
        EXPECT_NEAR(got[i].b.y, want[i].b.y, 1e-9) << what << " piece " << i;
        if (want[i].arc) {
            EXPECT_NEAR(got[i].r, want[i].r, 1e-9) << what << " piece " << i;
            EXPECT_EQ(got[i].Direction(), want[i].direction) << what << " piece " << i;
        }
    }
}

Expected L(double x1, double y1, double x2, double y2) { return {false, {x1, y1}, {x2, y2}}; }
Expected A(double x1, double y1, double x2, double y2, double r, int dir) { return {true, {x1, y1}, {x2, y2}, r, dir}; }

std::vector<Curve2D> LShape() {
    return BuildChain({{0, 0}, {10, 0}, {10, 4}, {4, 4}, {4, 10}, {0, 10}}, std::vector<double>(6, 0),
                      std::vector<double>(6, 0), true);
}

class EquidistantTest : public CleanStateTest {
protected:
    Document2D doc;
};

TEST_F(EquidistantTest, LShapeInsideTrimsCornersAndRoundsTheInnerCorner) {
    // Counter-clockwise, so the left side is the inside.
    const DocRun run = RunThroughDocument(doc, LShape(), 0, 1.0);
    ASSERT_EQ(run.reply.error, EquidistantError::None) << run.reply.message;
    EXPECT_TRUE(run.reply.closed);
    EXPECT_EQ(run.reply.chains, 1);
    ExpectPieces(run.pieces,
                 {L(1, 1, 9, 1), L(9, 1, 9, 3), L(9, 3, 4, 3), A(4, 3, 3, 4, 1, -1), L(3, 4, 3, 9), L(3, 9, 1, 9),
                  L(1, 9, 1, 1)},
                 "L inside");
    for (int s : run.styles) EXPECT_EQ(s, 4);
}

TEST_F(EquidistantTest, LShapeOutsideRoundsConvexCornersAndTrimsTheInnerOne) {
    const DocRun run = RunThroughDocument(doc, LShape(), 1, 1.0);
    ASSERT_EQ(run.reply.error, EquidistantError::None) << run.reply.message;
    EXPECT_TRUE(run.reply.closed);
    ExpectPieces(run.pieces,
                 {L(0, -1, 10, -1), A(10, -1, 11, 0, 1, 1), L(11, 0, 11, 4), A(11, 4, 10, 5, 1, 1), L(10, 5, 5, 5),
                  L(5, 5, 5, 10), A(5, 10, 4, 11, 1, 1), L(4, 11, 0, 11), A(0, 11, -1, 10, 1, 1), L(-1, 10, -1, 0),
                  A(-1, 0, 0, -1, 1, 1)},
                 "L outside");
    // A negative distance on the other side is the same request.
    Document2D other;
    const DocRun neg = RunThroughDocument(other, LShape(), 0, -1.0);
    ASSERT_EQ(neg.pieces.size(), run.pieces.size());
    for (std::size_t i = 0; i < run.pieces.size(); ++i) EXPECT_NEAR(Dist(neg.pieces[i].a, run.pieces[i].a), 0, 1e-12);
}

// An open step: along +x, a fillet turning left, up, a fillet turning right, along +x.
std::vector<Curve2D> FilletedStep() {
    return BuildChain({{0, 0}, {10, 0}, {10, 5}, {20, 5}}, {0, 1, 1, 0}, {0, 0, 0}, false);
}

TEST_F(EquidistantTest, FilletsGrowOrShrinkAndVanishPastTheirRadius) {
    struct Case {
        const char* what;
        int side;
        double d;
        std::vector<Expected> want;
    };
    const std::vector<Case> cases = {
        {"left 0.5",
         0,
         0.5,
         {L(0, 0.5, 9, 0.5), A(9, 0.5, 9.5, 1, 0.5, 1), L(9.5, 1, 9.5, 4), A(9.5, 4, 11, 5.5, 1.5, -1),
          L(11, 5.5, 20, 5.5)}},
        {"right 0.5",
         1,
         0.5,
         {L(0, -0.5, 9, -0.5), A(9, -0.5, 10.5, 1, 1.5, 1), L(10.5, 1, 10.5, 4), A(10.5, 4, 11, 4.5, 0.5, -1),
          L(11, 4.5, 20, 4.5)}},
        // The first fillet shrinks exactly to its centre: the lines meet there.
        {"left 1", 0, 1.0, {L(0, 1, 9, 1), L(9, 1, 9, 4), A(9, 4, 11, 6, 2, -1), L(11, 6, 20, 6)}},
        // Past its radius the fillet's offset vanishes and the lines are trimmed.
        {"left 2", 0, 2.0, {L(0, 2, 8, 2), L(8, 2, 8, 4), A(8, 4, 11, 7, 3, -1), L(11, 7, 20, 7)}},
    };
    for (const Case& c : cases) {
        Document2D d;
        const DocRun run = RunThroughDocument(d, FilletedStep(), c.side, c.d);
        ASSERT_EQ(run.reply.error, EquidistantError::None) << c.what << ": " << run.reply.message;
        EXPECT_FALSE(run.reply.closed) << c.what;
        ExpectPieces(run.pieces, c.want, c.what);
    }
}

// Along +x with a half-round groove dipping below (radius 2, centre (5, 0)).
std::vector<Curve2D> Groove() {
    Curve2D arc = Curve2D::Arc({5, 0}, 2, PI, PI);
    arc.a = {3, 0};
    arc.b = {7, 0};
    return {Curve2D::Line({0, 0}, {3, 0}), arc, Curve2D::Line({7, 0}, {10, 0})};
}

TEST_F(EquidistantTest, ConcaveArcShrinksThenVanishes) {
    const double x = 5 - std::sqrt(8.0);
    struct Case {
        const char* what;
        int side;
        double d;
        std::vector<Expected> want;
    };
    const std::vector<Case> cases = {
        {"inside the groove",
         0,
         1.0,
         {L(0, 1, 3, 1), A(3, 1, 4, 0, 1, -1), A(4, 0, 6, 0, 1, 1), A(6, 0, 7, 1, 1, -1), L(7, 1, 10, 1)}},
        // Wider than the groove: only the rounds about its edges are left, meeting over its middle.
        {"over the groove",
         0,
         2.5,
         {L(0, 2.5, 3, 2.5), A(3, 2.5, 5, 1.5, 2.5, -1), A(5, 1.5, 7, 2.5, 2.5, -1), L(7, 2.5, 10, 2.5)}},
        {"below", 1, 1.0, {L(0, -1, x, -1), A(x, -1, 10 - x, -1, 3, 1), L(10 - x, -1, 10, -1)}},
    };
    for (const Case& c : cases) {
        Document2D d;
        const DocRun run = RunThroughDocument(d, Groove(), c.side, c.d);
        ASSERT_EQ(run.reply.error, EquidistantError::None) << c.what << ": " << run.reply.message;
        ExpectPieces(run.pieces, c.want, c.what);
    }
}

TEST_F(EquidistantTest, ArcDirectionDecidesWhichSideIsInside) {
    struct Case {
        int direction;
        int side;
        double radius;
    };
    // From (1, 0) to (0, 1) about the origin; left of a counter-clockwise arc is towards the centre.
    for (const Case& c : {Case{1, 0, 0.5}, Case{1, 1, 1.5}, Case{-1, 0, 1.5}, Case{-1, 1, 0.5}}) {
        Document2D d;
        d.BeginObjectSet();
        d.ArcByPoint(0, 0, 1, 1, 0, 0, 1, c.direction, 1);
        EquidistantRequest req;
        req.group = d.EndObjectSet();
        req.side = static_cast<std::uint8_t>(c.side);
        req.distance = req.distance2 = 0.5;
        const EquidistantReply reply = d.Equidistant(req);
        ASSERT_EQ(reply.error, EquidistantError::None);
        const auto refs = d.GroupObjects(reply.group);
        ASSERT_EQ(refs.size(), 1u);
        const auto arc = d.GetArcParam(refs[0]);
        ASSERT_TRUE(arc);
        EXPECT_NEAR(arc->rad, c.radius, 1e-12);
        EXPECT_EQ(arc->direction, c.direction);
        EXPECT_NEAR(arc->x1, c.radius, 1e-12);
        EXPECT_NEAR(arc->y2, c.radius, 1e-12);
    }
}

TEST_F(EquidistantTest, CircleOffsetsBothWaysAndVanishesInside) {
    struct Case {
        int side;
        double d;
        EquidistantError error;
        double radius;
    };
    for (const Case& c : {Case{0, 0.5, EquidistantError::None, 1.5}, Case{1, 0.5, EquidistantError::None, 2.5},
                          Case{0, 2.0, EquidistantError::Vanished, 0}, Case{0, 3.0, EquidistantError::Vanished, 0}}) {
        Document2D d;
        d.BeginObjectSet();
        d.Circle(1, 1, 2, 1);
        EquidistantRequest req;
        req.group = d.EndObjectSet();
        req.side = static_cast<std::uint8_t>(c.side);
        req.distance = req.distance2 = c.d;
        const EquidistantReply reply = d.Equidistant(req);
        EXPECT_EQ(reply.error, c.error);
        if (c.error != EquidistantError::None) {
            EXPECT_EQ(reply.group, 0);
            continue;
        }
        EXPECT_TRUE(reply.closed);
        for (Ref2D r : d.GroupObjects(reply.group)) EXPECT_NEAR(d.GetArcParam(r)->rad, c.radius, 1e-12);
    }
}

TEST_F(EquidistantTest, TurningStraightBackGoesRoundTheTip) {
    const std::vector<Curve2D> chain = {Curve2D::Line({0, 0}, {10, 0}), Curve2D::Line({10, 0}, {2, 0})};
    const DocRun run = RunThroughDocument(doc, chain, 0, 1.0);
    ASSERT_EQ(run.reply.error, EquidistantError::None) << run.reply.message;
    ExpectPieces(run.pieces, {L(0, 1, 10, 1), A(10, 1, 10, -1, 1, -1), L(10, -1, 2, -1)}, "tip");
    EXPECT_NEAR(run.pieces[1].At(0.5).x, 11, 1e-12);
    // Back to the start, the chain is closed: a sliver whose offset goes round both tips.
    const std::vector<Curve2D> loop = {Curve2D::Line({0, 0}, {10, 0}), Curve2D::Line({10, 0}, {0, 0})};
    const EquidistantResult r = Equidistant(loop).Execute(1.0);
    ASSERT_EQ(r.chains.size(), 1u);
    EXPECT_TRUE(r.chains[0].closed);
    EXPECT_EQ(r.chains[0].pieces.size(), 4u);
    CheckResult(loop, true, 1.0, r, "sliver");
}

TEST_F(EquidistantTest, ANarrowNeckSplitsTheInsideIntoTwoClosedChains) {
    // Two 10 x 10 squares joined by a neck 2 wide and 4 long, counter-clockwise.
    const std::vector<Point2D> pts = {{0, 0},   {10, 0},  {10, 4}, {14, 4}, {14, 0},  {24, 0},
                                      {24, 10}, {14, 10}, {14, 6}, {10, 6}, {10, 10}, {0, 10}};
    const auto chain = BuildChain(pts, std::vector<double>(12, 0), std::vector<double>(12, 0), true);
    const EquidistantResult r = Equidistant(chain).Execute(1.5);
    ASSERT_EQ(r.error, EquidistantError::None) << r.message;
    ASSERT_EQ(r.chains.size(), 2u);
    const double x = 10 - std::sqrt(1.25);
    std::vector<Curve2D> left = r.chains[0].pieces;
    ExpectPieces(left,
                 {L(1.5, 1.5, 8.5, 1.5), L(8.5, 1.5, 8.5, 4), A(8.5, 4, x, 5, 1.5, -1), A(x, 5, 8.5, 6, 1.5, -1),
                  L(8.5, 6, 8.5, 8.5), L(8.5, 8.5, 1.5, 8.5), L(1.5, 8.5, 1.5, 1.5)},
                 "left square");
    EXPECT_EQ(r.chains[1].pieces.size(), 7u);
    CheckResult(chain, true, 1.5, r, "neck");
    // Narrower than the neck, the inside stays one chain.
    const EquidistantResult one = Equidistant(chain).Execute(0.5);
    EXPECT_EQ(one.chains.size(), 1u);
    CheckResult(chain, true, 0.5, one, "neck 0.5");
}

TEST_F(EquidistantTest, DistanceZeroGivesTheChainItself) {
    const DocRun run = RunThroughDocument(doc, FilletedStep(), 0, 0.0);
    ASSERT_EQ(run.reply.error, EquidistantError::None);
    const auto src = FilletedStep();
    ASSERT_EQ(run.pieces.size(), src.size());
    for (std::size_t i = 0; i < src.size(); ++i) EXPECT_NEAR(Dist(run.pieces[i].b, src[i].b), 0, 1e-12);
}

TEST_F(EquidistantTest, UnitsDrawnTheOtherWayRoundAreTurned) {
    auto chain = LShape();
    chain[2] = Curve2D::Line(chain[2].b, chain[2].a);
    const DocRun run = RunThroughDocument(doc, chain, 0, 1.0);
    ASSERT_EQ(run.reply.error, EquidistantError::None) << run.reply.message;
    EXPECT_EQ(run.pieces.size(), 7u);
}

TEST_F(EquidistantTest, BadInputGivesAClearErrorAndDrawsNothing) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* what;
        std::function<void(Document2D&)> draw;
        int side;
        double d;
        EquidistantError error;
    };
    const std::vector<Case> cases = {
        {"zero-length line",
         [](Document2D& d) {
             d.LineSeg(0, 0, 1, 0, 1);
             d.LineSeg(1, 0, 1, 0, 1);
         },
         0, 1, EquidistantError::ZeroLengthUnit},
        {"zero radius", [](Document2D& d) { d.ArcByPoint(0, 0, 0, 1, 0, 0, 1, 1, 1); }, 0, 1,
         EquidistantError::ZeroRadius},
        {"arc end off its circle", [](Document2D& d) { d.ArcByPoint(0, 0, 1, 2, 0, 0, 1, 1, 1); }, 0, 1,
         EquidistantError::ArcOffCircle},
        {"arc without length", [](Document2D& d) { d.ArcByPoint(0, 0, 1, 1, 0, 1, 0, 1, 1); }, 0, 1,
         EquidistantError::ZeroLengthUnit},
        {"not a number", [nan](Document2D& d) { d.LineSeg(0, nan, 1, 0, 1); }, 0, 1, EquidistantError::NonFiniteValue},
        {"infinite radius", [](Document2D& d) { d.Circle(0, 0, std::numeric_limits<double>::infinity(), 1); }, 0, 1,
         EquidistantError::NonFiniteValue},
        {"infinite distance", [](Document2D& d) { d.LineSeg(0, 0, 1, 0, 1); }, 0,
         std::numeric_limits<double>::infinity(), EquidistantError::NonFiniteValue},
        {"disconnected",
         [](Document2D& d) {
             d.LineSeg(0, 0, 1, 0, 1);
             d.LineSeg(2, 0, 3, 0, 1);
         },
         0, 1, EquidistantError::DisconnectedChain},
        {"bad side", [](Document2D& d) { d.LineSeg(0, 0, 1, 0, 1); }, 2, 1, EquidistantError::BadSide},
        {"empty group", [](Document2D&) {}, 0, 1, EquidistantError::EmptyChain},
    };
    for (const Case& c : cases) {
        Document2D d;
        d.BeginObjectSet();
        c.draw(d);
        EquidistantRequest req;
        req.group = d.EndObjectSet();
        req.side = static_cast<std::uint8_t>(c.side);
        req.distance = req.distance2 = c.d;
        const std::size_t before = d.Objects().size();
        const EquidistantReply reply = d.Equidistant(req);
        EXPECT_EQ(reply.error, c.error) << c.what << ": " << reply.message;
        EXPECT_EQ(reply.group, 0) << c.what;
        EXPECT_FALSE(reply.message.empty()) << c.what;
        EXPECT_EQ(d.Objects().size(), before) << c.what;
    }
    // An arc whose sweep does not lead to its end point.
    Curve2D arc = Curve2D::Arc({0, 0}, 1, 0, PI / 2);
    arc.sweep = PI;
    EXPECT_EQ(Equidistant({arc}).Execute(0.5).error, EquidistantError::ArcOffCircle);

    EquidistantRequest missing;
    missing.group = 4242;
    missing.distance = 1;
    EXPECT_EQ(doc.Equidistant(missing).error, EquidistantError::EmptyChain);
}

TEST_F(EquidistantTest, VeryLongLeadLinesKeepTheirPrecision) {
    // The profile passes put 100000-long lines before and after the piece.
    auto chain = FilletedStep();
    chain.insert(chain.begin(), Curve2D::Line({-100000, 0}, {0, 0}));
    chain.push_back(Curve2D::Line({20, 5}, {100020, 5}));
    for (double d : {0.5, -0.5, 2.0}) {
        const EquidistantResult r = Equidistant(chain).Execute(d);
        ASSERT_EQ(r.error, EquidistantError::None) << r.message;
        EXPECT_EQ(r.chains.size(), 1u);
        CheckResult(chain, false, d, r, "long leads " + std::to_string(d));
    }
}

// Whether two pieces of a chain cross or touch anywhere but at a shared end.
bool SelfIntersects(const std::vector<Curve2D>& chain, bool closed) {
    const std::size_t n = chain.size();
    std::vector<CurveHit> hits;
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = i + 1; j < n; ++j) {
            hits.clear();
            IntersectCurves(chain[i], chain[j], 1e-9, hits);
            for (const CurveHit& h : hits) {
                const bool sharedEnd = (j == i + 1 && Dist(h.p, chain[i].b) < 1e-7) ||
                                       (closed && i == 0 && j == n - 1 && Dist(h.p, chain[0].a) < 1e-7);
                if (!sharedEnd) return true;
            }
        }
    }
    return false;
}

// A random fillet for a corner and a random bulge for the edge after it.
void DrawCornerAndEdge(std::mt19937& rng, double maxBulge, std::vector<double>& fillet, std::vector<double>& bulge) {
    std::uniform_real_distribution<double> u(0, 1);
    fillet.push_back(u(rng) < 0.5 ? 0.2 + 1.8 * u(rng) : 0.0);
    bulge.push_back(u(rng) < 0.3 ? (u(rng) < 0.5 ? -1 : 1) * (0.2 + maxBulge * u(rng)) : 0.0);
}

// Random closed chains: corners star-shaped about the origin, fillets at some
// corners and bulged edges elsewhere; chains that cross themselves are drawn again.
std::vector<Curve2D> RandomClosed(std::mt19937& rng) {
    std::uniform_int_distribution<int> count(3, 24);
    std::uniform_real_distribution<double> u(0, 1);
    const int n = count(rng);
    std::vector<Point2D> pts;
    std::vector<double> fillet, bulge;
    for (int k = 0; k < n; ++k) {
        const double ang = 2 * PI * (k + 0.1 + 0.8 * u(rng)) / n;
        const double rad = 4 + 6 * u(rng);
        pts.push_back({rad * std::cos(ang), rad * std::sin(ang)});
        DrawCornerAndEdge(rng, 0.5, fillet, bulge);
    }
    return BuildChain(pts, fillet, bulge, true);
}

// Random open profiles running along +x, like a turned part's outline.
std::vector<Curve2D> RandomOpen(std::mt19937& rng) {
    std::uniform_int_distribution<int> count(2, 24);
    std::uniform_real_distribution<double> u(0, 1);
    const int n = count(rng);
    std::vector<Point2D> pts;
    std::vector<double> fillet, bulge;
    double x = 0;
    for (int k = 0; k < n; ++k) {
        pts.push_back({x, -3 + 6 * u(rng)});
        x += 1 + 3 * u(rng);
        DrawCornerAndEdge(rng, 0.8, fillet, bulge);
    }
    return BuildChain(pts, fillet, bulge, false);
}

// Random open walks with sharp turns either way.
std::vector<Curve2D> RandomWalk(std::mt19937& rng) {
    std::uniform_int_distribution<int> count(2, 14);
    std::uniform_real_distribution<double> u(0, 1);
    const int n = count(rng);
    std::vector<Point2D> pts{{0, 0}};
    std::vector<double> fillet{0}, bulge;
    double heading = 0;
    for (int k = 1; k < n; ++k) {
        const double len = 1 + 4 * u(rng);
        pts.push_back({pts.back().x + len * std::cos(heading), pts.back().y + len * std::sin(heading)});
        heading += (2 * u(rng) - 1) * 0.95 * PI;
        DrawCornerAndEdge(rng, 0.8, fillet, bulge);
    }
    return BuildChain(pts, fillet, bulge, false);
}

TEST_F(EquidistantTest, RandomChainsKeepTheDistanceEverywhere) {
    std::mt19937 rng(20261209);
    std::uniform_real_distribution<double> u(0, 1);
    int made = 0, runs = 0;
    for (int trial = 0; trial < 400; ++trial) {
        const bool closed = trial % 2 == 0;
        const auto make = [&] {
            return closed ? RandomClosed(rng) : trial % 4 == 1 ? RandomOpen(rng) : RandomWalk(rng);
        };
        auto chain = make();
        for (int again = 0; again < 50 && SelfIntersects(chain, closed); ++again) chain = make();
        ASSERT_FALSE(SelfIntersects(chain, closed));
        const Equidistant engine(chain);
        ASSERT_EQ(engine.Error(), EquidistantError::None) << engine.Message();
        ASSERT_EQ(engine.Closed(), closed);
        for (double sign : {1.0, -1.0}) {
            const double d = sign * (0.02 + 4 * u(rng) * u(rng));
            const EquidistantResult r = engine.Execute(d);
            ++runs;
            const std::string what = "trial " + std::to_string(trial) + " d " + std::to_string(d);
            if (r.error == EquidistantError::Vanished) continue;
            ASSERT_EQ(r.error, EquidistantError::None) << what << ": " << r.message;
            ASSERT_FALSE(r.chains.empty()) << what;
            if (CheckResult(chain, closed, d, r, what) > 0) ++made;
            if (HasFailure()) return;
        }
    }
    EXPECT_GT(made, runs * 8 / 10);  // most offsets exist: the property was really exercised
}

// A dense polyline whose neighbours turn by micro-radians either way, as a
// CAD system exports a curved face: at each concave corner the offsets
// overlap by a few micrometres. Nothing of the loop a join would make there
// stays in the offset: every piece keeps the distance to the rounding, none
// runs back against the chain, and the pieces meet end to start.
TEST_F(EquidistantTest, BarelyTurningNeighboursLeaveNoLoopBehind) {
    std::mt19937 rng(561);
    std::uniform_real_distribution<double> turn(-8e-5, 8e-5);
    std::vector<Curve2D> chain;
    Point2D p{-56.0, -20.5};
    double heading = PI + 0.05;
    for (int i = 0; i < 400; ++i) {
        heading += turn(rng);
        const Point2D q{p.x + 0.033 * std::cos(heading), p.y + 0.033 * std::sin(heading)};
        chain.push_back(Curve2D::Line(p, q));
        p = q;
    }
    const Equidistant engine(chain);
    for (double d : {1.5, -1.5, 0.8}) {
        SCOPED_TRACE(d);
        const EquidistantResult r = engine.Execute(d);
        ASSERT_EQ(r.error, EquidistantError::None);
        ASSERT_EQ(r.chains.size(), 1u);
        const std::vector<Curve2D>& pieces = r.chains.front().pieces;
        for (std::size_t i = 0; i < pieces.size(); ++i) {
            const Curve2D& c = pieces[i];
            for (int k = 0; k <= 4; ++k) EXPECT_NEAR(MinDistance(chain, c.At(k / 4.0)), std::abs(d), 1e-12) << i;
            const Point2D t = c.Tangent(0.5);
            EXPECT_GT(t.x * std::cos(PI + 0.05) + t.y * std::sin(PI + 0.05), 0.99) << "piece " << i << " runs back";
            if (i > 0) {
                EXPECT_LE(Dist(pieces[i - 1].b, c.a), 1e-12);
            }
        }
    }
}

// Offsets of offsets, as profile roughing makes them: every corner of the
// first offset is a round, so every unit of the chain offset again meets an
// arc. The offset of an open chain that does not cross itself stays in one
// piece: no splitter may leave a gap of a micrometre between two of its
// pieces.
TEST_F(EquidistantTest, OffsetOfAnOffsetStaysInOnePiece) {
    std::mt19937 rng(99);
    std::uniform_real_distribution<double> u(0, 1);
    for (int run = 0; run < 170; ++run) {
        std::vector<Curve2D> chain;
        Point2D p{0, 0};
        double a = 0;
        const bool dense = run % 2 == 1;
        for (int i = 0; i < 20 + run % 200; ++i) {
            const double len = dense ? 0.01 + 0.03 * u(rng) : 0.2 + 2 * u(rng);
            a += dense ? (u(rng) - 0.5) * 0.1 : (u(rng) - 0.5) * 1.2;
            const Point2D q{p.x + len * std::cos(a), p.y + len * std::sin(a)};
            chain.push_back(Curve2D::Line(p, q));
            p = q;
        }
        if (!dense || SelfIntersects(chain, false)) continue;
        const EquidistantResult first = Equidistant(chain).Execute(run % 3 ? 1.0 : -1.0);
        ASSERT_EQ(first.chains.size(), 1u) << run;
        const Equidistant again(first.chains.front().pieces);
        for (double d : {1.5, -1.5}) {
            const EquidistantResult r = again.Execute(d);
            if (r.error == EquidistantError::Vanished) continue;
            EXPECT_EQ(r.chains.size(), 1u) << "run " << run << " d " << d;
        }
    }
}

// An arc from a to b about c, its ends kept as given however far they miss
// its circle (as a model's section hands arcs over).
Curve2D ArcAsRead(Point2D a, Point2D b, Point2D c, double r, double sweep) {
    Curve2D arc = Curve2D::Arc(c, r, std::atan2(a.y - c.y, a.x - c.x), sweep);
    arc.a = a;
    arc.b = b;
    return arc;
}

// Checks an offset that must be one chain: unbroken, every piece at the
// distance to within the data's rounding.
void ExpectOneChainAtDistance(const std::vector<Curve2D>& source, double distance, const EquidistantResult& r,
                              const std::string& what) {
    ASSERT_EQ(r.error, EquidistantError::None) << what << ": " << r.message;
    ASSERT_EQ(r.chains.size(), 1u) << what;
    const std::vector<Curve2D>& pieces = r.chains.front().pieces;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        if (i > 0) {
            EXPECT_LE(Dist(pieces[i - 1].b, pieces[i].a), 1e-9) << what << ": break before piece " << i;
        }
        for (int k = 0; k <= 4; ++k)
            EXPECT_NEAR(MinDistance(source, pieces[i].At(k / 4.0)), std::abs(distance), 1e-5) << what << " " << i;
    }
}

// Arcs whose ends miss their circle by the rounding of the data they were
// read from: the fillet of a bore's corner as the section splits it (three
// pieces of one circle, their ends a nanometre off it), and an arc whose end
// misses it by a micrometre. The offset on the side of the arcs' centres
// keeps every unit, the long segment after the fillet included, and stays
// one chain.
TEST_F(EquidistantTest, ArcEndsOffTheirCircleKeepTheOffsetInOnePiece) {
    const Point2D c1{-18.999965857040099, -10.999965857522948};
    const double r1 = 1.0000341430599027;
    const double a1 = std::atan2(-10.999980000000001 - c1.y, -20 - c1.x);
    const double a2 = std::atan2(-12 - c1.y, -19 - c1.x);
    const std::vector<Curve2D> fillet = {
        Curve2D::Line({-30, -10}, {-20, -10}),
        Curve2D::Line({-20, -10}, {-20, -10.999965857522948}),
        ArcAsRead({-20, -10.999965857522948}, {-20, -10.999980000000001}, c1, r1, NormalizeAngle(a1 - PI)),
        ArcAsRead({-20, -10.999980000000001}, {-19, -12}, c1, r1, NormalizeAngle(a2 - a1)),
        ArcAsRead({-19, -12}, {-18.999965857040099, -12}, c1, r1, -PI / 2 - a2),
        Curve2D::Line({-18.999965857040099, -12}, {-11.137, -12}),
        Curve2D::Line({-11.137, -12}, {-11.13692757992446, -12}),
    };
    const std::vector<Curve2D> step = {
        Curve2D::Line({-29.656258, -12.486726}, {-28.923765, -12.486726}),
        ArcAsRead({-28.923765, -12.486726}, {-28.64882, -12.76167}, {-28.923765, -12.76167}, 0.274944, -PI / 2),
        Curve2D::Line({-28.64882, -12.76167}, {-28.64882, -12.843007}),
        ArcAsRead({-28.64882, -12.843007}, {-28.373876, -13.117952}, {-28.373876, -12.843007}, 0.274944, PI / 2),
        Curve2D::Line({-28.373876, -13.117952}, {-27.80223, -13.117952}),
    };
    struct Case {
        const char* what;
        const std::vector<Curve2D>& chain;
        double distance;
    };
    for (const Case& c :
         {Case{"a fillet in three pieces", fillet, 0.2}, Case{"an end off by a micrometre", step, 0.2}}) {
        const Equidistant engine(c.chain);
        ASSERT_EQ(engine.Error(), EquidistantError::None) << c.what << ": " << engine.Message();
        ExpectOneChainAtDistance(c.chain, c.distance, engine.Execute(c.distance), c.what);
    }
}

// Bores widening in steps, with rounds on the edges and fillets in the
// corners of radii near the nose's, every point rounded to a micrometre
// apart from the arcs' radii: the offset of the wall towards the axis (and
// away from it) stays one chain.
TEST_F(EquidistantTest, RoundedStepsWithFilletsNearTheDistanceOffsetInOnePiece) {
    std::mt19937 rng(5);
    std::uniform_real_distribution<double> u(0, 1);
    const auto rounded = [](Point2D p) { return Point2D{std::round(p.x * 1e6) / 1e6, std::round(p.y * 1e6) / 1e6}; };
    for (int run = 0; run < 300; ++run) {
        std::vector<Curve2D> chain;
        Point2D p{-30, -12};
        const auto line = [&](Point2D q) {
            chain.push_back(Curve2D::Line(rounded(p), rounded(q)));
            p = q;
        };
        const auto quarter = [&](Point2D centre, Point2D q, double sweep) {
            chain.push_back(ArcAsRead(rounded(p), rounded(q), rounded(centre), Dist(p, centre), sweep));
            p = q;
        };
        while (p.x < -6 && p.y > -20) {
            line({p.x + 0.3 + 3 * u(rng), p.y});
            const double h = 0.45 + 2 * u(rng);
            const double r = run % 3 == 0 ? 0.2 * (0.9 + 0.2 * u(rng)) : (0.05 + 0.4 * u(rng)) * h;
            const int style = static_cast<int>(rng() % 4);
            if (style & 1) quarter({p.x, p.y - r}, {p.x + r, p.y - r}, -PI / 2);
            const double bottom = p.y - h + ((style & 2) ? r : 0.0);
            line({p.x, bottom});
            if (style & 2) quarter({p.x + r, bottom}, {p.x + r, bottom - r}, PI / 2);
        }
        line({5, p.y});
        const Equidistant engine(chain);
        ASSERT_EQ(engine.Error(), EquidistantError::None) << run << ": " << engine.Message();
        for (double d : {0.2, -0.2, 0.8}) {
            ExpectOneChainAtDistance(chain, d, engine.Execute(d),
                                     "run " + std::to_string(run) + " d " + std::to_string(d));
            if (HasFailure()) return;
        }
    }
}

TEST(Curve2DTest, ArcDistanceMatchesDenseSampling) {
    std::mt19937 rng(7);
    std::uniform_real_distribution<double> u(-1, 1);
    for (int trial = 0; trial < 200; ++trial) {
        const Curve2D arc = Curve2D::Arc({u(rng), u(rng)}, 1 + u(rng) * 0.5, u(rng) * PI, u(rng) * 2 * PI);
        const Point2D p{3 * u(rng), 3 * u(rng)};
        double best = std::numeric_limits<double>::infinity();
        for (int k = 0; k <= 20000; ++k) best = std::min(best, Dist(p, arc.At(k / 20000.0)));
        EXPECT_NEAR(arc.Distance(p), best, 1e-3) << trial;
        EXPECT_LE(arc.Distance(p), best + 1e-12) << trial;
    }
}

}  // namespace
}  // namespace zarvento
