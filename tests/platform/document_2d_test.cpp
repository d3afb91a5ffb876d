// The 2D document: object sets, iterators, object parameters, the object list,
// boxes, deletion and the equidistant request record.
#include "platform/drawings/document_2d.h"

#include <functional>
#include <string>

#include "platform/core/host_error.h"
#include "platform/core/host_faults.h"
#include "test_support.h"

namespace zarvento {
namespace {

using test::CleanStateTest;

class Document2DTest : public CleanStateTest {
protected:
    Document2D doc;

    std::vector<Ref2D> Walk(Iter2D it) {
        std::vector<Ref2D> refs;
        for (Ref2D r = doc.MoveFirst(it); r != 0; r = doc.MoveNext(it)) refs.push_back(r);
        return refs;
    }
};

TEST_F(Document2DTest, IteratorReturnsExactlyWhatWasDrawnInOrder) {
    doc.LineSeg(-1, -2, 3, 4, 9);  // outside the set
    doc.BeginObjectSet();
    const Ref2D l = doc.LineSeg(0.1, 0.2, 5.5, -7.25, 1);
    const Ref2D a = doc.ArcByPoint(1, 2, 3, 4, 2, 1, 5, -1, 3);
    const Ref2D c = doc.Circle(7, 8, 2.5, 4);
    const Ref2D p = doc.Polyline({{0, 0}, {1, 0}, {1, 1}}, 2);
    const Ref2D g = doc.EndObjectSet();
    ASSERT_NE(g, 0);
    EXPECT_TRUE(doc.IsGroup(g));

    const Iter2D it = doc.CreateIterator(g);
    ASSERT_NE(it, 0);
    EXPECT_EQ(Walk(it), (std::vector<Ref2D>{l, a, c, p}));
    doc.DeleteIterator(it);

    EXPECT_EQ(doc.ObjectType(l), kObj2DLine);
    EXPECT_EQ(doc.ObjectType(a), kObj2DArc);
    EXPECT_EQ(doc.ObjectType(c), kObj2DCircle);
    EXPECT_EQ(doc.ObjectType(p), kObj2DPolyline);
    EXPECT_EQ(doc.ObjectType(g), 0);

    const auto lp = doc.GetLineParam(l);
    ASSERT_TRUE(lp);
    EXPECT_EQ(lp->x1, 0.1);
    EXPECT_EQ(lp->y1, 0.2);
    EXPECT_EQ(lp->x2, 5.5);
    EXPECT_EQ(lp->y2, -7.25);
    EXPECT_EQ(lp->style, 1);
    const auto ap = doc.GetArcParam(a);
    ASSERT_TRUE(ap);
    EXPECT_EQ(ap->xc, 1);
    EXPECT_EQ(ap->yc, 2);
    EXPECT_EQ(ap->rad, 3);
    EXPECT_EQ(ap->x1, 4);
    EXPECT_EQ(ap->y1, 2);
    EXPECT_EQ(ap->x2, 1);
    EXPECT_EQ(ap->y2, 5);
    EXPECT_EQ(ap->direction, -1);
    EXPECT_EQ(ap->style, 3);
    const auto cp = doc.GetCircleParam(c);
    ASSERT_TRUE(cp);
    EXPECT_EQ(cp->rad, 2.5);
    EXPECT_EQ(cp->style, 4);
    EXPECT_FALSE(doc.GetArcParam(l));
    EXPECT_FALSE(doc.GetLineParam(a));

    EXPECT_EQ(Walk(doc.CreateDocumentIterator()).size(), 5u);
}

TEST_F(Document2DTest, UnknownGroupGivesAnEmptyIteratorNotTheDocument) {
    doc.LineSeg(0, 0, 1, 1, 1);
    EXPECT_EQ(doc.CreateIterator(0), 0);
    EXPECT_EQ(doc.CreateIterator(12345), 0);
    EXPECT_EQ(doc.MoveFirst(0), 0);
    EXPECT_EQ(doc.MoveNext(77), 0);
    EXPECT_EQ(doc.ObjectList(0, 0, 0.01, 1), 0);
    EXPECT_EQ(doc.EndObjectSet(), 0);  // no set open
}

TEST_F(Document2DTest, NestedSetsCollectInnerObjectsToo) {
    doc.BeginObjectSet();
    const Ref2D a = doc.LineSeg(0, 0, 1, 0, 1);
    doc.BeginObjectSet();
    const Ref2D b = doc.LineSeg(1, 0, 1, 1, 1);
    const Ref2D inner = doc.EndObjectSet();
    const Ref2D outer = doc.EndObjectSet();
    EXPECT_EQ(doc.GroupObjects(inner), (std::vector<Ref2D>{b}));
    EXPECT_EQ(doc.GroupObjects(outer), (std::vector<Ref2D>{a, b}));
}

TEST_F(Document2DTest, DeletingObjectsAndGroups) {
    doc.BeginObjectSet();
    const Ref2D a = doc.LineSeg(0, 0, 1, 0, 1);
    const Ref2D b = doc.LineSeg(1, 0, 1, 1, 1);
    const Ref2D g = doc.EndObjectSet();
    const Ref2D keep = doc.LineSeg(5, 5, 6, 6, 1);

    const Iter2D it = doc.CreateIterator(g);
    EXPECT_TRUE(doc.DeleteObject(a));
    EXPECT_EQ(Walk(it), (std::vector<Ref2D>{b}));  // the deleted object is skipped
    EXPECT_EQ(doc.GroupObjects(g), (std::vector<Ref2D>{b}));

    EXPECT_TRUE(doc.DeleteObject(g));
    EXPECT_FALSE(doc.IsGroup(g));
    EXPECT_EQ(doc.Find(b), nullptr);
    ASSERT_EQ(doc.Objects().size(), 1u);
    EXPECT_EQ(doc.Objects()[0].ref, keep);
    EXPECT_FALSE(doc.DeleteObject(g));
    EXPECT_FALSE(doc.DeleteObject(0));
}

// Deleting a list at once leaves the document as deleting each in turn
// would: references that name nothing (or nothing any more) are passed over,
// and a host failure on the way leaves what comes after it.
TEST_F(Document2DTest, DeletingAListIsDeletingEachInTurn) {
    const auto draw = [](Document2D& d) {
        std::vector<Ref2D> refs;
        d.LineSeg(0, 0, 1, 0, 1);  // stays
        d.BeginObjectSet();
        refs.push_back(d.LineSeg(1, 0, 2, 0, 1));
        d.BeginObjectSet();
        refs.push_back(d.LineSeg(2, 0, 3, 0, 1));
        refs.push_back(d.EndObjectSet());  // inner group
        refs.push_back(d.EndObjectSet());  // outer group, holding the inner one's line
        refs.push_back(d.LineSeg(3, 0, 4, 0, 1));
        d.LineSeg(4, 0, 5, 0, 1);  // stays
        // The inner group, its line once more, a reference to nothing, the
        // outer group, a loose line.
        return std::vector<Ref2D>{refs[2], refs[1], 999, refs[3], refs[4]};
    };
    const auto state = [](const Document2D& d) {
        std::vector<Ref2D> refs;
        for (const Object2D& o : d.Objects()) refs.push_back(o.ref);
        for (Ref2D r = 1; r < 12; ++r)
            if (d.IsGroup(r)) refs.push_back(-r);
        return refs;
    };
    for (int failAt : {-1, 0, 2, 4}) {
        SCOPED_TRACE("failure at " + std::to_string(failAt));
        Document2D each, all;
        const std::vector<Ref2D> refs = draw(each);
        ASSERT_EQ(draw(all), refs);
        if (failAt >= 0) HostFaults::Arm("Document2D.DeleteObject", E_FAIL_, failAt);
        try {
            for (Ref2D r : refs) each.DeleteObject(r);
        } catch (const HostError&) {
        }
        if (failAt >= 0) HostFaults::Arm("Document2D.DeleteObject", E_FAIL_, failAt);
        bool failed = false;
        try {
            all.DeleteObjects(refs);
        } catch (const HostError&) {
            failed = true;
        }
        EXPECT_EQ(failed, failAt >= 0);
        EXPECT_EQ(state(all), state(each));
        for (const Object2D& o : each.Objects()) EXPECT_EQ(all.Find(o.ref)->ref, o.ref);
        for (Ref2D r : refs) EXPECT_EQ(all.Find(r) == nullptr, each.Find(r) == nullptr) << r;
    }
}

// What a computation keeps for its own use goes from the hidden work
// document when it is done; in a document someone made active it stays.
TEST_F(Document2DTest, WorkObjectsLeaveTheWorkDocumentAsTheyFoundIt) {
    Document2D& work = HiddenWorkDocument2D();
    const Ref2D before = work.LineSeg(9, 9, 10, 9, 1);
    for (Document2D* target : {&work, &doc}) {
        const std::size_t count = target->Objects().size();
        {
            WorkObjects made(*target);
            target->BeginObjectSet();
            target->LineSeg(0, 0, 1, 0, 1);
            target->LineSeg(1, 0, 1, 1, 1);
            const Ref2D group = made.Keep(target->EndObjectSet());
            made.Keep(target->ObjectList(group, 0, 0.1, 1));
            EXPECT_EQ(target->Objects().size(), count + 4);
        }
        EXPECT_EQ(target->Objects().size(), target == &work ? count : count + 4);
    }
    EXPECT_NE(work.Find(before), nullptr);
}

TEST_F(Document2DTest, ObjectListBreaksIntoPlainSegmentsAndArcs) {
    doc.BeginObjectSet();
    doc.LineSeg(0, 0, 2, 0, 1);
    doc.ArcByPoint(2, 1, 1, 2, 0, 3, 1, 1, 3);
    doc.Circle(10, 0, 2, 4);
    doc.Polyline({{0, 5}, {1, 5}, {1, 5}, {1, 6}}, 2);
    const Ref2D g = doc.EndObjectSet();

    const Ref2D list = doc.ObjectList(g, 0, 0.0001, 1);
    ASSERT_NE(list, 0);
    const auto refs = doc.GroupObjects(list);
    std::vector<int> types;
    for (Ref2D r : refs) types.push_back(doc.ObjectType(r));
    EXPECT_EQ(types, (std::vector<int>{kObj2DLine, kObj2DArc, kObj2DArc, kObj2DArc, kObj2DLine, kObj2DLine}));
    // Copies keep every parameter and the style.
    const auto arc = doc.GetArcParam(refs[1]);
    ASSERT_TRUE(arc);
    EXPECT_EQ(arc->x2, 3);
    EXPECT_EQ(arc->y2, 1);
    EXPECT_EQ(arc->style, 3);
    // The circle: two counter-clockwise halves that close on each other.
    const auto h1 = doc.GetArcParam(refs[2]), h2 = doc.GetArcParam(refs[3]);
    ASSERT_TRUE(h1 && h2);
    EXPECT_EQ(h1->direction, 1);
    EXPECT_EQ(h1->x2, h2->x1);
    EXPECT_EQ(h2->x2, h1->x1);
    EXPECT_EQ(h1->style, 4);
    // The polyline's repeated vertex makes no segment.
    EXPECT_EQ(doc.GetLineParam(refs[5])->y2, 6);
    EXPECT_EQ(doc.GetLineParam(refs[5])->style, 2);

    const Ref2D poly = doc.GroupObjects(g)[3];
    const Ref2D approx = doc.ApproximateCurve(poly, 0.01);
    EXPECT_EQ(doc.GroupObjects(approx).size(), 2u);
    EXPECT_EQ(doc.ApproximateCurve(doc.GroupObjects(g)[0], 0.01), 0);  // a line is no curve
}

TEST_F(Document2DTest, BoundingBoxesFollowTheArcDirection) {
    struct Case {
        int direction;
        Box2D box;
    };
    // From (1, 0) to (0, 1) about the origin: a quarter counter-clockwise, three quarters clockwise.
    for (const Case& c : {Case{1, {0, 0, 1, 1}}, Case{-1, {-1, -1, 1, 1}}}) {
        Document2D d;
        const Ref2D a = d.ArcByPoint(0, 0, 1, 1, 0, 0, 1, c.direction, 1);
        const auto box = d.BoundingBox(a);
        ASSERT_TRUE(box);
        EXPECT_NEAR(box->xmin, c.box.xmin, 1e-12);
        EXPECT_NEAR(box->ymin, c.box.ymin, 1e-12);
        EXPECT_NEAR(box->xmax, c.box.xmax, 1e-12);
        EXPECT_NEAR(box->ymax, c.box.ymax, 1e-12);
    }
    doc.BeginObjectSet();
    doc.LineSeg(-3, 2, 4, 1, 1);
    doc.Circle(0, 0, 1, 1);
    const Ref2D g = doc.EndObjectSet();
    doc.LineSeg(100, 100, 101, 101, 1);
    const auto box = doc.BoundingBox(g);
    ASSERT_TRUE(box);
    EXPECT_EQ(box->xmin, -3);
    EXPECT_EQ(box->ymin, -1);
    EXPECT_EQ(box->xmax, 4);
    EXPECT_EQ(box->ymax, 2);
    EXPECT_EQ(doc.BoundingBox(0)->xmax, 101);
    EXPECT_FALSE(doc.BoundingBox(999));
}

TEST_F(Document2DTest, RequestRecordPacksTo25LittleEndianBytes) {
    EquidistantRequest r;
    r.group = 0x01020304;
    r.side = 1;
    r.option1 = 1;
    r.option2 = 0;
    r.distance = 2.5;
    r.distance2 = 2.5;
    r.style = 4;
    const auto bytes = r.Pack();
    EXPECT_EQ(bytes[0], 0x04);
    EXPECT_EQ(bytes[3], 0x01);
    EXPECT_EQ(bytes[4], 1);
    EXPECT_EQ(bytes[5], 1);
    EXPECT_EQ(bytes[6], 0);
    EXPECT_EQ(bytes[14], 0x40);  // top byte of 2.5
    EXPECT_EQ(bytes[23], 4);
    EXPECT_EQ(bytes[24], 0);
    const EquidistantRequest back = EquidistantRequest::Unpack(bytes);
    EXPECT_EQ(back.group, r.group);
    EXPECT_EQ(back.side, 1);
    EXPECT_EQ(back.option1, 1);
    EXPECT_EQ(back.distance, 2.5);
    EXPECT_EQ(back.distance2, 2.5);
    EXPECT_EQ(back.style, 4);
}

TEST_F(Document2DTest, EveryHostCallChecksHostFaultsFirst) {
    doc.BeginObjectSet();
    doc.LineSeg(0, 0, 1, 0, 1);
    const Ref2D g = doc.EndObjectSet();
    const std::vector<std::pair<std::string, std::function<void()>>> calls = {
        {"Document2D.LineSeg", [&] { doc.LineSeg(0, 0, 1, 1, 1); }},
        {"Document2D.ArcByPoint", [&] { doc.ArcByPoint(0, 0, 1, 1, 0, 0, 1, 1, 1); }},
        {"Document2D.Circle", [&] { doc.Circle(0, 0, 1, 1); }},
        {"Document2D.Polyline", [&] { doc.Polyline({}, 1); }},
        {"Document2D.BeginObjectSet", [&] { doc.BeginObjectSet(); }},
        {"Document2D.EndObjectSet", [&] { doc.EndObjectSet(); }},
        {"Document2D.GroupObjects", [&] { doc.GroupObjects(g); }},
        {"Document2D.DeleteObject", [&] { doc.DeleteObject(999); }},
        {"Document2D.CreateIterator", [&] { doc.CreateIterator(g); }},
        {"Document2D.MoveFirst", [&] { doc.MoveFirst(1); }},
        {"Document2D.MoveNext", [&] { doc.MoveNext(1); }},
        {"Document2D.DeleteIterator", [&] { doc.DeleteIterator(1); }},
        {"Document2D.ObjectType", [&] { doc.ObjectType(1); }},
        {"Document2D.GetLineParam", [&] { doc.GetLineParam(1); }},
        {"Document2D.GetArcParam", [&] { doc.GetArcParam(1); }},
        {"Document2D.GetCircleParam", [&] { doc.GetCircleParam(1); }},
        {"Document2D.ObjectList", [&] { doc.ObjectList(g, 0, 0.01, 1); }},
        {"Document2D.ApproximateCurve", [&] { doc.ApproximateCurve(1, 0.01); }},
        {"Document2D.BoundingBox", [&] { doc.BoundingBox(g); }},
        {"Document2D.Equidistant",
         [&] {
             doc.Equidistant({g, 0, 0, 0, 1.0, 1.0, 4});
         }},
    };
    for (const auto& [name, call] : calls) {
        const std::size_t before = doc.Objects().size();
        HostFaults::Arm(name, E_FAIL_);
        try {
            call();
            ADD_FAILURE() << name << " did not fail";
        } catch (const HostError& e) {
            EXPECT_EQ(e.Code(), E_FAIL_) << name;
        }
        EXPECT_EQ(doc.Objects().size(), before) << name << " changed the document before failing";
    }
}

}  // namespace
}  // namespace zarvento
