// A 2D document of the headless host: the sketch or the hidden work document
// the system draws into. Objects keep their order of creation and carry a
// line style; a reference is a positive 32-bit number, 0 for none.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/host_object.h"

namespace zarvento {

using Ref2D = std::int32_t;

// Host object types of 2D objects.
inline constexpr int kObj2DLine = 1;
inline constexpr int kObj2DArc = 3;

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

struct Object2D {
    Ref2D ref = 0;
    int type = 0;
    LineParam2D line;
    ArcParam2D arc;
};

class Document2D : public HostObject {
public:
    // The line-segment call; returns the new object's reference.
    Ref2D LineSeg(double x1, double y1, double x2, double y2, int style);
    // The arc call: centre, radius, end points, direction and style.
    Ref2D ArcByPoint(double xc, double yc, double rad, double x1, double y1, double x2, double y2, int direction,
                     int style);

    const std::vector<Object2D>& Objects() const { return objects_; }
    const Object2D* Find(Ref2D ref) const;
    void Clear();

private:
    Ref2D Add(Object2D obj);

    std::vector<Object2D> objects_;
    Ref2D nextRef_ = 1;
};

// The document the system's 2D calls go to (the hidden work document unless a
// caller made another one active).
Document2D& ActiveDocument2D();
void SetActiveDocument2D(Document2D* doc);  // null: back to the work document
Document2D& HiddenWorkDocument2D();

}  // namespace zarvento
