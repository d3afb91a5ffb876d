// A 2D document of the headless host: the sketch or the hidden work document
// the system draws into. Objects keep their order of creation and carry a
// line style; a reference is a positive 32-bit number, 0 for none. Objects are
// collected into groups, walked by iterators, broken into plain segments and
// arcs, and offset (the equidistant of a chain of segments and arcs).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/core/host_object.h"
#include "platform/drawings/curve_2d.h"
#include "platform/drawings/equidistant.h"

namespace zarvento {

using Ref2D = std::int32_t;
using Iter2D = std::int32_t;

// Host object types of 2D objects. Types 8, 34 and 80 are curves that readers
// first break into segments and arcs; a polyline is the one this host makes.
inline constexpr int kObj2DLine = 1;
inline constexpr int kObj2DCircle = 2;
inline constexpr int kObj2DArc = 3;
inline constexpr int kObj2DCurve8 = 8;
inline constexpr int kObj2DPolyline = 34;
inline constexpr int kObj2DCurve80 = 80;
// A closed contour of segments and arcs, as the region boundary makes it.
inline constexpr int kObj2DContour = 26;

struct LineParam2D {
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    int style = 1;
};

// An arc by its centre, radius and end points; direction 1 counter-clockwise
// from the first point to the second in the (x, y) plane, -1 clockwise.
struct ArcParam2D {
    double xc = 0, yc = 0, rad = 0;
    double x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    int direction = 1;
    int style = 1;
};

struct CircleParam2D {
    double xc = 0, yc = 0, rad = 0;
    int style = 1;
};

struct Object2D {
    Ref2D ref = 0;
    int type = 0;
    LineParam2D line;
    ArcParam2D arc;
    CircleParam2D circle;
    std::vector<Point2D> points;  // vertices of a polyline (and of the other curve types)
    std::vector<Curve2D> pieces;  // the pieces of a contour, in order
    int style = 1;                // the object's line style, for every type
};

// The equidistant request as callers fill it (a packed 25-byte record:
// group reference, side byte, two option bytes, two distances, style).
struct EquidistantRequest {
    static constexpr std::size_t kSize = 25;

    Ref2D group = 0;           // the group holding the drawn chain
    std::uint8_t side = 0;     // 0: left of the direction of travel, 1: right
    std::uint8_t option1 = 0;  // carried for callers; the offset does not depend on it
    std::uint8_t option2 = 0;  // likewise
    double distance = 0;       // a negative distance offsets to the other side
    double distance2 = 0;      // the distance of the second side; callers pass the same value
    std::int16_t style = 4;    // line style of the objects made

    std::array<std::uint8_t, kSize> Pack() const;
    static EquidistantRequest Unpack(const std::array<std::uint8_t, kSize>& bytes);
};

// What the equidistant call made: the group of its objects (0 when nothing
// was made) and, when it failed, why.
struct EquidistantReply {
    Ref2D group = 0;
    EquidistantError error = EquidistantError::None;
    std::string message;
    int chains = 0;       // continuous pieces of the result, drawn one after the other
    bool closed = false;  // every piece is closed
};

class Document2D : public HostObject {
public:
    // The line-segment call; returns the new object's reference.
    Ref2D LineSeg(double x1, double y1, double x2, double y2, int style);
    // The arc call: centre, radius, end points, direction and style.
    Ref2D ArcByPoint(double xc, double yc, double rad, double x1, double y1, double x2, double y2, int direction,
                     int style);
    Ref2D Circle(double xc, double yc, double rad, int style);
    Ref2D Polyline(const std::vector<Point2D>& points, int style);
    // A segment or an arc as the line-segment or arc call would draw it.
    Ref2D DrawCurve(const Curve2D& curve, int style);

    // Object sets: every object made between the two calls joins the set;
    // sets may nest (an inner object joins every open set). The end call
    // returns the group's reference, 0 when no set is open.
    void BeginObjectSet();
    Ref2D EndObjectSet();
    bool IsGroup(Ref2D ref) const;
    // Adds an object to a group made earlier; false when either is missing.
    bool AddToGroup(Ref2D group, Ref2D object);
    // The group's objects that still exist, in order; empty for no group.
    std::vector<Ref2D> GroupObjects(Ref2D group) const;

    // Deletes an object, or a group with all its objects. False when the
    // reference names nothing.
    bool DeleteObject(Ref2D ref);
    // Deletes each in turn as DeleteObject does (what names nothing is
    // passed over), in one walk over the document.
    void DeleteObjects(const std::vector<Ref2D>& refs);

    // Iterators walk a group (or the whole document) in drawing order over a
    // snapshot taken at creation; objects deleted meanwhile are skipped.
    // An unknown group gives iterator 0, which yields nothing.
    Iter2D CreateIterator(Ref2D group);
    Iter2D CreateDocumentIterator();
    Ref2D MoveFirst(Iter2D it);
    Ref2D MoveNext(Iter2D it);
    void DeleteIterator(Iter2D it);

    // Type of an object, 0 for none (and for groups); the document's own
    // type stays the host object's.
    using HostObject::ObjectType;
    int ObjectType(Ref2D ref) const;
    std::optional<LineParam2D> GetLineParam(Ref2D ref) const;
    std::optional<ArcParam2D> GetArcParam(Ref2D ref) const;
    std::optional<CircleParam2D> GetCircleParam(Ref2D ref) const;

    // The object list: a new group holding the objects of `source` (a group or
    // one object) as plain segments and arcs: circles become two arcs, curves
    // are broken at `tolerance`. 0 when the source names nothing.
    Ref2D ObjectList(Ref2D source, int mode, double tolerance, int flag);
    // One curve (types 8, 34, 80) broken into a new group of segments and arcs.
    Ref2D ApproximateCurve(Ref2D curve, double tolerance);

    // The boundary of the region that holds the point (x, y), bounded by the
    // group's objects where they cross and touch: a new group of contour
    // objects (type 26), the outer one first, each running with the region on
    // its left from its lowest-left point (least x, then least y). 0 when the
    // point lies on a curve or in no closed region.
    Ref2D RegionBoundary(Ref2D group, double x, double y);
    // The object call on a group the host made: its objects become free
    // objects of the drawing and the group goes. False for no group.
    bool ReleaseGroup(Ref2D group);
    // The rectangle selection: adds to every open object set the objects that
    // lie wholly inside the rectangle. Mode 1 takes an object of a group only
    // when its whole group lies inside; mode 0 any object. Returns how many.
    int SelectInRect(double x1, double y1, double x2, double y2, int mode);

    // Box of an object, of a group's objects, or (reference 0) of the whole document.
    std::optional<Box2D> BoundingBox(Ref2D ref) const;

    // The equidistant of the chain drawn in the request's group, as a new
    // group of segments and arcs in the request's style.
    EquidistantReply Equidistant(const EquidistantRequest& request);

    // Moves an object, a group's objects or (reference 0) every object by
    // (dx, dy). False when the reference names nothing.
    bool Translate(Ref2D ref, double dx, double dy);

    // Deletes every object and group; references made later stay new.
    void DeleteAllObjects();

    const std::deque<Object2D>& Objects() const { return objects_; }
    const Object2D* Find(Ref2D ref) const;
    void Clear();

    // The host's call that brings the document's view up to date (the
    // library passes mode 2); the headless host records the modes.
    void RefreshView(int mode);
    const std::vector<int>& ViewRefreshes() const { return viewRefreshes_; }

private:
    // Objects made inside a host call: the call itself has checked HostFaults.
    Ref2D Add(Object2D obj);
    Ref2D AddLine(const LineParam2D& p);
    Ref2D AddArc(const ArcParam2D& p);
    Ref2D AddCurve(const Curve2D& c, int style);
    Ref2D NewGroup(std::vector<Ref2D> members);
    void AddPlainCopies(const Object2D& o, double tolerance);
    std::vector<const Object2D*> Members(Ref2D group) const;
    // Takes the group out of the document and adds its objects to `doomed`,
    // or adds the object; false when the reference names nothing.
    bool TakeOut(Ref2D ref, std::vector<Ref2D>& doomed);
    void EraseObjects(std::vector<Ref2D> doomed);

    // A deque: a large drawing grows without moving or doubling what it
    // holds, and gives the room of what it deletes back.
    std::deque<Object2D> objects_;
    std::map<Ref2D, std::vector<Ref2D>> groups_;
    std::vector<std::vector<Ref2D>> openSets_;
    struct Iteration {
        std::vector<Ref2D> refs;
        std::size_t pos = 0;
    };
    std::map<Iter2D, Iteration> iterators_;
    Iter2D nextIter_ = 1;
    Ref2D nextRef_ = 1;
    mutable std::size_t findHint_ = 0;  // where Find found the last object
    std::vector<int> viewRefreshes_;
};

// The document the system's 2D calls go to (the hidden work document unless a
// caller made another one active).
Document2D& ActiveDocument2D();
void SetActiveDocument2D(Document2D* doc);  // null: back to the work document
Document2D& HiddenWorkDocument2D();

// What a computation makes in the hidden work document for its own use (a
// chain drawn to be offset, the offset, their object lists): deleted with
// their members when it goes, so that the work document does not grow with
// every recalculation. In any other document the objects stay as drawn.
class WorkObjects {
public:
    explicit WorkObjects(Document2D& doc) : doc_(doc) {}
    ~WorkObjects();
    WorkObjects(const WorkObjects&) = delete;
    WorkObjects& operator=(const WorkObjects&) = delete;

    // Takes an object or group to delete; gives it back for the caller's use.
    Ref2D Keep(Ref2D ref) {
        if (ref != 0) refs_.push_back(ref);
        return ref;
    }

private:
    Document2D& doc_;
    std::vector<Ref2D> refs_;
};

}  // namespace zarvento
