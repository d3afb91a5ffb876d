// CTessellationObject: everything Zarvento shows in the part's 3D view (paths,
// surfaces of revolution, regions, markers, planes, models) is a triangle mesh
// or a polyline held in the library's own arrays, in model coordinates, and
// mirrored into one drawable the host creates in the active 3D document. The
// library never draws itself: it sends the arrays, a colour with six light
// values, and switches the drawable's visibility.
//
// While a simulation runs, erased drawables are hidden at once and their
// deletion is queued; the simulation flushes the queue between steps.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "geometry/step_array.h"
#include "geometry/unit.h"
#include "model/collision_triangle.h"

namespace zarvento {

class HostDrawable;

// The opacity a new object takes: 0.5 at load; the simulation sets it from
// its transparency and puts it back when it ends.
extern double DefaultOpacity;
inline constexpr double kDefaultOpacity = 0.5;
// Set while a simulation runs: erased drawables wait in PendingHostDeletions.
extern bool DeferHostDeletions;
extern StepArray<std::shared_ptr<HostDrawable>> PendingHostDeletions;
// Removes every drawable waiting for deletion, in the order they were erased,
// and empties the list.
void FlushHostDeletions();

inline constexpr std::uint32_t kDefaultTessellationColour = 0x6464FF;

class CTessellationObject {
public:
    CTessellationObject();
    virtual ~CTessellationObject();
    CTessellationObject(const CTessellationObject&) = delete;
    CTessellationObject& operator=(const CTessellationObject&) = delete;

    // Hides the drawable and deletes it (or queues it while deletions are
    // deferred); the object is then not drawn. Nothing when not drawn or
    // while the document is not ready.
    virtual void Erase();
    // Sends the whole mesh or polyline again in the given colour.
    virtual void Draw(std::uint32_t colour) = 0;
    virtual void Show();
    virtual void Hide();

    // Forgets every vertex, index and normal; the drawable stays.
    void Clear();
    // Moves a drawn object so that its reference point lands on the LSC point
    // (x, y, z), then redraws. Nothing when not drawn.
    void MoveTo(double z, double x, double y);
    // Moves the vertices by an LSC offset, drawn or not, without a redraw.
    void Shift(double dz, double dx, double dy);
    // Turns the object about the LSC X (Y) axis through its reference point
    // to the absolute angle given (radians), then redraws. Nothing without
    // vertices.
    void RotateX(double angle);
    void RotateY(double angle);
    // Creates the drawable when missing, then MoveTo. Nothing without vertices.
    void DrawAt(double z, double x, double y);
    // DrawAt the LSC point (x, y, z) plus the object's base offset.
    void DrawAtOffset(double x, double y, double z);
    // Appends one record per triangle (the vertices in threes).
    void AppendTriangles(StepArray<CollisionTriangle>& list) const;

    bool IsDrawn() const { return hostDrawable != nullptr; }
    // Drawn and visible in its view.
    virtual bool IsVisible() const;

    // 1. The host's drawable; null when not drawn. It belongs to the host
    // document: the object only removes it through the host.
    std::shared_ptr<HostDrawable> hostDrawable;
    // 2. The view key passed to the visibility call.
    std::int64_t viewKey = 0;
    // 3-6. Vertices and normals in model coordinates; faces: one index per
    // vertex, three per triangle; edges: the point count, then 0 .. n-1.
    StepArray<Point3D> vertices{1000};
    StepArray<std::int32_t> indices{100};
    StepArray<Point3D> normals{1000};
    StepArray<std::int32_t> normalIndices{100};
    // 7. Kept equal to the vertex count.
    std::int32_t vertexCount = 0;
    // 8. Model coordinates; MoveTo and the rotations work relative to it.
    Point3D referencePoint;
    // 9. The last absolute angles of RotateX and RotateY.
    double angleX = 0.0;
    double angleY = 0.0;
    // 10. LSC offset added by DrawAtOffset.
    Point3D baseOffset;
    // 11-12. Colour 0x00BBGGRR and the six light values (the fifth is the opacity).
    std::uint32_t colour = kDefaultTessellationColour;
    std::array<double, 6> light{0.5, 0.6, 0.8, 0.8, kDefaultOpacity, 0.5};
    // 13. Sent by edges only.
    std::int32_t lineWidth = 1;
    // 14. A face read from the host takes the host's coordinates as LSC ones.
    bool lscInput = true;

protected:
    // Asks the active 3D document for a drawable when there is none.
    void CreateHostDrawable();
    // The drawable's colour call with the stored colour and light values.
    void SendColour();
    // Appends one vertex (model coordinates) with its normal and running number.
    void AppendVertex(const Point3D& p, const Point3D& n);
    // The base erase, also for the destructor (which may not throw).
    void EraseDrawable();

private:
    void Rotate(double& stored, double angle, int first, int second);
};

// The LSC point (X, Y, Z) in model coordinates, and an LSC direction as a
// model direction.
Point3D LscToModel(double x, double y, double z);
Point3D LscDirectionToModel(double x, double y, double z);

}  // namespace zarvento
